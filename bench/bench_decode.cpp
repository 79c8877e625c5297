// Decoding speed: a 64-frame group of 420 x 256 delta frames as the synthetic
// recorder writes them (and a worst case where every byte changes), compared
// with plain copies of the same bytes in the same run; and the picture
// conversion with brightness and contrast.
#include <benchmark/benchmark.h>

#include <ctime>
#include <cstring>
#include <memory>
#include <vector>

#include "decode/build_picture.h"
#include "decode/frame_cache.h"
#include "mkcard/mkcard.h"

namespace {

using quovil::kFrameBufferBytes;
using quovil::kGroupFrames;

constexpr int kWidth = 420, kHeight = 256, kBytes = kWidth * kHeight;

struct Group {
  std::vector<uint8_t> key;
  std::vector<std::vector<uint8_t>> deltas;  // stored streams, whole sectors
};

// The first camera-0 group of a format-2 card from the synthetic recorder.
Group RecorderGroup() {
  mkcard::Options o;
  o.format = 2;
  o.records = kGroupFrames;
  o.bothCameras = false;
  o.width = kWidth;
  o.height = kHeight;
  o.groupLength = kGroupFrames;
  o.sound = o.sensors = o.gps = false;
  mkcard::Recorded truth;
  const std::vector<uint8_t> image = mkcard::MakeCard(o, &truth);
  Group g;
  for (const mkcard::Frame& f : truth.frames) {
    const uint64_t at = (uint64_t(truth.dataBaseSector) + f.firstSector + f.soundSectors) * 512;
    const uint64_t n = f.keyFrame ? uint64_t(kBytes) : uint64_t(f.pictureSectors) * 512;
    if (at + n > image.size()) return {};
    std::vector<uint8_t> data(image.begin() + long(at), image.begin() + long(at + n));
    if (f.keyFrame && !g.key.empty()) break;
    if (f.keyFrame) g.key = std::move(data);
    else g.deltas.push_back(std::move(data));
  }
  return g;
}

// Every byte changes in every frame: literal codes only.
Group LiteralGroup() {
  Group g;
  g.key.resize(kBytes);
  for (int i = 0; i < kBytes; ++i) g.key[size_t(i)] = uint8_t(i * 31);
  for (int k = 1; k < kGroupFrames; ++k) {
    std::vector<uint8_t> d(size_t(kBytes) - 1);
    for (size_t i = 0; i < d.size(); ++i) d[i] = uint8_t((i * 7 + size_t(k)) % 127 + 1);
    g.deltas.push_back(std::move(d));
  }
  return g;
}

// Processor time: the machine is shared, and wall time would count the others.
double CpuSeconds() { return double(std::clock()) / CLOCKS_PER_SEC; }

void DecodeGroup(benchmark::State& state, const Group& g) {
  if (g.key.empty() || g.deltas.empty()) {
    state.SkipWithError("no delta frames from the recorder");
    return;
  }
  std::unique_ptr<uint8_t[]> frames(new uint8_t[size_t(kGroupFrames) * kFrameBufferBytes]);
  auto frame = [&](size_t k) { return frames.get() + k * kFrameBufferBytes; };
  std::memcpy(frame(0), g.key.data(), kBytes);
  const size_t count = g.deltas.size();
  const double t0 = CpuSeconds();
  for (auto _ : state) {
    for (size_t k = 1; k <= count; ++k)
      quovil::DecodeDelta(frame(k - 1), g.deltas[k - 1].data(), g.deltas[k - 1].size(), frame(k), kBytes);
    benchmark::ClobberMemory();
  }
  const double decodeTime = CpuSeconds() - t0;
  const double bytes = double(state.iterations()) * double(count) * kBytes;

  // The same bytes moved by memcpy, frame to frame, as often.
  const double t1 = CpuSeconds();
  for (int64_t it = 0; it < state.iterations(); ++it) {
    for (size_t k = 1; k <= count; ++k) std::memcpy(frame(k), frame(k - 1), kBytes);
    benchmark::ClobberMemory();
  }
  const double copyTime = CpuSeconds() - t1;

  state.SetBytesProcessed(int64_t(bytes));
  state.counters["frames/s"] = benchmark::Counter(double(state.iterations()) * double(count), benchmark::Counter::kIsRate);
  state.counters["out_GB/s"] = bytes / decodeTime / 1e9;
  state.counters["memcpy_GB/s"] = bytes / copyTime / 1e9;
  state.counters["vs_memcpy"] = copyTime / decodeTime;
}

void BM_DecodeRecorderGroup(benchmark::State& state) {
  static const Group g = RecorderGroup();
  DecodeGroup(state, g);
}
BENCHMARK(BM_DecodeRecorderGroup)->Unit(benchmark::kMicrosecond);

void BM_DecodeLiteralGroup(benchmark::State& state) {
  static const Group g = LiteralGroup();
  DecodeGroup(state, g);
}
BENCHMARK(BM_DecodeLiteralGroup)->Unit(benchmark::kMicrosecond);

// Args: brightness, contrast, card format.
void BM_ConvertFrame(benchmark::State& state) {
  std::vector<uint8_t> frame(kBytes);
  for (int i = 0; i < kBytes; ++i) frame[size_t(i)] = uint8_t(i * 13);
  quovil::Picture8 pic;
  pic.Resize(kWidth, kHeight);
  for (auto _ : state) {
    quovil::ConvertFrame(frame.data(), kWidth, kHeight, int(state.range(2)), int(state.range(0)), int(state.range(1)),
                         pic);
    benchmark::DoNotOptimize(pic.pixels.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * kBytes);
}
BENCHMARK(BM_ConvertFrame)
    ->Args({130, 80, 2})
    ->Args({130, 80, 0})
    ->Args({100, 100, 2})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
