#include <gtest/gtest.h>

#include "card/card_header.h"
#include "card/state_tables.h"
#include "card_fixture.h"

using namespace quovil;
using namespace cardfix;

namespace {

struct Recognition {
  Source src;
  RecordingHost host;
  std::string text = "unchanged";
  std::shared_ptr<Bytes> bytes;
  SharedDevice* dev = nullptr;

  bool Run(Bytes card, bool reportLength = true) {
    bytes = std::make_shared<Bytes>(std::move(card));
    auto d = std::make_unique<SharedDevice>(bytes);
    d->reportLength = reportLength;
    dev = d.get();
    src.Card = std::move(d);
    src.CardOpen = true;
    return HasCardMagic(bytes->data()) && ReadCardHeader(src, bytes->data(), host, text);
  }
};

TEST(Checksums, WordChecksumOfOddLengthTakesAWholeLastWord) {
  const uint8_t data[6] = {0x01, 0x00, 0x02, 0x00, 0x03, 0x04};
  EXPECT_EQ(WordChecksum(data, 5), uint16_t(0xAACC + 1 + 2 + 0x0403));
  EXPECT_EQ(ByteChecksum(data, 0), 0xAA);
}

TEST(Checksums, SealedRecordSumsToZero) {
  Bytes t = Table1({});
  EXPECT_EQ(ByteChecksum(t.data(), t.size()), 0);
}

TEST(CardHeader, WrongMagicIsNoCard) {
  Bytes card = MakeFormat2({});
  card[5] = 'x';
  EXPECT_FALSE(HasCardMagic(card.data()));
}

TEST(CardHeader, KfatIsFormat0WhateverTheChecksumAndLayoutByte) {
  Bytes card = MakeFormat0({});
  card[72] = 2;
  card[20] ^= 0x55;  // boot checksum now wrong
  Recognition r;
  ASSERT_TRUE(r.Run(card));
  EXPECT_EQ(r.src.CardFormat, 0);
  EXPECT_EQ(r.src.PictureWidth, 420);
  EXPECT_EQ(r.src.PictureHeight, 256);
  EXPECT_EQ(r.src.FrameStride, 420 * 256);
  EXPECT_EQ(r.src.SoundBytes, 0);
  EXPECT_FALSE(r.src.HasSound);
  EXPECT_EQ(r.src.SampleRate, 11025);
  EXPECT_EQ(r.src.EntryCount, 10);
  EXPECT_EQ(r.src.FillRecorded, 10);
  EXPECT_EQ(r.src.FillTotal, 120);
  EXPECT_EQ(r.src.DataFirstSector, 3586u);
  ASSERT_EQ(r.src.IndexTable.size(), 65536u);
  EXPECT_EQ(r.src.IndexTable[777], 777);
  ASSERT_EQ(r.src.ShortCatalogue.size(), 65536u);
  EXPECT_EQ(r.src.ShortCatalogue[3].Flag(), 0x03);
  EXPECT_TRUE(r.host.messages.empty());
}

TEST(CardHeader, Format0ResolutionRowsAndUnknownIndex) {
  Format0 f;
  f.resolution = 2;
  Recognition r;
  ASSERT_TRUE(r.Run(MakeFormat0(f)));
  EXPECT_EQ(r.src.PictureWidth, 240);
  EXPECT_EQ(r.src.EdgeTrim, 10);
  EXPECT_EQ(r.src.FrameStride, 240 * 256);

  Bytes card = MakeFormat0({});
  for (uint64_t copy : {state0::kFirstCopy, state0::kSecondCopy}) {
    state0::ResolutionIndex.Set(&card[copy], 7);
    SealRecord(&card[copy], 16);
  }
  Recognition unknown;
  ASSERT_TRUE(unknown.Run(card));
  EXPECT_EQ(unknown.src.ResolutionIndex, 7);
  EXPECT_EQ(unknown.src.PictureWidth, 420);
  EXPECT_EQ(unknown.src.EdgeTrim, 0);
}

TEST(CardHeader, Format0FallsBackToSecondCopyAndRefusesBoth) {
  Bytes card = MakeFormat0({});
  card[state0::kFirstCopy + 4] ^= 1;
  Recognition second;
  ASSERT_TRUE(second.Run(card));
  EXPECT_EQ(second.src.EntryCount, 10);
  EXPECT_EQ(second.text, "unchanged");

  card[state0::kSecondCopy + 4] ^= 1;
  Recognition none;
  EXPECT_FALSE(none.Run(card));
  EXPECT_EQ(none.text, "Испорчен заголовок карты памяти!");
}

TEST(CardHeader, Format1AlwaysHas11264SoundBytes) {
  Format1 f;
  Recognition r;
  ASSERT_TRUE(r.Run(MakeFormat1(f)));
  EXPECT_EQ(r.src.CardFormat, 1);
  EXPECT_EQ(r.src.SoundBytes, 11264);
  EXPECT_EQ(state1::SoundBytes.Get(r.src.StateTable.data()), 11264u);
  EXPECT_TRUE(r.src.HasSound);
  EXPECT_EQ(r.src.PictureWidth, 320);
  EXPECT_EQ(r.src.PictureBytes, 320 * 256);
  EXPECT_EQ(r.src.FrameStride, int32_t(f.frameStride));
  EXPECT_EQ(r.src.SampleRate, 8000);
  EXPECT_EQ(r.src.EdgeTrim, 10);
  EXPECT_EQ(r.src.CatalogueSector, f.stateSector + 2);
  EXPECT_EQ(r.src.DataFirstSector, f.dataFirstSector);
  EXPECT_EQ(r.src.EntryCount, 20);
  EXPECT_EQ(r.src.ShortCatalogue.size(), 64u);
  EXPECT_EQ(r.src.ShortCatalogue[19].Time().second, 19);
  EXPECT_EQ(r.src.FillRecorded, 10);
  EXPECT_EQ(r.src.FillTotal, 20);
}

TEST(CardHeader, Format1SecondCopyAndBadBootChecksum) {
  Format1 f;
  Bytes card = MakeFormat1(f);
  card[size_t(f.stateSector) * 512 + 7] ^= 1;
  Recognition second;
  ASSERT_TRUE(second.Run(card));
  EXPECT_EQ(second.src.EntryCount, 20);
  EXPECT_TRUE(second.host.messages.empty());

  Bytes bad = MakeFormat1(f);
  bad[40] ^= 1;
  Recognition r;
  EXPECT_FALSE(r.Run(bad));
  EXPECT_EQ(r.text, "unchanged");
}

TEST(CardHeader, Format2Values) {
  Format2 f;
  f.head = 5;
  Recognition r;
  ASSERT_TRUE(r.Run(MakeFormat2(f)));
  EXPECT_EQ(r.src.CardFormat, 2);
  EXPECT_EQ(r.src.PictureWidth, 160);
  EXPECT_EQ(r.src.PictureBytes, 160 * 120);
  EXPECT_EQ(r.src.SoundBytes, 1024);
  EXPECT_EQ(r.src.FrameStride, 40 * 512 + 1024);
  EXPECT_TRUE(r.src.HasSound);
  EXPECT_EQ(r.src.DataBaseSector, 5000u);
  EXPECT_EQ(r.src.EntryCount, 5);
  EXPECT_EQ(r.src.FillRecorded, 5);
  EXPECT_EQ(r.src.FillTotal, 5);
  EXPECT_EQ(r.src.SourceSize, int64_t(r.bytes->size()));
}

TEST(CardHeader, Format2EdgeTrimKeepsItsValue) {
  Recognition r;
  r.src.EdgeTrim = 10;
  ASSERT_TRUE(r.Run(MakeFormat2({})));
  EXPECT_EQ(r.src.EdgeTrim, 10);
}

TEST(CardHeader, Format2CopyFallbacks) {
  Format2 f;
  f.head = 3;
  Bytes good = Table2(f), broken = good;
  broken[30] ^= 1;
  for (int badCopy : {1, 2}) {
    Bytes card = MakeFormat2(f);
    PutTable2(card, f, broken, badCopy);
    Recognition r;
    ASSERT_TRUE(r.Run(card)) << badCopy;
    EXPECT_EQ(r.src.EntryCount, 3);
    EXPECT_TRUE(r.host.messages.empty());
  }
  Bytes card = MakeFormat2(f);
  PutTable2(card, f, broken, 0);
  Recognition r;
  EXPECT_FALSE(r.Run(card));
  EXPECT_EQ(r.text, "Испорчен заголовок карты памяти!");
}

TEST(CardHeader, Format2DifferentCopiesAskOnce) {
  Format2 f;
  f.head = 3;
  Format2 g = f;
  g.head = 7;
  for (MsgResult answer : {MsgResult::Yes, MsgResult::No}) {
    Bytes card = MakeFormat2(f);
    PutTable2(card, g, Table2(g), 2);
    Recognition r;
    r.host.answer = answer;
    ASSERT_TRUE(r.Run(card));
    ASSERT_EQ(r.host.messages.size(), 1u);
    EXPECT_EQ(r.host.messages[0],
              "Копии таблиц состояния отличаются!\rХотите исползовать первую копию?\rОтветьте нет, если второую.");
    EXPECT_EQ(r.host.kinds[0], MsgKind::Confirmation);
    EXPECT_EQ(r.src.EntryCount, answer == MsgResult::Yes ? 3 : 7);
  }
}

TEST(CardHeader, Format2UnsupportedVersionOrLength) {
  Format2 f;
  f.version = 5;
  Recognition r;
  EXPECT_FALSE(r.Run(MakeFormat2(f)));
  EXPECT_EQ(r.text, "Не поддерживаемая версия!");

  f.version = 3;
  Bytes card = MakeFormat2(f);
  Bytes t = Table2(f);
  state2::TableLength.Set(t.data(), 86);
  SealRecord(t.data(), 87);
  PutTable2(card, f, t, 0);
  Recognition len;
  EXPECT_FALSE(len.Run(card));
  EXPECT_EQ(len.text, "Не поддерживаемая версия!");

  Recognition v3;
  f.head = 1;
  EXPECT_TRUE(v3.Run(MakeFormat2(f)));
}

TEST(CardHeader, UnreadableStateSectorFailsSilently) {
  Format2 f;
  Bytes card = MakeFormat2(f);
  card.resize(size_t(f.stateSector) * 512 + 100);
  Recognition r;
  EXPECT_FALSE(r.Run(card));
  EXPECT_EQ(r.text, "unchanged");
}

// ---- counts that no real card can have ----

TEST(HostileHeader, Format1HugeSlotCountIsRefusedBeforeAllocating) {
  Format1 f;
  Bytes card = MakeFormat1(f);
  f.slotCount = 0xFFFFFFF0u;
  f.recordCount = 5;
  Bytes t = Table1(f);
  std::copy(t.begin(), t.end(), card.begin() + long(f.stateSector) * 512);
  Recognition r;
  EXPECT_FALSE(r.Run(card));
  EXPECT_EQ(r.text, "Испорчен заголовок карты памяти!");
  EXPECT_TRUE(r.src.ShortCatalogue.empty());
  EXPECT_LE(r.dev->largestRead, 512);
}

TEST(HostileHeader, Format1CountsBeyondSlotsOrHugePicture) {
  for (int variant = 0; variant < 3; ++variant) {
    Format1 f;
    Bytes card = MakeFormat1(f);
    if (variant == 0) f.recordCount = f.slotCount + 1;
    if (variant == 1) f.writeSlot = f.slotCount + 1;
    if (variant == 2) f.width = f.height = 60000;
    Bytes t = Table1(f);
    std::copy(t.begin(), t.end(), card.begin() + long(f.stateSector) * 512);
    Recognition r;
    EXPECT_FALSE(r.Run(card)) << variant;
    EXPECT_EQ(r.text, "Испорчен заголовок карты памяти!") << variant;
  }
}

TEST(HostileHeader, Format2RingBeyondTheCardIsRefused) {
  Format2 f;
  Bytes card = MakeFormat2(f);
  Format2 g = f;
  g.capacity = 0x0FFFFFFF;
  g.head = 0x0FFFFFF0;
  PutTable2(card, g, Table2(g), 0);
  Recognition r;
  EXPECT_FALSE(r.Run(card));
  EXPECT_EQ(r.text, "Испорчен заголовок карты памяти!");
  EXPECT_TRUE(r.src.LongCatalogue.empty());

  // Without a reported length the ring is still bounded by 2 GiB.
  Recognition unknown;
  EXPECT_FALSE(unknown.Run(card, false));
  EXPECT_TRUE(unknown.src.LongCatalogue.empty());
}

TEST(HostileHeader, Format2PositionsOutsideTheRing) {
  for (int variant = 0; variant < 4; ++variant) {
    Format2 f;
    Bytes card = MakeFormat2(f);
    if (variant == 0) f.head = f.capacity + 1;
    if (variant == 1) { f.wrapped = 1; f.tail = f.capacity; }
    if (variant == 2) { f.capacity = 0; f.wrapped = 1; }
    if (variant == 3) { f.pictureBlock = 0xFFFFFFF0u; f.soundBytes = 0x100; }
    PutTable2(card, f, Table2(f), 0);
    Recognition r;
    EXPECT_FALSE(r.Run(card)) << variant;
    EXPECT_EQ(r.text, "Испорчен заголовок карты памяти!") << variant;
  }
}

TEST(HostileHeader, Format0CountsBeyondTheirAreas) {
  for (int variant = 0; variant < 3; ++variant) {
    Format0 f;
    if (variant == 0) f.mainCount = 150;     // more than the main area holds
    if (variant == 1) f.archiveFirst = 130;  // beyond TotalSlots
    if (variant == 2) f.mainFirst = 100;     // records start in the archive area
    Recognition r;
    EXPECT_FALSE(r.Run(MakeFormat0(f))) << variant;
    EXPECT_EQ(r.text, "Испорчен заголовок карты памяти!") << variant;
  }
}

}  // namespace
