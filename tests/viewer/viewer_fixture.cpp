#include "viewer_fixture.h"

#include <algorithm>

namespace viewer_test {

using namespace quovil;

namespace {

// Every record is one sector holding a whole picture of kPictureWidth x
// kPictureHeight pixels of PixelOf(its catalogue index): sector i for index i,
// sound and frame information empty.
void Open(Viewer& v, int format, bool card, size_t records) {
  v.src.Card.reset();
  v.src.ArchiveStream.reset();
  v.src.ShortCatalogue.clear();
  v.src.LongCatalogue.clear();
  v.src.IndexTable.clear();
  v.src.SourceIsCard = card;
  v.src.CardOpen = card;
  v.src.ArchiveOpen = !card;
  v.src.CardFormat = format;
  v.src.PictureWidth = kPictureWidth;
  v.src.PictureHeight = kPictureHeight;
  v.src.PictureBytes = kPictureWidth * kPictureHeight;
  v.src.FrameStride = kSectorSize;
  v.src.DataFirstSector = 0;
  v.src.DataBaseSector = 0;
  std::vector<uint8_t> bytes(records * kSectorSize);
  for (size_t i = 0; i < records; ++i)
    std::fill_n(bytes.begin() + std::ptrdiff_t(i * kSectorSize), kSectorSize, PixelOf(int(i)));
  (card ? v.src.Card : v.src.ArchiveStream) = MemoryDevice(std::move(bytes));
  ResetFrameCache(v.cache);
  v.CameraBitmap[0].Resize(kPictureWidth, kPictureHeight);
  v.CameraBitmap[1].Resize(kPictureWidth, kPictureHeight);
}

LongEntry Long(const Rec& r, size_t i) {
  LongEntry e;
  e.SetFirstSector(uint32_t(i));
  e.b[4] = uint8_t(r.kind | r.cam);
  e.b[6] = 1;  // one sector of picture, a key frame
  r.t.To(&e.b[10]);
  return e;
}

ShortEntry Short(const Rec& r) {
  ShortEntry e;
  e.b[0] = uint8_t(r.kind | r.cam);
  r.t.To(&e.b[1]);
  return e;
}

}  // namespace

void ViewerTest::Format2(const std::vector<Rec>& recs) {
  Open(v, 2, true, recs.size());
  for (size_t i = 0; i < recs.size(); ++i) v.src.LongCatalogue.push_back(Long(recs[i], i));
  v.src.EntryCount = int32_t(recs.size());
}

void ViewerTest::Archive(int format, const std::vector<Rec>& recs) {
  Open(v, format, false, recs.size());
  for (size_t i = 0; i < recs.size(); ++i) v.src.LongCatalogue.push_back(Long(recs[i], i));
  v.src.EntryCount = int32_t(recs.size());
  v.src.Archive.EntryCount = uint32_t(recs.size());
}

void ViewerTest::Format1(const std::vector<Rec>& slots, uint32_t recordCount, uint32_t writeSlot) {
  Open(v, 1, true, slots.size());
  v.src.ShortCatalogue.resize(size_t(AlignUp(int64_t(slots.size()), 64)));
  for (size_t s = 0; s < slots.size(); ++s) v.src.ShortCatalogue[s] = Short(slots[s]);
  uint8_t* st = v.src.StateTable.data();
  PutU32(st + 6, uint32_t(slots.size()));
  PutU32(st + 10, recordCount);
  PutU32(st + 14, writeSlot);
  v.src.EntryCount = int32_t(slots.size());
}

void ViewerTest::Format0(const std::vector<Rec>& entries, const std::vector<uint16_t>& slotToIndex,
                         uint16_t mainFirst, uint16_t mainCount, uint16_t archiveFirst, uint16_t archiveCount,
                         uint16_t totalSlots) {
  Open(v, 0, true, entries.size());
  v.src.ShortCatalogue.resize(65536);
  for (size_t i = 0; i < entries.size(); ++i) v.src.ShortCatalogue[i] = Short(entries[i]);
  v.src.IndexTable.resize(65536);
  for (size_t s = 0; s < v.src.IndexTable.size(); ++s)
    v.src.IndexTable[s] = s < slotToIndex.size() ? slotToIndex[s] : uint16_t(s);
  uint8_t* st = v.src.StateTable.data();
  PutU16(st + 0, mainFirst);
  PutU16(st + 4, mainCount);
  PutU16(st + 6, archiveFirst);
  PutU16(st + 8, archiveCount);
  PutU16(st + 10, totalSlots);
  v.src.EntryCount = mainCount;
}

void ViewerTest::KindsOff() {
  v.actions.Hand = v.actions.External = v.actions.Motion = v.actions.Timer = v.actions.Sound = false;
  v.actions.Taget = false;
}

std::vector<int> ViewerTest::Indices() const {
  std::vector<int> out;
  for (int32_t p = 0; p < v.SelCount; ++p) out.push_back(v.IndexAtPos(p));
  return out;
}

}  // namespace viewer_test
