// Checksums, damage options, the journal and determinism of the synthetic recorder.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "mkcard/mkcard.h"
#include "reference_reader.h"

namespace {

using reference::At;
using reference::Bytes;
using reference::Sealed;
using quovil::GetU32;

// Start of the first state-table copy and the table length of a format.
std::pair<uint64_t, std::size_t> StateTable(const Bytes& img, int format) {
  if (format == 0) return {0x100000, 16};
  return {uint64_t(GetU32(At(img, 73))) * 512, format == 1 ? 34u : 87u};
}

mkcard::Options Small(int format) {
  mkcard::Options o;
  o.format = format;
  o.records = 24;
  o.resolutionIndex = 2;
  o.width = 48;
  o.height = 32;
  return o;
}

TEST(CardDamage, CopiesAreSealedUnlessDamageIsAskedFor) {
  for (int format : {0, 1, 2}) {
    SCOPED_TRACE(format);
    mkcard::Options o = Small(format);
    Bytes img = mkcard::MakeCard(o);
    auto [at, n] = StateTable(img, format);
    const uint64_t second = format == 0 ? 0x120200 : at + 512;
    EXPECT_TRUE(Sealed(At(img, at), n));
    EXPECT_TRUE(Sealed(At(img, second), n));
    if (format != 0) {
      EXPECT_TRUE(Sealed(img.data(), 116));
    }

    o.badFirstCopy = true;
    img = mkcard::MakeCard(o);
    EXPECT_FALSE(Sealed(At(img, at), n));
    EXPECT_TRUE(Sealed(At(img, second), n));

    o.badFirstCopy = false;
    o.badBothCopies = true;
    img = mkcard::MakeCard(o);
    EXPECT_FALSE(Sealed(At(img, at), n));
    EXPECT_FALSE(Sealed(At(img, second), n));

    o.badBothCopies = false;
    o.badBootChecksum = true;
    img = mkcard::MakeCard(o);
    EXPECT_FALSE(Sealed(img.data(), 116));
    EXPECT_TRUE(Sealed(At(img, at), n));
  }
}

TEST(CardDamage, Format2CopiesThatDifferAreBothGoodAndCountDifferently) {
  mkcard::Options o = Small(2);
  o.differentCopies = true;
  mkcard::Recorded t;
  const Bytes img = mkcard::MakeCard(o, &t);
  auto [at, n] = StateTable(img, 2);
  ASSERT_TRUE(Sealed(At(img, at), n));
  ASSERT_TRUE(Sealed(At(img, at + 512), n));
  EXPECT_NE(std::memcmp(At(img, at), At(img, at + 512), n), 0);
  EXPECT_EQ(GetU32(At(img, at + 34)), uint32_t(t.entryCount));
  EXPECT_EQ(GetU32(At(img, at + 512 + 34)), uint32_t(t.secondCopyEntryCount));
  EXPECT_EQ(t.secondCopyEntryCount, t.entryCount - 1);

  for (int version : {3, 5}) {
    o = Small(2);
    o.tableVersion = version;
    const Bytes v = mkcard::MakeCard(o);
    EXPECT_EQ(At(v, at)[2], version);
    EXPECT_TRUE(Sealed(At(v, at), n)) << "a refused version is still a well-sealed table";
  }
}

struct Journal {
  uint32_t size = 0, head = 0;
  std::vector<int> valid;  // record indices that pass the check byte
};

Journal ReadJournal(const Bytes& img) {
  Journal j;
  const uint8_t* h = At(img, 0x800000);
  EXPECT_TRUE(Sealed(h, 84));
  EXPECT_EQ(quovil::GetU16(h), 84);
  EXPECT_EQ(h[2], 1);
  j.size = GetU32(h + 75);
  j.head = GetU32(h + 79);
  EXPECT_EQ(j.size % 512, 0u);
  for (uint32_t i = 0; i < j.size / 8; ++i)
    if (Sealed(At(img, 0x800200 + 8 * i), 8)) j.valid.push_back(int(i));
  return j;
}

TEST(CardJournal, UnwrappedRingHoldsRecordsFromZeroToTheHead) {
  mkcard::Options o = Small(2);
  o.journal = true;
  mkcard::Recorded t;
  const Bytes img = mkcard::MakeCard(o, &t);
  const Journal j = ReadJournal(img);
  EXPECT_EQ(j.size, t.journalSize);
  EXPECT_EQ(int(j.head), t.journalHead);
  ASSERT_EQ(j.valid.size(), t.journal.size());
  for (std::size_t i = 0; i < j.valid.size(); ++i) EXPECT_EQ(j.valid[i], int(i));
  EXPECT_EQ(int(j.valid.size()), t.journalHead);
  bool powerOn = false, cardError = false, power = false, link = false;
  for (std::size_t i = 0; i < t.journal.size(); ++i) {
    const uint8_t* r = At(img, 0x800200 + 8 * i);
    EXPECT_EQ(r[5], t.journal[i].code);
    EXPECT_EQ(r[6], t.journal[i].data);
    EXPECT_EQ(quovil::TimeStamp::From(r).minute, t.journal[i].time.minute);
    powerOn |= r[5] == 1 && r[6] == 1;
    cardError |= r[5] == 19;
    power |= r[5] == 22;
    link |= r[5] == 21;
  }
  EXPECT_TRUE(powerOn && cardError && power && link);
  EXPECT_GE(t.dataBaseSector, 16385u + j.size / 512) << "frame data lies beyond the journal";
}

TEST(CardJournal, WrappedRingIsFullAndItsOldestRecordSitsAtTheHead) {
  mkcard::Options o = Small(2);
  o.journal = true;
  o.journalWrapped = true;
  o.journalCapacity = 128;
  mkcard::Recorded t;
  const Bytes img = mkcard::MakeCard(o, &t);
  const Journal j = ReadJournal(img);
  EXPECT_EQ(j.size, 128u * 8);
  EXPECT_EQ(j.valid.size(), 128u);
  ASSERT_EQ(t.journal.size(), 128u);
  EXPECT_NE(j.head, 0u);
  EXPECT_EQ(At(img, 0x800200 + 8 * j.head)[5], t.journal.front().code);
}

TEST(CardDeterminism, SameSeedSameCardOtherSeedOtherCard) {
  for (int format : {0, 1, 2}) {
    mkcard::Options o = Small(format);
    o.seed = 42;
    const Bytes a = mkcard::MakeCard(o), b = mkcard::MakeCard(o);
    EXPECT_EQ(a, b) << format;
    o.seed = 43;
    EXPECT_NE(a, mkcard::MakeCard(o)) << format;
  }
}

TEST(CardFile, WriteCardWritesTheImageMakeCardBuilds) {
  const mkcard::Options o = Small(2);
  const std::string path = ::testing::TempDir() + "mkcard_write_test.img";
  const mkcard::Recorded t = mkcard::WriteCard(o, path);
  ASSERT_EQ(t.format, 2);
  Bytes file;
  {
    std::ifstream in(path, std::ios::binary);
    file.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  EXPECT_EQ(file, mkcard::MakeCard(o));
  EXPECT_EQ(std::remove(path.c_str()), 0);
  EXPECT_EQ(mkcard::WriteCard(o, "/nonexistent-dir/x.img").format, -1);
}

TEST(CardTime, StampsRollOverMidnightAndMonthEnd) {
  mkcard::Options o = Small(2);
  o.start = {28, 2, 24, 23, 59, 58};  // 2024 is a leap year
  o.records = 16;
  o.framesPerSecond = 2;
  mkcard::Recorded t;
  mkcard::MakeCard(o, &t);
  EXPECT_EQ(t.frames[4].time, (quovil::TimeStamp{29, 2, 24, 0, 0, 0}));
  o.start = {31, 12, 24, 23, 59, 59};
  mkcard::MakeCard(o, &t);
  EXPECT_EQ(t.frames[2].time, (quovil::TimeStamp{1, 1, 25, 0, 0, 0}));
}

}  // namespace
