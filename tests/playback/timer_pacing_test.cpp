// Playback paced by the timer: sources without sound, speeds above 2 and
// backward play; the speed buttons; where playback ends.
#include "playback_fixture.h"
#include "support/viewer_probe.h"

using quovil::test::ViewerProbe;

namespace playback_test {
namespace {

// Steps until playback stops (bounded), returning the positions shown.
std::vector<int32_t> RunToStop(quovil::Viewer& v, int limit = 1000) {
  std::vector<int32_t> shown;
  while (v.play().PlayTimerEnabled && limit-- > 0) {
    int32_t before = v.selection().Pos();
    v.PlayTimerTimer();
    if (v.selection().Pos() != before) shown.push_back(v.selection().Pos());
  }
  return shown;
}

const std::vector<int> kAlternating{0, 1, 0, 1, 0, 1, 0, 1};

TEST_F(PlaybackTest, WithoutSoundEverySpeedRunsAtTheTableIntervalAndNeverStartsTheStreams) {
  OpenCard({kAlternating, false});
  v.PlayBtnClick();
  EXPECT_TRUE(v.actions().PlayBtnDown);
  EXPECT_EQ(v.play().PlaySpeed, 1);
  std::vector<int> intervals{v.play().PlayTimerInterval};
  for (int i = 0; i < 8; ++i) {
    v.SpeedUpClick();
    intervals.push_back(v.play().PlayTimerInterval);
  }
  EXPECT_EQ(intervals, (std::vector<int>{180, 155, 130, 105, 80, 55, 30, 5, 5}));
  EXPECT_EQ(v.play().PlaySpeed, 8);  // up at 8 changes nothing

  v.StopBtnClick();
  v.SpeedDownClick();  // from stopped: backward at -1
  EXPECT_EQ(v.play().PlaySpeed, -1);
  EXPECT_TRUE(v.play().PlayTimerEnabled);
  intervals = {v.play().PlayTimerInterval};
  for (int i = 0; i < 8; ++i) {
    v.SpeedDownClick();
    intervals.push_back(v.play().PlayTimerInterval);
  }
  EXPECT_EQ(intervals, (std::vector<int>{180, 155, 130, 105, 80, 55, 30, 5, 5}));
  EXPECT_EQ(v.play().PlaySpeed, -8);  // down at -8 changes nothing

  for (int cam = 0; cam < 2; ++cam) {
    EXPECT_EQ(Stream(cam).plays, 0);
    EXPECT_FALSE(Stream(cam).playing);
  }
  EXPECT_EQ(Queued(0), 0);
  EXPECT_EQ(Queued(1), 0);
}

TEST_F(PlaybackTest, DirectionChangesOnlyThroughStartAndSpeedDownFromStopped) {
  OpenCard({kAlternating, false});
  v.PlayBtnClick();
  v.SpeedDownClick();  // down at 1: nothing
  EXPECT_EQ(v.play().PlaySpeed, 1);
  EXPECT_EQ(v.play().PlayTimerInterval, 180);

  v.StopBtnClick();
  EXPECT_FALSE(v.play().PlayTimerEnabled);
  EXPECT_FALSE(v.actions().PlayBtnDown);
  v.SpeedDownClick();
  EXPECT_EQ(v.play().PlaySpeed, -1);
  v.SpeedUpClick();  // up at -1: nothing
  EXPECT_EQ(v.play().PlaySpeed, -1);
  v.SpeedDownClick();
  v.SpeedUpClick();
  EXPECT_EQ(v.play().PlaySpeed, -1);

  // A stop keeps the speed; a start from backward goes forward at 1.
  v.StopBtnClick();
  v.PlayBtnClick();
  EXPECT_EQ(v.play().PlaySpeed, 1);
  v.SpeedUpClick();
  v.SpeedUpClick();
  v.StopBtnClick();
  v.PlayBtnClick();
  EXPECT_EQ(v.play().PlaySpeed, 3);
  EXPECT_EQ(v.play().PlayTimerInterval, 130);
}

TEST_F(PlaybackTest, TwoWindowStepMovesEachCameraOnePositionAndEndsAfterTheLastRecord) {
  OpenCard({kAlternating, false});
  v.PlayBtnClick();
  v.PlayTimerTimer();
  // Camera 1's next record is camera 2's: it waits; camera 2 moves to 1.
  EXPECT_EQ(v.selection().Pos(), 1);
  v.PlayTimerTimer();  // camera 1 to 2, then camera 2 to 3
  EXPECT_EQ(v.selection().Pos(), 3);
  EXPECT_EQ(ShownPos(0), 2);
  EXPECT_EQ(ShownPos(1), 3);

  RunToStop(v);
  EXPECT_EQ(v.selection().Pos(), 7);
  EXPECT_FALSE(v.play().PlayTimerEnabled);
  EXPECT_FALSE(v.actions().PlayBtnDown);
}

TEST_F(PlaybackTest, ForwardRunsOnWhileOnlyTheOtherCameraHasLaterRecords) {
  OpenCard({{0, 1, 1, 1}, false});
  v.PlayBtnClick();
  EXPECT_EQ(RunToStop(v), (std::vector<int32_t>{1, 2, 3}));
}

TEST_F(PlaybackTest, AnEntryOfNoCameraDoesNotHoldPlaybackUp) {
  OpenCard({{0, 0, 1, 0}, false});
  // Long entries whose camera bits may name no camera (a damaged catalogue).
  ViewerProbe::Src(v).CardFormat = 2;
  for (int cam : {0, 3, 1, 0}) {
    quovil::LongEntry e;
    e.b[4] = uint8_t(0x10 | cam);
    ViewerProbe::Src(v).LongCatalogue.push_back(e);
  }
  v.PlayBtnClick();
  RunToStop(v, 50);
  EXPECT_EQ(v.selection().Pos(), 3);
  EXPECT_FALSE(v.play().PlayTimerEnabled);
}

TEST_F(PlaybackTest, BackwardStepsDownToPositionZeroAndStops) {
  OpenCard({kAlternating, false});
  v.ShowPosition(7);  // the end: neither camera has a later record
  v.SpeedDownClick();
  std::vector<int32_t> shown = RunToStop(v);
  // Each step moves camera 1 one back and camera 2 one back from there.
  EXPECT_EQ(shown, (std::vector<int32_t>{5, 3, 1, 0}));
  EXPECT_FALSE(v.play().PlayTimerEnabled);
}

TEST_F(PlaybackTest, SingleWindowPlaysTheActiveCameraAndStopsAfterItsLastRecord) {
  OpenCard({{0, 1, 1, 0, 1, 0, 1, 1}, false});
  ViewerProbe::Disp(v).ViewLayout = 5;
  v.SetActiveCamera(1);
  v.PlayBtnClick();
  v.PlayTimerTimer();
  EXPECT_EQ(v.selection().Pos(), 1);
  v.PlayTimerTimer();  // position 2 is camera 2's: camera 1 waits, camera 2 moves on
  EXPECT_EQ(ShownPos(1), 2);
  EXPECT_EQ(ShownPos(0), 0);
  RunToStop(v);
  EXPECT_EQ(ShownPos(1), 7);
  EXPECT_FALSE(v.play().PlayTimerEnabled);

  v.SpeedDownClick();
  RunToStop(v);
  EXPECT_EQ(ShownPos(1), 1);  // camera 2's first record
}

}  // namespace
}  // namespace playback_test
