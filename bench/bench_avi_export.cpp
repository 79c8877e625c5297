// Writing 10 000 uncompressed 400 x 276 grey frames through our AVI writer,
// against ffmpeg muxing the same raw frames into an AVI (rawvideo, gray).
// The ratio ffmpeg time / our time is reported as a counter; aim: >= 1.0.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "export/AVI_FUNC.h"

namespace {

constexpr int kW = 400, kH = 276, kFrames = 10000;

std::vector<uint8_t> Frame(int k) {
  std::vector<uint8_t> f(size_t(kW) * kH);
  for (size_t i = 0; i < f.size(); ++i) f[i] = uint8_t(i + size_t(k));
  return f;
}

double OurWriter(const std::string& path) {
  const std::vector<uint8_t> frame = Frame(0);
  const auto t0 = std::chrono::steady_clock::now();
  quovil::AviFile avi;
  avi.Open(path, 200000);
  quovil::AviStreamHeader h;
  std::copy_n("vids", 4, h.type);
  h.rate = 5;
  h.suggestedBufferSize = kW * kH;
  h.frame[2] = kW;
  h.frame[3] = kH;
  avi.CreateStream(h);
  avi.SetFormat(0, quovil::GreyDibFormat(kW, kH));
  for (int k = 0; k < kFrames; ++k) avi.WriteSample(0, frame.data(), uint32_t(frame.size()), quovil::kAviKeyFrame);
  avi.Release();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

double Ffmpeg(const std::string& raw, const std::string& out) {
  const auto t0 = std::chrono::steady_clock::now();
  const std::string cmd = "ffmpeg -v error -y -f rawvideo -pix_fmt gray -s 400x276 -r 5 -i " + raw +
                          " -c:v rawvideo -f avi " + out;
  if (std::system(cmd.c_str()) != 0) return 0;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void BM_AviWriteVsFfmpeg(benchmark::State& state) {
  const std::string dir = "/tmp/";
  const std::string raw = dir + "bench_avi_frames.raw";
  {
    FILE* f = std::fopen(raw.c_str(), "wb");
    const std::vector<uint8_t> frame = Frame(0);
    for (int k = 0; k < kFrames && f; ++k) std::fwrite(frame.data(), 1, frame.size(), f);
    if (f) std::fclose(f);
  }
  double ours = 0, theirs = 0;
  for (auto _ : state) {
    ours = OurWriter(dir + "bench_avi_ours.avi");
    theirs = Ffmpeg(raw, dir + "bench_avi_ffmpeg.avi");
    state.SetIterationTime(ours);
  }
  state.counters["ours_s"] = ours;
  state.counters["ffmpeg_s"] = theirs;
  state.counters["ratio"] = ours > 0 ? theirs / ours : 0;
  std::remove(raw.c_str());
  std::remove((dir + "bench_avi_ours.avi").c_str());
  std::remove((dir + "bench_avi_ffmpeg.avi").c_str());
}
BENCHMARK(BM_AviWriteVsFfmpeg)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
