// Building the telemetry index of a 1 000 000-entry card (about 170 000
// information blocks, one a second) against a plain read of the same blocks
// at the same offsets, one read each in card order; and the index loaded from
// the cache on a second opening. The image is a sparse file in the page
// cache, so the figures compare the index's own work with the cost of the
// bytes themselves; both in real time, as the user waits (the index reads on
// one thread and parses on another). Also the window thread's largest gap
// between two turns while the index is built.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "card/source.h"
#include "decode/frame_record.h"
#include "gps/nmea.h"
#include "gps/telemetry.h"
#include "gps/telemetry_cache.h"
#include "platform/block_device.h"
#include "platform/host.h"

namespace {

using namespace quovil;

constexpr int kEntries = 1000000;
constexpr int kPerSecond = 6;  // records of both cameras in one second
constexpr uint32_t kDataBase = 64;

class NoProgress : public WorkProgress {
 public:
  void Begin(const std::string&, const std::string&, int) override {}
  void Step(int) override {}
  bool Cancelled() override { return false; }
  void End() override {}
};

// The recording runs from 1 July 2024 on, day after day.
TimeStamp TimeOfSecond(int second) {
  return {uint8_t(1 + second / 86400), 7, 24, uint8_t(second / 3600 % 24), uint8_t(second / 60 % 60),
          uint8_t(second % 60)};
}

// The block of one second: a sensor record and RMC, GGA and VTG sentences
// along a route, as the recorder writes them.
std::vector<uint8_t> InfoBlock(int second) {
  const TimeStamp t = TimeOfSecond(second);
  const double lat = 55.0 + (second % 36000) * 0.0001, lon = 37.0 + (second % 72000) * 0.0001;
  const int latDeg = int(lat), lonDeg = int(lon);
  const std::string hms = Format("%02d%02d%02d.00", t.hour, t.minute, t.second);
  const std::string latText = Format("%02d%07.4f", latDeg, (lat - latDeg) * 60);
  const std::string lonText = Format("%03d%07.4f", lonDeg, (lon - lonDeg) * 60);
  const double kmh = 20 + second % 90;
  const std::string text =
      NmeaWithChecksum(Format("GPRMC,%s,A,%s,N,%s,E,%05.1f,%05.1f,010724,,,A", hms.c_str(), latText.c_str(),
                              lonText.c_str(), kmh / 1.852, double(second % 360))) + "\r\n" +
      NmeaWithChecksum(Format("GPGGA,%s,%s,N,%s,E,1,08,0.9,150.0,M,14.0,M,,", hms.c_str(), latText.c_str(),
                              lonText.c_str())) + "\r\n" +
      NmeaWithChecksum(Format("GPVTG,%05.1f,T,%05.1f,M,%05.1f,N,%05.1f,K,A", double(second % 360),
                              double(second % 360), kmh / 1.852, kmh)) + "\r\n";
  std::vector<uint8_t> b(512, 0);
  PutU16(&b[0], 13);
  b[2] = 0x0A;
  b[3] = 0x08;
  PutU16(&b[4], uint16_t(130 + second % 20));
  PutU16(&b[8], uint16_t(40 + second % 5));
  PutU16(&b[13], uint16_t(text.size() + 4));
  b[15] = 0x0B;
  std::copy(text.begin(), text.end(), b.begin() + 16);
  return b;
}

struct Card {
  std::string path;
  Source src;
  std::vector<std::pair<uint64_t, size_t>> blocks;  // in card order
  uint64_t blockBytes = 0;
};

// Records of one sound and two picture sectors, the first of each second
// with an information block after them; written as a sparse image.
Card& TheCard() {
  static Card card = [] {
    Card c;
    c.path = "/tmp/quovil-bench-telemetry-" + std::to_string(getpid()) + ".img";
    Source& s = c.src;
    s.SourceIsCard = true;
    s.CardOpen = true;
    s.CardFormat = 2;
    s.DataBaseSector = kDataBase;
    s.LongCatalogue.assign(kEntries, LongEntry{});
    uint32_t sector = 0;
    for (int i = 0; i < kEntries; ++i) {
      LongEntry& e = s.LongCatalogue[size_t(i)];
      const int second = i / kPerSecond;
      e.SetFirstSector(sector);
      e.b[4] = uint8_t(i & 1);
      e.b[6] = 2;
      e.b[7] = 1;
      e.b[8] = i % kPerSecond == 0 ? 1 : 0;
      TimeOfSecond(second).To(&e.b[10]);
      sector += e.RecordSectors();
    }
    s.EntryCount = kEntries;
    s.CatalogueChanged();
    const int fd = open(c.path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
    bool ok = fd >= 0 && ftruncate(fd, off_t(uint64_t(kDataBase + sector) * 512)) == 0;
    for (int i = 0; ok && i < kEntries; i += kPerSecond) {
      const std::vector<uint8_t> block = InfoBlock(i / kPerSecond);
      const uint64_t at = InfoOffset(s, i);
      ok = pwrite(fd, block.data(), block.size(), off_t(at)) == ssize_t(block.size());
      c.blocks.emplace_back(at, block.size());
      c.blockBytes += block.size();
    }
    if (fd >= 0) close(fd);
    s.Card = ok ? OpenImageFile(c.path) : nullptr;
    if (s.Card) s.SourceSize = s.Card->Length();
    return c;
  }();
  return card;
}

void BM_BuildTelemetryIndex(benchmark::State& state) {
  Card& c = TheCard();
  if (!c.src.Card) return state.SkipWithError("no image");
  NoProgress progress;
  TelemetryIndex index;
  for (auto _ : state) {
    index = BuildTelemetryIndex(c.src, progress);
    benchmark::DoNotOptimize(index.Seconds().data());
  }
  if (index.BlocksRead() != int(c.blocks.size())) state.SkipWithError("blocks missed");
  state.counters["seconds"] = double(index.Seconds().size());
  state.counters["blocks"] = double(index.BlocksRead());
  state.counters["bytes_read"] = double(index.BytesRead());
  state.counters["bytes_vs_plain"] = double(index.BytesRead()) / double(c.blockBytes);
}

// The same blocks at the same offsets, one read each, nothing done with them.
void BM_PlainBlockReads(benchmark::State& state) {
  Card& c = TheCard();
  const int fd = open(c.path.c_str(), O_RDONLY);
  if (fd < 0) return state.SkipWithError("no image");
  uint8_t buf[8192];
  uint64_t bytes = 0;
  for (auto _ : state) {
    bytes = 0;
    for (const auto& [at, n] : c.blocks) {
      if (pread(fd, buf, n, off_t(at)) != ssize_t(n)) return state.SkipWithError("short read");
      bytes += n;
      benchmark::DoNotOptimize(buf[0]);
    }
  }
  close(fd);
  state.counters["blocks"] = double(c.blocks.size());
  state.counters["bytes_read"] = double(bytes);
}

// The parsing alone: the same blocks from memory.
void BM_ParseBlocksInMemory(benchmark::State& state) {
  Card& c = TheCard();
  std::vector<std::vector<uint8_t>> blocks;
  for (size_t k = 0; k < c.blocks.size(); ++k) blocks.push_back(InfoBlock(int(k)));
  for (auto _ : state) {
    for (const auto& b : blocks) {
      TelemetrySecond s;
      ParseTelemetryBlock(b.data(), b.size(), s);
      benchmark::DoNotOptimize(s.gps.lat);
    }
  }
  state.counters["blocks"] = double(blocks.size());
}

// A second opening: the index of the same card from the cache folder.
void BM_LoadTelemetryCache(benchmark::State& state) {
  Card& c = TheCard();
  if (!c.src.Card) return state.SkipWithError("no image");
  const std::string dir = c.path + ".cache";
  NoProgress progress;
  LoadOrBuildTelemetry(c.src, dir, progress);
  bool cached = false;
  for (auto _ : state) {
    const TelemetryIndex index = LoadOrBuildTelemetry(c.src, dir, progress, {}, &cached);
    benchmark::DoNotOptimize(index.Seconds().data());
  }
  if (!cached) state.SkipWithError("not from the cache");
  std::error_code ec;
  state.counters["file_MB"] =
      double(std::filesystem::file_size(dir + "/" + TelemetryCacheFileName(TelemetryCacheKey(c.src)), ec)) / 1e6;
  std::filesystem::remove_all(dir, ec);
}

// The window's thread while a worker builds the index: a turn of its event
// loop every 5 ms (the fastest playback timer), each reading a picture's
// sectors from the same card, and the largest gap between two turns beyond
// those 5 ms; the same loop without the worker is the reference.
double WorstTurnGapMs(Card& c, bool indexing) {
  std::atomic<bool> done{!indexing};
  std::thread worker;
  if (indexing)
    worker = std::thread([&] {
      NoProgress progress;
      const TelemetryIndex index = BuildTelemetryIndex(c.src, progress);
      benchmark::DoNotOptimize(index.Seconds().data());
      done = true;
    });
  std::vector<uint8_t> picture(64 * 1024);
  double worst = 0;
  const auto period = std::chrono::milliseconds(5);
  auto last = std::chrono::steady_clock::now();
  const auto until = last + std::chrono::milliseconds(400);
  uint64_t at = 0;
  while (!done || (!indexing && std::chrono::steady_clock::now() < until)) {
    std::this_thread::sleep_until(last + period);
    const auto now = std::chrono::steady_clock::now();
    worst = std::max(worst, std::chrono::duration<double, std::milli>(now - last - period).count());
    last = now;
    c.src.Card->Read(at, picture.data(), picture.size());
    at = (at + 7 * picture.size()) % std::max<uint64_t>(picture.size(), c.src.Card->Length() - picture.size());
  }
  if (worker.joinable()) worker.join();
  return worst;
}

void BM_WindowTurnsWhileIndexing(benchmark::State& state) {
  Card& c = TheCard();
  if (!c.src.Card) return state.SkipWithError("no image");
  double with = 0, without = 0;
  for (auto _ : state) {
    with = std::max(with, WorstTurnGapMs(c, true));
    without = std::max(without, WorstTurnGapMs(c, false));
  }
  state.counters["gap_ms"] = with;
  state.counters["alone_gap_ms"] = without;
}

BENCHMARK(BM_BuildTelemetryIndex)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainBlockReads)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WindowTurnsWhileIndexing)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ParseBlocksInMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadTelemetryCache)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  TheCard();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::remove(TheCard().path.c_str());
  return 0;
}
