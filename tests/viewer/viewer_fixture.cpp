#include "viewer_fixture.h"

namespace viewer_test {

using namespace quovil;

namespace {

void Open(Viewer& v, int format, bool card) {
  v.src.SourceIsCard = card;
  v.src.CardOpen = card;
  v.src.ArchiveOpen = !card;
  v.src.CardFormat = format;
  v.CameraBitmap[0].Resize(16, 8);
  v.CameraBitmap[1].Resize(16, 8);
}

LongEntry Long(const Rec& r) {
  LongEntry e;
  e.b[4] = uint8_t(r.kind | r.cam);
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
  Open(v, 2, true);
  for (const Rec& r : recs) v.src.LongCatalogue.push_back(Long(r));
  v.src.EntryCount = int32_t(recs.size());
}

void ViewerTest::Archive(int format, const std::vector<Rec>& recs) {
  Open(v, format, false);
  for (const Rec& r : recs) v.src.LongCatalogue.push_back(Long(r));
  v.src.EntryCount = int32_t(recs.size());
  v.src.Archive.EntryCount = uint32_t(recs.size());
}

void ViewerTest::Format1(const std::vector<Rec>& slots, uint32_t recordCount, uint32_t writeSlot) {
  Open(v, 1, true);
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
  Open(v, 0, true);
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
