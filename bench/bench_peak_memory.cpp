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

#include "card/state_tables.h"

extern char** environ;

namespace {

using namespace quovil;

constexpr uint32_t kCapacity = 1000000;
constexpr uint32_t kStateSector = 64;
constexpr uint32_t kDataBase = 100000, kDataSectors = 4000000;
constexpr uint64_t kRingOffset = uint64_t(kStateSector + 2) * 512;
constexpr uint64_t kRingBytes = uint64_t(kCapacity) * 16;

// Every ring place used, records of 3 sectors; the record area is a hole of
// the sparse file (zero pictures), so the image costs only the ring on disk.
std::string MakeImage() {
  std::string path = "/tmp/quovil-bench-peak-" + std::to_string(getpid()) + ".img";
  std::vector<uint8_t> card(size_t(kRingOffset + kRingBytes), 0);
  std::memcpy(&card[3], "KORAX-X ", 8);
  card[72] = 1;
  PutU32(&card[73], kStateSector);
  SealRecord(card.data(), 116);
  const uint32_t tail = 600000, head = tail;
  uint8_t* t = &card[size_t(kStateSector) * 512];
  state2::TableLength.Set(t, 87);
  state2::TableVersion.Set(t, 4);
  state2::DataBaseSector.Set(t, kDataBase);
  state2::DataAreaSectors.Set(t, kDataSectors);
  state2::RingCapacity.Set(t, kCapacity);
  state2::ScanSteps.Set(t, 0);
  state2::Width.Set(t, 320);
  state2::Height.Set(t, 240);
  state2::PictureBlockBytes.Set(t, 20 * 512);
  state2::SoundBytes.Set(t, 512);
  state2::SampleRate.Set(t, 8000);
  state2::RingHead.Set(t, head);
  state2::RingTail.Set(t, tail);
  state2::RingWrapped.Set(t, 1);
  state2::DataWriteSector.Set(t, 0);
  SealRecord(t, 87);
  std::memcpy(t + 512, t, 87);
  for (uint32_t k = 0; k < kCapacity; ++k) {
    uint8_t* e = &card[kRingOffset + uint64_t(k) * 16];
    PutU32(e, 1 + 3 * ((k + kCapacity - tail) % kCapacity));
    e[4] = uint8_t(k & 1);
    e[6] = 2;
    e[7] = 1;
    TimeStamp{1, 2, 24, uint8_t((k / 3600) % 24), uint8_t((k / 60) % 60), uint8_t(k % 60)}.To(e + 10);
  }
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return "";
  std::fwrite(card.data(), 1, card.size(), f);
  std::fclose(f);
  std::filesystem::resize_file(path, (uint64_t(kDataBase) + kDataSectors) * 512);
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
