// Speeds 1 and 2 with sound: the pictures follow the sound the stream
// procedures drain from the rings. The procedures are driven by hand here, so
// every byte and every step is exact.
#include "playback_fixture.h"
#include "support/viewer_probe.h"

using quovil::test::ViewerProbe;

namespace playback_test {
namespace {

using quovil::kSoundRingBytes;

const std::vector<int> kAlternating{0, 1, 0, 1, 0, 1, 0, 1, 0, 1};

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class SoundPacingTest : public PlaybackTest {
 protected:
  void SetUp() override { OpenCard({kAlternating, true, 300, 200}); }
  // Steps a few times; true when any camera moved.
  bool Steps(int n = 3) {
    auto before = v.disp().ShownPos;
    for (int i = 0; i < n; ++i) v.PlayTimerTimer();
    return v.disp().ShownPos != before;
  }
};

TEST_F(SoundPacingTest, EachCameraMovesOnExactlyWhenItsQueuedSoundHasPlayed) {
  v.PlayBtnClick();
  EXPECT_EQ(v.play().PlayTimerInterval, 10);
  for (int cam = 0; cam < 2; ++cam) {
    EXPECT_TRUE(Stream(cam).playing);
    EXPECT_FLOAT_EQ(Stream(cam).freq, 11025);
    EXPECT_FLOAT_EQ(Stream(cam).volume, 0.5f);  // bar at 50 of 100
  }
  EXPECT_EQ(Queued(0), 300);  // camera 1's record after position 0
  v.PlayTimerTimer();  // camera 2 shows position 1; camera 1 waits for it
  EXPECT_EQ(v.selection().Pos(), 1);
  v.PlayTimerTimer();  // camera 1 shows position 2 and queues the next record's sound
  EXPECT_EQ(ShownPos(0), 2);
  EXPECT_EQ(Queued(0), 600);
  EXPECT_EQ(Queued(1), 200);
  EXPECT_FALSE(Steps());

  std::vector<uint8_t> heard = Pull(0, 599);
  EXPECT_FALSE(Steps());
  heard = Concat(heard, Pull(0, 512));  // the last byte: the ring runs empty
  EXPECT_EQ(heard, Concat(Samples(2), Samples(4)));
  EXPECT_TRUE(v.sound().NeedFrame[0]);
  EXPECT_FALSE(Steps());  // position 3 is camera 2's, whose sound is still queued

  std::vector<uint8_t> silence = Pull(1, 199);
  EXPECT_FALSE(Steps());
  silence = Concat(silence, Pull(1, 512));
  EXPECT_EQ(silence, std::vector<uint8_t>(200, 128));
  v.PlayTimerTimer();
  EXPECT_EQ(v.selection().Pos(), 3);
  v.PlayTimerTimer();
  EXPECT_EQ(v.selection().Pos(), 4);
  EXPECT_EQ(Drain(0), Samples(6));
}

TEST_F(SoundPacingTest, TheOtherCameraIsFedSilenceAsLongAsItsOwnRecordsSound) {
  v.SetActiveCamera(1);
  v.PlayBtnClick();
  v.PlayTimerTimer();  // camera 2 shows 1 and queues record 3's sound
  v.PlayTimerTimer();  // camera 1 shows 2 and queues silence for record 4
  EXPECT_EQ(Drain(1), Samples(3));
  EXPECT_EQ(Drain(0), std::vector<uint8_t>(300, 128));
}

TEST_F(SoundPacingTest, TheSingleWindowHearsTheActiveCameraRecordAfterRecord) {
  ViewerProbe::Disp(v).ViewLayout = 1;
  v.PlayBtnClick();
  std::vector<uint8_t> heard;
  for (int i = 0; i < 100 && v.play().PlayTimerEnabled; ++i) {
    v.PlayTimerTimer();
    heard = Concat(heard, Pull(0, 128));
    Drain(1);
  }
  heard = Concat(heard, Drain(0));
  EXPECT_EQ(ShownPos(0), 8);
  EXPECT_EQ(heard, Concat(Concat(Samples(2), Samples(4)), Concat(Samples(6), Samples(8))));
}

TEST_F(SoundPacingTest, SpeedTwoPlaysOneAndAHalfTimesFasterAndSpeedThreeIsSilentAndTimed) {
  v.PlayBtnClick();
  v.SpeedUpClick();
  EXPECT_EQ(v.play().PlaySpeed, 2);
  EXPECT_EQ(v.play().PlayTimerInterval, 10);
  for (int cam = 0; cam < 2; ++cam) {
    EXPECT_FLOAT_EQ(Stream(cam).freq, 16537);  // 3 x 11025 / 2
    EXPECT_TRUE(Stream(cam).playing);
  }

  v.SpeedUpClick();
  EXPECT_EQ(v.play().PlayTimerInterval, 130);
  EXPECT_FALSE(Stream(0).playing);
  EXPECT_FALSE(Stream(1).playing);
  const int queued = Queued(0);
  v.PlayTimerTimer();
  v.PlayTimerTimer();
  EXPECT_EQ(v.selection().Pos(), 3);  // the timer paces: every step moves both cameras
  EXPECT_EQ(Queued(0), queued);
  EXPECT_EQ(Queued(1), 0);

  v.SpeedDownClick();  // back to 2: the streams play again
  EXPECT_TRUE(Stream(0).playing);
  EXPECT_EQ(v.play().PlayTimerInterval, 10);
}

TEST_F(SoundPacingTest, SpeedDownFromStoppedPlaysTheQueuedBlockOnceWhileSteppingBack) {
  v.ShowPosition(4);
  v.SpeedDownClick();
  EXPECT_EQ(v.play().PlaySpeed, -1);
  EXPECT_EQ(v.play().PlayTimerInterval, 180);
  EXPECT_TRUE(Stream(0).playing);
  EXPECT_FLOAT_EQ(Stream(0).freq, 11025);
  EXPECT_EQ(Stream(0).stops, 0);
  for (int i = 0; i < 3; ++i) v.PlayTimerTimer();
  EXPECT_EQ(v.selection().Pos(), 0);
  EXPECT_EQ(Drain(0), Samples(6));  // nothing more was queued going back
  EXPECT_EQ(Queued(1), 0);
}

TEST_F(SoundPacingTest, RestartAtARememberedSpeedAboveTwoIsTimerPacedAndSilent) {
  v.PlayBtnClick();
  v.SpeedUpClick();
  v.SpeedUpClick();
  v.StopBtnClick();
  const int plays = Stream(0).plays;
  const int queued = Queued(0);
  v.PlayBtnClick();
  EXPECT_EQ(v.play().PlaySpeed, 3);
  EXPECT_EQ(v.play().PlayTimerInterval, 130);
  EXPECT_EQ(Stream(0).plays, plays);
  EXPECT_EQ(Queued(0), queued);
}

TEST_F(SoundPacingTest, TheRingsKeepWhatWasQueuedAtTheirEndsAndLimits) {
  ViewerProbe::Sound(v).NeedFrame[1] = false;
  EXPECT_TRUE(Pull(1, 512).empty());  // empty: nothing delivered, next picture asked for
  EXPECT_TRUE(v.sound().NeedFrame[1]);

  ViewerProbe::Sound(v).RingRead[0] = ViewerProbe::Sound(v).RingWrite[0] = kSoundRingBytes - 100;
  EXPECT_EQ(v.FeedSound(0), 300);  // wraps round the end
  EXPECT_EQ(Drain(0), Samples(2));

  int total = 0;
  for (int i = 0; i < 200; ++i) total += v.FeedSound(0);
  EXPECT_EQ(total, kSoundRingBytes - 1);  // full, yet never mistaken for empty
  EXPECT_EQ(Drain(0).size(), size_t(kSoundRingBytes - 1));

  quovil::PutU16(ViewerProbe::Sound(v).NextSoundBlock[0].data(), 0xFFFF);
  EXPECT_EQ(v.FeedSilence(0), quovil::kSoundBlockBytes - 2);  // no more than the block holds
}

}  // namespace
}  // namespace playback_test
