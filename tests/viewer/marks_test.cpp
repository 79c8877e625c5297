// Fragment marks, jumps by time stamp text and the date dialog.
#include "viewer/marks.h"
#include "viewer_fixture.h"
#include "support/viewer_probe.h"

using quovil::test::ViewerProbe;

namespace viewer_test {
namespace {

using namespace quovil;
using ::testing::ElementsAre;

class MarksTest : public ViewerTest {
 protected:
  // Camera 1 at 10:00:00 and 10:00:02, camera 2 at 10:00:00, 10:00:01 (twice)
  // and 10:00:02.
  void Card() {
    Format2({{0, 0x04, At(10, 0, 0)},
             {1, 0x08, At(10, 0, 0)},
             {1, 0x08, At(10, 0, 1)},
             {1, 0x08, At(10, 0, 1)},
             {0, 0x04, At(10, 0, 2)},
             {1, 0x08, At(10, 0, 2)}});
    v.RebuildSelection();
  }
};

TEST_F(MarksTest, TimeTextResolvesToTheFirstMatchingPosition) {
  Card();
  EXPECT_EQ(v.PosOfTimeText("15.06.2024 10:00:01", -1), 2);
  EXPECT_EQ(v.PosOfTimeText("15.06.2024 10:00:02", 1), 5);
  EXPECT_EQ(v.PosOfTimeText("15.06.2024 10:00:01", 0), -1);
  EXPECT_EQ(v.PosOfTimeText("15.06.2024 10:00:0", -1), -1);
  EXPECT_EQ(v.PosOfTimeText("15.06.2024 10:x0:01", -1), -1);
  EXPECT_EQ(v.PosOfTimeText("", -1), -1);
}

TEST_F(MarksTest, SelectAllMarksTheFirstAndLastRecords) {
  Card();
  v.ActionSelectAllExecute();
  EXPECT_EQ(v.fragStart(), "15.06.2024 10:00:00");
  EXPECT_EQ(v.fragEnd(), "15.06.2024 10:00:02");
  EXPECT_EQ(v.statusPanels()[4], " Фрагмент: 15.06.2024 10:00:00 - 15.06.2024 10:00:02");
}

TEST_F(MarksTest, WholeSelectionKeepsTheLastSecondsLaterRecords) {
  Card();
  v.ActionSelectAllExecute();
  int32_t first = -1, last = -1;
  ASSERT_TRUE(v.FragmentRange(-1, first, last));
  EXPECT_EQ(first, 0);
  EXPECT_EQ(last, 5);
  ASSERT_TRUE(v.FragmentRange(0, first, last));
  EXPECT_EQ(first, 0);
  EXPECT_EQ(last, 4);
  // Marks set in reverse order give the same ordered range.
  std::swap(ViewerProbe::FragStart(v), ViewerProbe::FragEnd(v));
  ASSERT_TRUE(v.FragmentRange(-1, first, last));
  EXPECT_EQ(first, 0);
  EXPECT_EQ(last, 5);
  ViewerProbe::FragEnd(v) = "15.06.2024 10:00:01";
  ViewerProbe::FragStart(v) = "15.06.2024 10:00:01";
  ASSERT_TRUE(v.FragmentRange(1, first, last));
  EXPECT_EQ(first, 2);
  EXPECT_EQ(last, 3);
  ViewerProbe::FragEnd(v) = "16.06.2024 10:00:01";
  EXPECT_FALSE(v.FragmentRange(-1, first, last));
}

TEST_F(MarksTest, StartMarkFromCamera2BlanksCamera1WhenItHasNoRecord) {
  Card();
  v.ShowPosition(2);
  v.ActionChannel2Execute();
  v.ActionSelectStartExecute();
  EXPECT_EQ(v.fragStart(), "15.06.2024 10:00:01");
  v.ShowPosition(4);
  v.MoveToStart();
  EXPECT_EQ(v.selection().Pos(), 2);  // two records in that second: the earlier one
  EXPECT_EQ(v.disp().CameraTimeText[0], "");
  EXPECT_EQ(v.bitmaps()[0].pixels[0], kBlankPictureGrey);
  ViewerProbe::Disp(v).ViewLayout = 5;
  v.MoveToStart();
  EXPECT_EQ(v.disp().CameraTimeText[0], "15.06.2024 10:00:01");
}

TEST_F(MarksTest, GoingToAMarkShowsTheOtherCameraFirst) {
  Card();
  ViewerProbe::FragEnd(v) = "15.06.2024 10:00:02";
  ViewerProbe::Info(v).GpsSpeedText = "40";
  v.MoveToEnd();
  EXPECT_EQ(Shown(0), PixelOf(4));
  EXPECT_EQ(Shown(1), PixelOf(5));
  EXPECT_EQ(v.selection().Pos(), 4);  // the active camera comes last
  EXPECT_EQ(v.info().GpsSpeedText, "");
}

TEST_F(MarksTest, EmptyMarkBlanksBothPictures) {
  Card();
  v.MoveToStart();
  EXPECT_EQ(v.disp().CameraTimeText[0], "");
  EXPECT_EQ(v.disp().CameraTimeText[1], "");
  EXPECT_EQ(v.bitmaps()[1].pixels[0], kBlankPictureGrey);
}

TEST_F(MarksTest, MarksSurviveAFilterChange) {
  Card();
  v.ActionSelectAllExecute();
  v.ActionFiltrChange(Viewer::Filter::External);  // camera 1's records go
  EXPECT_EQ(v.fragStart(), "15.06.2024 10:00:00");
  EXPECT_EQ(v.PosOfTimeText(v.fragStart(), -1), 0);
  EXPECT_EQ(v.IndexAtPos(0), 1);
}

TEST_F(MarksTest, MarkCommandsNeedASelection) {
  Format2({});
  v.RebuildSelection();
  v.ActionSelectAllExecute();
  v.ActionSelectStartExecute();
  EXPECT_EQ(v.fragStart(), "");
  EXPECT_EQ(v.fragEnd(), "");
}

TEST_F(MarksTest, DateDialogMarksOnlyPossibleDays) {
  quovil::TimeStamp badMonth{5, 13, 24, 1, 0, 0}, dayZero{0, 6, 24, 1, 0, 0}, late{5, 6, 120, 1, 0, 0};
  Format2({{0, 0x04, At(1, 0, 0, 2)},
           {0, 0x04, At(2, 0, 0, 2)},
           {1, 0x04, badMonth},
           {1, 0x04, dayZero},
           {1, 0x04, late},
           {1, 0x04, At(1, 0, 0, 30)},
           {0, 0x04, At(1, 0, 0, 2)}});
  v.RebuildSelection();
  ViewerProbe::Play(v).PlayTimerEnabled = true;
  auto d = DatePanelClick(v);
  ASSERT_TRUE(d);
  EXPECT_FALSE(v.play().PlayTimerEnabled);
  EXPECT_EQ(d->earliest, (CalendarDate{2, 6, 2024}));
  EXPECT_EQ(d->latest, (CalendarDate{2, 6, 2024}));
  EXPECT_EQ(d->shown, "02.06.2024");
  EXPECT_THAT(d->BoldDayStrings(), ElementsAre("202406=2,30"));
}

TEST_F(MarksTest, ChosenDayShowsItsFirstRecordOfTheWindowsCamera) {
  Format2({{0, 0x04, At(1, 0, 0, 2)}, {1, 0x04, At(1, 0, 0, 3)}, {0, 0x04, At(2, 0, 0, 3)}});
  v.RebuildSelection();
  EXPECT_TRUE(CalendarSelect(v, 3, 6, 2024));
  EXPECT_EQ(v.selection().Pos(), 1);
  v.ShowPosition(0);
  ViewerProbe::Disp(v).ViewLayout = 1;
  EXPECT_TRUE(CalendarSelect(v, 3, 6, 2024));
  EXPECT_EQ(v.selection().Pos(), 2);
  v.ShowPosition(0);
  Format2({{0, 0x04, At(1, 0, 0, 2)}, {1, 0x04, At(1, 0, 0, 3)}});
  v.RebuildSelection();
  EXPECT_FALSE(CalendarSelect(v, 3, 6, 2024));
  EXPECT_EQ(v.selection().Pos(), 0);
  EXPECT_FALSE(CalendarSelect(v, 4, 6, 2024));
}

TEST_F(MarksTest, DateDialogNeedsASelection) {
  Format2({});
  v.RebuildSelection();
  EXPECT_FALSE(DatePanelClick(v));
}

}  // namespace
}  // namespace viewer_test
