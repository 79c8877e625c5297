// Archive files of a whole card, read back by the layout rules of the format.
#include <gtest/gtest.h>

#include <cstring>

#include "mkcard/mkcard.h"
#include "reference_reader.h"

namespace {

using reference::At;
using reference::Bytes;
using quovil::GetU32;

TEST(ArchiveFile, Version3OfAFormat2CardCopiesRecordsWithSectorsFromZero) {
  mkcard::Options o;
  o.format = 2;
  o.records = 40;
  o.width = 64;
  o.height = 48;
  mkcard::Recorded t;
  const Bytes file = mkcard::MakeArchive(o, 3, &t);
  ASSERT_GE(file.size(), 40u);
  ASSERT_TRUE(reference::Sealed(file.data(), 40));
  EXPECT_EQ(std::memcmp(At(file, 3), "KORAX-X ", 8), 0);
  const uint32_t data = GetU32(At(file, 11));
  EXPECT_EQ(data, 40u + 16 * 40);
  EXPECT_EQ(GetU32(At(file, 15)), 2u);
  EXPECT_EQ(GetU32(At(file, 35)), 40u);
  Bytes last[2];
  uint32_t expected = 0;
  for (uint32_t k = 0; k < 40; ++k) {
    const uint8_t* e = At(file, 40 + 16 * k);
    const mkcard::Frame& f = t.frames[k];
    ASSERT_EQ(GetU32(e), expected);
    expected += e[6] + e[7] + e[8];
    EXPECT_EQ(e[4], f.flag);
    const uint8_t* rec = At(file, data + GetU32(e) * 512ull);
    EXPECT_EQ(quovil::GetU16(rec), f.samples.size());
    const uint8_t* pic = rec + e[7] * 512;
    const int cam = e[4] & 3;
    if (e[4] & 0x80)
      last[cam] = reference::DecodeDelta(last[cam], pic, e[6] * 512u);
    else
      last[cam].assign(pic, pic + 64 * 48);
    ASSERT_EQ(last[cam], f.picture) << k;
  }
  EXPECT_EQ(file.size(), data + expected * 512ull);
}

TEST(ArchiveFile, Version3OfAFormat1CardClearsTheManualBitAndKeepsSoundThenPicture) {
  mkcard::Options o;
  o.format = 1;
  o.records = 30;
  o.resolutionIndex = 2;
  mkcard::Recorded t;
  const Bytes file = mkcard::MakeArchive(o, 3, &t);
  const uint32_t data = GetU32(At(file, 11));
  EXPECT_EQ(GetU32(At(file, 15)), 1u);
  EXPECT_EQ(GetU32(At(file, 19)), 11264u);
  bool manualSeen = false;
  for (uint32_t k = 0; k < 30; ++k) {
    const uint8_t* e = At(file, 40 + 16 * k);
    EXPECT_EQ(e[4] & 0x02, 0);
    manualSeen |= (e[4] & 0xFC) == 0;
    EXPECT_EQ(e[5], 0);
    EXPECT_EQ(e[6], 120);  // 240 x 256 / 512
    EXPECT_EQ(e[7], 22);   // 11264 / 512
    EXPECT_EQ(e[8], 0);
    const uint8_t* rec = At(file, data + GetU32(e) * 512ull);
    EXPECT_EQ(quovil::GetU16(rec), t.frames[k].samples.size());
    ASSERT_EQ(reference::Deinterlace(rec + 11264, 240, 256), t.frames[k].picture);
  }
  EXPECT_TRUE(manualSeen);
}

TEST(ArchiveFile, Version2HoldsShortEntriesAndFixedSizeRecords) {
  mkcard::Options o;
  o.format = 1;
  o.records = 12;
  o.resolutionIndex = 2;
  mkcard::Recorded t;
  const Bytes file = mkcard::MakeArchive(o, 2, &t);
  ASSERT_TRUE(reference::Sealed(file.data(), 39));
  EXPECT_EQ(quovil::GetU16(file.data()), 39);
  EXPECT_EQ(file[2], 2);
  EXPECT_EQ(std::memcmp(At(file, 3), "KORAX", 5), 0);
  const uint32_t data = GetU32(At(file, 8)), recordBytes = GetU32(At(file, 13));
  EXPECT_EQ(file[12], 1);
  EXPECT_EQ(GetU32(At(file, 29)), 12u);
  for (uint32_t k = 0; k < 12; ++k) {
    EXPECT_EQ(file[39 + 8 * k], t.frames[k].flag);
    EXPECT_EQ(t.frames[k].firstSector, k * (recordBytes / 512));
    const uint8_t* rec = At(file, data + uint64_t(k) * recordBytes);
    ASSERT_EQ(reference::Deinterlace(rec + 11264, 240, 256), t.frames[k].picture);
  }
  o.format = 2;
  EXPECT_TRUE(mkcard::MakeArchive(o, 2).empty()) << "version 2 never held format-2 records";
}

}  // namespace
