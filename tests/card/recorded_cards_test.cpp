// Cards from the synthetic recorder, recognised as the viewer does.
#include <gtest/gtest.h>

#include "card/card_header.h"
#include "card_fixture.h"
#include "mkcard/mkcard.h"

using namespace quovil;

namespace {

struct Recognised {
  Source src;
  cardfix::RecordingHost host;
  std::string text;
  mkcard::Recorded truth;
  bool ok = false;

  explicit Recognised(const mkcard::Options& o) {
    std::vector<uint8_t> bytes = mkcard::MakeCard(o, &truth);
    std::vector<uint8_t> sector0(bytes.begin(), bytes.begin() + 512);
    src.Card = MemoryDevice(std::move(bytes));
    src.CardOpen = true;
    ok = HasCardMagic(sector0.data()) && ReadCardHeader(src, sector0.data(), host, text);
  }
};

void ExpectValues(const Recognised& r) {
  const mkcard::Recorded& t = r.truth;
  EXPECT_EQ(r.src.CardFormat, t.format);
  EXPECT_EQ(r.src.PictureWidth, t.width);
  EXPECT_EQ(r.src.PictureHeight, t.height);
  EXPECT_EQ(r.src.PictureBytes, t.pictureBytes);
  EXPECT_EQ(r.src.SoundBytes, t.soundBytes);
  EXPECT_EQ(r.src.SampleRate, t.sampleRate);
  EXPECT_EQ(r.src.HasSound, t.hasSound);
  EXPECT_EQ(r.src.EntryCount, t.entryCount);
  if (t.format != 2) {
    EXPECT_EQ(r.src.FrameStride, t.frameStride);
  }
  if (t.format == 0) {
    EXPECT_EQ(r.src.EdgeTrim, t.edgeTrim);
  }
}

class EveryFormat : public ::testing::TestWithParam<int> {};

TEST_P(EveryFormat, RecognisedWithTheRecordedValues) {
  mkcard::Options o;
  o.format = GetParam();
  o.records = 150;
  Recognised r(o);
  ASSERT_TRUE(r.ok) << r.text;
  ExpectValues(r);
  EXPECT_TRUE(r.host.messages.empty());
}

TEST_P(EveryFormat, WrappedRingsAndBadFirstCopies) {
  mkcard::Options o;
  o.format = GetParam();
  o.records = 300;
  o.ringWrapped = true;
  o.mainWrapped = true;
  o.badFirstCopy = true;
  Recognised r(o);
  ASSERT_TRUE(r.ok) << r.text;
  ExpectValues(r);
  ASSERT_EQ(int(r.truth.frames.size()), r.truth.entryCount);
  if (o.format == 2) {
    for (int k = 0; k < r.src.EntryCount; ++k) {
      ASSERT_EQ(r.src.LongCatalogue[size_t(k)].FirstSector(), r.truth.frames[size_t(k)].firstSector) << k;
      ASSERT_EQ(r.src.LongCatalogue[size_t(k)].Time(), r.truth.frames[size_t(k)].time) << k;
    }
  }
}

TEST_P(EveryFormat, BothCopiesBad) {
  mkcard::Options o;
  o.format = GetParam();
  o.badBothCopies = true;
  Recognised r(o);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.text, "Испорчен заголовок карты памяти!");
}

INSTANTIATE_TEST_SUITE_P(Formats, EveryFormat, ::testing::Values(0, 1, 2));

TEST(RecordedCards, Format1StoredSoundBytesIgnored) {
  mkcard::Options o;
  o.format = 1;
  o.storedSoundBytes = 4096;
  Recognised r(o);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.src.SoundBytes, 11264);
}

TEST(RecordedCards, Format2VersionFiveRefused) {
  mkcard::Options o;
  o.format = 2;
  o.tableVersion = 5;
  Recognised r(o);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.text, "Не поддерживаемая версия!");
}

TEST(RecordedCards, Format2DifferentCopiesAskOnceEitherWay) {
  for (MsgResult answer : {MsgResult::Yes, MsgResult::No}) {
    mkcard::Options o;
    o.format = 2;
    o.differentCopies = true;
    std::vector<uint8_t> bytes = mkcard::MakeCard(o);
    Source src;
    src.Card = MemoryDevice(bytes);
    src.CardOpen = true;
    cardfix::RecordingHost host;
    host.answer = answer;
    std::string text;
    ASSERT_TRUE(ReadCardHeader(src, bytes.data(), host, text));
    EXPECT_EQ(host.messages.size(), 1u);
    uint32_t copy = GetU32(&bytes[73]) + (answer == MsgResult::Yes ? 0 : 1);
    EXPECT_EQ(std::memcmp(src.StateTable.data(), &bytes[copy * 512], 87), 0);
  }
}

TEST(RecordedCards, BadBootChecksumIsNoCard) {
  for (int format : {1, 2}) {
    mkcard::Options o;
    o.format = format;
    o.badBootChecksum = true;
    Recognised r(o);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.text, "");
  }
}

}  // namespace
