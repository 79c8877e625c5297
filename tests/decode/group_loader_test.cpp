#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "decode/frame_cache.h"
#include "decode_fixture.h"

using namespace quovil;
using decode_test::Recorder;
using decode_test::TestPicture;

namespace {

constexpr int kW = 24, kH = 10;

// One cache for the whole program: 48 MiB is allocated once, as in the viewer.
FrameCache& Cache() {
  static FrameCache* cache = new FrameCache;
  ResetFrameCache(*cache);
  return *cache;
}

std::vector<uint8_t> Got(FrameCache& c, int cam, int slot, int pos, int n) {
  const uint8_t* f = c.Frame(cam, slot, pos);
  return {f, f + n};
}

int TagCount(const FrameCache& c, int cam, int slot) {
  int n = 0;
  while (n < kGroupFrames && c.tag[cam][slot][n] >= 0) ++n;
  return n;
}

TEST(GroupLoader, GroupOfExactly64FillsEveryPosition) {
  Recorder rec(kW, kH);
  rec.Group(0, 64, 10);
  rec.Group(0, 3, 90);
  const Source& src = rec.Finish();
  FrameCache& c = Cache();
  EXPECT_EQ(LoadGroup(src, c, 63, 1), 63);
  for (int p = 0; p < 64; ++p) {
    EXPECT_EQ(c.tag[0][1][p], p);
    EXPECT_EQ(Got(c, 0, 1, p, src.PictureBytes), rec.expected[size_t(p)]) << "position " << p;
  }
}

TEST(GroupLoader, FramesPast64AreNeverLoaded) {
  Recorder rec(kW, kH);
  rec.Group(0, 70, 10);
  const Source& src = rec.Finish();
  FrameCache& c = Cache();
  EXPECT_EQ(LoadGroup(src, c, 64, 0), -1);
  EXPECT_EQ(TagCount(c, 0, 0), 64);
  EXPECT_EQ(LoadGroup(src, c, 69, 0), -1);
  EXPECT_EQ(LoadGroup(src, c, 20, 0), 20);
  EXPECT_EQ(AcquireFrame(src, c, 66), nullptr);
}

TEST(GroupLoader, ZeroPictureSectorsEndsTheGroupBeforeIt) {
  Recorder rec(kW, kH);
  rec.Group(0, 4, 10);
  const int empty = rec.RawDelta(0, {}, 0);
  rec.Delta(0, TestPicture(kW * kH, 30));
  const Source& src = rec.Finish();
  FrameCache& c = Cache();
  EXPECT_EQ(LoadGroup(src, c, 2, 0), 2);
  EXPECT_EQ(TagCount(c, 0, 0), 4);
  EXPECT_EQ(LoadGroup(src, c, empty, 0), -1);
  EXPECT_EQ(LoadGroup(src, c, empty + 1, 0), -1);
}

TEST(GroupLoader, InterleavedCamerasKeepTheirOwnGroups) {
  Recorder rec(kW, kH);
  // Camera 0 and camera 1 alternate entry by entry, both as groups of five.
  std::vector<int> cam0, cam1;
  for (int k = 0; k < 5; ++k) {
    const auto p0 = TestPicture(kW * kH, 100 + uint32_t(k));
    const auto p1 = TestPicture(kW * kH, 200 + uint32_t(k));
    cam0.push_back(k == 0 ? rec.Key(0, p0) : rec.Delta(0, p0));
    cam1.push_back(k == 0 ? rec.Key(1, p1) : rec.Delta(1, p1));
  }
  const Source& src = rec.Finish();
  FrameCache& c = Cache();
  EXPECT_EQ(FindGroupStart(src, cam1[3], -1), cam1[0]);
  EXPECT_EQ(FindNextOfCamera(src, cam0[1]), cam0[2]);
  EXPECT_EQ(LoadGroup(src, c, cam0[3], 2), 3);
  EXPECT_EQ(LoadGroup(src, c, cam1[4], 2), 4);
  for (int k = 0; k < 5; ++k) {
    EXPECT_EQ(c.tag[0][2][k], cam0[size_t(k)]);
    EXPECT_EQ(c.tag[1][2][k], cam1[size_t(k)]);
    EXPECT_EQ(Got(c, 0, 2, k, src.PictureBytes), rec.expected[size_t(cam0[size_t(k)])]);
    EXPECT_EQ(Got(c, 1, 2, k, src.PictureBytes), rec.expected[size_t(cam1[size_t(k)])]);
  }
}

TEST(GroupLoader, NoKeyFrameBeforeTheIndexLoadsNothing) {
  Recorder rec(kW, kH);
  rec.Group(1, 2, 5);
  rec.RawDelta(0, {0x80});  // camera 0 starts with a delta frame
  rec.Group(0, 2, 8);
  const Source& src = rec.Finish();
  FrameCache& c = Cache();
  EXPECT_EQ(FindGroupStart(src, 2, -1), -1);
  EXPECT_EQ(FindGroupStart(src, 2, +1), 3);
  EXPECT_EQ(LoadGroup(src, c, 2, 0), -1);
  EXPECT_EQ(c.tag[0][0][0], -1);
  EXPECT_EQ(FindGroupStart(src, -1, -1), -1);
  EXPECT_EQ(FindGroupStart(src, src.EntryCount, -1), -1);
}

TEST(GroupLoader, CameraBitsTwoAndThreeAreNeverLoaded) {
  Recorder rec(kW, kH);
  const int a = rec.Key(2, TestPicture(kW * kH, 1));
  const int b = rec.Key(3, TestPicture(kW * kH, 2));
  rec.Group(0, 2, 3);
  const Source& src = rec.Finish();
  FrameCache& c = Cache();
  for (int i : {a, b}) {
    EXPECT_FALSE(src.ValidIndex(i) && src.CameraOf(i) >= 0);
    EXPECT_EQ(FindGroupStart(src, i, -1), -1);
    EXPECT_EQ(FindNextOfCamera(src, i), -1);
    EXPECT_EQ(LoadGroup(src, c, i, 0), -1);
    EXPECT_EQ(AcquireFrame(src, c, i), nullptr);
  }
  EXPECT_EQ(rec.dev->reads, 0);
  for (auto& cam : c.tag)
    for (auto& slot : cam) EXPECT_EQ(slot[0], -1);
}

TEST(GroupLoader, FailedKeyFrameReadLeavesTheSlotEmpty) {
  Recorder rec(kW, kH);
  rec.Group(0, 3, 1);
  Source& src = rec.Finish();
  FrameCache& c = Cache();
  ASSERT_EQ(LoadGroup(src, c, 1, 0), 1);
  rec.dev->failAt.insert(src.LongBase());
  EXPECT_EQ(LoadGroup(src, c, 1, 0), -1);
  EXPECT_EQ(c.tag[0][0][0], -1);
}

TEST(GroupLoader, FailedDeltaReadEndsTheGroupAtTheLastGoodFrame) {
  for (bool archive : {false, true}) {
    Recorder rec(kW, kH, archive);
    rec.Group(0, 10, 1);
    Source& src = rec.Finish();
    const LongEntry& e6 = src.LongCatalogue[6];
    rec.dev->failAt.insert(src.LongBase() + (uint64_t(e6.FirstSector()) + e6.SoundSectors()) * 512);
    FrameCache& c = Cache();
    EXPECT_EQ(LoadGroup(src, c, 4, 0), 4) << archive;
    EXPECT_EQ(TagCount(c, 0, 0), 6) << archive;
    EXPECT_EQ(Got(c, 0, 0, 5, src.PictureBytes), rec.expected[5]);
    EXPECT_EQ(LoadGroup(src, c, 8, 0), -1) << archive;
    EXPECT_EQ(AcquireFrame(src, c, 8), nullptr) << archive;
  }
}

TEST(GroupLoader, PictureLargerThanAFrameBufferIsRefused) {
  Recorder rec(kW, kH);
  rec.Group(0, 2, 1);
  Source& src = rec.Finish();
  src.PictureBytes = kFrameBufferBytes + 1;
  EXPECT_EQ(LoadGroup(src, Cache(), 0, 0), -1);
}

// Formats 0 and 1: fixed records of sound and picture, every frame a key frame.
struct ShortCard {
  // Pictures are written for the first entries and for the one at far.
  ShortCard(int format, int entries, int far = 0) {
    auto dev = std::make_unique<decode_test::TestDevice>();
    src.CardFormat = format;
    src.PictureWidth = kW;
    src.PictureHeight = kH;
    src.PictureBytes = kW * kH;
    src.SoundBytes = format == 1 ? 512 : 0;
    src.FrameStride = int32_t(RoundToSector(src.PictureBytes + src.SoundBytes));
    src.DataFirstSector = 2;
    src.ShortCatalogue.resize(format == 0 ? kCatalogue0Entries : size_t(entries));
    src.EntryCount = entries;
    dev->bytes.assign(1024 + src.ShortCatalogue.size() * size_t(src.FrameStride), 0);
    for (size_t i = 0; i < src.ShortCatalogue.size(); ++i) {
      src.ShortCatalogue[i].b[0] = uint8_t(0x02 | (i % 2));
      if (i >= size_t(entries) && i != size_t(far)) continue;
      const auto pic = TestPicture(src.PictureBytes, uint32_t(i));
      std::memcpy(&dev->bytes[1024 + i * size_t(src.FrameStride) + size_t(src.SoundBytes)], pic.data(), pic.size());
    }
    src.Card = std::move(dev);
    src.CardOpen = true;
  }
  Source src;
};

TEST(GroupLoader, ShortEntryFormatsLoadOneFrame) {
  for (int format : {0, 1}) {
    ShortCard card(format, 6);
    FrameCache& c = Cache();
    c.tag[1][2][1] = 77;
    EXPECT_EQ(FindGroupStart(card.src, 3, -1), 3);
    EXPECT_EQ(LoadGroup(card.src, c, 3, 2), 0);
    EXPECT_EQ(c.tag[1][2][0], 3);
    EXPECT_EQ(c.tag[1][2][1], -1);
    EXPECT_EQ(Got(c, 1, 2, 0, card.src.PictureBytes), TestPicture(card.src.PictureBytes, 3)) << format;
  }
}

TEST(GroupLoader, Format0AddressesTheWholeCatalogueBeyondTheMainCount) {
  // Format 0 reaches its records through IndexTable, whose values may lie past
  // MainCount (the entry count); the frame routines take any index of the
  // 65536-entry catalogue.
  const int far = 40000;
  ShortCard card(0, 4, far);
  FrameCache& c = Cache();
  const uint8_t* f = AcquireFrame(card.src, c, far);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(std::vector<uint8_t>(f, f + card.src.PictureBytes), TestPicture(card.src.PictureBytes, far));
  EXPECT_EQ(LoadGroup(card.src, c, kCatalogue0Entries, 0), -1);
}

}  // namespace
