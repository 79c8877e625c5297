#include "card/archive_file.h"

#include <algorithm>
#include <cstring>

namespace quovil {

namespace {

constexpr std::size_t kMaxHeaderBytes = 1024;
constexpr int64_t kMinFileBytes = 9;

bool SectorsOf(int64_t bytes, uint8_t& out) {
  const int64_t s = (bytes + kSectorSize - 1) / kSectorSize;
  if (bytes < 0 || s > 255) return false;
  out = uint8_t(s);
  return true;
}

void FillVersion2(const uint8_t* h, ArchiveHeader& a, uint32_t& recordBytes) {
  a.HeaderLength = kArchiveHeaderBytes;
  a.Version = 2;
  a.DataOffset = GetU32(h + 8);
  a.CardFormat = h[12];
  recordBytes = GetU32(h + 13);
  a.SoundBytes = GetU32(h + 17);
  a.Width = GetU32(h + 21);
  a.Height = GetU32(h + 25);
  a.EntryCount = GetU32(h + 29);
  a.SampleRate = GetU32(h + 33);
}

void FillVersion3(const uint8_t* h, ArchiveHeader& a) {
  a.HeaderLength = GetU16(h);
  a.Version = h[2];
  a.DataOffset = GetU32(h + 11);
  a.CardFormat = GetU32(h + 15);
  a.SoundBytes = GetU32(h + 19);
  a.SampleRate = GetU32(h + 23);
  a.Width = GetU32(h + 27);
  a.Height = GetU32(h + 31);
  a.EntryCount = GetU32(h + 35);
}

// The catalogue must lie between the header and the data, and the data must
// start inside the file: an absurd count is refused before any allocation.
bool CatalogueFits(const ArchiveHeader& a, uint64_t headerBytes, uint64_t entryBytes, uint64_t size) {
  const uint64_t catalogueEnd = headerBytes + entryBytes * a.EntryCount;
  return a.EntryCount <= kMaxCatalogueEntries && catalogueEnd <= a.DataOffset && a.DataOffset <= size;
}

bool ReadVersion2(BlockDevice& file, const uint8_t* h, uint64_t size, ArchiveHeader& a,
                  std::vector<LongEntry>& entries) {
  uint32_t recordBytes = 0;
  FillVersion2(h, a, recordBytes);
  if (!CatalogueFits(a, kArchiveHeaderV2Bytes, 8, size)) return false;
  uint8_t pictureSectors = 0, soundSectors = 0;
  if (!SectorsOf(int64_t(a.Width) * a.Height, pictureSectors) || !SectorsOf(a.SoundBytes, soundSectors)) return false;
  std::vector<uint8_t> records(size_t(a.EntryCount) * 8);
  if (!records.empty() && !file.Read(kArchiveHeaderV2Bytes, records.data(), records.size())) return false;
  entries.resize(a.EntryCount);
  for (uint32_t k = 0; k < a.EntryCount; ++k)
    entries[k] = EntryFromVersion2(&records[size_t(k) * 8], k, recordBytes, a.Width, a.Height, a.SoundBytes);
  return true;
}

bool ReadVersion3(BlockDevice& file, const uint8_t* h, uint64_t size, ArchiveHeader& a,
                  std::vector<LongEntry>& entries) {
  FillVersion3(h, a);
  if (!CatalogueFits(a, kArchiveHeaderBytes, kArchiveEntryBytes, size)) return false;
  entries.resize(a.EntryCount);
  if (entries.empty()) return true;
  static_assert(sizeof(LongEntry) == kArchiveEntryBytes);
  return file.Read(kArchiveHeaderBytes, entries.data(), entries.size() * kArchiveEntryBytes);
}

}  // namespace

std::array<uint8_t, kArchiveHeaderBytes> MakeArchiveHeader(uint32_t cardFormat, uint32_t soundBytes,
                                                           uint32_t sampleRate, uint32_t width, uint32_t height,
                                                           uint32_t n) {
  std::array<uint8_t, kArchiveHeaderBytes> h{};
  PutU16(&h[0], kArchiveHeaderBytes);
  h[2] = 3;
  std::memcpy(&h[3], "KORAX-X ", 8);
  PutU32(&h[11], uint32_t(kArchiveHeaderBytes + uint64_t(kArchiveEntryBytes) * n));
  PutU32(&h[15], cardFormat);
  PutU32(&h[19], soundBytes);
  PutU32(&h[23], sampleRate);
  PutU32(&h[27], width);
  PutU32(&h[31], height);
  PutU32(&h[35], n);
  SealRecord(h.data(), h.size());
  return h;
}

bool ReadArchive(BlockDevice& file, ArchiveHeader& header, std::vector<LongEntry>& entries) {
  entries.clear();
  const int64_t size = file.Length();
  if (size < kMinFileBytes) return false;
  std::array<uint8_t, kMaxHeaderBytes> h{};
  const size_t have = size_t(std::min<int64_t>(size, int64_t(kMaxHeaderBytes)));
  if (!file.Read(0, h.data(), have)) return false;
  const uint16_t length = GetU16(h.data());
  if (length > have || ByteChecksum(h.data(), length) != 0 || std::memcmp(&h[3], "KORAX", 5) != 0) return false;
  ArchiveHeader a;
  bool ok = false;
  if (h[2] == 2 && length == kArchiveHeaderV2Bytes) {
    ok = ReadVersion2(file, h.data(), uint64_t(size), a, entries);
  } else if (h[2] == 3 && length == kArchiveHeaderBytes) {
    ok = ReadVersion3(file, h.data(), uint64_t(size), a, entries);
  }
  if (!ok) {
    entries.clear();
    return false;
  }
  header = a;
  return true;
}

LongEntry EntryFromVersion2(const uint8_t* record, uint32_t k, uint32_t recordBytes, uint32_t width,
                            uint32_t height, uint32_t soundBytes) {
  LongEntry e;
  e.SetFirstSector(k * (recordBytes / kSectorSize));
  // Bit 1 marks a manual record in a short entry; left in place it would
  // read as camera 2 or 3 of a long entry, which no picture belongs to.
  e.b[4] = uint8_t(record[0] & ~kFlagManual);
  e.b[5] = 20;
  // Rounded up: the record holds the whole picture, and a re-save copies
  // exactly the sectors named here.
  e.b[6] = uint8_t(std::min<uint64_t>(255, (uint64_t(width) * height + kSectorSize - 1) / kSectorSize));
  e.b[7] = uint8_t(std::min<uint32_t>(255, soundBytes / kSectorSize));
  e.b[8] = 0;
  e.b[9] = 0;
  std::memcpy(&e.b[10], record + 1, 6);
  return e;
}

bool ArchivableRecords(const Source& src) {
  if (!src.ShortEntries()) return true;
  uint8_t sectors = 0;
  return SectorsOf(int64_t(src.PictureWidth) * src.PictureHeight, sectors) && SectorsOf(src.SoundBytes, sectors);
}

bool MakeSavedEntry(const Source& src, int32_t i, LongEntry& out, uint64_t& position) {
  if (!src.ValidIndex(i)) return false;
  if (!src.ShortEntries()) {
    out = src.LongCatalogue[size_t(i)];
    position = src.LongBase() + uint64_t(out.FirstSector()) * kSectorSize;
    return true;
  }
  const ShortEntry& s = src.ShortCatalogue[size_t(i)];
  out = LongEntry{};
  if (!SectorsOf(int64_t(src.PictureWidth) * src.PictureHeight, out.b[6]) || !SectorsOf(src.SoundBytes, out.b[7]))
    return false;
  out.b[4] = uint8_t(s.Flag() & ~kFlagManual);
  std::memcpy(&out.b[10], s.TimeBytes(), 6);
  position = uint64_t(src.DataFirstSector) * kSectorSize + uint64_t(uint32_t(i)) * uint64_t(uint32_t(src.FrameStride));
  return true;
}

}  // namespace quovil
