// Rebuilding the selection of a full catalogue with a kind filter on.
#include <benchmark/benchmark.h>

#include "viewer/viewer.h"
#include "support/viewer_probe.h"

using quovil::test::ViewerProbe;

namespace {

using namespace quovil;

constexpr int kEntries = 1000000;

void FillCard(Viewer& v) {
  ViewerProbe::Src(v).SourceIsCard = true;
  ViewerProbe::Src(v).CardOpen = true;
  ViewerProbe::Src(v).CardFormat = 2;
  ViewerProbe::Src(v).LongCatalogue.resize(kEntries);
  const uint8_t kinds[] = {0x00, 0x04, 0x08, 0x10, 0x20, 0x88};
  for (int i = 0; i < kEntries; ++i) {
    LongEntry& e = ViewerProbe::Src(v).LongCatalogue[size_t(i)];
    e.b[4] = uint8_t(kinds[i % 6] | ((i / 5) & 1));
    TimeStamp t{15, 6, 24, uint8_t((i / 3600) % 24), uint8_t((i / 60) % 60), uint8_t(i % 60)};
    t.To(&e.b[10]);
  }
  ViewerProbe::Src(v).EntryCount = kEntries;
}

void BM_RebuildWithMotionFilter(benchmark::State& state) {
  SilentHost host;
  Viewer v(host);
  FillCard(v);
  v.SetKindFilters({false, false, true, false, false, false});
  for (auto _ : state) {
    ViewerProbe::Sel(v).ForgetPosition();
    v.RebuildSelection();
    benchmark::DoNotOptimize(v.selection().Count());
  }
  state.counters["selected"] = v.selection().Count();
}
BENCHMARK(BM_RebuildWithMotionFilter)->Unit(benchmark::kMillisecond);

void BM_RebuildDefaultFilters(benchmark::State& state) {
  SilentHost host;
  Viewer v(host);
  FillCard(v);
  for (auto _ : state) {
    v.RebuildSelection();  // the record shown stays shown
    benchmark::DoNotOptimize(v.selection().Count());
  }
  state.counters["selected"] = v.selection().Count();
}
BENCHMARK(BM_RebuildDefaultFilters)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
