#include <gtest/gtest.h>

#include <vector>

#include "decode/frame_cache.h"
#include "decode_fixture.h"

using namespace quovil;
using decode_test::Recorder;

namespace {

constexpr int kW = 16, kH = 8;

FrameCache& Cache() {
  static FrameCache* cache = new FrameCache;
  ResetFrameCache(*cache);
  return *cache;
}

// Group starts of camera cam, in catalogue order.
std::vector<int> GroupStarts(const Source& src, int cam) {
  std::vector<int> g;
  for (int i = 0; i < src.EntryCount; ++i)
    if (src.CameraOf(i) == cam && !src.LongCatalogue[size_t(i)].IsDelta()) g.push_back(i);
  return g;
}

// After showing index: the current slot holds its group, the next slot the
// following group of its camera and the previous slot the preceding one
// (where such groups exist).
void ExpectNeighbours(const Source& src, const FrameCache& c, int index) {
  const int cam = src.CameraOf(index);
  const std::vector<int> starts = GroupStarts(src, cam);
  size_t k = 0;
  while (k + 1 < starts.size() && starts[k + 1] <= index) ++k;
  const auto& r = c.roles[cam];
  EXPECT_EQ(c.tag[cam][r.current][0], starts[k]) << "index " << index;
  if (k + 1 < starts.size()) {
    EXPECT_EQ(c.tag[cam][r.next][0], starts[k + 1]) << "index " << index;
  }
  if (k > 0) {
    EXPECT_EQ(c.tag[cam][r.previous][0], starts[k - 1]) << "index " << index;
  }
}

void ExpectFrame(const Recorder& rec, FrameCache& c, int index) {
  const uint8_t* f = AcquireFrame(rec.src, c, index);
  ASSERT_NE(f, nullptr) << index;
  EXPECT_EQ(std::vector<uint8_t>(f, f + rec.src.PictureBytes), rec.expected[size_t(index)]) << index;
}

TEST(FrameSlots, FirstShowLoadsTheGroupAndBothNeighbours) {
  Recorder rec(kW, kH);
  for (int g = 0; g < 5; ++g) rec.Group(0, 4, uint32_t(10 * g));
  const Source& src = rec.Finish();
  FrameCache& c = Cache();
  int slot = -1, pos = -1;
  ASSERT_NE(AcquireFrame(src, c, 9, &slot, &pos), nullptr);
  EXPECT_EQ(slot, 0);
  EXPECT_EQ(pos, 1);
  EXPECT_EQ(c.tag[0][0][0], 8);
  EXPECT_EQ(c.tag[0][1][0], 12);
  EXPECT_EQ(c.tag[0][2][0], 4);
  EXPECT_EQ(c.roles[0].current, 0);
}

TEST(FrameSlots, SteppingForwardAndBackwardKeepsTheNeighboursRight) {
  Recorder rec(kW, kH);
  for (int g = 0; g < 6; ++g) rec.Group(0, 3 + g % 3, uint32_t(10 * g));
  const Source& src = rec.Finish();
  FrameCache& c = Cache();
  for (int i = 0; i < src.EntryCount; ++i) {
    ExpectFrame(rec, c, i);
    ExpectNeighbours(src, c, i);
  }
  for (int i = src.EntryCount - 1; i >= 0; --i) {
    ExpectFrame(rec, c, i);
    ExpectNeighbours(src, c, i);
  }
}

TEST(FrameSlots, CrossingABoundaryReadsOnlyTheKeyFrameBeyond) {
  Recorder rec(kW, kH);
  for (int g = 0; g < 4; ++g) rec.Group(0, 5, uint32_t(10 * g));
  rec.Finish();
  FrameCache& c = Cache();
  ExpectFrame(rec, c, 7);
  int before = rec.dev->reads;
  ExpectFrame(rec, c, 8);
  ExpectFrame(rec, c, 9);
  EXPECT_EQ(rec.dev->reads, before + 2);  // same group: one delta stream each
  before = rec.dev->reads;
  ExpectFrame(rec, c, 10);  // next group: its key frame waits, the one after is read
  EXPECT_EQ(rec.dev->reads, before + 1);
  before = rec.dev->reads;
  ExpectFrame(rec, c, 9);  // back: whole already; the key frame before 5 is read and a share decoded
  EXPECT_EQ(rec.dev->reads, before + 2);
}

TEST(FrameSlots, InterleavedCamerasDoNotDisturbEachOther) {
  Recorder rec(kW, kH);
  // Both cameras alternate entry by entry, each in groups of three.
  for (int k = 0; k < 18; ++k) {
    for (int cam = 0; cam < 2; ++cam) {
      const auto pic = decode_test::TestPicture(kW * kH, uint32_t(100 * cam + k));
      if (k % 3 == 0)
        rec.Key(cam, pic);
      else
        rec.Delta(cam, pic);
    }
  }
  const Source& src = rec.Finish();
  FrameCache& c = Cache();
  ExpectFrame(rec, c, 0);
  ExpectFrame(rec, c, 1);
  for (int i = 2; i < src.EntryCount; ++i) {
    const int before = rec.dev->reads;
    ExpectFrame(rec, c, i);
    ExpectNeighbours(src, c, i);
    // Within a group only the frame's own delta stream is read; a new group
    // brings at most the key frames of the groups around it.
    if (src.LongCatalogue[size_t(i)].IsDelta()) EXPECT_LE(rec.dev->reads, before + 1) << i;
    else EXPECT_LE(rec.dev->reads, before + 3) << i;
  }
}

}  // namespace
