#include "card_images.h"

#include <algorithm>
#include <cstring>

#include "card/archive_file.h"
#include "card/catalogue.h"
#include "card/source.h"
#include "card/state_tables.h"

namespace quovil::test {

namespace {

constexpr size_t kSector = size_t(kSectorSize);

uint32_t SectorsFor(size_t bytes) { return uint32_t((bytes + kSector - 1) / kSector); }

void Put(Bytes& image, uint64_t offset, const Bytes& bytes) {
  if (image.size() < offset + bytes.size()) image.resize(size_t(offset + bytes.size()), 0);
  std::copy(bytes.begin(), bytes.end(), image.begin() + std::ptrdiff_t(offset));
}

// The picture bytes of a record, at most `bytes` of them.
void PutPicture(Bytes& image, uint64_t offset, const ImageRecord& r, size_t bytes) {
  Bytes p(r.picture.begin(), r.picture.begin() + std::ptrdiff_t(std::min(bytes, r.picture.size())));
  Put(image, offset, p);
}

ShortEntry ShortOf(const ImageRecord& r) {
  ShortEntry e;
  e.b[0] = r.flag;
  r.time.To(&e.b[1]);
  return e;
}

// The long entries of records laid out one after the other, each its sound
// sectors then its picture sectors; sectors: the data's length.
// archiveSoundSectors: every record with sound has that many sound sectors (an
// archive file's header sound size); 0: each has its own block's.
std::vector<LongEntry> LongEntries(const std::vector<ImageRecord>& records, size_t pictureBytes,
                                   uint32_t archiveSoundSectors, uint32_t& sectors) {
  std::vector<LongEntry> out;
  sectors = 0;
  for (const ImageRecord& r : records) {
    const uint32_t sound = r.sound.empty() ? 0 : archiveSoundSectors ? archiveSoundSectors : SectorsFor(r.sound.size());
    const uint32_t picture = std::max<uint32_t>(1, SectorsFor(pictureBytes));
    LongEntry e;
    e.SetFirstSector(sectors);
    e.b[4] = r.flag;
    e.b[5] = r.frameInterval;
    e.b[6] = uint8_t(picture);
    e.b[7] = uint8_t(sound);
    r.time.To(&e.b[10]);
    out.push_back(e);
    sectors += sound + picture;
  }
  for (size_t i = 0; i < records.size(); ++i)
    if (records[i].pastTheEnd) out[i].SetFirstSector(sectors + 1000);
  return out;
}

// The data of LongEntries' layout from byte `base` on.
void PutLongRecords(Bytes& image, uint64_t base, const std::vector<ImageRecord>& records,
                    const std::vector<LongEntry>& entries, size_t pictureBytes, uint32_t dataSectors) {
  if (image.size() < base + uint64_t(dataSectors) * kSector) image.resize(size_t(base + uint64_t(dataSectors) * kSector), 0);
  for (size_t i = 0; i < records.size(); ++i) {
    if (records[i].pastTheEnd) continue;
    const uint64_t at = base + uint64_t(entries[i].FirstSector()) * kSector;
    Put(image, at, records[i].sound);
    PutPicture(image, at + uint64_t(entries[i].SoundSectors()) * kSector, records[i], pictureBytes);
  }
}

Bytes Sealed(Bytes table) {
  SealRecord(table.data(), table.size());
  return table;
}

}  // namespace

Bytes BootSector(int format, uint32_t stateSector) {
  Bytes b(kSector, 0);
  b[0] = 0xEB;
  b[1] = 0x3C;
  b[2] = 0x90;
  std::memcpy(&b[3], format == 0 ? "KORAX2.0" : "KORAX-X ", 8);
  if (format == 0) {
    std::memcpy(&b[64], "KFAT2.02", 8);
  } else {
    b[72] = format == 1 ? 2 : 1;
    PutU32(&b[73], stateSector);
  }
  SealRecord(b.data(), 116);
  return b;
}

int Format0Width(uint8_t resolution) {
  return ResolutionTable[resolution < ResolutionTable.size() ? resolution : 0].width;
}

Bytes MakeCardImage(const Format0Image& f) {
  const size_t pictureBytes = size_t(Format0Width(f.resolution)) * kFormat0Height;
  const uint64_t stride = uint64_t(RoundToSector(int64_t(pictureBytes)));
  const uint64_t data = uint64_t(state0::kDataFirstSector) * kSector;
  Bytes card(size_t(data + stride * f.records.size()), 0);
  Put(card, 0, BootSector(0));

  Bytes index(size_t(kCatalogue0Entries) * 2);
  for (size_t s = 0; s < size_t(kCatalogue0Entries); ++s)
    PutU16(&index[s * 2], s < f.slotToIndex.size() ? f.slotToIndex[s] : uint16_t(s));
  Put(card, state0::kIndexTable, index);

  Bytes t(state0::kLength, 0);
  state0::MainFirstSlot.Set(t.data(), f.mainFirst);
  state0::MainCount.Set(t.data(), f.mainCount);
  uint32_t last = f.mainCount == 0 ? f.mainFirst : uint32_t(f.mainFirst) + f.mainCount - 1;
  if (f.archiveFirst > 0 && last >= f.archiveFirst) last -= f.archiveFirst;
  state0::MainLastSlot.Set(t.data(), uint16_t(last));
  state0::ArchiveFirstSlot.Set(t.data(), f.archiveFirst);
  state0::ArchiveCount.Set(t.data(), f.archiveCount);
  state0::TotalSlots.Set(t.data(), f.totalSlots);
  state0::IndexChecksum.Set(t.data(), WordChecksum(index.data(), f.totalSlots));
  state0::ResolutionIndex.Set(t.data(), f.resolution);
  t = Sealed(t);
  Put(card, state0::kFirstCopy, t);
  Put(card, state0::kSecondCopy, t);

  for (size_t i = 0; i < f.records.size(); ++i) {
    ShortEntry e = ShortOf(f.records[i]);
    Put(card, state0::kCatalogue + i * sizeof(ShortEntry), Bytes(e.b.begin(), e.b.end()));
    PutPicture(card, data + i * stride, f.records[i], pictureBytes);
  }
  return card;
}

Bytes MakeCardImage(const Format1Image& f) {
  const uint32_t slots = uint32_t(f.slots.size());
  const size_t pictureBytes = size_t(f.width) * f.height;
  const uint32_t catalogueSector = f.stateSector + 2;
  const uint32_t dataFirst = catalogueSector + SectorsFor(size_t(slots) * sizeof(ShortEntry));
  const uint64_t stride = uint64_t(RoundToSector(int64_t(state1::kSoundBytes + pictureBytes)));
  const uint64_t data = uint64_t(dataFirst) * kSector;
  Bytes card(size_t(data + stride * slots), 0);
  Put(card, 0, BootSector(1, f.stateSector));

  Bytes t(state1::kLength, 0);
  state1::DataFirstSector.Set(t.data(), dataFirst);
  state1::SlotCount.Set(t.data(), slots);
  state1::RecordCount.Set(t.data(), f.recordCount);
  state1::WriteSlot.Set(t.data(), f.writeSlot);
  state1::ResolutionIndex.Set(t.data(), f.resolution);
  state1::Width.Set(t.data(), f.width);
  state1::Height.Set(t.data(), f.height);
  state1::FrameStride.Set(t.data(), uint32_t(stride));
  state1::SoundBytes.Set(t.data(), state1::kSoundBytes);
  state1::SampleRate.Set(t.data(), f.sampleRate);
  t = Sealed(t);
  Put(card, uint64_t(f.stateSector) * kSector, t);
  Put(card, uint64_t(f.stateSector + 1) * kSector, t);

  for (uint32_t s = 0; s < slots; ++s) {
    const ImageRecord& r = f.slots[s];
    ShortEntry e = ShortOf(r);
    Put(card, uint64_t(catalogueSector) * kSector + s * sizeof(ShortEntry), Bytes(e.b.begin(), e.b.end()));
    const uint64_t at = data + s * stride;
    Bytes block(r.sound.begin(), r.sound.begin() + std::ptrdiff_t(std::min<size_t>(r.sound.size(), state1::kSoundBytes)));
    Put(card, at, block);
    PutPicture(card, at + state1::kSoundBytes, r, pictureBytes);
  }
  return card;
}

Bytes MakeCardImage(const Format2Image& f) {
  const size_t pictureBytes = size_t(f.width) * f.height;
  const uint32_t n = uint32_t(f.records.size());
  const uint32_t capacity = n + f.spareEntries;
  const uint32_t ringSector = f.stateSector + 2;
  const uint32_t dataBase = ringSector + SectorsFor(size_t(capacity) * sizeof(LongEntry));
  uint32_t dataSectors = 0;
  const std::vector<LongEntry> entries = LongEntries(f.records, pictureBytes, 0, dataSectors);
  uint32_t soundSectors = 0;
  for (const LongEntry& e : entries) soundSectors = std::max<uint32_t>(soundSectors, e.SoundSectors());

  Bytes card(size_t(uint64_t(dataBase) * kSector), 0);
  Put(card, 0, BootSector(2, f.stateSector));
  Bytes t(state2::kLength, 0);
  state2::TableLength.Set(t.data(), state2::kLength);
  state2::TableVersion.Set(t.data(), 4);
  state2::DataBaseSector.Set(t.data(), dataBase);
  state2::DataAreaSectors.Set(t.data(), dataSectors + 1024);  // room left for more records
  state2::RingCapacity.Set(t.data(), capacity);
  state2::Width.Set(t.data(), f.width);
  state2::Height.Set(t.data(), f.height);
  state2::PictureBlockBytes.Set(t.data(), uint32_t(RoundToSector(int64_t(pictureBytes))));
  state2::SoundBytes.Set(t.data(), soundSectors * uint32_t(kSector));
  state2::SampleRate.Set(t.data(), f.sampleRate);
  state2::RingHead.Set(t.data(), n);
  state2::DataWriteSector.Set(t.data(), dataSectors);
  t = Sealed(t);
  Put(card, uint64_t(f.stateSector) * kSector, t);
  Put(card, uint64_t(f.stateSector + 1) * kSector, t);
  for (uint32_t k = 0; k < n; ++k)
    Put(card, uint64_t(ringSector) * kSector + uint64_t(k) * sizeof(LongEntry),
        Bytes(entries[k].b.begin(), entries[k].b.end()));
  PutLongRecords(card, uint64_t(dataBase) * kSector, f.records, entries, pictureBytes, dataSectors);
  return card;
}

Bytes MakeArchiveFile(const ArchiveImage& a) {
  const uint32_t n = uint32_t(a.records.size());
  const size_t pictureBytes = size_t(a.width) * a.height;
  uint32_t dataSectors = 0;
  const std::vector<LongEntry> entries =
      LongEntries(a.records, pictureBytes, a.soundBytes ? SectorsFor(a.soundBytes) : 0, dataSectors);
  const auto header = MakeArchiveHeader(a.cardFormat, a.soundBytes, a.sampleRate, a.width, a.height, n);
  Bytes file(header.begin(), header.end());
  for (const LongEntry& e : entries) file.insert(file.end(), e.b.begin(), e.b.end());
  const uint64_t data = GetU32(&header[11]);
  PutLongRecords(file, data, a.records, entries, pictureBytes, dataSectors);
  return file;
}

}  // namespace quovil::test
