// The MP4 export of 10 000 frames 420 x 256 with sound, against the ffmpeg
// program encoding the same stamped frames and samples, handed to it raw,
// with the same encoder and settings. Also the file's size against the AVI
// export of the same fragment.
// Counters: ours_s, ffmpeg_s, ratio (ours / ffmpeg; aim <= 1.1), mp4_MB,
// avi_MB, size_ratio (mp4 / avi; aim <= 0.1).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "card/korax.h"
#include "decode/frame_cache.h"
#include "export/mp4_export.h"
#include "export/snapshot.h"
#include "export/stamp_font.h"
#include "mkcard/mkcard.h"
#include "viewer/viewer.h"

namespace {

using namespace quovil;

constexpr int kFrames = 10000;

class QuietProgress : public WorkProgress {
 public:
  void Begin(const std::string&, const std::string&, int) override {}
  void Step(int) override {}
  bool Cancelled() override { return false; }
  void End() override {}
};

class OneFile : public DriveEnumerator {
 public:
  explicit OneFile(std::string path) : path_(std::move(path)) {}
  std::unique_ptr<BlockDevice> Open(int n) override { return n == 0 ? OpenCardImage(path_) : nullptr; }
  int Count() override { return 1; }

 private:
  std::string path_;
};

uint64_t FileBytes(const std::string& path) {
  std::error_code ec;
  const auto n = std::filesystem::file_size(path, ec);
  return ec ? 0 : uint64_t(n);
}

double Seconds(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// The encoder settings the export gives each encoder, for ffmpeg's command line.
std::string EncoderArguments(const std::string& encoder) {
  if (encoder == "libx264") return "-c:v libx264 -preset veryfast -crf 23 -bf 0 -g 250";
  if (encoder == "mpeg4") return "-c:v mpeg4 -q:v 3 -bf 0 -g 250";
  return "-c:v " + encoder + " -b:v 322560 -g 250";
}

void BM_Mp4ExportVsFfmpeg(benchmark::State& state) {
  const std::string dir = "/tmp/quovil_bench_mp4/";
  std::filesystem::create_directories(dir);
  const std::string card = dir + "card.img";
  mkcard::Options o;
  o.format = 2;
  o.records = kFrames;
  o.bothCameras = false;
  o.width = 420;
  o.height = 256;
  o.sound = true;
  o.sampleRate = 8000;
  o.framesPerSecond = 5;
  if (mkcard::WriteCard(o, card).format < 0) {
    state.SkipWithError("the synthetic recorder wrote no card");
    return;
  }
  SilentHost host;
  auto v = std::make_unique<Viewer>(host);
  v->drives = std::make_unique<OneFile>(card);
  v->CheckTimerTimer();
  const Source& src = v->source();
  if (v->selection().Count() != kFrames || !src.HasSound) {
    state.SkipWithError("the card did not open with its frames and sound");
    return;
  }
  std::vector<int32_t> indices;
  for (int32_t p = 0; p < v->selection().Count(); ++p) indices.push_back(v->IndexAtPos(p));

  // The frames and samples the export writes, raw, for ffmpeg: each picture
  // stretched and stamped (without the readings, a few pixels), repeated for
  // its share of a 5 frames a second stream as its duration says.
  const std::string frames = dir + "frames.raw", samples = dir + "sound.raw";
  {
    FILE* f = std::fopen(frames.c_str(), "wb");
    FILE* s = std::fopen(samples.c_str(), "wb");
    Picture8 pic, canvas;
    pic.Resize(src.PictureWidth, src.PictureHeight);
    const StampedSize size = StampedFrameSize(src);
    canvas.Resize(size.width & ~1, size.height & ~1);
    std::vector<uint8_t> block(kSoundBlockBytes);
    for (const int32_t i : indices) {
      v->BuildPicture(i, pic);
      ComposeStampedPicture(pic, Mp4StampText(src.TimeOf(i), "", ""), canvas);
      for (int y = 0; y < canvas.height && f; ++y) std::fwrite(canvas.Row(y), 1, size_t(canvas.width), f);
      ReadSound(src, i, block.data());
      const int count = std::min<int>(GetU16(block.data()), kSoundBlockBytes - 2);
      if (s) std::fwrite(block.data() + 2, 1, size_t(count), s);
    }
    if (f) std::fclose(f);
    if (s) std::fclose(s);
  }
  const StampedSize size = StampedFrameSize(src);
  const std::string geometry = std::to_string(size.width & ~1) + "x" + std::to_string(size.height & ~1);

  double ours = 0, theirs = 0, seconds = 0;
  uint64_t mp4Bytes = 0;
  std::string encoder;
  for (auto _ : state) {
    QuietProgress progress;
    Mp4Options options;
    auto t0 = std::chrono::steady_clock::now();
    const Mp4ExportResult r = ExportMp4(src, indices, options, dir + "ours.mp4", progress);
    ours = Seconds(t0);
    if (r.failed) {
      state.SkipWithError(("the export failed: " + r.message).c_str());
      return;
    }
    encoder = r.encoder;
    seconds = r.seconds;
    mp4Bytes = FileBytes(dir + "ours.mp4");
    // ffmpeg at the recording's mean rate; the frame count is the same.
    const double fps = r.seconds > 0 ? kFrames / r.seconds : 5;
    const std::string cmd = "ffmpeg -v error -y -f rawvideo -pix_fmt gray -s " + geometry + " -r " +
                            std::to_string(fps) + " -i " + frames + " -f u8 -ar " + std::to_string(src.SampleRate) +
                            " -ac 1 -i " + samples + " " + EncoderArguments(encoder) +
                            " -pix_fmt yuv420p -color_range tv -c:a aac -b:a 48k -movflags +faststart " + dir +
                            "ffmpeg.mp4";
    t0 = std::chrono::steady_clock::now();
    if (std::system(cmd.c_str()) != 0) {
      state.SkipWithError("ffmpeg could not encode the frames");
      return;
    }
    theirs = Seconds(t0);
    state.SetIterationTime(ours);
  }

  // The AVI of the same fragment, by the command line's export.
  uint64_t aviBytes = 0;
  if (const char* cli = std::getenv("QUOVIL_CLI")) {
    const std::string out = dir + "fragment.avi";
    const std::string cmd = std::string(cli) + " export-avi " + card + " " + out + " > " + dir + "avi.json";
    if (std::system(cmd.c_str()) == 0) {
      std::FILE* j = std::fopen((dir + "avi.json").c_str(), "rb");
      std::string text;
      char buf[4096];
      for (size_t n; j && (n = std::fread(buf, 1, sizeof buf, j)) > 0;) text.append(buf, n);
      if (j) std::fclose(j);
      const nlohmann::json done = nlohmann::json::parse(text, nullptr, false);
      if (done.is_object() && done.contains("files"))
        for (const auto& file : done["files"]) aviBytes += FileBytes(file.get<std::string>());
    }
  }
  state.counters["ours_s"] = ours;
  state.counters["ffmpeg_s"] = theirs;
  state.counters["ratio"] = theirs > 0 ? ours / theirs : 0;
  state.counters["film_s"] = seconds;
  state.counters["mp4_MB"] = double(mp4Bytes) / 1e6;
  state.counters["ffmpeg_MB"] = double(FileBytes(dir + "ffmpeg.mp4")) / 1e6;
  state.counters["avi_MB"] = double(aviBytes) / 1e6;
  state.counters["size_ratio"] = aviBytes > 0 ? double(mp4Bytes) / double(aviBytes) : 0;
  state.counters["x264"] = encoder == "libx264" ? 1 : 0;
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_Mp4ExportVsFfmpeg)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
