// Card format 0: fixed layout, a main ring of slots and an archive area,
// both reached through IndexTable; pictures only, stored interlaced.
#include <algorithm>
#include <numeric>

#include "mkcard/recorder.h"

namespace mkcard::detail {

namespace {

constexpr uint64_t kState1 = 0x100000, kIndexTable = 0x100200, kState2 = 0x120200, kCatalogue = 0x140400;
constexpr uint64_t kDataFirstSector = 3586;

struct Layout0 {
  int width, stride;
  Scene scene;
  int frameNo[2] = {0, 0};
};

void WriteRecord0(Image& img, Recorded& truth, Layout0& l, const Shot& s, int index) {
  Frame& f = truth.frames[std::size_t(index)];
  FillFrame(f, s, uint8_t(s.camera | s.kind));
  f.frameInterval = 0;  // short entries carry no interval
  f.picture.resize(std::size_t(l.width) * 256);
  l.scene.Draw(s.camera, l.frameNo[s.camera]++, s.time, f.picture.data());
  Interlace(f.picture.data(), l.width, 256, img.At(kDataFirstSector * 512 + uint64_t(index) * l.stride, f.picture.size()));
  uint8_t* e = img.At(kCatalogue + uint64_t(index) * 8, 8);
  e[0] = f.flag;
  s.time.To(e + 1);
  e[7] = 0;
}

// The archive area keeps older, protected records; its slots point at
// catalogue indices in shuffled order.
void WriteArchiveArea(const Options& o, Image& img, Recorded& truth, Layout0& l, int ring, int archive) {
  Options ao = o;
  ao.seed = o.seed + 1;
  auto archiveShots = PlanShots(ao, archive, AddSeconds(o.start, -86400), false);
  std::vector<int> indices(static_cast<std::size_t>(archive));
  std::iota(indices.begin(), indices.end(), ring);
  Rng rng(o.seed * 17u + 3u);
  for (int j = archive - 1; j > 0; --j) std::swap(indices[std::size_t(j)], indices[std::size_t(rng.Below(j + 1))]);
  if (archive >= 2 && std::is_sorted(indices.begin(), indices.end())) std::swap(indices[0], indices[1]);
  for (int j = 0; j < archive; ++j) {
    Shot s = archiveShots[std::size_t(j)];
    s.kind |= 0x20;
    const int index = indices[std::size_t(j)];
    WriteRecord0(img, truth, l, s, index);
    truth.frames[std::size_t(index)].written = true;
    truth.slotToIndex[std::size_t(ring + j)] = uint16_t(index);
    truth.archiveOrder.push_back(index);
  }
}

void WriteState0(const Options& o, Image& img, uint16_t indexChecksum, int mainFirst, int records, int ring, int archive,
                 int res) {
  const int total = ring + archive;
  uint8_t st[16] = {};
  const int mainLast = records == 0 ? mainFirst : (mainFirst + records - 1) % std::max(1, ring);
  quovil::PutU16(st + 0, uint16_t(mainFirst));
  quovil::PutU16(st + 2, uint16_t(mainLast));
  quovil::PutU16(st + 4, uint16_t(records));
  quovil::PutU16(st + 6, uint16_t(ring));
  quovil::PutU16(st + 8, uint16_t(archive));
  quovil::PutU16(st + 10, uint16_t(total));
  quovil::PutU16(st + 12, indexChecksum);
  st[14] = uint8_t(res);
  quovil::SealRecord(st, 16);
  for (uint64_t at : {kState1, kState2}) {
    img.Fill(at, 512, 0xFF);
    std::copy_n(st, 16, img.At(at, 16));
  }
  // Damage changes a field without resealing, so a reader that skipped the
  // checksum would show a visibly wrong count.
  if (o.badFirstCopy || o.badBothCopies) img.At(kState1 + 4, 1)[0] ^= 0x01;
  if (o.badBothCopies) img.At(kState2 + 4, 1)[0] ^= 0x01;

}

}  // namespace

void MakeFormat0(const Options& o, Image& img, Recorded& truth) {
  const int res = std::clamp(o.resolutionIndex, 0, 2);
  const int archive = std::clamp(o.archiveRecords, 0, 60000);
  const int records = std::clamp(o.records, 0, 65535 - archive - 16);
  Layout0 l{quovil::ResolutionTable[std::size_t(res)].width, 0, Scene(quovil::ResolutionTable[std::size_t(res)].width, 256)};
  l.stride = int(quovil::RoundToSector(l.width * 256));
  // A wrapped main ring is full; one that has not wrapped still has free slots.
  const int ring = o.mainWrapped ? records : records + 16;
  const int mainFirst = o.mainWrapped ? records / 3 : 0;
  const int total = ring + archive;

  img.Reserve(kDataFirstSector * 512 + uint64_t(total) * l.stride);
  WriteBootSector(img, 0, 0, o.badBootChecksum);
  img.Fill(kIndexTable, 131072, 0xFF);
  img.Fill(kCatalogue, 65536 * 8, 0xFF);
  truth.frames.assign(std::size_t(total), Frame{});
  for (auto& f : truth.frames) f.written = false, f.flag = 0xFF;
  truth.slotToIndex.resize(std::size_t(total));
  std::iota(truth.slotToIndex.begin(), truth.slotToIndex.begin() + ring, uint16_t(0));

  const auto shots = PlanShots(o, records, o.start, false);
  for (int k = 0; k < records; ++k) {
    const int slot = (mainFirst + k) % std::max(1, ring);
    WriteRecord0(img, truth, l, shots[std::size_t(k)], slot);
    truth.frames[std::size_t(slot)].written = true;
    truth.order.push_back(slot);
  }

  WriteArchiveArea(o, img, truth, l, ring, archive);
  uint8_t* table = img.At(kIndexTable, 131072);
  for (int s = 0; s < total; ++s) quovil::PutU16(table + 2 * s, truth.slotToIndex[std::size_t(s)]);

  WriteState0(o, img, quovil::WordChecksum(table, total), mainFirst, records, ring, archive, res);

  truth.width = l.width;
  truth.height = 256;
  truth.frameStride = l.stride;
  truth.sampleRate = 11025;
  truth.edgeTrim = quovil::ResolutionTable[std::size_t(res)].edgeTrim;
  truth.entryCount = records;
  truth.dataFirstSector = kDataFirstSector;
  truth.totalSlots = total;
  truth.recordCount = records;
  truth.mainFirstSlot = mainFirst;
  truth.archiveFirstSlot = ring;
  // The catalogue area always lies whole on the card, even on an empty one.
  img.At(kDataFirstSector * 512, 0);
}

}  // namespace mkcard::detail
