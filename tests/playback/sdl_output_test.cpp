// What really reaches the sound output while the viewer plays: SDL's disk
// driver writes every sample the device callback returned to a file.
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include <unistd.h>

#include "platform/sdl_sound.h"
#include "playback_fixture.h"
#include "support/viewer_probe.h"

using quovil::test::ViewerProbe;

namespace playback_test {
namespace {

using namespace std::chrono_literals;

// The recorder's order of cameras: both cameras alternating.
std::vector<int> Alternating(int n) {
  std::vector<int> cams;
  for (int i = 0; i < n; ++i) cams.push_back(i % 2);
  return cams;
}

class SdlOutputTest : public PlaybackTest {
 protected:
  void SetUp() override {
    path = ::testing::TempDir() + "quovil_out_" + std::to_string(::getpid()) + ".raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "4", 1);  // ms per 512-sample callback: about ten times real time
    system = quovil::CreateSdlSoundSystem();
  }
  void TearDown() override {
    v.FreeSound();
    unsetenv("SDL_AUDIODRIVER");
    std::remove(path.c_str());
  }

  // Plays from position 0 at speed until playback ends by itself, lets the
  // rings run dry, and returns what the device wrote.
  std::vector<uint8_t> PlayAll(int speed) {
    ViewerProbe::CameraSettings(v)[0].Volume = ViewerProbe::CameraSettings(v)[1].Volume = 0;  // full volume: samples unscaled
    ViewerProbe::Play(v).PlaySpeed = speed;
    v.PlayBtnClick();
    for (int i = 0; i < 20000 && v.play().PlayTimerEnabled; ++i) {
      v.PlayTimerTimer();
      std::this_thread::sleep_for(1ms);
    }
    EXPECT_FALSE(v.play().PlayTimerEnabled);
    v.FreeSound();
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  std::string path;
  std::unique_ptr<quovil::SoundSystem> system;
};

size_t CountSound(const std::vector<uint8_t>& out) {
  return size_t(std::count_if(out.begin(), out.end(), [](uint8_t b) { return b != 128; }));
}

TEST_F(SdlOutputTest, SpeedOnePlaysTheActiveCamerasRecordsInOrderAndTheOtherCameraSilent) {
  OpenCard({Alternating(12), true, 700, 400}, system.get());
  std::vector<uint8_t> out = PlayAll(1);

  // Camera 1's records after position 0, each one whole and in order.
  size_t expected = 0;
  auto at = out.begin();
  for (int rec = 2; rec < 12; rec += 2) {
    std::vector<uint8_t> s = Samples(rec);
    at = std::search(at, out.end(), s.begin(), s.end());
    ASSERT_NE(at, out.end()) << "record " << rec;
    at += long(s.size());
    expected += s.size();
  }
  // Everything else was silence: camera 2's queued silence added nothing.
  EXPECT_EQ(CountSound(out), expected);
}

TEST_F(SdlOutputTest, SpeedTwoPlaysTheSameSoundOneAndAHalfTimesShorter) {
  OpenCard({Alternating(12), true, 3000, 3000}, system.get());
  std::vector<uint8_t> out = PlayAll(2);
  const double recorded = 5 * 3000;
  EXPECT_NEAR(double(CountSound(out)), recorded / 1.5, recorded * 0.02);
}

TEST(SdlSoundSystem, RunsSilentlyWhenTheDriverCannotBeHad) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  auto sys = quovil::CreateSdlSoundSystem();
  EXPECT_EQ(sys->GetVersion() >> 16, 0x0204u);
  ASSERT_TRUE(sys->Init(-1, 11025));
  EXPECT_FALSE(sys->Init(-1, 11025));  // once only
  struct Counter {
    std::atomic<int> calls{0};
    static uint32_t Proc(quovil::SoundHandle, void*, uint32_t, void* user) {
      ++static_cast<Counter*>(user)->calls;
      return 0;
    }
  } counter;
  quovil::SoundHandle h = sys->StreamCreate(11025, 1, &Counter::Proc, &counter);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(sys->StreamCreate(11025, 2, &Counter::Proc, &counter), 0u);  // mono only
  EXPECT_TRUE(sys->ChannelPlay(h, false));
  for (int i = 0; i < 200 && counter.calls == 0; ++i) std::this_thread::sleep_for(10ms);
  EXPECT_GT(counter.calls.load(), 0);  // the silent device still pulls the streams
  EXPECT_TRUE(sys->ChannelStop(h));
  EXPECT_TRUE(sys->Free());
  EXPECT_FALSE(sys->Free());
  unsetenv("SDL_AUDIODRIVER");

  // The machine's own default device, or the silent fallback: either way it starts.
  auto plain = quovil::CreateSdlSoundSystem();
  EXPECT_TRUE(plain->Init(-1, 11025));
  EXPECT_TRUE(plain->Free());
}

}  // namespace
}  // namespace playback_test
