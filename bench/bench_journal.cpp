// Reading a journal from a card and filling its rows, up to the largest ring
// the viewer accepts.
#include <benchmark/benchmark.h>

#include <cstring>

#include "card/korax.h"
#include "card/source.h"
#include "journal/journal_log.h"
#include "platform/block_device.h"

namespace {

using namespace quovil;

// A full ring of n records cycling through power, link, video, mode and card
// events, so every kind of row text is composed.
Source FullJournalCard(uint32_t n) {
  static constexpr uint8_t kEvents[][2] = {{1, 1}, {22, 0x05}, {21, 0x02}, {20, 0x03}, {1, 5},
                                           {19, 0x1F}, {22, 0x04}, {2, 1}, {3, 0}, {1, 4}};
  std::vector<uint8_t> bytes(kJournalRecordsOffset + size_t(n) * 8);
  uint8_t* h = &bytes[kJournalHeaderOffset];
  PutU16(h, 84);
  h[2] = 1;
  std::memcpy(h + 4, "2.17", 4);
  PutU32(h + 75, n * 8);
  PutU32(h + 79, n / 3);
  SealRecord(h, 84);
  for (uint32_t i = 0; i < n; ++i) {
    uint8_t* r = &bytes[kJournalRecordsOffset + size_t(i) * 8];
    const auto& e = kEvents[i % std::size(kEvents)];
    const uint8_t rec[8] = {uint8_t(1 + i % 28), uint8_t(1 + i % 12), 24, uint8_t(i % 24), uint8_t(i % 60),
                            e[0], e[1], 0};
    std::memcpy(r, rec, 8);
    SealRecord(r, 8);
  }
  Source src;
  src.SourceIsCard = true;
  src.CardOpen = true;
  src.CardFormat = 2;
  src.Card = MemoryDevice(std::move(bytes));
  return src;
}

void BM_ReadJournalFromCard(benchmark::State& state) {
  const Source src = FullJournalCard(uint32_t(state.range(0)));
  for (auto _ : state) {
    Journal j;
    j.ReadJournalFromCard(src);
    benchmark::DoNotOptimize(j.Rows.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadJournalFromCard)->Arg(4096)->Arg(65536)->Arg(int64_t(kMaxJournalBytes / 8))->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
