// Finding the frame information of many records: 30 000 records of one
// second without an information block, against the same records spread
// over an hour. The route export asks for every record's block.
#include <benchmark/benchmark.h>

#include "gps/gpx_route.h"
#include "card/source.h"

namespace {

using namespace quovil;

constexpr int kRecords = 30000;

// perSecond records share each second; none carries an information block.
Source FillCard(int perSecond, std::vector<int32_t>& indices) {
  Source src;
  src.SourceIsCard = true;
  src.CardOpen = true;
  src.CardFormat = 2;
  src.LongCatalogue.assign(kRecords, LongEntry{});
  for (int i = 0; i < kRecords; ++i) {
    LongEntry& e = src.LongCatalogue[size_t(i)];
    e.b[4] = uint8_t(i & 1);
    const int s = i / perSecond;
    TimeStamp t{15, 6, 24, uint8_t(12 + s / 3600 % 12), uint8_t(s / 60 % 60), uint8_t(s % 60)};
    t.To(&e.b[10]);
    indices.push_back(i);
  }
  src.EntryCount = kRecords;
  src.CatalogueChanged();
  return src;
}

void RouteOf(benchmark::State& state, int perSecond) {
  std::vector<int32_t> indices;
  const Source src = FillCard(perSecond, indices);
  for (auto _ : state) {
    const std::vector<TrackPoint> points = RouteOfRecords(src, indices);
    benchmark::DoNotOptimize(points.data());
  }
  state.counters["records"] = double(indices.size());
}

void BM_RouteSameSecond(benchmark::State& state) { RouteOf(state, kRecords); }
BENCHMARK(BM_RouteSameSecond)->Unit(benchmark::kMillisecond);

void BM_RouteSpreadOverAnHour(benchmark::State& state) { RouteOf(state, kRecords / 3600 + 1); }
BENCHMARK(BM_RouteSpreadOverAnHour)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
