// Rebuilding the selection of a full catalogue with a kind filter on.
#include <benchmark/benchmark.h>

#include "viewer/viewer.h"

namespace {

using namespace quovil;

constexpr int kEntries = 1000000;

void FillCard(Viewer& v) {
  v.src.SourceIsCard = true;
  v.src.CardOpen = true;
  v.src.CardFormat = 2;
  v.src.LongCatalogue.resize(kEntries);
  const uint8_t kinds[] = {0x00, 0x04, 0x08, 0x10, 0x20, 0x88};
  for (int i = 0; i < kEntries; ++i) {
    LongEntry& e = v.src.LongCatalogue[size_t(i)];
    e.b[4] = uint8_t(kinds[i % 6] | ((i / 5) & 1));
    TimeStamp t{15, 6, 24, uint8_t((i / 3600) % 24), uint8_t((i / 60) % 60), uint8_t(i % 60)};
    t.To(&e.b[10]);
  }
  v.src.EntryCount = kEntries;
}

void BM_RebuildWithMotionFilter(benchmark::State& state) {
  SilentHost host;
  Viewer v(host);
  FillCard(v);
  v.actions.Hand = v.actions.External = v.actions.Timer = v.actions.Sound = false;
  for (auto _ : state) {
    v.CurIndex = -1;
    v.RebuildSelection();
    benchmark::DoNotOptimize(v.SelCount);
  }
  state.counters["selected"] = v.SelCount;
}
BENCHMARK(BM_RebuildWithMotionFilter)->Unit(benchmark::kMillisecond);

void BM_RebuildDefaultFilters(benchmark::State& state) {
  SilentHost host;
  Viewer v(host);
  FillCard(v);
  for (auto _ : state) {
    v.RebuildSelection();  // the record shown stays shown
    benchmark::DoNotOptimize(v.SelCount);
  }
  state.counters["selected"] = v.SelCount;
}
BENCHMARK(BM_RebuildDefaultFilters)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
