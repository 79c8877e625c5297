#include <gtest/gtest.h>

#include "journal/journal_log.h"
#include "journal_fixture.h"

using namespace quovil;
using namespace journal_fixture;

namespace {

std::vector<uint8_t> Filled(uint32_t n, uint32_t from, uint32_t to) {
  std::vector<uint8_t> area = Area(n);
  for (uint32_t i = from; i < to; ++i) Put(area, i, Numbered(i));
  return area;
}

TEST(RingBounds, NeverWrappedStartsAtRecordZero) {
  const auto area = Filled(16, 0, 5);
  const RingBounds b = FindRingBounds(area.data(), 16, 5);
  EXPECT_EQ(b.OldestRecord, 0);
  EXPECT_EQ(b.NewestRecord, 4);
  EXPECT_EQ(b.ShownCount, 5);
}

TEST(RingBounds, WrappedWithValidHeadRecordShowsAllFromTheHead) {
  const auto area = Filled(16, 0, 16);
  const RingBounds b = FindRingBounds(area.data(), 16, 5);
  EXPECT_EQ(b.OldestRecord, 5);
  EXPECT_EQ(b.NewestRecord, 4);
  EXPECT_EQ(b.ShownCount, 16);
}

TEST(RingBounds, WrappedWithErasedPlacesAheadOfTheHead) {
  auto area = Filled(16, 0, 16);
  for (uint32_t i = 5; i < 8; ++i) area[i * 8 + 7] ^= 0x01;  // spoilt check bytes
  const RingBounds b = FindRingBounds(area.data(), 16, 5);
  EXPECT_EQ(b.OldestRecord, 8);
  EXPECT_EQ(b.ShownCount, 13);
}

TEST(RingBounds, HeadAtZero) {
  const auto full = Filled(8, 0, 8);
  RingBounds b = FindRingBounds(full.data(), 8, 0);
  EXPECT_EQ(b.OldestRecord, 0);
  EXPECT_EQ(b.NewestRecord, 7);
  EXPECT_EQ(b.ShownCount, 8);
}

TEST(RingBounds, NoValidRecordShowsTheWholeRing) {
  const auto area = Area(8);
  const RingBounds b = FindRingBounds(area.data(), 8, 3);
  EXPECT_EQ(b.OldestRecord, 3);
  EXPECT_EQ(b.ShownCount, 8);
}

TEST(RingBounds, EmptyRingShowsNothing) {
  const RingBounds b = FindRingBounds(nullptr, 0, 7);
  EXPECT_EQ(b.ShownCount, 0);
}

TEST(RingBounds, HeadBeyondTheRingStaysInsideIt) {
  const auto area = Filled(8, 0, 8);
  // Just past the last place: the same as a head of 0.
  RingBounds b = FindRingBounds(area.data(), 8, 8);
  EXPECT_EQ(b.OldestRecord, 0);
  EXPECT_EQ(b.NewestRecord, 7);
  EXPECT_EQ(b.ShownCount, 8);
  b = FindRingBounds(area.data(), 8, 0xFFFFFFFFu);
  EXPECT_GE(b.OldestRecord, 0);
  EXPECT_LT(b.OldestRecord, 8);
  EXPECT_GE(b.NewestRecord, 0);
  EXPECT_LT(b.NewestRecord, 8);
  EXPECT_EQ(b.ShownCount, 8);
}

}  // namespace
