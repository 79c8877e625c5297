// Reading archive headers and catalogues of both versions, and refusing every
// header that does not describe the file it heads.
#include <gtest/gtest.h>

#include <cstring>

#include "card/korax.h"
#include "card/archive_file.h"
#include "mkcard/mkcard.h"

namespace {

using namespace quovil;

bool Read(const std::vector<uint8_t>& bytes, ArchiveHeader& h, std::vector<LongEntry>& e) {
  auto dev = MemoryDevice(bytes);
  return ReadArchive(*dev, h, e);
}

// Version 2, card format 1 values: three records of 92672 bytes.
std::vector<uint8_t> Version2File(uint32_t n, uint32_t width = 320, uint32_t height = 256) {
  const uint32_t dataOffset = 512, recordBytes = 92672;
  std::vector<uint8_t> f(dataOffset + size_t(n) * recordBytes, 0);
  PutU16(&f[0], 39);
  f[2] = 2;
  std::memcpy(&f[3], "KORAX", 5);
  PutU32(&f[8], dataOffset);
  f[12] = 1;
  PutU32(&f[13], recordBytes);
  PutU32(&f[17], 11264);
  PutU32(&f[21], width);
  PutU32(&f[25], height);
  PutU32(&f[29], n);
  PutU32(&f[33], 11025);
  for (uint32_t k = 0; k < n; ++k) {
    uint8_t* r = &f[39 + 8 * k];
    r[0] = k == 1 ? 0x03 : 0x08;  // record 1: manual, camera 2
    TimeStamp{15, 6, 24, 12, 0, uint8_t(k)}.To(r + 1);
  }
  SealRecord(f.data(), 39);
  return f;
}

TEST(ArchiveVersion2, EntriesFollowTheFixedRecordSize) {
  ArchiveHeader h;
  std::vector<LongEntry> e;
  ASSERT_TRUE(Read(Version2File(3), h, e));
  EXPECT_EQ(h.HeaderLength, 40);
  EXPECT_EQ(h.Version, 2);
  EXPECT_EQ(h.DataOffset, 512u);
  EXPECT_EQ(h.CardFormat, 1u);
  EXPECT_EQ(h.SampleRate, 11025u);
  ASSERT_EQ(e.size(), 3u);
  EXPECT_EQ(e[0].FirstSector(), 0u);
  EXPECT_EQ(e[1].FirstSector(), 181u);
  EXPECT_EQ(e[2].FirstSector(), 362u);
  EXPECT_EQ(e[0].FrameInterval(), 20);
  EXPECT_EQ(e[0].SoundSectors(), 22);
  EXPECT_EQ(e[0].PictureSectors(), 160);
  EXPECT_EQ(e[2].Time(), (TimeStamp{15, 6, 24, 12, 0, 2}));
  // The manual bit of the short entry must not turn into camera bits.
  EXPECT_EQ(e[1].Flag(), 0x01);
  EXPECT_EQ(e[1].Camera(), 1);
}

TEST(ArchiveVersion2, PictureSectorsCoverTheWholePicture) {
  ArchiveHeader h;
  std::vector<LongEntry> e;
  ASSERT_TRUE(Read(Version2File(1, 100, 100), h, e));
  EXPECT_EQ(e[0].PictureSectors(), 20);  // 10000 bytes: 19.53 sectors
}

TEST(ArchiveVersion3, ReadsWhatTheRecorderSaves) {
  mkcard::Options o;
  o.format = 2;
  o.records = 30;
  mkcard::Recorded t;
  const auto file = mkcard::MakeArchive(o, 3, &t);
  ArchiveHeader h;
  std::vector<LongEntry> e;
  ASSERT_TRUE(Read(file, h, e));
  EXPECT_EQ(h.Version, 3);
  EXPECT_EQ(h.DataOffset, 40u + 16u * 30u);
  EXPECT_EQ(h.EntryCount, 30u);
  EXPECT_EQ(int(h.Width), t.width);
  ASSERT_EQ(e.size(), 30u);
  for (size_t k = 0; k < e.size(); ++k) {
    EXPECT_EQ(e[k].FirstSector(), t.frames[k].firstSector);
    EXPECT_EQ(e[k].Flag(), t.frames[k].flag);
  }
}

TEST(ArchiveVersion3, WrittenHeaderIsSealed) {
  const auto h = MakeArchiveHeader(1, 11264, 11025, 320, 256, 7);
  EXPECT_EQ(ByteChecksum(h.data(), h.size()), 0);
  EXPECT_EQ(GetU32(&h[11]), 40u + 16u * 7u);
  EXPECT_EQ(std::memcmp(&h[3], "KORAX-X ", 8), 0);
}

class ArchiveRefused : public ::testing::Test {
 protected:
  void SetUp() override {
    mkcard::Options o;
    o.format = 1;
    o.records = 10;
    file = mkcard::MakeArchive(o, 3);
    ASSERT_TRUE(Read(file, h, e));
  }
  bool Opens() { return Read(file, h, e); }
  void Reseal() {
    file[39] = 0;
    SealRecord(file.data(), 40);
  }
  std::vector<uint8_t> file;
  ArchiveHeader h;
  std::vector<LongEntry> e;
};

TEST_F(ArchiveRefused, ChangedHeaderByte) {
  file[39] ^= 1;
  EXPECT_FALSE(Opens());
  file[39] ^= 1;
  file[30] ^= 0x40;
  EXPECT_FALSE(Opens());
  EXPECT_TRUE(e.empty());
}

TEST_F(ArchiveRefused, ShortFilesAndWrongLengthOrVersion) {
  file.resize(8);
  EXPECT_FALSE(Opens());
  SetUp();
  PutU16(&file[0], 39);  // version 3 with the version-2 length
  SealRecord(file.data(), 39);
  EXPECT_FALSE(Opens());
  SetUp();
  file[2] = 4;
  Reseal();
  EXPECT_FALSE(Opens());
  SetUp();
  file[5] = 'Z';
  Reseal();
  EXPECT_FALSE(Opens());
  SetUp();
  PutU16(&file[0], 1025);
  EXPECT_FALSE(Opens());
}

TEST_F(ArchiveRefused, HostileEntryCounts) {
  for (uint32_t n : {0xFFFFFFFFu, 0x80000000u, 0x10000000u, 11u}) {
    PutU32(&file[35], n);
    Reseal();
    EXPECT_FALSE(Opens()) << n;
    EXPECT_TRUE(e.empty());
  }
  auto v2 = Version2File(3);
  PutU32(&v2[29], 0xFFFFFFF0u);
  SealRecord(v2.data(), 39);
  EXPECT_FALSE(Read(v2, h, e));
}

TEST_F(ArchiveRefused, DataOffsetOutsideTheFile) {
  PutU32(&file[11], uint32_t(file.size() + 1));
  Reseal();
  EXPECT_FALSE(Opens());
  PutU32(&file[11], 40);  // data over the catalogue
  Reseal();
  EXPECT_FALSE(Opens());
}

TEST_F(ArchiveRefused, EmptyCatalogueStillOpens) {
  file.resize(40);
  PutU32(&file[11], 40);
  PutU32(&file[35], 0);
  Reseal();
  EXPECT_TRUE(Opens());
  EXPECT_TRUE(e.empty());
}

}  // namespace
