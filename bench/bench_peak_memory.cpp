// Peak memory of the command-line viewer opening a format-2 card whose wrapped
// catalogue ring holds 1 000 000 entries: `quovil-cli info` (recognition,
// catalogue, selection, status bar, the first picture) in a child process,
// its maximum resident set size against the catalogue's own 16 MB.
// The program: QUOVIL_CLI (default quovil-cli beside this benchmark).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "ring_card.h"

extern char** environ;

namespace {

using namespace quovil;
using namespace quovil::bench;

// Every ring place used; the record area is a hole of the sparse file (zero
// pictures), so the image costs only the ring on disk.
std::string MakeImage() {
  std::string path = "/tmp/quovil-bench-peak-" + std::to_string(getpid()) + ".img";
  RingLayout l;
  l.timesVary = true;
  if (!WriteImage(path, WrappedRingCard(l))) return "";
  std::filesystem::resize_file(path, (uint64_t(kRingDataBase) + kRingDataSectors) * 512);
  return path;
}

std::string CliPath() {
  if (const char* p = std::getenv("QUOVIL_CLI")) return p;
  return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "../src/cli/quovil-cli").string();
}

// Runs the program with its output thrown away; its peak RSS in KiB, or -1
// (also when it fails and mustSucceed).
long PeakKiB(const std::vector<std::string>& argv, bool mustSucceed) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid;
  int rc = posix_spawn(&pid, args[0], &fa, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&fa);
  if (rc != 0) return -1;
  int status = 0;
  rusage ru{};
  if (wait4(pid, &status, 0, &ru) != pid || !WIFEXITED(status)) return -1;
  if (mustSucceed && WEXITSTATUS(status) != 0) return -1;
  return ru.ru_maxrss;
}

void BM_PeakMemoryInfoMillionEntries(benchmark::State& state) {
  const std::string image = MakeImage();
  const std::string cli = CliPath();
  long peak = -1, idle = -1;
  for (auto _ : state) {
    peak = PeakKiB({cli, "info", image}, true);
    // The same program failing to find a card: its start-up footprint.
    idle = PeakKiB({cli, "info", "/dev/null"}, false);
  }
  std::filesystem::remove(image);
  if (peak < 0) {
    state.SkipWithError("quovil-cli info failed on the million-entry card");
    return;
  }
  state.counters["peak_MiB"] = double(peak) / 1024.0;
  state.counters["startup_MiB"] = idle > 0 ? double(idle) / 1024.0 : 0;
  state.counters["catalogue_MiB"] = double(kRingBytes) / 1048576.0;
  state.counters["peak_per_catalogue"] = double(peak) * 1024.0 / double(kRingBytes);
}
BENCHMARK(BM_PeakMemoryInfoMillionEntries)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
