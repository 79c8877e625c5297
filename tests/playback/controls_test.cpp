// The mouse wheel, the volume bar, mute, and bringing sound up.
#include "playback_fixture.h"
#include "support/viewer_probe.h"

using quovil::test::ViewerProbe;

namespace playback_test {
namespace {

using quovil::Viewer;

TEST_F(PlaybackTest, WheelStepsRecordsWhenStoppedAndChangesTheSpeedWhenPlaying) {
  EXPECT_FALSE(v.FormMouseWheel(true));  // empty selection: left to others
  OpenCard({{0, 1, 0, 1}, false});
  EXPECT_TRUE(v.FormMouseWheel(true));
  EXPECT_TRUE(v.FormMouseWheel(true));
  EXPECT_EQ(v.selection().Pos(), 2);
  v.FormMouseWheel(false);
  v.FormMouseWheel(false);
  EXPECT_TRUE(v.FormMouseWheel(false));  // outside the selection: nothing, yet handled
  EXPECT_EQ(v.selection().Pos(), 0);
  EXPECT_FALSE(v.play().PlayTimerEnabled);  // the wheel never starts playback

  v.PlayBtnClick();
  v.FormMouseWheel(true);
  EXPECT_EQ(v.play().PlaySpeed, 2);
  EXPECT_EQ(v.selection().Pos(), 0);
}

TEST_F(PlaybackTest, WheelStepsTheActiveCameraInTheSingleWindow) {
  OpenCard({{0, 0, 1, 0, 1, 1}, false});
  ViewerProbe::Disp(v).ViewLayout = 5;
  v.SetActiveCamera(1);
  v.FormMouseWheel(true);
  EXPECT_EQ(v.selection().Pos(), 2);
  v.FormMouseWheel(true);
  EXPECT_EQ(v.selection().Pos(), 4);
  v.FormMouseWheel(false);
  v.FormMouseWheel(false);  // no earlier record of camera 2: nothing
  EXPECT_EQ(v.selection().Pos(), 2);
}

TEST_F(PlaybackTest, VolumeBarTopIsLoudestAndMuteSilencesBothStreamsUntilUnmuted) {
  OpenCard({{0, 1, 0, 1}, true});
  v.VolumeBarChange(30);  // stopped: only remembered
  EXPECT_EQ(v.cameraSettings()[0].Volume, 30);
  EXPECT_FLOAT_EQ(Stream(0).volume, 1.0f);
  v.PlayBtnClick();
  EXPECT_FLOAT_EQ(Stream(0).volume, 0.7f);
  v.SetActiveCamera(1);
  v.VolumeBarChange(0);
  EXPECT_FLOAT_EQ(Stream(1).volume, 1.0f);
  EXPECT_FLOAT_EQ(Stream(0).volume, 0.7f);

  v.MuteLabelClick();
  EXPECT_FLOAT_EQ(Stream(0).volume, 0.0f);
  EXPECT_FLOAT_EQ(Stream(1).volume, 0.0f);
  v.VolumeBarChange(20);
  v.StopBtnClick();
  v.PlayBtnClick();  // a restart keeps the mute
  EXPECT_FLOAT_EQ(Stream(1).volume, 0.0f);
  v.MuteLabelClick();
  EXPECT_FLOAT_EQ(Stream(0).volume, 0.7f);
  EXPECT_FLOAT_EQ(Stream(1).volume, 0.8f);
}

TEST_F(PlaybackTest, SoundStartUpFailuresShowTheirMessageAndSayWhetherTheProgramEnds) {
  v.soundSystem = &fake;
  fake.version = 0x02030000;
  EXPECT_EQ(v.InitSound(), Viewer::SoundInit::EndProgram);
  fake.version = quovil::kSoundVersion;
  fake.initOk = false;
  EXPECT_EQ(v.InitSound(), Viewer::SoundInit::EndProgram);
  fake.initOk = true;
  fake.streamsToCreate = 1;
  EXPECT_EQ(v.InitSound(), Viewer::SoundInit::NoStreams);
  EXPECT_EQ(host.messages, (std::vector<std::string>{"ОШИБКА! Библиотека BASS.DLL неправильной версии.",
                                                      "Не могу проинициализировать драйвер звука!",
                                                      "Проблема создания звукового потока!"}));
  EXPECT_EQ(host.kinds.back(), quovil::MsgKind::Error);

  // A card with sound opened later still plays, paced by the timer.
  InsertCard({{0, 1, 0, 1}, true});
  ASSERT_TRUE(v.source().HasSound);
  ViewerProbe::Play(v).PlaySpeed = 1;
  v.PlayBtnClick();
  EXPECT_EQ(v.play().PlayTimerInterval, 180);
}

TEST_F(PlaybackTest, WithoutASoundSystemPlaybackRunsSilentlyAtTheTimersPace) {
  OpenCard({{0, 1, 0, 1, 0, 1}, true}, nullptr);
  EXPECT_TRUE(host.messages.empty());
  v.PlayBtnClick();
  EXPECT_EQ(v.play().PlayTimerInterval, 180);  // nothing would ever drain the sound
  v.MuteLabelClick();
  v.VolumeBarChange(10);
  for (int i = 0; i < 3; ++i) v.PlayTimerTimer();
  EXPECT_EQ(v.selection().Pos(), 5);
  EXPECT_EQ(Queued(0), 0);
  v.StopBtnClick();
  v.FreeSound();
  EXPECT_TRUE(fake.streams.empty());
}

}  // namespace
}  // namespace playback_test
