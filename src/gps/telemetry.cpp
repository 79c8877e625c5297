#include "gps/telemetry.h"

#include <algorithm>
#include <array>
#include <future>
#include <utility>

#include "card/source.h"
#include "decode/frame_info.h"
#include "decode/frame_record.h"
#include "platform/host.h"
#include "platform/translate.h"

namespace quovil {

namespace {

// Progress and the stop request are looked at once per this many steps.
constexpr int kStepEvery = 1024;
// Bytes of blocks read before they are handed to the parsing thread.
constexpr size_t kBatchBytes = size_t(2) << 20;

// An information block to read: where it lies and whose second it is.
struct PendingBlock {
  uint64_t offset = 0;
  uint32_t second = 0;
  bool operator<(const PendingBlock& o) const { return offset < o.offset; }
};

bool Stopped(const std::stop_token& stop, WorkProgress& progress) {
  return stop.stop_requested() || progress.Cancelled();
}

// The runs of equal time stamps and, for each, the block the frame display
// takes for the run's first record. False when stopped.
bool CollectSeconds(const Source& src, std::vector<TelemetrySecond>& seconds, std::vector<PendingBlock>& blocks,
                    WorkProgress& progress, const std::stop_token& stop) {
  InfoRunMemo memo;
  const int32_t n = src.AddressableEntries();
  // The runs counted first, so that the rows are made in place once.
  size_t runs = n > 0 ? 1 : 0;
  for (int32_t k = 1; k < n; ++k) runs += SameTimeStamp(src.TimeBytesOf(k - 1), src.TimeBytesOf(k)) ? 0 : 1;
  seconds.reserve(runs);
  blocks.reserve(runs);
  int32_t i = 0;
  while (i < n) {
    if (seconds.size() % kStepEvery == 0 && Stopped(stop, progress)) return false;
    TelemetrySecond s;
    s.index = i;
    s.time = src.TimeOf(i);
    const int e = FindInfoEntry(src, i, memo);
    s.lastIndex = memo.last;
    if (e >= 0) blocks.push_back({InfoOffset(src, e), uint32_t(seconds.size())});
    s.infoIndex = e;
    seconds.push_back(s);
    i = memo.last + 1;
  }
  return true;
}

}  // namespace

void ParseTelemetryBlock(const uint8_t* block, size_t n, TelemetrySecond& second) {
  const uint8_t* sensor = nullptr;
  size_t sensorAvail = 0;
  const uint8_t* gps = nullptr;
  size_t gpsLength = 0;
  ForEachInfoRecord(block, n, [&](uint8_t type, const uint8_t* payload, size_t len, size_t avail) {
    if (type == kInfoSensor) {
      sensor = payload, sensorAvail = avail;
    } else {
      gps = payload, gpsLength = len;
    }
  });
  if (sensor) {
    // Nine bytes as the sensor panel takes them; those past the block read as zero.
    uint8_t d[9] = {};
    std::copy_n(sensor, std::min<size_t>(sensorAvail, 9), d);
    second.hasSensor = true;
    second.status = d[0];
    second.uin = GetU16(d + 1);
    second.uakb = GetU16(d + 5);
  }
  if (gps) second.gps = ParseGpsText(std::string_view(reinterpret_cast<const char*>(gps), gpsLength));
}

TelemetryIndex::TelemetryIndex(std::vector<TelemetrySecond> seconds, uint64_t catalogueVersion)
    : seconds_(std::move(seconds)), catalogueVersion_(catalogueVersion) {
  SortByTime();
}

void TelemetryIndex::SortByTime() {
  byTime_.clear();
  const auto earlier = [](const TelemetrySecond& a, const TelemetrySecond& b) {
    return SecondKey(a.time) < SecondKey(b.time);
  };
  if (std::is_sorted(seconds_.begin(), seconds_.end(), earlier)) return;
  // A clock that went back: lookups by time go through a sorted order.
  byTime_.resize(seconds_.size());
  for (size_t i = 0; i < byTime_.size(); ++i) byTime_[i] = uint32_t(i);
  std::stable_sort(byTime_.begin(), byTime_.end(),
                   [&](uint32_t a, uint32_t b) { return earlier(seconds_[a], seconds_[b]); });
}

const TelemetrySecond* TelemetryIndex::SecondOfIndex(int32_t index) const {
  const auto after = std::upper_bound(seconds_.begin(), seconds_.end(), index,
                                      [](int32_t i, const TelemetrySecond& s) { return i < s.index; });
  if (after == seconds_.begin()) return nullptr;
  const TelemetrySecond& s = *(after - 1);
  return index <= s.lastIndex ? &s : nullptr;
}

const TelemetrySecond* TelemetryIndex::SecondAtOrBefore(const TimeStamp& t) const {
  const int64_t key = SecondKey(t);
  const size_t n = seconds_.size();
  const auto at = [&](size_t k) -> const TelemetrySecond& { return seconds_[byTime_.empty() ? k : byTime_[k]]; };
  // The first position whose time is after t.
  size_t lo = 0, hi = n;
  while (lo < hi) {
    const size_t mid = lo + (hi - lo) / 2;
    if (SecondKey(at(mid).time) <= key) lo = mid + 1;
    else hi = mid;
  }
  if (lo == 0) return nullptr;
  // Of equal times, the first recorded.
  size_t k = lo - 1;
  while (k > 0 && SecondKey(at(k - 1).time) == SecondKey(at(k).time)) --k;
  return &at(k);
}

const TelemetrySecond* TelemetryIndex::SecondAt(const TimeStamp& t) const {
  const TelemetrySecond* s = SecondAtOrBefore(t);
  return s && SecondKey(s->time) == SecondKey(t) ? s : nullptr;
}

std::span<const TelemetrySecond> TelemetryIndex::SecondsOfRange(int32_t first, int32_t last) const {
  if (first > last) return {};
  const auto begin = std::upper_bound(seconds_.begin(), seconds_.end(), first,
                                      [](int32_t i, const TelemetrySecond& s) { return i <= s.lastIndex; });
  const auto end = std::upper_bound(begin, seconds_.end(), last,
                                    [](int32_t i, const TelemetrySecond& s) { return i < s.index; });
  return {begin, end};
}

std::vector<TelemetrySecond> TelemetryIndex::SecondsOfRecords(const std::vector<int32_t>& indices) const {
  std::vector<TelemetrySecond> out;
  std::vector<bool> taken(seconds_.size(), false);
  for (const int32_t index : indices) {
    const TelemetrySecond* s = SecondOfIndex(index);
    if (!s) continue;
    const size_t k = size_t(s - seconds_.data());
    if (taken[k]) continue;
    taken[k] = true;
    out.push_back(*s);
  }
  return out;
}

TelemetryIndex BuildTelemetryIndex(const Source& src, WorkProgress& progress, std::stop_token stop) {
  TelemetryIndex index;
  index.catalogueVersion_ = src.CatalogueVersion;
  BlockDevice* dev = src.FrameDevice();
  if (!src.Open() || src.ShortEntries() || !dev) return index;
  std::vector<PendingBlock> blocks;
  if (!CollectSeconds(src, index.seconds_, blocks, progress, stop)) {
    index.complete_ = false;
    index.seconds_.clear();
    return index;
  }
  // In the order of the card, so that a card reader streams rather than seeks
  // (a wrapped ring keeps its older records after the newer ones).
  if (!std::is_sorted(blocks.begin(), blocks.end())) std::sort(blocks.begin(), blocks.end());
  progress.Begin(Tr("Gps", "Телеметрия"), Tr("Gps", "Чтение датчиков и GPS…"), int(blocks.size()));
  // Reading and parsing overlap: this thread reads a batch of blocks while a
  // second one parses the batch read before (each block belongs to a second
  // of its own, so the two never touch the same row).
  struct Batch {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(kBatchBytes);
    std::vector<std::pair<uint32_t, uint32_t>> items;  // row, bytes (packed one after another)
  };
  std::array<Batch, 2> batches;
  std::future<void> parsing;
  const auto parse = [&index](Batch* batch) {
    size_t at = 0;
    for (const auto& [row, n] : batch->items) {
      ParseTelemetryBlock(batch->bytes.data() + at, n, index.seconds_[row]);
      at += n;
    }
  };
  size_t current = 0;
  for (size_t b = 0; b < blocks.size() && index.complete_;) {
    Batch& batch = batches[current];
    batch.items.clear();
    size_t used = 0;
    for (; b < blocks.size(); ++b) {
      if (b % kStepEvery == 0) {
        if (Stopped(stop, progress)) {
          index.complete_ = false;
          break;
        }
        progress.Step(int(b));
      }
      TelemetrySecond& s = index.seconds_[blocks[b].second];
      const size_t n =
          std::min<size_t>(size_t(src.LongCatalogue[size_t(s.infoIndex)].InfoSectors()) * kSectorSize, kInfoBlockBytes);
      if (used + n > batch.bytes.size()) break;
      if (!dev->Read(blocks[b].offset, batch.bytes.data() + used, n)) {
        ++index.readFailures_;
        s.infoIndex = -1;
        continue;
      }
      ++index.blocksRead_;
      index.bytesRead_ += n;
      batch.items.emplace_back(blocks[b].second, uint32_t(n));
      used += n;
    }
    if (parsing.valid()) parsing.get();
    parsing = std::async(std::launch::async, parse, &batch);
    current ^= 1;
  }
  if (parsing.valid()) parsing.get();
  if (index.complete_) progress.Step(int(blocks.size()));
  progress.End();
  if (!index.complete_) index.seconds_.clear();
  index.SortByTime();
  return index;
}

}  // namespace quovil
