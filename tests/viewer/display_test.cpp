// Showing a record, the layout commands and the picture-box paint plan.
#include <array>

#include "viewer/layout.h"
#include "viewer/marks.h"
#include "viewer_fixture.h"
#include "support/viewer_probe.h"

using quovil::test::ViewerProbe;

namespace viewer_test {
namespace {

using namespace quovil;

class DisplayTest : public ViewerTest {
 protected:
  // Records 0 and 1 at 10:00:00, 2 and 3 at 10:00:01, cameras alternating;
  // intervals: the frame interval each entry records.
  void TwoCameras(std::array<uint8_t, 4> intervals = {}) {
    Format2({{0, 0x04, At(10, 0, 0), intervals[0]},
             {1, 0x04, At(10, 0, 0), intervals[1]},
             {0, 0x04, At(10, 0, 1), intervals[2]},
             {1, 0x04, At(10, 0, 1), intervals[3]}});
    v.RebuildSelection();
  }
};

TEST_F(DisplayTest, ShowingARecordMakesItCurrentForItsCamera) {
  TwoCameras();
  v.ShowPosition(3);
  EXPECT_EQ(v.selection().Pos(), 3);
  EXPECT_EQ(v.selection().Index(), 3);
  EXPECT_EQ(v.disp().ShownIndex[1], 3);
  EXPECT_EQ(v.disp().ShownPos[1], 3);
  EXPECT_EQ(v.disp().CameraTimeText[1], "15.06.2024 10:00:01");
  EXPECT_EQ(v.disp().DatePanelText, "15.06.2024");
  EXPECT_EQ(Shown(1), PixelOf(3));
  unsigned want = kRepaintImage | kRepaintTimeline | kRepaintDate | kRepaintSensors;
  EXPECT_EQ(host.repaints.back() & want, want);
}

// The other camera shows its record nearest in time: the first at or after
// the shown one within its minute, else the last before it, else nothing.
TEST_F(DisplayTest, TheOtherCameraShowsItsRecordOfTheSameMinute) {
  Format2({{0, 0x04, At(12, 0, 10)},
           {0, 0x04, At(12, 0, 20)},
           {1, 0x04, At(12, 0, 30)},
           {1, 0x04, At(12, 0, 40)},
           {0, 0x04, At(12, 1, 0)},
           {1, 0x04, At(12, 2, 0)}});
  v.RebuildSelection();
  EXPECT_EQ(v.CompanionPos(0), 2);
  EXPECT_EQ(v.CompanionPos(1), 2);
  EXPECT_EQ(v.CompanionPos(3), 1);   // none later in 12:00: the last before
  EXPECT_EQ(v.CompanionPos(4), -1);  // camera 2 has nothing in 12:01
  EXPECT_EQ(v.CompanionPos(6), -1);

  v.ShowPositionWithCompanion(3);
  EXPECT_EQ(v.selection().Pos(), 3);  // the record asked for is the current one
  EXPECT_EQ(Shown(1), PixelOf(3));
  EXPECT_EQ(Shown(0), PixelOf(1));
  EXPECT_EQ(v.disp().ShownIndex, (std::array<int, 2>{1, 3}));
  EXPECT_EQ(v.disp().CameraTimeText[0], "15.06.2024 12:00:20");

  // Nothing of camera 2 in that minute: a blank picture without texts.
  ViewerProbe::Info(v).GpsSpeedText = "40.0";
  ViewerProbe::Disp(v).CameraFps[1] = 2;
  v.ShowPositionWithCompanion(4);
  EXPECT_EQ(Shown(0), PixelOf(4));
  EXPECT_EQ(Shown(1), kBlankPictureGrey);
  EXPECT_EQ(v.disp().ShownIndex[1], -1);
  EXPECT_TRUE(v.disp().CameraTimeText[1].empty());
  const PaintPlan plan = ImagePaintPlan(v, 900, 500);
  ASSERT_EQ(plan.cameras.size(), 2u);
  for (const PaintCamera& c : plan.cameras) {
    std::vector<std::string> texts;
    for (const auto& t : c.texts) texts.push_back(t.text);
    if (c.cam == 1) EXPECT_THAT(texts, ::testing::ElementsAre("2", "2"));
    else EXPECT_THAT(texts, ::testing::Contains("40.0 км/ч"));
  }
}

// Opening, a filter change, a date choice and a journal jump show both
// cameras; the position is the one each of them chooses.
TEST_F(DisplayTest, EveryJumpShowsBothCameras) {
  Format2({{0, 0x04, At(12, 0, 10)},
           {1, 0x08, At(12, 0, 15)},
           {0, 0x04, At(12, 30, 0, 16)},
           {1, 0x04, At(12, 30, 5, 16)}});
  const auto both = [&](int first, int second) {
    return Shown(0) == PixelOf(first) && Shown(1) == PixelOf(second);
  };
  v.RebuildSelection();
  EXPECT_TRUE(both(0, 1));
  EXPECT_EQ(v.selection().Pos(), 0);

  ASSERT_TRUE(v.SelectDate(16, 6, 2024));
  EXPECT_TRUE(both(2, 3));
  EXPECT_EQ(v.selection().Pos(), 2);

  v.GoToJournalTime(16, 6, 24, 12, 30);
  EXPECT_TRUE(both(2, 3));
  v.GoToJournalTime(15, 6, 24, 12, 0);
  EXPECT_TRUE(both(0, 1));

  // Without kind 0x08, camera 2 has nothing on the 15th: blank there.
  v.ActionFiltrChange(Viewer::Filter::Motion);
  EXPECT_EQ(v.selection().Count(), 3);
  EXPECT_EQ(Shown(0), PixelOf(0));
  EXPECT_EQ(Shown(1), kBlankPictureGrey);
}

TEST_F(DisplayTest, PositionOutsideTheSelectionDoesNothing) {
  TwoCameras();
  size_t repaints = host.repaints.size();
  v.ShowPosition(4);
  v.ShowPosition(-1);
  EXPECT_EQ(host.repaints.size(), repaints);
  EXPECT_EQ(v.selection().Pos(), 0);
}

TEST_F(DisplayTest, ReadFailureEndsTheStepButKeepsThePosition) {
  Format2({{0, 0x04, At(10, 0, 0)}, {1, 0x04, At(10, 0, 0)}, {.kind = 0x04, .t = At(10, 0, 1), .pastTheEnd = true}});
  v.RebuildSelection();
  v.ShowPosition(2);
  EXPECT_EQ(v.selection().Pos(), 2);
  EXPECT_EQ(v.disp().ShownPos[0], 0);
  EXPECT_EQ(v.disp().CameraTimeText[0], "15.06.2024 10:00:00");
  EXPECT_EQ(Shown(0), PixelOf(0));
}

TEST_F(DisplayTest, ClosedSourceClearsTheTimeTexts) {
  TwoCameras();
  ASSERT_EQ(v.disp().CameraTimeText[0], "15.06.2024 10:00:00");
  PullCard();
  v.ShowPosition(1);
  EXPECT_EQ(v.disp().CameraTimeText[0], "");
  EXPECT_EQ(v.selection().Pos(), 0);
}

TEST_F(DisplayTest, NewDayRebuildsTheTimeScale) {
  Format2({{0, 0x04, At(10, 0, 0)}, {0, 0x04, At(11, 0, 0, 16)}});
  v.RebuildSelection();
  unsigned version = v.timeline().DayMapVersion;
  v.ShowPosition(1);
  EXPECT_EQ(v.disp().DatePanelText, "16.06.2024");
  EXPECT_GT(v.timeline().DayMapVersion, version);
  EXPECT_EQ(v.timeline().DayMap[0][660], 1);
  EXPECT_EQ(v.timeline().DayMap[0][600], -1);
}

TEST_F(DisplayTest, FormatsZeroAndOneCountFramesOfThePreviousSecond) {
  Format1({{0, 0x02, At(9, 0, 0)}, {0, 0x02, At(9, 0, 0)}, {0, 0x02, At(9, 0, 0)}, {0, 0x02, At(9, 0, 1)}}, 4,
          4);
  v.RebuildSelection();
  for (int p = 1; p < 4; ++p) v.ShowPosition(p);
  EXPECT_EQ(v.disp().CameraFps[0], 3);
  EXPECT_EQ(v.disp().SecondFrameCount[0], 1);
}

TEST_F(DisplayTest, Format2RateComesFromTheFrameInterval) {
  TwoCameras({0, 0, 20, 0});
  v.ShowPosition(2);
  EXPECT_DOUBLE_EQ(v.disp().CameraFps[0], 5.0);
  v.ShowPosition(3);
  EXPECT_DOUBLE_EQ(v.disp().CameraFps[1], 0.0);  // unknown interval keeps the old rate
}

TEST_F(DisplayTest, CameraWithoutAFurtherRecordGetsAnEmptySoundBlock) {
  TwoCameras();
  v.ShowPosition(1);
  EXPECT_EQ(v.disp().NextSoundPos[1], 3);
  v.ShowPosition(3);
  EXPECT_EQ(v.disp().NextSoundPos[1], -1);
  EXPECT_EQ(GetU16(v.sound().NextSoundBlock[1].data()), 0);
}

TEST_F(DisplayTest, OneWindowWithCamera2ActiveShowsCamera2) {
  TwoCameras();
  v.ActionChannel2Execute();
  v.VIEW_Click(1);
  EXPECT_EQ(v.disp().ViewLayout, 5);
  EXPECT_TRUE(v.actions().View[1]);
  EXPECT_FALSE(v.actions().View[2]);
  host.repainted = 0;
  v.VIEW_SWAP_Click();  // Tab: layout 1 shows camera 1, which becomes the active one
  EXPECT_EQ(v.disp().ViewLayout, 1);
  EXPECT_EQ(v.selection().ActiveCamera(), 0);
  EXPECT_TRUE(v.actions().Channel1);
  EXPECT_FALSE(v.actions().Channel2);
  EXPECT_TRUE(host.repainted & kRepaintBars);
}

TEST_F(DisplayTest, MenuKeepsTheSwappedForm) {
  TwoCameras();
  v.VIEW_SWAP_Click();
  v.VIEW_Click(3);
  EXPECT_EQ(v.disp().ViewLayout, 7);
  v.VIEW_Click(3);
  EXPECT_EQ(v.disp().ViewLayout, 7);
  EXPECT_TRUE(v.actions().View[3]);
}

TEST_F(DisplayTest, DoubleClickStepsThroughTheLayouts) {
  TwoCameras();
  const int fromAc0[8] = {1, 2, 3, 0, 1, 6, 2, 4};
  const int fromAc1[8] = {5, 2, 6, 0, 5, 6, 7, 4};
  for (int ac = 0; ac < 2; ++ac) {
    for (int from = 0; from < 8; ++from) {
      v.SetActiveCamera(ac);
      ViewerProbe::Disp(v).ViewLayout = from;
      v.ImageBoxDblClick();
      EXPECT_EQ(v.disp().ViewLayout, (ac ? fromAc1 : fromAc0)[from]) << "from " << from << " camera " << ac;
    }
  }
  ViewerProbe::Disp(v).ViewLayout = 1;
  v.ImageBoxDblClick();
  EXPECT_TRUE(v.actions().View[4]);
}

TEST_F(DisplayTest, ClickInTheSmallWindowSelectsItsCamera) {
  TwoCameras();
  ViewerProbe::Disp(v).ViewLayout = 2;
  PaintPlan plan = ImagePaintPlan(v, 800, 600);
  v.SetImageArea(800, 600);
  ASSERT_EQ(plan.cameras.size(), 2u);
  const PaintCamera& small = plan.cameras[1];
  EXPECT_EQ(small.cam, 1);
  EXPECT_TRUE(small.texts.size() == 2u);  // the number only
  v.ImageBoxMouseDown(small.right, small.top);
  EXPECT_EQ(v.selection().ActiveCamera(), 1);
  const PaintCamera& large = plan.cameras[0];
  v.ImageBoxMouseDown(large.left, large.bottom);
  EXPECT_EQ(v.selection().ActiveCamera(), 0);
  v.ImageBoxMouseDown(large.left - 1, large.bottom);
  EXPECT_EQ(v.selection().ActiveCamera(), 0);
}

TEST_F(DisplayTest, ClicksAreIgnoredInOneWindow) {
  TwoCameras();
  ViewerProbe::Disp(v).ViewLayout = 1;
  v.SetImageArea(1000, 1000);
  v.ImageBoxMouseDown(5, 5);
  EXPECT_EQ(v.selection().ActiveCamera(), 0);
}

TEST_F(DisplayTest, FitKeepsThePictureShape) {
  int w = 420, h = 0;
  Fit(w, h, 1000);
  EXPECT_EQ(h, 276);
  w = 2000;
  Fit(w, h, 300);
  EXPECT_EQ(h, 300);
  EXPECT_EQ(w, 457);  // 456.52 rounded
  w = 0;
  Fit(w, h, 300);
  EXPECT_EQ(h, 0);
  w = 35;  // 23.0 exactly; 105 gives 69.0, 7 gives 4.6
  Fit(w, h, 100);
  EXPECT_EQ(h, 23);
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(3.5), 4);
}

TEST_F(DisplayTest, LayoutBoxesPlaceBothArrangements) {
  auto one = LayoutBoxes(1, 0, 430, 286, 0);
  EXPECT_EQ(one[0], (PaintBox{5, 5, 420, 276}));
  EXPECT_EQ(one[1].w, 0);
  auto wide = LayoutBoxes(5, 1, 1210, 286, 0);
  EXPECT_EQ(wide[1].h, 276);
  EXPECT_EQ(wide[1].w, 420);
  auto side = LayoutBoxes(0, 0, 870, 400, 10);
  EXPECT_EQ(side[0].w, 430);
  EXPECT_EQ(side[1].x, side[0].x + 440);
  auto stacked = LayoutBoxes(3, 0, 430, 572, 0);
  EXPECT_EQ(stacked[1].y, stacked[0].y + stacked[0].h + 10);
}

TEST_F(DisplayTest, PaintPlanCarriesTheOverlays) {
  // A format-1 card naming the 320x256 resolution row: its pictures lose 10 pixels at each edge.
  Format1({{0, 0x04, At(10, 0, 0)}, {1, 0x04, At(10, 0, 0)}, {0, 0x04, At(10, 0, 1)}, {1, 0x04, At(10, 0, 1)}}, 4,
          4, 1);
  v.RebuildSelection();
  ASSERT_EQ(v.source().EdgeTrim, 10);
  ViewerProbe::Disp(v).CameraFps[0] = 4;
  ViewerProbe::Info(v).GpsSpeedText = "12.5";
  ViewerProbe::Info(v).SensorIndex = 0;
  PutU16(&ViewerProbe::Info(v).SensorData[1], 125);
  ViewerProbe::FragStart(v) = ViewerProbe::Disp(v).CameraTimeText[0];
  ViewerProbe::Play(v).PlayTimerEnabled = true;
  ViewerProbe::Play(v).PlaySpeed = -3;
  PaintPlan plan = ImagePaintPlan(v, 1000, 500);
  ASSERT_EQ(plan.cameras.size(), 2u);
  const PaintCamera& c0 = plan.cameras[0];
  EXPECT_EQ(c0.left, c0.box.x + 10);
  EXPECT_TRUE(c0.outline);
  EXPECT_EQ(c0.outlineColour, kPaintRed);
  EXPECT_FALSE(plan.cameras[1].outline);
  std::vector<std::string> texts;
  for (const auto& t : c0.texts) texts.push_back(t.text);
  EXPECT_THAT(texts, ::testing::ElementsAre("1", "1", "4.00 fps", "12.5 км/ч", "15.06.2024 10:00:00",
                                            "Uвх = 12.5В"));
  EXPECT_EQ(c0.texts.back().colour, kPaintRed);  // read for the record shown
  EXPECT_EQ(plan.cameras[1].texts.back().colour, kPaintRed);
  ASSERT_EQ(plan.marks.size(), 1u);
  EXPECT_EQ(plan.marks[0].image, kImageFragStart);
  ASSERT_TRUE(plan.playback);
  EXPECT_EQ(plan.playback->text, "<< 3X");
  EXPECT_EQ(plan.playback->y, 475);
  // The click test finds each camera where the paint put it.
  v.SetImageArea(1000, 500);
  for (const PaintCamera& c : plan.cameras) {
    const auto r = v.CameraRect(c.cam);
    EXPECT_EQ(std::vector<int>({r.left, r.top, r.right, r.bottom}),
              std::vector<int>({c.left, c.top, c.right, c.bottom}));
  }
}

// The smaller the picture, the smaller the texts, and then they go: the
// frame rate first, then the voltage, then the speed; never below the
// smallest legible size, and one gone never comes back at a smaller size.
TEST_F(DisplayTest, SmallPicturesShrinkTheirTextsAndThenLeaveOutTheLeastNeeded) {
  TwoCameras({50, 50, 50, 50});
  v.ShowPosition(0);
  ViewerProbe::Info(v).GpsSpeedText = "061.4";
  ViewerProbe::Info(v).SensorIndex = 0;
  const std::vector<std::string> order{"fps", "Uвх", "км/ч", "15.06.2024"};
  size_t gone = 0;
  int lastPx = kPictureGlyphHeight;
  for (int W = 1400; W >= 60; W -= 10) {
    const PaintPlan plan = ImagePaintPlan(v, W, W * 2 / 3);
    const PaintCamera& c = plan.cameras.front();
    std::string all;
    for (const PaintText& t : c.texts) {
      all += t.text + "|";
      if (t.text != "1") {
        EXPECT_GE(t.px, kPictureGlyphMinimum);
        EXPECT_LE(t.px, lastPx) << "width " << W;
        lastPx = t.px;
      }
    }
    while (gone < order.size() && all.find(order[gone]) == std::string::npos) ++gone;
    for (size_t k = gone; k < order.size(); ++k)
      EXPECT_NE(all.find(order[k]), std::string::npos) << order[k] << " back at width " << W << ": " << all;
    if (W == 1400) {
      EXPECT_EQ(gone, 0u) << all;
    }
  }
  EXPECT_EQ(gone, order.size()) << "the smallest box carries its number only";
}

TEST_F(DisplayTest, EmptyMarksAreNeverDrawn) {
  TwoCameras();
  ViewerProbe::Disp(v).CameraTimeText[1].clear();
  PaintPlan plan = ImagePaintPlan(v, 800, 600);
  EXPECT_TRUE(plan.marks.empty());
}

TEST_F(DisplayTest, NothingToShowDrawsTheSourceText) {
  Format2({});
  v.RebuildSelection();
  PaintPlan plan = ImagePaintPlan(v, 600, 400);
  EXPECT_TRUE(plan.noSource);
  EXPECT_EQ(plan.noSourceText, "Нет данных, соответствующих заданному фильтру!");
  EXPECT_EQ(plan.textTop, 179);
  EXPECT_TRUE(plan.cameras.empty());
}

TEST_F(DisplayTest, BrightnessRebuildsTheActiveCamerasPicture) {
  TwoCameras();
  v.ShowPosition(1);
  v.ActionChannel2Execute();
  v.BrightnessBarChange(50);  // 50 brighter
  EXPECT_EQ(v.cameraSettings()[1].Brightness, 50);
  EXPECT_EQ(Shown(1), PixelOf(1) + 50);
  EXPECT_EQ(Shown(0), PixelOf(0));
  ViewerProbe::Play(v).PlayTimerEnabled = true;
  v.ContrastBarChange(20);
  EXPECT_EQ(v.cameraSettings()[1].Contrast, 20);
  EXPECT_EQ(Shown(1), PixelOf(1) + 50);  // rebuilt by the next playback step
}

}  // namespace
}  // namespace viewer_test
