// Playback costs: one playback step at the fastest speed over a two-camera
// card of key and delta frames (group loads included), and the sound mixing
// done in one audio callback.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include <time.h>

#include "mkcard/mkcard.h"
#include "platform/sdl_sound.h"
#include "viewer/viewer.h"
#include "support/viewer_probe.h"

using quovil::test::ViewerProbe;

namespace {

using namespace quovil;

class OneImage : public DriveEnumerator {
 public:
  explicit OneImage(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  std::unique_ptr<BlockDevice> Open(int n) override { return n == 0 ? MemoryDevice(bytes_) : nullptr; }
  int Count() override { return 1; }

 private:
  std::vector<uint8_t> bytes_;
};

// CPU time of this thread: on a busy machine the wall clock also counts the
// time the step was not running at all.
double ThreadMicros() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return double(ts.tv_sec) * 1e6 + double(ts.tv_nsec) / 1e3;
}

void BM_PlayStepSpeed8(benchmark::State& state) {
  mkcard::Options o;
  o.format = 2;
  o.records = 2000;
  o.width = 320;
  o.height = 240;
  o.groupLength = 16;
  o.longGroups = true;  // every third group 70 frames: the cache reloads past 64
  std::vector<uint8_t> image = mkcard::MakeCard(o);
  if (image.empty()) {
    state.SkipWithError("the synthetic recorder wrote no card");
    return;
  }
  SilentHost host;
  auto v = std::make_unique<Viewer>(host);
  v->drives = std::make_unique<OneImage>(std::move(image));
  v->CheckTimerTimer();
  if (v->selection().Count() <= 0) {
    state.SkipWithError("the card did not open");
    return;
  }
  ViewerProbe::Play(*v).PlaySpeed = 8;
  v->PlayBtnClick();

  double worst = 0, worstCpu = 0;
  int64_t steps = 0, overOneMs = 0;
  for (auto _ : state) {
    if (!v->play().PlayTimerEnabled) {  // the end: start again from the first record
      state.PauseTiming();
      v->ShowPosition(0);
      v->PlayBtnClick();
      state.ResumeTiming();
    }
    const double c0 = ThreadMicros();
    const auto t0 = std::chrono::steady_clock::now();
    v->PlayTimerTimer();
    const double us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count();
    worst = std::max(worst, us);
    const double cpu = ThreadMicros() - c0;
    worstCpu = std::max(worstCpu, cpu);
    ++steps;
    if (cpu > 1000) ++overOneMs;
  }
  state.counters["worst_us"] = worst;
  state.counters["worst_cpu_us"] = worstCpu;
  // Steps that load a new group (a key frame and its deltas) are the slow ones.
  state.counters["over_1ms_pct"] = steps ? 100.0 * double(overOneMs) / double(steps) : 0;
}
BENCHMARK(BM_PlayStepSpeed8)->Unit(benchmark::kMicrosecond);

// A stream procedure that always has sound.
uint32_t Noise(SoundHandle, void* buf, uint32_t len, void*) {
  auto* b = static_cast<uint8_t*>(buf);
  for (uint32_t i = 0; i < len; ++i) b[i] = uint8_t(i * 37u);
  return len;
}

// Two camera streams into one 512-sample callback, the active one at speed 2.
void BM_MixCallback(benchmark::State& state) {
  SoundMixer mixer(11025, 4096);
  SoundHandle a = mixer.Create(11025, &Noise, nullptr);
  SoundHandle b = mixer.Create(11025, &Noise, nullptr);
  mixer.SetAttribute(a, kSoundAttribFreq, 3 * 11025 / 2);
  mixer.SetAttribute(b, kSoundAttribFreq, 3 * 11025 / 2);
  mixer.SetAttribute(a, kSoundAttribVol, 0.5f);
  mixer.Play(a, false);
  mixer.Play(b, false);
  std::vector<uint8_t> out(512);
  for (auto _ : state) {
    mixer.Mix(out.data(), int(out.size()));
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_MixCallback)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
