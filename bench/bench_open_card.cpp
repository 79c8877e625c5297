// Recognising a format-2 card whose wrapped catalogue ring holds 1 000 000
// entries (16 MB), against one plain read of the same catalogue bytes. The
// image lies in the page cache, so the figures compare the loader's own work
// with the cost of the bytes themselves.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "card/card_header.h"
#include "platform/block_device.h"
#include "platform/host.h"
#include "ring_card.h"

namespace {

using namespace quovil;
using namespace quovil::bench;

// The recorder's write position sits `scan` entries after the tail, the head
// 200 entries before that.
std::string MakeImage(uint32_t scan) {
  std::string path =
      "/tmp/quovil-bench-open-card-" + std::to_string(getpid()) + "-" + std::to_string(scan) + ".img";
  RingLayout l;
  l.head = (kRingTail + scan - 200) % kRingCapacity;
  l.scanSteps = kRingCapacity;
  // Sector numbers grow from the tail on; the write position stops the scan.
  l.writeSector = RingSectorOf((kRingTail + scan) % kRingCapacity);
  WriteImage(path, WrappedRingCard(l));
  return path;
}

// The recorder's own scan distance is short; a long one shows what the walk costs.
constexpr uint32_t kShortScan = 2000, kLongScan = 300000;

const std::string& Image(uint32_t scan) {
  static const std::string shortScan = MakeImage(kShortScan), longScan = MakeImage(kLongScan);
  return scan == kShortScan ? shortScan : longScan;
}

void BM_RecogniseWrappedRing(benchmark::State& state) {
  SilentHost host;
  const std::string& image = Image(uint32_t(state.range(0)));
  for (auto _ : state) {
    Source src;
    src.Card = OpenImageFile(image);
    src.CardOpen = true;
    std::array<uint8_t, 512> sector0;
    src.Card->Read(0, sector0.data(), sector0.size());
    std::string text;
    bool ok = ReadCardHeader(src, sector0.data(), host, text);
    if (!ok || src.EntryCount < int32_t(kRingCapacity) - 1000) state.SkipWithError("card not recognised");
    benchmark::DoNotOptimize(src.LongCatalogue.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kRingBytes));
}

bool PlainRead(const std::string& image, uint8_t* buf) {
  int fd = open(image.c_str(), O_RDONLY);
  size_t done = 0;
  while (fd >= 0 && done < kRingBytes) {
    ssize_t n = pread(fd, buf + done, kRingBytes - done, off_t(kRingOffset + done));
    if (n <= 0) break;
    done += size_t(n);
  }
  if (fd >= 0) close(fd);
  return done == kRingBytes;
}

// The bytes read into a fresh zeroed vector, as the catalogue arrays are.
void BM_PlainReadIntoVector(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<uint8_t> buf(kRingBytes);
    if (!PlainRead(Image(kShortScan), buf.data())) state.SkipWithError("short read");
    benchmark::DoNotOptimize(buf.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kRingBytes));
}

// The bytes read into fresh memory nobody has written.
void BM_PlainReadUninitialised(benchmark::State& state) {
  for (auto _ : state) {
    std::unique_ptr<uint8_t[]> buf(new uint8_t[kRingBytes]);
    if (!PlainRead(Image(kShortScan), buf.get())) state.SkipWithError("short read");
    benchmark::DoNotOptimize(buf.get());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kRingBytes));
}

BENCHMARK(BM_RecogniseWrappedRing)->Arg(kShortScan)->Arg(kLongScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainReadIntoVector)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainReadUninitialised)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  Image(kShortScan);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::remove(Image(kShortScan).c_str());
  std::remove(Image(kLongScan).c_str());
  return 0;
}
