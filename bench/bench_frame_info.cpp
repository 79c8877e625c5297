// Finding the frame information of many records: 30 000 records of one
// second without an information block, against the same records spread
// over an hour. The route export asks for every record's block.
#include <benchmark/benchmark.h>

#include "gps/gpx_route.h"
#include "viewer/viewer.h"

namespace {

using namespace quovil;

constexpr int kRecords = 30000;

// perSecond records share each second; none carries an information block.
void FillCard(Viewer& v, int perSecond) {
  v.src.SourceIsCard = true;
  v.src.CardOpen = true;
  v.src.CardFormat = 2;
  v.src.LongCatalogue.assign(kRecords, LongEntry{});
  for (int i = 0; i < kRecords; ++i) {
    LongEntry& e = v.src.LongCatalogue[size_t(i)];
    e.b[4] = uint8_t(i & 1);
    const int s = i / perSecond;
    TimeStamp t{15, 6, 24, uint8_t(12 + s / 3600 % 12), uint8_t(s / 60 % 60), uint8_t(s % 60)};
    t.To(&e.b[10]);
  }
  v.src.EntryCount = kRecords;
  v.src.CatalogueChanged();
  v.RebuildSelection();
}

void RouteOf(benchmark::State& state, int perSecond) {
  SilentHost host;
  Viewer v(host);
  FillCard(v, perSecond);
  for (auto _ : state) {
    const std::vector<TrackPoint> points = RouteOfPositions(v, 0, v.SelCount - 1);
    benchmark::DoNotOptimize(points.data());
  }
  state.counters["records"] = v.SelCount;
}

void BM_RouteSameSecond(benchmark::State& state) { RouteOf(state, kRecords); }
BENCHMARK(BM_RouteSameSecond)->Unit(benchmark::kMillisecond);

void BM_RouteSpreadOverAnHour(benchmark::State& state) { RouteOf(state, kRecords / 3600 + 1); }
BENCHMARK(BM_RouteSpreadOverAnHour)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
