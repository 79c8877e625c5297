// The telemetry of a card: one row per recorded second with the position,
// speed and course of its GPS text and the readings of its sensor record.
// Built from the frame information blocks on a worker that reads only the
// open source; kept per card in a cache file (telemetry_cache.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stop_token>
#include <vector>

#include "card/korax.h"
#include "gps/nmea.h"

namespace quovil {

struct Source;
class WorkProgress;

// Status bits of a sensor record (FrameInfoState::SensorData[0]).
inline constexpr uint8_t kSensorBatteryLow = 0x02;
inline constexpr uint8_t kSensorInputOff = 0x04;
inline constexpr uint8_t kSensorEngineOn = 0x08;

// One recorded second: a run of catalogue entries with equal time stamps.
struct TelemetrySecond {
  TimeStamp time;          // the recorder's clock
  int32_t index = -1;      // first catalogue index of the second
  int32_t lastIndex = -1;  // last catalogue index of the second
  // The entry whose information block supplied the values (either camera's,
  // found as the frame display finds it for the second's first record); -1
  // when the second has no block or its block could not be read.
  int32_t infoIndex = -1;
  // From the block's GPS record: only sentences with right checksums and a
  // valid fix count (gps.hasPosition, hasSpeed, hasCourse, hasTime, hasDate).
  GpsFix gps;
  // From the block's sensor record.
  bool hasSensor = false;
  uint8_t status = 0;               // kSensor* bits
  uint16_t uin = 0, uakb = 0;       // tenths of a volt

  double InputVolts() const { return uin / 10.0; }
  double BatteryVolts() const { return uakb / 10.0; }
  bool EngineOn() const { return (status & kSensorEngineOn) != 0; }
  bool BatteryLow() const { return (status & kSensorBatteryLow) != 0; }
  bool InputOff() const { return (status & kSensorInputOff) != 0; }
  bool operator==(const TelemetrySecond&) const = default;
};

// A time stamp as one number, in time order for valid stamps.
inline int64_t SecondKey(const TimeStamp& t) { return MinuteKey(t) * 256 + t.second; }

class TelemetryIndex {
 public:
  TelemetryIndex() = default;
  // Takes rows made elsewhere (the cache); seconds in catalogue order.
  TelemetryIndex(std::vector<TelemetrySecond> seconds, uint64_t catalogueVersion);

  // Every recorded second, in catalogue order (the recording's time order on
  // a card whose clock never went back).
  const std::vector<TelemetrySecond>& Seconds() const { return seconds_; }
  bool Empty() const { return seconds_.empty(); }

  // The second a catalogue index belongs to; null for an index outside.
  const TelemetrySecond* SecondOfIndex(int32_t index) const;
  // The first second recorded at t, or null.
  const TelemetrySecond* SecondAt(const TimeStamp& t) const;
  // The latest second recorded at or before t (the graphs' pointer), or null.
  const TelemetrySecond* SecondAtOrBefore(const TimeStamp& t) const;
  // The seconds that hold any catalogue index from first to last.
  std::span<const TelemetrySecond> SecondsOfRange(int32_t first, int32_t last) const;
  // The seconds of these records (a selection or a marked fragment), each
  // once, in the order of the records.
  std::vector<TelemetrySecond> SecondsOfRecords(const std::vector<int32_t>& indices) const;

  // Source::CatalogueVersion of the catalogue it was built for.
  uint64_t CatalogueVersion() const { return catalogueVersion_; }
  // False when the build was stopped before the end: such an index is
  // neither shown nor kept in the cache.
  bool Complete() const { return complete_; }
  // Information blocks that could not be read (their seconds carry nothing).
  int ReadFailures() const { return readFailures_; }
  // Information blocks read, and the bytes of them.
  int BlocksRead() const { return blocksRead_; }
  uint64_t BytesRead() const { return bytesRead_; }

 private:
  friend TelemetryIndex BuildTelemetryIndex(const Source&, WorkProgress&, std::stop_token);
  void SortByTime();

  std::vector<TelemetrySecond> seconds_;
  // Positions of seconds_ in time order, when catalogue order is not.
  std::vector<uint32_t> byTime_;
  uint64_t catalogueVersion_ = 0;
  bool complete_ = true;
  int readFailures_ = 0;
  int blocksRead_ = 0;
  uint64_t bytesRead_ = 0;
};

// Builds the index: the catalogue's runs of equal time stamps, then each
// second's information block read once, in the order of the blocks on the
// card. Cards of formats 0 and 1 carry no blocks and give an empty index.
// Reports progress in steps over the blocks and stops early (an incomplete
// index) when stop is requested or progress says cancelled. Reads the source
// only, so it may run on a worker while the window shows the same source.
TelemetryIndex BuildTelemetryIndex(const Source& src, WorkProgress& progress, std::stop_token stop = {});

// The values of one information block (n bytes) for a second, as the frame
// display reads the block: its last sensor record and its last GPS record.
void ParseTelemetryBlock(const uint8_t* block, size_t n, TelemetrySecond& second);

}  // namespace quovil
