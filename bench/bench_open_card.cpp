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
#include "card/state_tables.h"
#include "platform/block_device.h"
#include "platform/host.h"

namespace {

using namespace quovil;

constexpr uint32_t kCapacity = 1000000;
constexpr uint32_t kStateSector = 64;
constexpr uint64_t kRingOffset = uint64_t(kStateSector + 2) * 512;
constexpr uint64_t kRingBytes = uint64_t(kCapacity) * 16;

// Records of 3 sectors chained round the ring; the recorder's write position
// sits `scan` entries after the tail, the head 200 entries before that.
std::string MakeImage(uint32_t scan) {
  std::string path =
      "/tmp/quovil-bench-open-card-" + std::to_string(getpid()) + "-" + std::to_string(scan) + ".img";
  std::vector<uint8_t> card(size_t(kRingOffset + kRingBytes), 0);
  std::memcpy(&card[3], "KORAX-X ", 8);
  card[72] = 1;
  PutU32(&card[73], kStateSector);
  SealRecord(card.data(), 116);

  const uint32_t tail = 600000, stop = scan, head = (tail + stop - 200) % kCapacity;
  uint8_t* t = &card[size_t(kStateSector) * 512];
  state2::TableLength.Set(t, 87);
  state2::TableVersion.Set(t, 4);
  state2::DataBaseSector.Set(t, 100000);
  state2::DataAreaSectors.Set(t, 4000000);
  state2::RingCapacity.Set(t, kCapacity);
  state2::ScanSteps.Set(t, kCapacity);
  state2::Width.Set(t, 320);
  state2::Height.Set(t, 240);
  state2::PictureBlockBytes.Set(t, 20 * 512);
  state2::SoundBytes.Set(t, 512);
  state2::SampleRate.Set(t, 8000);
  state2::RingHead.Set(t, head);
  state2::RingTail.Set(t, tail);
  state2::RingWrapped.Set(t, 1);
  // Sector numbers grow from the tail on; the write position stops the scan.
  auto sectorOf = [&](uint32_t k) { return 1 + 3 * ((k + kCapacity - tail) % kCapacity); };
  state2::DataWriteSector.Set(t, sectorOf((tail + stop) % kCapacity));
  SealRecord(t, 87);
  std::memcpy(t + 512, t, 87);
  for (uint32_t k = 0; k < kCapacity; ++k) {
    uint8_t* e = &card[kRingOffset + uint64_t(k) * 16];
    PutU32(e, sectorOf(k));
    e[4] = uint8_t(k & 1);
    e[6] = 2;
    e[7] = 1;
    TimeStamp{1, 2, 24, 3, 4, 5}.To(e + 10);
  }
  FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(card.data(), 1, card.size(), f);
  std::fclose(f);
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
    if (!ok || src.EntryCount < int32_t(kCapacity) - 1000) state.SkipWithError("card not recognised");
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
