// The selection's walk as the formats give it, kept inside the catalogue
// however damaged the held state table is: the opening refuses such tables,
// but the walk does not rely on it.
#include <gtest/gtest.h>

#include "card/source_format.h"
#include "card/state_tables.h"

namespace {

using namespace quovil;

TEST(SelectionRange, Format1CountsBeyondTheSlotsStayInsideTheRing) {
  Source src;
  src.CardFormat = 1;
  src.ShortCatalogue.resize(64);
  src.EntryCount = 4;
  uint8_t* t = src.StateTable.data();
  state1::SlotCount.Set(t, 4);
  state1::RecordCount.Set(t, 4000000);
  state1::WriteSlot.Set(t, 900000);
  const WalkRange r = FormatOf(src).SelectionRange(src, false);
  EXPECT_EQ(r.w, 4);
  EXPECT_EQ(r.n, 4);  // every slot once
  EXPECT_GE(r.start, 0);
  EXPECT_LT(r.start, 4);
}

TEST(SelectionRange, Format0WithoutAnIndexTableWalksNothing) {
  Source src;
  src.CardFormat = 0;
  src.ShortCatalogue.resize(size_t(kCatalogue0Entries));
  uint8_t* t = src.StateTable.data();
  state0::MainFirstSlot.Set(t, 65000);
  state0::MainCount.Set(t, 60000);
  state0::ArchiveFirstSlot.Set(t, 10);
  state0::ArchiveCount.Set(t, 65535);
  state0::TotalSlots.Set(t, 3);
  src.EntryCount = 60000;
  for (bool archiveArea : {false, true}) {
    const WalkRange r = FormatOf(src).SelectionRange(src, archiveArea);
    EXPECT_EQ(r.n, 0) << "archive area " << archiveArea;
  }
  // With the table, neither area's walk leaves the slots it may address.
  src.IndexTable.assign(size_t(kCatalogue0Entries), 0);
  const WalkRange main = FormatOf(src).SelectionRange(src, false);
  EXPECT_EQ(main.w, 10);
  EXPECT_LE(main.n, 10);
  EXPECT_LT(main.start, 10);
  const WalkRange archive = FormatOf(src).SelectionRange(src, true);
  EXPECT_EQ(archive.w, 3);
  EXPECT_LE(archive.n, 3);
  EXPECT_LT(archive.start, 3);
}

}  // namespace
