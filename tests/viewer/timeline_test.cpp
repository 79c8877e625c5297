// The time scale: minutes of the shown day, jumps and scrubbing, geometry;
// and the journal's jump by time.
#include "viewer/timeline.h"
#include "viewer_fixture.h"
#include "support/viewer_probe.h"

using quovil::test::ViewerProbe;

namespace viewer_test {
namespace {

using namespace quovil;

class TimelineTest : public ViewerTest {
 protected:
  // Moves the pointer to minute t of a box 1442 pixels wide (one pixel a
  // minute), over camera cam's strip.
  void Point(int t, int cam = 0) { v.UseBoxMouseMove(t + 1, cam ? 20 : 2, 1442, 25); }
  void ClickAt(int t, int cam = 0) {
    Point(t, cam);
    v.UseBoxClick();
  }
};

TEST_F(TimelineTest, RecordsOfCamera2Between1015And1020MarkSixColumns) {
  std::vector<Rec> recs;
  for (int m = 15; m <= 20; ++m) recs.push_back({1, 0x04, At(10, m, 30)});
  Format2(recs);
  v.RebuildSelection();
  int green[2] = {0, 0};
  for (int cam = 0; cam < 2; ++cam)
    for (int x = 0; x < 1440; ++x) green[cam] += StripColour(v.timeline(), cam, x) == kStripMarked;
  EXPECT_EQ(green[0], 0);
  EXPECT_EQ(green[1], 6);
  EXPECT_EQ(StripColour(v.timeline(), 1, 615), kStripMarked);
  EXPECT_EQ(StripColour(v.timeline(), 1, 621), kStripEmpty);
}

TEST_F(TimelineTest, DayMapHoldsTheFirstPositionOfEachMinute) {
  Format2({{0, 0x04, At(8, 0, 1)}, {0, 0x04, At(8, 0, 2)}, {1, 0x04, At(8, 0, 3)}, {0, 0x04, At(8, 0, 0, 16)},
           {0, 0x04, {15, 6, 24, 24, 0, 0}}});
  v.RebuildSelection();
  EXPECT_EQ(v.timeline().DayMap[0][480], 0);
  EXPECT_EQ(v.timeline().DayMap[1][480], 2);
  // Another day and an hour of 24 mark nothing.
  int marked = 0;
  for (int x = 0; x < 1440; ++x) marked += v.timeline().DayMap[0][size_t(x)] >= 0;
  EXPECT_EQ(marked, 1);
}

TEST_F(TimelineTest, ClickJumpsToTheNearestMarkedMinute) {
  Format2({{0, 0x04, At(0, 0, 0)}, {0, 0x04, At(10, 0, 0)}, {0, 0x04, At(10, 10, 0)}});
  v.RebuildSelection();
  ClickAt(900);
  EXPECT_EQ(v.selection().Pos(), 2);
  ClickAt(605);  // exactly between 10:00 and 10:10
  EXPECT_EQ(v.selection().Pos(), 1);
  ClickAt(606);
  EXPECT_EQ(v.selection().Pos(), 2);
  ClickAt(250);
  EXPECT_EQ(v.selection().Pos(), 0);  // the record at 00:00
  ClickAt(1440);            // the last pixel column
  EXPECT_EQ(v.selection().Pos(), 2);
  EXPECT_EQ(v.statusPanels()[3], "   24:00");
  ClickAt(5);
  EXPECT_EQ(v.selection().Pos(), 0);
}

TEST_F(TimelineTest, ClickLeftOfTheFirstMarkedMinuteFindsIt) {
  Format2({{0, 0x04, At(9, 0, 0)}, {0, 0x04, At(11, 0, 0)}});
  v.RebuildSelection();
  v.ShowPosition(1);
  ClickAt(3);
  EXPECT_EQ(v.selection().Pos(), 0);
}

TEST_F(TimelineTest, ClickOnCamera2sStripMakesItActiveAndShowsBoth) {
  Format2({{0, 0x04, At(9, 0, 0)}, {1, 0x04, At(9, 0, 10)}, {1, 0x04, At(12, 0, 0)}});
  v.RebuildSelection();
  ClickAt(545, 1);
  EXPECT_EQ(v.selection().ActiveCamera(), 1);
  EXPECT_EQ(v.disp().ShownPos[1], 1);
  EXPECT_EQ(v.disp().ShownPos[0], 0);
  EXPECT_EQ(v.selection().Pos(), 0);  // the other camera's record comes last
  // One window: the strip chosen does not switch the camera.
  ViewerProbe::Disp(v).ViewLayout = 5;
  ClickAt(545, 0);
  EXPECT_EQ(v.selection().ActiveCamera(), 1);
  EXPECT_EQ(v.selection().Pos(), 1);
}

TEST_F(TimelineTest, DraggingScrubsWithTheCameraOfThePress) {
  Format2({{1, 0x04, At(1, 0, 0)}, {0, 0x04, At(2, 0, 0)}, {1, 0x04, At(3, 0, 0)}});
  v.RebuildSelection();
  Point(60, 1);
  v.UseBoxMouseDown();
  Point(170, 0);  // over camera 1's strip, still camera 2's search
  EXPECT_EQ(v.timeline().ClickCamera, 1);
  EXPECT_EQ(v.selection().Pos(), 2);
  Point(10, 0);
  EXPECT_EQ(v.selection().Pos(), 0);
  v.UseBoxMouseUp();
  Point(120, 0);
  EXPECT_EQ(v.timeline().ClickCamera, 0);
  EXPECT_EQ(v.selection().Pos(), 0);
}

TEST_F(TimelineTest, PointerOutsideOrInATinyBoxChangesNothing) {
  Format2({{0, 0x04, At(1, 0, 0)}});
  v.RebuildSelection();
  ViewerProbe::Timeline(v).Tag = 77;
  v.UseBoxMouseMove(0, 2, 1442, 25);
  v.UseBoxMouseMove(1442, 2, 1442, 25);
  v.UseBoxMouseMove(1, 2, 2, 25);
  v.UseBoxMouseMove(1, 2, 1, 25);
  EXPECT_EQ(v.timeline().Tag, 77);
  v.UseBoxMouseMove(1, 2, 3, 25);
  EXPECT_EQ(v.timeline().Tag, 0);
  EXPECT_EQ(v.statusPanels()[3], "   00:00");
}

TEST_F(TimelineTest, DoubleClickStartsPlaybackOnce) {
  Format2({{0, 0x04, At(1, 0, 0)}});
  v.RebuildSelection();
  ViewerProbe::Play(v).PlaySpeed = 4;
  v.UseBoxDblClick();
  EXPECT_TRUE(v.play().PlayTimerEnabled);
  ViewerProbe::Play(v).PlaySpeed = -2;
  v.UseBoxDblClick();  // already playing: nothing changes
  EXPECT_EQ(v.play().PlaySpeed, -2);
}

TEST_F(TimelineTest, MarkerGeometry) {
  EXPECT_EQ(HourLineX(98), (std::array<int, 3>{25, 49, 73}));
  EXPECT_EQ(MinuteMark(1442, 25, 720), (BoxRect{720, 2, 723, 23}));
  StripPlacement two = PlaceStrips(false, 100, 25);
  EXPECT_EQ(two.strip[0], (BoxRect{2, 2, 99, 11}));
  EXPECT_EQ(two.strip[1], (BoxRect{2, 14, 99, 23}));
  EXPECT_EQ(two.lineY, 12);
  StripPlacement one = PlaceStrips(true, 100, 25);
  EXPECT_EQ(one.strip[0], (BoxRect{2, 2, 99, 23}));
}

TEST_F(TimelineTest, JournalJumpFindsTheFirstRecordFromThatMinute) {
  Format2({{0, 0x04, At(9, 59, 59)}, {1, 0x04, At(10, 5, 40)}, {0, 0x04, At(10, 6, 0)}, {0, 0x04, At(9, 0, 0, 16)}});
  v.RebuildSelection();
  v.GoToJournalTime(15, 6, 24, 10, 5);
  EXPECT_EQ(v.selection().Pos(), 1);
  v.GoToJournalTime(15, 6, 24, 9, 59);
  EXPECT_EQ(v.selection().Pos(), 0);  // seconds do not count
  ViewerProbe::Disp(v).ViewLayout = 1;
  v.GoToJournalTime(15, 6, 24, 10, 1);
  EXPECT_EQ(v.selection().Pos(), 2);
  v.GoToJournalTime(20, 6, 24, 0, 0);
  EXPECT_EQ(v.selection().Pos(), 2);  // later than every record
  v.GoToJournalTime(1, 1, 25, 0, 0);
  EXPECT_EQ(v.selection().Pos(), 2);
  v.GoToJournalTime(31, 12, 23, 0, 0);
  EXPECT_EQ(v.selection().Pos(), 0);
}

}  // namespace
}  // namespace viewer_test
