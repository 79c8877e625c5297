// Playback over a card from the synthetic recorder: a format-2 card with both
// cameras, groups of key and delta frames, and sound.
#include <algorithm>

#include "mkcard/mkcard.h"
#include "playback_fixture.h"
#include "support/card_source.h"
#include "support/viewer_probe.h"

using quovil::test::ViewerProbe;

namespace playback_test {
namespace {

using namespace quovil;

class RecordedCardTest : public PlaybackTest {
 protected:
  void Record(int records) {
    mkcard::Options o;
    o.format = 2;
    o.seed = 7;
    o.records = records;
    o.groupLength = 3;  // many group boundaries
    std::vector<uint8_t> image = mkcard::MakeCard(o, &truth);
    if (image.empty()) GTEST_SKIP() << "the synthetic recorder cannot write cards yet";
    v.soundSystem = &fake;
    ASSERT_EQ(v.InitSound(), Viewer::SoundInit::Ok);
    // The watch finds the card, selects everything, shows position 0.
    ASSERT_TRUE(test::OpenCardBytes(v, std::move(image)));
    ASSERT_EQ(v.selection().Count(), records);
    ASSERT_TRUE(v.source().HasSound);
  }
  int CameraAt(int32_t pos) const { return truth.frames[size_t(v.IndexAtPos(pos))].camera; }
  // The camera's picture is the recorded one of the record it shows
  // (brightness and contrast at their middle leave the grey levels alone).
  bool ShowsRecordedPicture(int cam) const {
    const Picture8& pic = v.bitmaps()[size_t(cam)];
    const std::vector<uint8_t>& want = truth.frames[size_t(v.disp().ShownIndex[size_t(cam)])].picture;
    for (int y = 0; y < pic.height; ++y)
      if (!std::equal(pic.Row(y), pic.Row(y) + pic.width, want.begin() + long(y) * pic.width)) return false;
    return true;
  }

  mkcard::Recorded truth;
};

TEST_F(RecordedCardTest, FastForwardShowsEveryRecordOnceInOrderAndBackwardReturnsWithTheRightPictures) {
  Record(60);
  if (IsSkipped()) return;
  ViewerProbe::Play(v).PlaySpeed = 8;
  v.SpeedUpClick();  // from stopped: starts at the remembered speed
  ASSERT_EQ(v.play().PlayTimerInterval, 5);
  // Opened, the first record and the other camera's record of its minute
  // are on screen; playback shows every later record once.
  const auto opened = v.disp().ShownPos;
  ASSERT_EQ(opened[0], 0);
  ASSERT_EQ(opened[1], v.CompanionPos(0));
  ASSERT_GT(opened[1], 0);
  std::vector<int32_t> shown;
  for (int i = 0; i < 200 && v.play().PlayTimerEnabled; ++i) {
    auto before = v.disp().ShownPos;
    v.PlayTimerTimer();
    // Camera 1 moves before camera 2 within a step, and never past it.
    for (int cam = 0; cam < 2; ++cam) {
      if (v.disp().ShownPos[size_t(cam)] == before[size_t(cam)]) continue;
      shown.push_back(v.disp().ShownPos[size_t(cam)]);
      EXPECT_TRUE(ShowsRecordedPicture(cam)) << "position " << shown.back();
    }
  }
  std::vector<int32_t> all;
  for (int32_t p = 1; p < 60; ++p)
    if (p != opened[1]) all.push_back(p);
  EXPECT_EQ(shown, all);
  EXPECT_FALSE(v.play().PlayTimerEnabled);
  EXPECT_EQ(Stream(0).plays, 0);  // timer-paced: the streams stay silent

  v.SpeedDownClick();  // backward through the groups, key frames behind
  int moves = 0;
  for (int i = 0; i < 200 && v.play().PlayTimerEnabled; ++i) {
    auto before = v.disp().ShownPos;
    v.PlayTimerTimer();
    for (int cam = 0; cam < 2; ++cam) {
      if (v.disp().ShownPos[size_t(cam)] == before[size_t(cam)]) continue;
      ++moves;
      EXPECT_TRUE(ShowsRecordedPicture(cam)) << "position " << v.disp().ShownPos[size_t(cam)];
    }
  }
  EXPECT_EQ(v.selection().Pos(), 0);
  // Positions 58 .. 0, less the one its camera already shows when going back starts.
  EXPECT_EQ(moves, 58);
}

TEST_F(RecordedCardTest, SpeedOneQueuesTheActiveCamerasRecordedSoundRecordAfterRecord) {
  Record(24);
  if (IsSkipped()) return;
  ASSERT_EQ(CameraAt(0), 0);
  v.PlayBtnClick();
  std::vector<uint8_t> heard;
  bool otherSilent = true;
  for (int i = 0; i < 1000 && v.play().PlayTimerEnabled; ++i) {
    v.PlayTimerTimer();
    std::vector<uint8_t> piece = Pull(0, 1000);
    heard.insert(heard.end(), piece.begin(), piece.end());
    for (uint8_t b : Drain(1)) otherSilent = otherSilent && b == 128;
  }
  EXPECT_FALSE(v.play().PlayTimerEnabled);
  EXPECT_TRUE(otherSilent);
  std::vector<uint8_t> rest = Drain(0);
  heard.insert(heard.end(), rest.begin(), rest.end());
  // Camera 1's records after position 0, in recording order.
  std::vector<uint8_t> expected;
  for (int32_t p = 1; p < v.selection().Count(); ++p) {
    if (CameraAt(p) != 0) continue;
    const auto& s = truth.frames[size_t(v.IndexAtPos(p))].samples;
    expected.insert(expected.end(), s.begin(), s.end());
  }
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(heard, expected);
}

}  // namespace
}  // namespace playback_test
