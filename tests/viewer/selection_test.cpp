// The selection: which records pass the kind filter, in which order, and the
// searches over it.
#include "viewer_fixture.h"
#include "support/viewer_probe.h"

using quovil::test::ViewerProbe;

namespace viewer_test {
namespace {

using namespace quovil;
using ::testing::ElementsAre;

class SelectionTest : public ViewerTest {};

TEST_F(SelectionTest, NoKindFilterTakesEveryRecordInCatalogueOrder) {
  Format2({{0, 0x04}, {1, 0x08}, {0, 0x00}, {1, 0x20}});
  KindsOff();
  v.RebuildSelection();
  EXPECT_TRUE(v.selection().Unfiltered());
  EXPECT_THAT(Indices(), ElementsAre(0, 1, 2, 3));
  EXPECT_EQ(v.selection().Pos(), 0);
}

TEST_F(SelectionTest, EmptyCardTextsDependOnTheFilter) {
  Format2({});
  ViewerProbe::Sel(v).MoveTo(v.selection().Pos(), 7);
  v.RebuildSelection();
  EXPECT_EQ(v.noSourceText(), "Нет данных, соответствующих заданному фильтру!");
  EXPECT_EQ(v.selection().Index(), 7);  // kept for the next rebuild
  EXPECT_EQ(v.statusPanels()[4], " Фрагмент: не задан");
  KindsOff();
  v.RebuildSelection();
  EXPECT_EQ(v.noSourceText(), "Карта памяти пуста!");
  EXPECT_TRUE(host.repainted & kRepaintImage);
}

TEST_F(SelectionTest, RebuildStopsPlaybackAndStartsTheDisplayAfresh) {
  Format2({{0, 0x04}});
  ViewerProbe::Play(v).PlayTimerEnabled = true;
  ViewerProbe::Disp(v).NextSoundPos = {3, 4};
  v.RebuildSelection();
  EXPECT_FALSE(v.play().PlayTimerEnabled);
  EXPECT_TRUE(v.actions().SoundVisible);
  EXPECT_EQ(v.disp().NextSoundPos[1], -1);
}

TEST_F(SelectionTest, Format2RecordWithoutKindBitsIsManual) {
  Format2({{0, 0x00}, {0, 0x04}, {1, 0x40}, {1, 0x80}, {0, 0x88}, {1, 0x20}});
  KindsOff();
  ViewerProbe::Actions(v).Hand = true;
  v.RebuildSelection();
  EXPECT_FALSE(v.selection().Unfiltered());
  EXPECT_THAT(Indices(), ElementsAre(0, 2, 3));
  ViewerProbe::Actions(v).Hand = false;
  ViewerProbe::Actions(v).Sound = true;
  v.RebuildSelection();
  EXPECT_THAT(Indices(), ElementsAre(5));
}

TEST_F(SelectionTest, EntriesOfNoCameraAreNeverSelected) {
  Format2({{0, 0x04}, {2, 0x04}, {3, 0x00}, {1, 0x04}});
  v.RebuildSelection();
  EXPECT_THAT(Indices(), ElementsAre(0, 3));
  KindsOff();
  v.RebuildSelection();
  EXPECT_THAT(Indices(), ElementsAre(0, 3));
  EXPECT_EQ(v.PosOfIndex(3), 1);
}

// Format 0: the hidden sound filter's bit is the marked-record bit.
TEST_F(SelectionTest, Format0MarkedRecordsFollowTheHiddenSoundFilter) {
  std::vector<Rec> e = {{0, 0x02}, {0, 0x22}, {1, 0x04}, {1, 0x30}, {0, 0x08}};
  Format0(e, {}, 0, 5, 5, 0, 5);
  KindsOff();
  ViewerProbe::Actions(v).Sound = true;
  v.RebuildSelection();
  EXPECT_THAT(Indices(), ElementsAre(1, 3));
  EXPECT_FALSE(v.actions().SoundVisible);
  ViewerProbe::Actions(v).Taget = true;
  v.RebuildSelection();
  EXPECT_THAT(Indices(), ElementsAre(1, 3));
  ViewerProbe::Actions(v).Sound = false;
  v.RebuildSelection();
  EXPECT_THAT(Indices(), ElementsAre(1, 3));
  ViewerProbe::Actions(v).Taget = false;
  v.RebuildSelection();
  EXPECT_TRUE(v.selection().Unfiltered());
  EXPECT_EQ(v.selection().Count(), 5);
}

TEST_F(SelectionTest, MarkedFilterCountsOnlyOnFormat0) {
  Format1({{0, 0x02}, {0, 0x22}}, 2, 2);
  KindsOff();
  ViewerProbe::Actions(v).Taget = true;
  EXPECT_EQ(v.KindMask(), 0);
  Format0({}, {}, 0, 0, 0, 0, 0);
  EXPECT_EQ(v.KindMask(), 0x20);
}

TEST_F(SelectionTest, Format0AreasWalkTheIndexTableAndWrap) {
  std::vector<Rec> e(10, Rec{0, 0x02});
  // Main area: slots 0..5, oldest at slot 4; archive area: slots 6..9.
  std::vector<uint16_t> table = {0, 1, 2, 3, 4, 5, 9, 7, 8, 6};
  Format0(e, table, 4, 4, 6, 4, 10);
  v.RebuildSelection();
  EXPECT_THAT(Indices(), ElementsAre(4, 5, 0, 1));
  // Unfiltered shows the same records in the same recording order.
  KindsOff();
  v.RebuildSelection();
  EXPECT_FALSE(v.selection().Unfiltered());
  EXPECT_THAT(Indices(), ElementsAre(4, 5, 0, 1));
  v.ActionFiltrChange(Viewer::Filter::Arhiv);
  EXPECT_TRUE(v.actions().Arhiv);
  EXPECT_FALSE(v.actions().Foto);
  EXPECT_THAT(Indices(), ElementsAre(9, 7, 8, 6));
}

TEST_F(SelectionTest, WrappedFormat1RingRunsPastTheEndBackToSlotZero) {
  std::vector<Rec> slots;
  for (int s = 0; s < 8; ++s) slots.push_back({s % 2, uint8_t(s == 6 ? 0x10 : 0x02)});
  Format1(slots, 5, 2);  // records in slots 5, 6, 7, 0, 1
  v.RebuildSelection();
  EXPECT_THAT(Indices(), ElementsAre(5, 6, 7, 0, 1));
  KindsOff();
  ViewerProbe::Actions(v).Timer = true;
  v.RebuildSelection();
  EXPECT_THAT(Indices(), ElementsAre(6));
  KindsOff();
  v.RebuildSelection();
  EXPECT_THAT(Indices(), ElementsAre(5, 6, 7, 0, 1));
}

// A state table that claims more records or slots than the card has is
// refused when the card is opened, so nothing of it is ever selected. (How
// the walk keeps inside the catalogue on such a table: source_format_test.)
TEST_F(SelectionTest, DamagedStateTablesStayInsideTheCatalogue) {
  std::vector<Rec> slots(4, Rec{0, 0x02});
  EXPECT_FALSE(InsertCard(Format1Card(slots, 4000000, 900000)));
  EXPECT_EQ(v.noSourceText(), "Испорчен заголовок карты памяти!");
  v.RebuildSelection();
  EXPECT_EQ(v.selection().Count(), 0);
  EXPECT_FALSE(InsertCard(Format0Card({}, {}, 65000, 60000, 10, 65535, 3)));
  EXPECT_EQ(v.noSourceText(), "Испорчен заголовок карты памяти!");
  v.RebuildSelection();
  EXPECT_EQ(v.selection().Count(), 0);
}

TEST_F(SelectionTest, ListGrowsPastThirtyTwoRecords) {
  std::vector<Rec> recs;
  for (int i = 0; i < 100; ++i) recs.push_back({i % 2, uint8_t(i % 3 ? 0x04 : 0x08)});
  Format2(recs);
  KindsOff();
  ViewerProbe::Actions(v).External = true;
  v.RebuildSelection();
  ASSERT_EQ(v.selection().Count(), 66);
  EXPECT_EQ(v.IndexAtPos(0), 1);
  EXPECT_EQ(v.IndexAtPos(65), 98);
}

TEST_F(SelectionTest, SameRecordStaysShownAfterAFilterChange) {
  Format2({{0, 0x04}, {1, 0x08}, {0, 0x08}, {1, 0x04}});
  v.RebuildSelection();
  v.ShowPosition(3);
  v.ActionFiltrChange(Viewer::Filter::Motion);  // motion off
  EXPECT_THAT(Indices(), ElementsAre(0, 3));
  EXPECT_EQ(v.selection().Index(), 3);
  EXPECT_EQ(v.selection().Pos(), 1);
  EXPECT_FALSE(v.actions().Refresh);
  v.ActionFiltrChange(Viewer::Filter::External);  // nothing left but manual and sound
  EXPECT_EQ(v.selection().Count(), 0);
  v.ActionViewAllExecute();
  EXPECT_EQ(v.selection().Index(), 3);
  EXPECT_EQ(v.selection().Pos(), 3);
}

TEST_F(SelectionTest, RecordNoLongerSelectedGivesPositionZero) {
  Format2({{0, 0x04}, {1, 0x08}, {0, 0x08}});
  v.RebuildSelection();
  v.ShowPosition(0);
  v.ActionFiltrChange(Viewer::Filter::External);
  EXPECT_EQ(v.selection().Pos(), 0);
  EXPECT_EQ(v.selection().Index(), 1);
}

TEST_F(SelectionTest, ViewAllChecksEveryKindAndKeepsTheActiveCamera) {
  Format0({{0, 0x02}}, {}, 0, 1, 1, 0, 1);
  KindsOff();
  ViewerProbe::Actions(v).Taget = ViewerProbe::Actions(v).Arhiv = true;
  v.ActionChannel2Execute();
  v.ActionViewAllExecute();
  EXPECT_TRUE(v.actions().Hand && v.actions().External && v.actions().Motion && v.actions().Timer && v.actions().Sound);
  EXPECT_FALSE(v.actions().Taget || v.actions().Arhiv);
  EXPECT_EQ(v.selection().ActiveCamera(), 1);
  EXPECT_TRUE(v.actions().Channel2);
  EXPECT_FALSE(v.actions().Channel1);
}

TEST_F(SelectionTest, CameraActionsSwitchTheBarsWithoutRebuilding) {
  Format2({{0, 0x04}});
  v.RebuildSelection();
  ViewerProbe::Play(v).PlayTimerEnabled = true;
  host.repainted = 0;
  v.ActionChannel2Execute();
  EXPECT_EQ(v.selection().ActiveCamera(), 1);
  EXPECT_TRUE(v.actions().Channel2 && !v.actions().Channel1);
  EXPECT_TRUE(host.repainted & kRepaintBars);
  EXPECT_TRUE(v.play().PlayTimerEnabled);  // playback goes on
}

TEST_F(SelectionTest, SearchesStayInsideTheSelection) {
  Format2({{0, 0x04}, {1, 0x04}, {1, 0x04}, {0, 0x04}});
  KindsOff();
  v.RebuildSelection();
  EXPECT_EQ(v.NextPosOfCamera(0, 0), 3);
  EXPECT_EQ(v.NextPosOfCamera(3, 0), -1);
  EXPECT_EQ(v.NextPosOfCamera(-1, 1), 1);
  EXPECT_EQ(v.PrevPosOfCamera(3, 1), 2);
  EXPECT_EQ(v.PrevPosOfCamera(0, 0), -1);
  EXPECT_EQ(v.PosOfIndex(4), -1);
  EXPECT_EQ(v.PosOfIndex(-1), -1);
}

TEST_F(SelectionTest, ArchiveFilesUseTheirOwnFormatsKindRule) {
  Archive(0, {{0, 0x00}, {0, 0x20}, {1, 0x04}});
  KindsOff();
  ViewerProbe::Actions(v).Hand = true;
  v.RebuildSelection();
  // Saving clears the manual bit of a format 0 or 1 card's records, so there a
  // record with none of the trigger bits is a manual one.
  EXPECT_THAT(Indices(), ElementsAre(0, 1));
  EXPECT_FALSE(v.actions().SoundVisible);
  Archive(2, {{0, 0x00}, {0, 0x20}, {1, 0x04}});
  v.RebuildSelection();
  EXPECT_THAT(Indices(), ElementsAre(0));
}

}  // namespace
}  // namespace viewer_test
