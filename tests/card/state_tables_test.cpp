#include <gtest/gtest.h>

#include "card/card_header.h"
#include "card/state_tables.h"
#include "card_fixture.h"
#include "support/card_writes.h"

using namespace quovil;
using namespace cardfix;

namespace {

struct OpenCard {
  Source src;
  RecordingHost host;
  std::string text;
  std::shared_ptr<Bytes> bytes;
  SharedDevice* dev = nullptr;

  explicit OpenCard(Bytes card) : bytes(std::make_shared<Bytes>(std::move(card))) {
    auto d = std::make_unique<SharedDevice>(bytes);
    dev = d.get();
    src.Card = std::move(d);
    src.CardOpen = true;
    EXPECT_TRUE(ReadCardHeader(src, bytes->data(), host, text));
  }
  const uint8_t* At(uint64_t offset) const { return bytes->data() + offset; }
};

void ExpectWrittenSector(const uint8_t* sector, int length) {
  EXPECT_EQ(ByteChecksum(sector, size_t(length)), 0);
  for (int b = length; b < 512; ++b) ASSERT_EQ(sector[b], 0xFF) << b;
}

TEST(Clearing, Format2ResetsTheRingAndWritesBothCopies) {
  Format2 f;
  f.wrapped = 1;
  f.head = 30;
  f.tail = 5;
  f.dataWrite = 700;
  f.scanSteps = 3;
  OpenCard c(MakeFormat2(f));
  ASSERT_GT(c.src.EntryCount, 0);
  ApplyClearing(c.src, false);
  EXPECT_EQ(c.src.EntryCount, 0);
  // What the test programs watch for stray writes: counted, and allowed
  // inside the span.
  const uint64_t writesBefore = CardWritesMade(), strayBefore = test::CardWritesNotAllowed();
  {
    test::AllowCardWrites clearing;
    test::AllowCardWrites nested;
    ASSERT_TRUE(WriteStateTables(c.src));
  }
  EXPECT_GT(CardWritesMade(), writesBefore);
  EXPECT_EQ(test::CardWritesNotAllowed(), strayBefore);
  for (uint32_t s : {f.stateSector, f.stateSector + 1}) {
    const uint8_t* t = c.At(uint64_t(s) * 512);
    ExpectWrittenSector(t, 87);
    EXPECT_EQ(state2::RingHead.Get(t), 0u);
    EXPECT_EQ(state2::RingTail.Get(t), 0u);
    EXPECT_EQ(state2::ScanSteps.Get(t), 0u);
    EXPECT_EQ(state2::DataWriteSector.Get(t), 0u);
    EXPECT_EQ(state2::RingWrapped.Get(t), 0);
    EXPECT_EQ(t[59], 1);
    EXPECT_EQ(state2::RingCapacity.Get(t), f.capacity);
    EXPECT_EQ(state2::Width.Get(t), f.width);
  }
  // The catalogue itself is untouched.
  EXPECT_EQ(GetU32(c.At(RingOffset(f) + 16 * 7)), 2u + 14u);
}

TEST(Clearing, Format1WritesTheSoundBytesTheViewerHolds) {
  Format1 f;
  OpenCard c(MakeFormat1(f));
  ApplyClearing(c.src, false);
  {
    test::AllowCardWrites clearing;
    ASSERT_TRUE(WriteStateTables(c.src));
  }
  for (uint32_t s : {f.stateSector, f.stateSector + 1}) {
    const uint8_t* t = c.At(uint64_t(s) * 512);
    ExpectWrittenSector(t, 34);
    EXPECT_EQ(state1::SoundBytes.Get(t), 11264u);
    EXPECT_EQ(state1::RecordCount.Get(t), 0u);
    EXPECT_EQ(state1::WriteSlot.Get(t), 0u);
    EXPECT_EQ(state1::SlotCount.Get(t), f.slotCount);
  }
}

TEST(Clearing, Format0MainAreaKeepsItsFirstSlot) {
  Format0 f;
  f.mainFirst = 40;
  f.mainCount = 30;
  OpenCard c(MakeFormat0(f));
  ApplyClearing(c.src, false);
  {
    test::AllowCardWrites clearing;
    ASSERT_TRUE(WriteStateTables(c.src));
  }
  for (uint64_t copy : {state0::kFirstCopy, state0::kSecondCopy}) {
    const uint8_t* t = c.At(copy);
    ExpectWrittenSector(t, 16);
    EXPECT_EQ(state0::MainFirstSlot.Get(t), 40);
    EXPECT_EQ(state0::MainLastSlot.Get(t), 40);
    EXPECT_EQ(state0::MainCount.Get(t), 0);
    EXPECT_EQ(state0::ArchiveFirstSlot.Get(t), 100);
    EXPECT_EQ(state0::ArchiveCount.Get(t), 20);
    EXPECT_EQ(state0::IndexChecksum.Get(t), WordChecksum(c.At(state0::kIndexTable), 120));
  }
}

TEST(Clearing, Format0ArchiveAreaGivesTheMainRingEverySlot) {
  Format0 f;
  f.mainFirst = 90;
  f.mainCount = 20;  // wraps: slots 90..99, then 0..9
  OpenCard c(MakeFormat0(f));
  ApplyClearing(c.src, true);
  {
    test::AllowCardWrites clearing;
    ASSERT_TRUE(WriteStateTables(c.src));
  }
  const uint8_t* t = c.At(state0::kFirstCopy);
  EXPECT_EQ(state0::ArchiveFirstSlot.Get(t), 120);
  EXPECT_EQ(state0::ArchiveCount.Get(t), 0);
  EXPECT_EQ(state0::MainCount.Get(t), 20);
  EXPECT_EQ(state0::MainFirstSlot.Get(t), 90);
  EXPECT_EQ(state0::MainLastSlot.Get(t), 109);
}

TEST(Clearing, Format0SlotArithmeticIsSixteenBit) {
  Source src;
  src.CardFormat = 0;
  src.IndexTable.assign(65536, 1);
  auto bytes = std::make_shared<Bytes>(0x130000, 0);
  src.Card = std::make_unique<SharedDevice>(bytes);
  uint8_t* t = src.StateTable.data();
  state0::MainFirstSlot.Set(t, 65530);
  state0::MainCount.Set(t, 10);
  state0::ArchiveFirstSlot.Set(t, 65535);
  state0::TotalSlots.Set(t, 65535);
  {
    test::AllowCardWrites clearing;
    ASSERT_TRUE(WriteStateTables(src));
  }
  // Slot 65539 of a 65535-slot ring is slot 4; a 16-bit sum would lose the carry.
  EXPECT_EQ(state0::MainLastSlot.Get(t), 4);
  // 65535 bytes: the checksum takes in 32768 whole values.
  EXPECT_EQ(state0::IndexChecksum.Get(t), uint16_t(0xAACC + 32768));
}

TEST(Clearing, FailedFirstWriteLeavesTheSecondCopy) {
  Format1 f;
  OpenCard c(MakeFormat1(f));
  Bytes before(c.At(uint64_t(f.stateSector + 1) * 512), c.At(uint64_t(f.stateSector + 2) * 512));
  c.dev->writesAllowed = 0;
  ApplyClearing(c.src, false);
  {
    test::AllowCardWrites clearing;
    EXPECT_FALSE(WriteStateTables(c.src));
  }
  EXPECT_EQ(Bytes(c.At(uint64_t(f.stateSector + 1) * 512), c.At(uint64_t(f.stateSector + 2) * 512)), before);
  // The held table keeps the cleared values.
  EXPECT_EQ(state1::RecordCount.Get(c.src.StateTable.data()), 0u);
}

TEST(Clearing, ClearedCardIsRecognisedEmpty) {
  Format2 f;
  f.head = 40;
  OpenCard c(MakeFormat2(f));
  ApplyClearing(c.src, false);
  {
    test::AllowCardWrites clearing;
    ASSERT_TRUE(WriteStateTables(c.src));
  }
  OpenCard again(*c.bytes);
  EXPECT_EQ(again.src.EntryCount, 0);
  EXPECT_TRUE(again.host.messages.empty());
}

}  // namespace
