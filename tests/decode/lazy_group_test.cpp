#include <gtest/gtest.h>

#include <vector>

#include "decode/frame_cache.h"
#include "decode_fixture.h"

using namespace quovil;
using decode_test::Recorder;

namespace {

constexpr int kW = 20, kH = 12;

FrameCache& Cache() {
  static FrameCache* cache = new FrameCache;
  ResetFrameCache(*cache);
  return *cache;
}

int TagCount(const FrameCache& c, int cam, int slot) {
  int n = 0;
  while (n < kGroupFrames && c.tag[cam][slot][n] >= 0) ++n;
  return n;
}

uint64_t DeltaOffset(const Source& src, int i) {
  const LongEntry& e = src.LongCatalogue[size_t(i)];
  return src.LongBase() + (uint64_t(e.FirstSector()) + e.SoundSectors()) * 512;
}

void ExpectFrame(const Recorder& rec, FrameCache& c, int index) {
  const uint8_t* f = AcquireFrame(rec.src, c, index);
  ASSERT_NE(f, nullptr) << index;
  EXPECT_EQ(std::vector<uint8_t>(f, f + rec.src.PictureBytes), rec.expected[size_t(index)]) << index;
}

TEST(LazyGroup, LoadingTagsTheWholeGroupButReadsOnlyItsKeyFrame) {
  Recorder rec(kW, kH);
  rec.Group(0, 40, 3);
  const Source& src = rec.Finish();
  FrameCache& c = Cache();
  EXPECT_EQ(LoadGroupMembers(src, c, 30, 1), 30);
  EXPECT_EQ(rec.dev->reads, 1);
  EXPECT_EQ(TagCount(c, 0, 1), 40);
  EXPECT_EQ(c.decoded[0][1], 1);
  int slot = -1, pos = -1;
  EXPECT_TRUE(FindInCache(src, c, 39, &slot, &pos));
  EXPECT_EQ(pos, 39);
}

TEST(LazyGroup, JumpIntoAFreshGroupDecodesUpToTheFrameAskedFor) {
  Recorder rec(kW, kH);
  rec.Group(0, 64, 1);
  const int g = rec.Group(0, 64, 200);
  rec.Group(0, 64, 400);
  const Source& src = rec.Finish();
  FrameCache& c = Cache();
  int slot = -1, pos = -1;
  const uint8_t* f = AcquireFrame(src, c, g + 50, &slot, &pos);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(std::vector<uint8_t>(f, f + src.PictureBytes), rec.expected[size_t(g + 50)]);
  EXPECT_EQ(pos, 50);
  EXPECT_EQ(c.decoded[0][slot], 51);
  EXPECT_EQ(TagCount(c, 0, slot), 64);
  // Three key frames (the group and both neighbours) and fifty delta streams.
  EXPECT_EQ(rec.dev->reads, 3 + 50);
  for (int s = 0; s < kCacheSlots; ++s) {
    if (s != slot) {
      EXPECT_EQ(c.decoded[0][s], 1);
    }
  }
  // The earlier frames are there already: going back decodes none of them.
  ExpectFrame(rec, c, g + 10);
  EXPECT_EQ(c.decoded[0][slot], 51);
}

TEST(LazyGroup, PrefetchedGroupsGiveTheSamePicturesInBothDirections) {
  for (bool archive : {false, true}) {
    Recorder rec(kW, kH, archive);
    for (int k = 0; k < 5; ++k) rec.Group(k % 2, 9 + 7 * k, uint32_t(50 * k));
    const Source& src = rec.Finish();
    FrameCache& c = Cache();
    ExpectFrame(rec, c, 0);
    EXPECT_EQ(c.decoded[0][c.roles[0].next], 1) << "only the key frame of the group ahead";
    for (int i = 1; i < src.EntryCount; ++i) ExpectFrame(rec, c, i);
    for (int i = src.EntryCount - 1; i >= 0; --i) ExpectFrame(rec, c, i);
  }
}

// Playback steps: after the first show no step decodes more than two frames,
// forward or backward, across boundaries of full groups.
TEST(LazyGroup, NoPlaybackStepDecodesAWholeGroup) {
  Recorder rec(kW, kH);
  for (int k = 0; k < 4; ++k) rec.Group(0, 64, uint32_t(100 * k));
  const Source& src = rec.Finish();
  FrameCache& c = Cache();
  const int last = src.EntryCount - 1;
  ExpectFrame(rec, c, last);
  for (int i = last - 1; i >= 0; --i) {
    const int before = rec.dev->reads;
    ExpectFrame(rec, c, i);
    EXPECT_LE(rec.dev->reads, before + 2) << "backward to " << i;
  }
  for (int i = 1; i <= last; ++i) {
    const int before = rec.dev->reads;
    ExpectFrame(rec, c, i);
    EXPECT_LE(rec.dev->reads, before + 2) << "forward to " << i;
  }
}

TEST(LazyGroup, ReadFailureFoundLaterCutsTheGroupThere) {
  for (bool archive : {false, true}) {
    Recorder rec(kW, kH, archive);
    rec.Group(0, 10, 1);
    const int g2 = rec.Group(0, 10, 60);
    Source& src = rec.Finish();
    rec.dev->failAt.insert(DeltaOffset(src, 6));
    rec.dev->failAt.insert(DeltaOffset(src, g2 + 4));
    FrameCache& c = Cache();
    int slot = -1, pos = -1;
    ASSERT_NE(AcquireFrame(src, c, 3, &slot, &pos), nullptr) << archive;
    EXPECT_EQ(TagCount(c, 0, slot), 10) << "the failure lies ahead, not yet met";
    ExpectFrame(rec, c, 5);
    EXPECT_EQ(AcquireFrame(src, c, 6), nullptr) << archive;
    EXPECT_EQ(TagCount(c, 0, slot), 6);
    EXPECT_FALSE(FindInCache(src, c, 6, &slot, &pos));
    EXPECT_EQ(AcquireFrame(src, c, 8), nullptr) << archive;
    ExpectFrame(rec, c, 5);

    // The same in a group that was prefetched: its first frames are shown,
    // the failed one is not, and the tags end before it.
    ExpectFrame(rec, c, g2);
    for (int i = g2 + 1; i < g2 + 4; ++i) ExpectFrame(rec, c, i);
    EXPECT_EQ(AcquireFrame(src, c, g2 + 4), nullptr) << archive;
    ASSERT_TRUE(FindInCache(src, c, g2, &slot, &pos));
    EXPECT_EQ(TagCount(c, 0, slot), 4);
  }
}

}  // namespace
