// The telemetry index against the synthetic recorder's own account of every
// second: positions, speeds, courses and sensor readings, with the recorder's
// damaged seconds, seconds without a block and blocks on the other camera's
// record.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stop_token>

#include "card/source.h"
#include "decode/frame_record.h"
#include "gps/telemetry.h"
#include "telemetry_fixture.h"

namespace quovil {
namespace {

using telemetry_test::CountingProgress;
using telemetry_test::OpenCard;
using telemetry_test::SmallCard;

// A card with every kind of trouble the recorder's frame information has.
mkcard::Options TroubledCard() {
  mkcard::Options o = SmallCard(480);
  o.infoGapEvery = 7;
  o.badChecksumEvery = 5;
  o.invalidFixEvery = 3;
  o.lateInfo = true;
  return o;
}

TEST(TelemetryIndex, EverySecondAgreesWithTheRecorder) {
  OpenCard card(TroubledCard());
  ASSERT_TRUE(card.opened);
  CountingProgress progress;
  const TelemetryIndex index = BuildTelemetryIndex(card.source(), progress);
  ASSERT_TRUE(index.Complete());
  const mkcard::Recorded& t = card.truth;
  std::set<int64_t> truthSeconds;
  for (const mkcard::Frame& f : t.frames) truthSeconds.insert(SecondKey(f.time));
  ASSERT_EQ(index.Seconds().size(), truthSeconds.size());

  int gaps = 0, badFixes = 0, otherCamera = 0, withPosition = 0;
  for (int i = 0; i < int(t.frames.size()); ++i) {
    const TelemetrySecond* s = index.SecondOfIndex(i);
    ASSERT_NE(s, nullptr) << i;
    if (s->index != i) continue;  // each second once, at its first record
    const mkcard::Frame& f = t.frames[size_t(i)];
    SCOPED_TRACE(TimeStampText(f.time));
    EXPECT_EQ(s->time, f.time);
    EXPECT_EQ(s->infoIndex, f.infoIndex);
    EXPECT_EQ(s->hasSensor, f.hasSensor);
    EXPECT_EQ(s->gps.hasPosition, f.gpsPosition);
    EXPECT_EQ(s->gps.hasSpeed, f.gpsSpeedValid);
    EXPECT_EQ(s->gps.hasCourse, f.gpsCourse);
    if (f.infoIndex < 0) ++gaps;
    if (f.infoIndex >= 0 && !f.gpsPosition) ++badFixes;
    if (f.infoIndex >= 0 && t.frames[size_t(f.infoIndex)].camera != f.camera) ++otherCamera;
    if (f.hasSensor) {
      EXPECT_EQ(s->uin, f.uin);
      EXPECT_EQ(s->uakb, f.uakb);
      EXPECT_EQ(s->status, f.sensorStatus);
      EXPECT_EQ(s->EngineOn(), (f.sensorStatus & 0x08) != 0);
    }
    if (f.gpsPosition) {
      ++withPosition;
      // Minutes are written to four decimals.
      EXPECT_NEAR(s->gps.lat, f.lat, 1e-6);
      EXPECT_NEAR(s->gps.lon, f.lon, 1e-6);
    }
    if (f.gpsSpeedValid) {
      EXPECT_NEAR(s->gps.speedKmh, f.speedKmh, 0.051);
    }
    if (f.gpsCourse) {
      EXPECT_NEAR(s->gps.course, f.course, 0.051);
    }
  }
  // The card really had each kind of second.
  EXPECT_GT(gaps, 5);
  EXPECT_GT(badFixes, 20);
  EXPECT_GT(otherCamera, 5);
  EXPECT_GT(withPosition, 40);
  // Progress ran over the blocks and ended.
  EXPECT_TRUE(progress.begun && progress.ended);
  EXPECT_EQ(progress.max, index.BlocksRead());
  EXPECT_EQ(progress.last, progress.max);
}

TEST(TelemetryIndex, ReadsEachBlockOnceInCardOrder) {
  mkcard::Options o = TroubledCard();
  o.ringWrapped = true;
  OpenCard card(o);
  ASSERT_TRUE(card.opened);
  CountingProgress progress;
  const TelemetryIndex index = BuildTelemetryIndex(card.source(), progress);
  const auto& reads = card.log->reads;
  // One read per second that has a block, and nothing else.
  std::set<int> blocks;
  uint64_t bytes = 0;
  for (const mkcard::Frame& f : card.truth.frames)
    if (f.infoIndex >= 0 && blocks.insert(f.infoIndex).second)
      bytes += card.truth.frames[size_t(f.infoIndex)].infoSectors * 512u;
  ASSERT_EQ(reads.size(), blocks.size());
  EXPECT_EQ(index.BlocksRead(), int(blocks.size()));
  EXPECT_EQ(index.BytesRead(), bytes);
  std::set<uint64_t> wanted;
  for (int e : blocks) wanted.insert(InfoOffset(card.source(), e));
  for (size_t k = 0; k < reads.size(); ++k) {
    EXPECT_TRUE(wanted.count(reads[k].first)) << reads[k].first;
    if (k > 0) {
      EXPECT_LT(reads[k - 1].first, reads[k].first);
    }
  }
}

TEST(TelemetryIndex, BlockThatCannotBeReadLeavesItsSecondEmpty) {
  OpenCard card(SmallCard(40));
  ASSERT_TRUE(card.opened);
  const int victim = card.truth.frames[8].infoIndex;
  ASSERT_GE(victim, 0);
  card.log->failAt = int64_t(InfoOffset(card.source(), victim));
  CountingProgress progress;
  const TelemetryIndex index = BuildTelemetryIndex(card.source(), progress);
  EXPECT_TRUE(index.Complete());
  EXPECT_EQ(index.ReadFailures(), 1);
  const TelemetrySecond* s = index.SecondOfIndex(8);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->infoIndex, -1);
  EXPECT_FALSE(s->hasSensor || s->gps.hasPosition || s->gps.hasSpeed);
  EXPECT_TRUE(index.SecondOfIndex(0)->gps.hasPosition);
}

TEST(TelemetryIndex, StopsWhenAskedOrCancelled) {
  // Over 1024 blocks, so that the build passes a step before it looks again.
  OpenCard card(SmallCard(2 * 2600));
  ASSERT_TRUE(card.opened);
  std::stop_source stop;
  stop.request_stop();
  CountingProgress idle;
  TelemetryIndex index = BuildTelemetryIndex(card.source(), idle, stop.get_token());
  EXPECT_FALSE(index.Complete());
  EXPECT_TRUE(index.Empty());
  EXPECT_TRUE(card.log->reads.empty());

  CountingProgress cancelling;
  cancelling.cancelAfterSteps = 1;
  index = BuildTelemetryIndex(card.source(), cancelling);
  EXPECT_FALSE(index.Complete());
  EXPECT_TRUE(index.Empty());
  EXPECT_GT(card.log->reads.size(), 0u);
  EXPECT_LT(card.log->reads.size(), 2600u);
  EXPECT_TRUE(cancelling.ended);
}

TEST(TelemetryIndex, CardsWithoutInformationBlocksGiveNoValues) {
  for (int format : {0, 1}) {
    mkcard::Options o;
    o.format = format;
    o.records = 30;
    OpenCard card(o);
    ASSERT_TRUE(card.opened);
    CountingProgress progress;
    const TelemetryIndex index = BuildTelemetryIndex(card.source(), progress);
    EXPECT_TRUE(index.Complete());
    EXPECT_TRUE(index.Empty()) << format;
    EXPECT_TRUE(card.log->reads.empty());
  }
  mkcard::Options o = SmallCard(30);
  o.gps = o.sensors = false;
  OpenCard card(o);
  CountingProgress progress;
  const TelemetryIndex index = BuildTelemetryIndex(card.source(), progress);
  ASSERT_FALSE(index.Empty());
  for (const TelemetrySecond& s : index.Seconds()) {
    EXPECT_EQ(s.infoIndex, -1);
    EXPECT_FALSE(s.hasSensor || s.gps.hasPosition);
  }
}

TelemetrySecond Second(int32_t first, int32_t last, TimeStamp t) {
  TelemetrySecond s;
  s.index = first, s.lastIndex = last, s.time = t;
  return s;
}

TEST(TelemetryLookup, IndicesTimesAndRanges) {
  const TelemetryIndex index({Second(0, 2, {1, 7, 24, 10, 0, 0}), Second(3, 3, {1, 7, 24, 10, 0, 1}),
                              Second(4, 9, {1, 7, 24, 10, 0, 5}), Second(10, 11, {2, 7, 24, 0, 0, 0})},
                             1);
  EXPECT_EQ(index.SecondOfIndex(0)->index, 0);
  EXPECT_EQ(index.SecondOfIndex(2)->index, 0);
  EXPECT_EQ(index.SecondOfIndex(3)->index, 3);
  EXPECT_EQ(index.SecondOfIndex(9)->index, 4);
  EXPECT_EQ(index.SecondOfIndex(11)->index, 10);
  EXPECT_EQ(index.SecondOfIndex(12), nullptr);
  EXPECT_EQ(index.SecondOfIndex(-1), nullptr);

  EXPECT_EQ(index.SecondAt({1, 7, 24, 10, 0, 1})->index, 3);
  EXPECT_EQ(index.SecondAt({1, 7, 24, 10, 0, 2}), nullptr);
  EXPECT_EQ(index.SecondAtOrBefore({1, 7, 24, 10, 0, 4})->index, 3);
  EXPECT_EQ(index.SecondAtOrBefore({1, 7, 24, 23, 59, 59})->index, 4);  // the next day is later
  EXPECT_EQ(index.SecondAtOrBefore({1, 7, 24, 9, 59, 59}), nullptr);
  EXPECT_EQ(index.SecondAtOrBefore({1, 8, 24, 0, 0, 0})->index, 10);

  const auto range = index.SecondsOfRange(2, 4);
  ASSERT_EQ(range.size(), 3u);
  EXPECT_EQ(range.front().index, 0);
  EXPECT_EQ(range.back().index, 4);
  EXPECT_EQ(index.SecondsOfRange(5, 8).size(), 1u);
  EXPECT_TRUE(index.SecondsOfRange(12, 20).empty());
  EXPECT_TRUE(index.SecondsOfRange(4, 3).empty());

  // A selection of both cameras: each second once, in the records' order.
  const auto picked = index.SecondsOfRecords({5, 1, 4, 0, 11, 99, -3});
  ASSERT_EQ(picked.size(), 3u);
  EXPECT_EQ(picked[0].index, 4);
  EXPECT_EQ(picked[1].index, 0);
  EXPECT_EQ(picked[2].index, 10);
}

TEST(TelemetryLookup, ClockThatWentBackIsStillFoundByTime) {
  const TelemetryIndex index({Second(0, 0, {1, 7, 24, 10, 0, 5}), Second(1, 1, {1, 7, 24, 10, 0, 6}),
                              Second(2, 2, {1, 7, 24, 9, 0, 0}), Second(3, 3, {1, 7, 24, 10, 0, 5})},
                             1);
  EXPECT_EQ(index.SecondAt({1, 7, 24, 9, 0, 0})->index, 2);
  EXPECT_EQ(index.SecondAt({1, 7, 24, 10, 0, 5})->index, 0);  // the first recorded at that time
  EXPECT_EQ(index.SecondAtOrBefore({1, 7, 24, 9, 30, 0})->index, 2);
  EXPECT_EQ(index.SecondAtOrBefore({1, 7, 24, 11, 0, 0})->index, 1);
}

std::vector<uint8_t> Record(uint8_t type, const std::vector<uint8_t>& payload) {
  std::vector<uint8_t> r(payload.size() + 4, 0);
  PutU16(r.data(), uint16_t(r.size()));
  r[2] = type;
  std::copy(payload.begin(), payload.end(), r.begin() + 3);
  return r;
}

TEST(TelemetryBlock, LastRecordsCountAndShortSensorRecordsBorrow) {
  const std::string fixA = NmeaWithChecksum("GPGGA,120000,5545.0000,N,03737.2000,E,1,08,,,M,,M,,");
  const std::string fixB = NmeaWithChecksum("GPGGA,120000,3330.0000,S,07030.0000,W,1,08,,,M,,M,,");
  std::vector<uint8_t> block;
  for (const auto& r : {Record(0x0A, {0x08, 120, 0, 0, 0, 40, 0, 0, 0}), Record(0x0B, {fixA.begin(), fixA.end()}),
                        Record(0x0B, {fixB.begin(), fixB.end()})})
    block.insert(block.end(), r.begin(), r.end());
  // A sensor record of three bytes at the end reads the block's zeros after it.
  const auto tail = Record(0x0A, {0x02, 99, 0});
  block.insert(block.end(), tail.begin(), tail.end());
  block.resize(512, 0);
  TelemetrySecond s;
  ParseTelemetryBlock(block.data(), block.size(), s);
  ASSERT_TRUE(s.hasSensor);
  EXPECT_EQ(s.status, 0x02);
  EXPECT_EQ(s.uin, 99);
  EXPECT_EQ(s.uakb, 0);
  EXPECT_TRUE(s.BatteryLow());
  EXPECT_FALSE(s.EngineOn());
  ASSERT_TRUE(s.gps.hasPosition);
  EXPECT_NEAR(s.gps.lat, -33.5, 1e-9);

  // A record of unknown type ends the block: the GPS record after it is not read.
  std::vector<uint8_t> cut = Record(0x0C, {1, 2, 3});
  const auto gps = Record(0x0B, {fixA.begin(), fixA.end()});
  cut.insert(cut.end(), gps.begin(), gps.end());
  TelemetrySecond none;
  ParseTelemetryBlock(cut.data(), cut.size(), none);
  EXPECT_FALSE(none.hasSensor || none.gps.hasPosition);
}

}  // namespace
}  // namespace quovil
