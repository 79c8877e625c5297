#include <gtest/gtest.h>

#include "card/card_header.h"
#include "card/catalogue_load.h"
#include "card_fixture.h"

using namespace quovil;
using namespace cardfix;

namespace {

struct Loaded {
  Source src;
  RecordingHost host;
  std::string text;
  SharedDevice* dev = nullptr;
  bool ok = false;

  explicit Loaded(Bytes card) {
    auto bytes = std::make_shared<Bytes>(std::move(card));
    auto d = std::make_unique<SharedDevice>(bytes);
    dev = d.get();
    src.Card = std::move(d);
    src.CardOpen = true;
    ok = ReadCardHeader(src, bytes->data(), host, text);
  }
  // Ring index the loaded entry k came from (the fixture's chain: 2 + 2 * ring index).
  uint32_t RingIndexOf(int k) const { return (src.LongCatalogue[size_t(k)].FirstSector() - 2) / 2; }
};

TEST(RingLoad, EmptyRingReadsNothing) {
  Format2 f;
  Loaded l(MakeFormat2(f));
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(l.src.EntryCount, 0);
  EXPECT_TRUE(l.src.LongCatalogue.empty());
  EXPECT_LE(l.dev->largestRead, 512);
}

TEST(RingLoad, UnwrappedRingFromEntryZeroToHead) {
  Format2 f;
  f.head = 100;
  Loaded l(MakeFormat2(f));
  ASSERT_TRUE(l.ok);
  ASSERT_EQ(l.src.EntryCount, 100);
  for (int k = 0; k < 100; ++k) ASSERT_EQ(l.RingIndexOf(k), uint32_t(k));
}

TEST(RingLoad, WrappedWithoutWritePositionStarts128AfterTheTail) {
  Format2 f;
  f.wrapped = 1;
  f.tail = 10;
  f.head = 50;
  f.scanSteps = 500;
  Loaded l(MakeFormat2(f));
  ASSERT_TRUE(l.ok);
  ASSERT_EQ(l.src.EntryCount, 50 - 138 + 256);
  // Read in two runs: to the ring's end, then from entry 0 up to the head.
  EXPECT_EQ(l.RingIndexOf(0), 138u);
  EXPECT_EQ(l.RingIndexOf(117), 255u);
  EXPECT_EQ(l.RingIndexOf(118), 0u);
  EXPECT_EQ(l.RingIndexOf(l.src.EntryCount - 1), 49u);
}

TEST(RingLoad, WrapScanFollowsTheChainUntilTheWritePosition) {
  Format2 f;
  f.wrapped = 1;
  f.tail = 0;
  f.head = 100;
  f.scanSteps = 100000;  // more than the ring: bounded by it
  f.dataWrite = 2 + 2 * 40;
  Loaded l(MakeFormat2(f));
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(l.RingIndexOf(0), 168u);
  EXPECT_EQ(l.src.EntryCount, 100 - 168 + 256);
}

TEST(RingLoad, WrapScanStopsAfterScanSteps) {
  Format2 f;
  f.wrapped = 1;
  f.tail = 0;
  f.head = 200;
  f.scanSteps = 5;
  f.dataWrite = 100000;
  Loaded l(MakeFormat2(f));
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(l.RingIndexOf(0), 133u);
  EXPECT_EQ(l.src.EntryCount, 200 - 133);
}

TEST(RingLoad, ClockErrorsOfChainedEntriesAreReportedOncePerEntry) {
  Format2 f;
  f.wrapped = 1;
  f.head = 200;
  f.scanSteps = 8;
  f.dataWrite = 100000;
  Bytes card = MakeFormat2(f);
  SetEntry(card, f, 3, 2 + 2 * 3, 0, {1, 2, 11, 3, 4, 5});   // year byte 11: a lost clock
  SetEntry(card, f, 4, 2 + 2 * 4, 0, {1, 2, 12, 3, 4, 5});   // year byte 12 is fine
  SetEntry(card, f, 5, 2 + 2 * 5, 1, {0, 2, 24, 3, 4, 5});   // byte 9 set: not checked
  SetEntry(card, f, 6, 999, 0, {1, 13, 24, 3, 4, 5});        // off the chain: not checked
  SetEntry(card, f, 7, 1001);                                  // the chain goes on from there
  SetEntry(card, f, 8, 1003, 0, {1, 2, 24, 24, 0, 0});        // hour 24 on the chain
  Loaded l(card);
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(l.host.messages, (std::vector<std::string>{"Ошибка часов в элементе 3", "Ошибка часов в элементе 8"}));
  EXPECT_EQ(l.host.kinds, (std::vector<MsgKind>{MsgKind::Error, MsgKind::Error}));
}

TEST(RingLoad, ValidClockLimits) {
  EXPECT_TRUE(ValidClock({31, 12, 255, 23, 59, 59}));
  EXPECT_FALSE(ValidClock({0, 1, 24, 0, 0, 0}));
  EXPECT_FALSE(ValidClock({1, 0, 24, 0, 0, 0}));
  EXPECT_FALSE(ValidClock({1, 1, 24, 0, 60, 0}));
  EXPECT_FALSE(ValidClock({1, 1, 24, 0, 0, 60}));
  EXPECT_FALSE(ValidClock({1, 1, 11, 0, 0, 0}));
}

TEST(RingLoad, RingSmallerThanTheMarginStaysInsideTheRing) {
  Format2 f;
  f.capacity = 50;
  f.wrapped = 1;
  f.tail = 10;
  f.head = 20;
  Loaded l(MakeFormat2(f));
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(l.RingIndexOf(0), (10u + 128u) % 50u);
  ASSERT_EQ(l.src.EntryCount, 20 - 38 + 50);
  for (int k = 0; k < l.src.EntryCount; ++k) ASSERT_EQ(l.RingIndexOf(k), uint32_t((38 + k) % 50)) << k;
}

TEST(RingLoad, RingOfOddSizeAtTheEndOfTheCard) {
  Format2 f;
  f.capacity = 1000;  // 31.25 sectors
  f.trailingSectors = 0;
  f.wrapped = 1;
  f.tail = 990;
  f.scanSteps = 30;
  f.dataWrite = 1000000;
  f.head = 100;
  Bytes card = MakeFormat2(f);
  // Whatever follows the last entry in its sector is not part of the ring.
  for (size_t b = RingOffset(f) + 16000; b < card.size(); ++b) card[b] = 0xEE;
  Loaded l(card);
  ASSERT_TRUE(l.ok);
  uint32_t first = (990 + 30) % 1000 + 128;
  ASSERT_EQ(l.src.EntryCount, int32_t(100 + 1000 - first));
  for (int k = 0; k < l.src.EntryCount; ++k) ASSERT_EQ(l.RingIndexOf(k), (first + uint32_t(k)) % 1000) << k;
}

TEST(RingLoad, CycleInTheChainEndsAfterOneTurn) {
  Format2 f;
  f.capacity = 64;
  f.wrapped = 1;
  f.head = 10;
  f.scanSteps = 0x7FFFFFFF;
  f.dataWrite = 0xFFFFFFFF;
  Bytes card = MakeFormat2(f);
  for (uint32_t k = 0; k < 64; ++k) SetEntry(card, f, k, 2 + 2 * k);
  Loaded l(card);
  ASSERT_TRUE(l.ok);
  // Sixty-four steps from the tail (0) come round to it again; the oldest
  // entry lies 128 on, which is entry 0 of a ring of 64, and the count runs
  // from there to the head.
  ASSERT_EQ(l.src.EntryCount, 10);
  for (int k = 0; k < 10; ++k) EXPECT_EQ(l.RingIndexOf(k), uint32_t(k)) << k;
  EXPECT_TRUE(l.host.messages.empty());
}

TEST(RingLoad, ChunkHoldsOnlyRingEntries) {
  Format2 f;
  f.capacity = 1000;
  f.trailingSectors = 0;
  Loaded l(MakeFormat2(f));
  ASSERT_TRUE(l.ok);
  CatalogueChunk chunk;
  ASSERT_TRUE(ReadCatalogueChunk(l.src, 995, chunk));
  EXPECT_EQ(chunk.count, 5);
  EXPECT_EQ(chunk.Entry(4).FirstSector(), 2u + 2u * 999u);
  ASSERT_TRUE(ReadCatalogueChunk(l.src, 33, chunk));
  EXPECT_EQ(chunk.cursor, 16);
  EXPECT_EQ(chunk.count, 640 - 1);
  EXPECT_FALSE(ReadCatalogueChunk(l.src, 1000, chunk));
}

}  // namespace
