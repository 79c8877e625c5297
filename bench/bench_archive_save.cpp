// Saving a large fragment of a card image that lies in the page cache into an
// archive file, against `cp` of the same number of bytes in the same run.
// Size: QUOVIL_BENCH_ARCHIVE_MB (default 1024).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "export/archive_save.h"
#include "mkcard/mkcard.h"
#include "platform/block_device.h"
#include "viewer/viewer.h"

namespace {

using namespace quovil;

class OneImage : public DriveEnumerator {
 public:
  explicit OneImage(std::string path) : path_(std::move(path)) {}
  std::unique_ptr<BlockDevice> Open(int n) override { return n == 0 ? OpenReadOnlyFile(path_) : nullptr; }
  int Count() override { return 1; }

 private:
  std::string path_;
};

struct Fixture {
  std::string dir;
  std::string image;
  SilentHost host;
  Viewer viewer{host};
  std::vector<int32_t> indices;
  uint64_t bytes = 0;

  Fixture() {
    const char* mb = std::getenv("QUOVIL_BENCH_ARCHIVE_MB");
    const double megabytes = mb ? std::atof(mb) : 1024.0;
    dir = "/tmp/quovil-bench-archive-" + std::to_string(getpid());
    std::filesystem::create_directories(dir);
    image = dir + "/card.img";
    mkcard::Options o;
    o.format = 1;
    o.resolutionIndex = 0;  // 420 x 256
    o.records = int(megabytes * 1048576.0 / (420.0 * 256 + 11264));
    mkcard::WriteCard(o, image);
    viewer.drives = std::make_unique<OneImage>(image);
    viewer.CheckTimerTimer();
    for (int32_t p = 0; p < viewer.selection().Count(); ++p) indices.push_back(viewer.IndexAtPos(p));
    bytes = uint64_t(indices.size()) * 512u * ((420u * 256u + 511u) / 512u + 22u);
    // Into the page cache before anything is measured.
    if (std::system(("cat '" + image + "' > /dev/null").c_str()) != 0) std::fprintf(stderr, "cache warm-up failed\n");
  }
  ~Fixture() { std::filesystem::remove_all(dir); }
};

Fixture& Shared() {
  static Fixture f;
  return f;
}

double Seconds(std::chrono::steady_clock::time_point from) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

void BM_SaveFragment(benchmark::State& state) {
  Fixture& f = Shared();
  const std::string out = f.dir + "/out.kif", copy = f.dir + "/copy.kif";
  double save = 0, cp = 0;
  bool cpFirst = false;
  for (auto _ : state) {
    // Alternating the order spreads the write-back of one copy's dirty pages
    // over both sides.
    auto runCp = [&] {
      const auto t0 = std::chrono::steady_clock::now();
      // The save writes its .sha256 beside the archive: the outside tools'
      // way to the same two files is cp and sha256sum.
      if (std::system(("cp '" + out + "' '" + copy + "' && sha256sum '" + copy + "' > '" + copy + ".sha256'").c_str()) != 0)
        state.SkipWithError("cp failed");
      cp += Seconds(t0);
      std::filesystem::remove(copy);
      std::filesystem::remove(copy + ".sha256");
    };
    if (cpFirst) runCp();
    // cp writes a new file: so does the save, rather than paying for the
    // truncation of the previous round's file.
    std::filesystem::remove(out);
    const auto t0 = std::chrono::steady_clock::now();
    HostProgress progress(f.host);
    const ArchiveSaveResult r = WriteArchiveFile(f.viewer.source(), f.indices, out, progress);
    save += Seconds(t0);
    if (r.status != ArchiveSaveStatus::Saved) state.SkipWithError("save failed");
    if (!cpFirst) runCp();
    cpFirst = !cpFirst;
  }
  std::filesystem::remove(out);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.bytes));
  state.counters["MB"] = double(f.bytes) / 1048576.0;
  state.counters["ratio_to_cp"] = save > 0 ? cp / save : 0;
  state.counters["save_MBps"] = save > 0 ? double(f.bytes) * double(state.iterations()) / 1048576.0 / save : 0;
  state.counters["cp_MBps"] = cp > 0 ? double(f.bytes) * double(state.iterations()) / 1048576.0 / cp : 0;
}
BENCHMARK(BM_SaveFragment)->Unit(benchmark::kMillisecond)->Iterations(4)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
