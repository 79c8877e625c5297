#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "decode/frame_cache.h"
#include "decode_fixture.h"

using namespace quovil;
using decode_test::Recorder;
using decode_test::TestPicture;

namespace {

std::vector<uint8_t> SoundBlock(int samples, uint8_t first) {
  std::vector<uint8_t> b(size_t(samples) + 2);
  PutU16(b.data(), uint16_t(samples));
  for (int i = 0; i < samples; ++i) b[size_t(i) + 2] = uint8_t(first + i);
  return b;
}

struct SoundBuffer {
  // Guard bytes around the caller's buffer show any write past it.
  std::array<uint8_t, kSoundBlockBytes + 64> raw{};
  uint8_t* data() { return raw.data() + 32; }
  int Count() { return GetU16(data()); }
  bool GuardsIntact() {
    for (int i = 0; i < 32; ++i)
      if (raw[size_t(i)] != 0x5A || raw[raw.size() - 1 - size_t(i)] != 0x5A) return false;
    return true;
  }
  SoundBuffer() { raw.fill(0x5A); }
};

TEST(SoundReader, ReadsTheBlockOfAFormat2Entry) {
  for (bool archive : {false, true}) {
    Recorder rec(8, 8, archive);
    rec.NextSound(SoundBlock(700, 3));
    rec.Key(0, TestPicture(64, 1));
    Source& src = rec.Finish();
    src.SoundBytes = 1024;  // an archive reads the header's sound size
    SoundBuffer buf;
    ReadSound(src, 0, buf.data());
    EXPECT_EQ(buf.Count(), 700) << archive;
    EXPECT_EQ(buf.data()[2], 3);
    EXPECT_EQ(buf.data()[701], uint8_t(3 + 699));
  }
}

// Whatever the buffer held before (the block of an earlier record, or of an
// earlier source) must not be played again.
TEST(SoundReader, NoSoundToHaveLeavesAnEmptyBlock) {
  Recorder rec(8, 8);
  rec.Key(0, TestPicture(64, 1));  // entry without sound
  rec.NextSound(SoundBlock(100, 0));
  rec.Key(0, TestPicture(64, 2));
  Source& src = rec.Finish();
  SoundBuffer buf;
  auto emptyAfter = [&](int index) {
    PutU16(buf.data(), 1234);
    ReadSound(src, index, buf.data());
    return buf.Count() == 0;
  };
  EXPECT_TRUE(emptyAfter(0));
  EXPECT_TRUE(emptyAfter(5));  // no such entry
  rec.dev->failAt.insert(src.LongBase() + uint64_t(src.LongCatalogue[1].FirstSector()) * 512);
  EXPECT_TRUE(emptyAfter(1));  // the read fails
  rec.dev->failAt.clear();
  EXPECT_FALSE(emptyAfter(1));
  src.HasSound = false;
  EXPECT_TRUE(emptyAfter(1));  // the source has no sound
}

TEST(SoundReader, BlockLargerThanTheBufferIsCut) {
  for (bool archive : {false, true}) {
    // 255 sectors of sound claiming 60000 samples.
    Recorder rec(8, 8, archive);
    std::vector<uint8_t> big = SoundBlock(255 * 512 - 2, 0);
    PutU16(big.data(), 60000);
    rec.NextSound(big);
    rec.Key(0, TestPicture(64, 1));
    Source& src = rec.Finish();
    src.SoundBytes = 255 * 512;
    SoundBuffer buf;
    ReadSound(src, 0, buf.data());
    EXPECT_EQ(buf.Count(), kSoundBlockBytes - 2) << archive;
    EXPECT_TRUE(buf.GuardsIntact()) << archive;
  }
}

TEST(SoundReader, CountBeyondTheStoredBlockIsLimitedToIt) {
  Recorder rec(8, 8);
  std::vector<uint8_t> b = SoundBlock(100, 0);
  PutU16(b.data(), 5000);  // one sector stored
  rec.NextSound(b);
  rec.Key(0, TestPicture(64, 1));
  const Source& src = rec.Finish();
  SoundBuffer buf;
  ReadSound(src, 0, buf.data());
  EXPECT_EQ(buf.Count(), 510);
}

}  // namespace
