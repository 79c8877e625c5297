// Imaging a card: the whole source read once in 4 MiB blocks, hashed with
// SHA-256 and MD5 on the way and written into an image, against `dd bs=4M`
// reading the same source into the same folder in the same run. A card is
// not in the page cache, so the source is dropped from it before every
// round; the image reaches the disk before it is named, so dd is asked for
// the same (conv=fdatasync). Size: QUOVIL_BENCH_IMAGE_MB (default 256).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "export/card_image.h"
#include "platform/block_device.h"

namespace {

using namespace quovil;

class Quiet : public WorkProgress {
 public:
  void Begin(const std::string&, const std::string&, int) override {}
  void Step(int) override {}
  bool Cancelled() override { return false; }
  void End() override {}
};

struct Fixture {
  std::string dir, source;
  uint64_t bytes = 0;

  Fixture() {
    const char* mb = std::getenv("QUOVIL_BENCH_IMAGE_MB");
    bytes = uint64_t((mb ? std::atof(mb) : 256.0) * 1048576.0);
    dir = "/tmp/quovil-bench-image-" + std::to_string(getpid());
    std::filesystem::create_directories(dir);
    source = dir + "/card.img";
    // Bytes that no digest can shortcut, written once and flushed, so that
    // they can be dropped from the page cache.
    std::FILE* f = std::fopen(source.c_str(), "wb");
    std::vector<uint32_t> block(1 << 18);
    uint32_t x = 2463534242u;
    for (uint64_t done = 0; f && done < bytes; done += block.size() * 4) {
      for (uint32_t& w : block) {
        x ^= x << 13, x ^= x >> 17, x ^= x << 5;
        w = x;
      }
      std::fwrite(block.data(), 1, std::size_t(std::min<uint64_t>(block.size() * 4, bytes - done)), f);
    }
    if (f) {
      std::fflush(f);
      fdatasync(fileno(f));
      std::fclose(f);
    }
  }
  ~Fixture() { std::filesystem::remove_all(dir); }

  void DropSourceFromCache() const {
    const int fd = open(source.c_str(), O_RDONLY);
    if (fd < 0) return;
    posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    close(fd);
  }
};

Fixture& Shared() {
  static Fixture f;
  return f;
}

double Seconds(std::chrono::steady_clock::time_point from) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

void BM_ImageCard(benchmark::State& state) {
  Fixture& f = Shared();
  const std::string out = f.dir + "/image.img", copy = f.dir + "/dd.img";
  double ours = 0, dd = 0;
  bool ddFirst = false;
  for (auto _ : state) {
    auto runDd = [&] {
      std::filesystem::remove(copy);
      f.DropSourceFromCache();
      const auto t0 = std::chrono::steady_clock::now();
      const std::string cmd =
          "dd if='" + f.source + "' of='" + copy + "' bs=4M conv=fdatasync status=none";
      if (std::system(cmd.c_str()) != 0) state.SkipWithError("dd failed");
      dd += Seconds(t0);
      std::filesystem::remove(copy);
    };
    if (ddFirst) runDd();
    for (const char* side : {"", ".sha256", ".map", ".json"}) std::filesystem::remove(out + side);
    f.DropSourceFromCache();
    const auto t0 = std::chrono::steady_clock::now();
    {
      auto src = OpenReadOnlyFile(f.source);
      Quiet progress;
      const CardImageResult r = WriteCardImage(*src, out, DeviceIdentity{f.source}, progress);
      if (r.status != CardImageResult::Status::Done) state.SkipWithError(r.message.c_str());
    }
    ours += Seconds(t0);
    if (!ddFirst) runDd();
    ddFirst = !ddFirst;
  }
  const double mb = double(f.bytes) / 1048576.0 * double(state.iterations());
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.bytes));
  state.counters["MB"] = double(f.bytes) / 1048576.0;
  state.counters["image_MBps"] = ours > 0 ? mb / ours : 0;
  state.counters["dd_MBps"] = dd > 0 ? mb / dd : 0;
  state.counters["ratio_to_dd"] = ours > 0 ? dd / ours : 0;
}
BENCHMARK(BM_ImageCard)->Unit(benchmark::kMillisecond)->Iterations(4)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
