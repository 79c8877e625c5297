#include <gtest/gtest.h>

#include <vector>

#include "decode/build_picture.h"
#include "decode_fixture.h"
#include "support/pictures.h"
#include "viewer/viewer.h"
#include "support/viewer_probe.h"

using quovil::test::ViewerProbe;

using namespace quovil;
using decode_test::Recorder;
using decode_test::TestPicture;

namespace {

using quovil::test::Rows;

Picture8 Blank(int w, int h, uint8_t v = 0x33) {
  Picture8 p;
  p.Resize(w, h);
  p.Fill(v);
  return p;
}

TEST(ConvertFrame, BrightnessAndContrastExtremes) {
  auto at = [](int b, int c, int x) { return LevelTable(b, c)[size_t(x)]; };
  for (int x : {0, 1, 128, 255}) EXPECT_EQ(at(100, 200, x), 0) << x;  // factor 0: flat at the offset
  for (int x : {0, 128, 255}) EXPECT_EQ(at(50, 200, x), 50) << x;
  EXPECT_EQ(at(100, 0, 128), 255);  // factor 200: 256 clamps
  EXPECT_EQ(at(100, 0, 100), 200);
  EXPECT_EQ(at(0, 100, 10), 110);   // brightness 0 adds 100
  EXPECT_EQ(at(0, 100, 200), 255);
  EXPECT_EQ(at(200, 100, 150), 50);  // brightness 200 subtracts 100
  EXPECT_EQ(at(200, 100, 60), 0);
  EXPECT_EQ(at(100, 150, 99), 49);   // 50 * 99 div 100, truncated
  for (int x = 0; x < 256; ++x) EXPECT_EQ(at(100, 100, x), x);
}

TEST(ConvertFrame, EverySettingMatchesTheLevelTable) {
  std::vector<uint8_t> frame(256);
  for (int x = 0; x < 256; ++x) frame[size_t(x)] = uint8_t(x);
  Picture8 pic = Blank(256, 1);
  for (int b : {-5, 0, 1, 37, 99, 100, 101, 163, 200, 260, 1 << 30}) {
    for (int c : {-100, -58, -57, 0, 1, 50, 99, 100, 101, 199, 200, 201, 400, -(1 << 30)}) {
      ConvertFrame(frame.data(), 256, 1, 2, b, c, pic);
      const auto t = LevelTable(b, c);
      ASSERT_EQ(Rows(pic), std::vector<uint8_t>(t.begin(), t.end())) << "brightness " << b << " contrast " << c;
    }
  }
}

TEST(ConvertFrame, InterlacedFormatsStoreOddRowsFirst) {
  for (int h : {4, 5, 1}) {
    std::vector<uint8_t> frame;
    // Stored order of an interlaced picture: rows 1, 3, ..., then 0, 2, ...
    std::vector<int> order;
    for (int y = 1; y < h; y += 2) order.push_back(y);
    for (int y = 0; y < h; y += 2) order.push_back(y);
    for (int y : order) frame.insert(frame.end(), 3, uint8_t(10 + y));
    for (int format : {0, 1}) {
      Picture8 pic = Blank(3, h);
      ConvertFrame(frame.data(), 3, h, format, 100, 100, pic);
      for (int y = 0; y < h; ++y) EXPECT_EQ(pic.Row(y)[1], 10 + y) << "height " << h << " row " << y;
    }
  }
}

TEST(ConvertFrame, OtherFormatsLeaveThePictureAlone) {
  const auto frame = TestPicture(16, 1);
  Picture8 pic = Blank(4, 4);
  ConvertFrame(frame.data(), 4, 4, 3, 100, 100, pic);
  ConvertFrame(frame.data(), 4, 4, -1, 100, 100, pic);
  EXPECT_EQ(Rows(pic), std::vector<uint8_t>(16, 0x33));
}

TEST(ConvertFrame, StopsAtTheFirstRowThePictureCannotSupply) {
  const auto frame = TestPicture(6 * 6, 2);
  Picture8 small = Blank(6, 3);
  ConvertFrame(frame.data(), 6, 6, 2, 100, 100, small);
  EXPECT_EQ(Rows(small), std::vector<uint8_t>(frame.begin(), frame.begin() + 18));
  Picture8 narrow = Blank(5, 6);
  ConvertFrame(frame.data(), 6, 6, 2, 100, 100, narrow);
  EXPECT_EQ(Rows(narrow), std::vector<uint8_t>(30, 0x33));
  Picture8 freed;
  ConvertFrame(frame.data(), 6, 6, 0, 100, 100, freed);
  EXPECT_TRUE(freed.Empty());
}

// The viewer's picture building over a hand-recorded source.
struct ViewerOnSource {
  explicit ViewerOnSource(Recorder& rec) : viewer(host) {
    Source& src = rec.Finish();
    ViewerProbe::Src(viewer) = std::move(src);
  }
  SilentHost host;
  Viewer viewer;
};

TEST(ViewerPicture, PrepareBitmapsSizesBothAndRefusesAbsurdSizes) {
  Recorder rec(30, 7);
  rec.Key(0, TestPicture(210, 1));
  ViewerOnSource v(rec);
  ASSERT_TRUE(v.viewer.PrepareBitmaps());
  for (const Picture8& p : v.viewer.bitmaps()) {
    EXPECT_EQ(p.width, 30);
    EXPECT_EQ(p.height, 7);
  }
  ViewerProbe::Src(v.viewer).PictureWidth = 513;
  ViewerProbe::Src(v.viewer).PictureHeight = 256;
  EXPECT_FALSE(v.viewer.PrepareBitmaps());
  ViewerProbe::Src(v.viewer).PictureWidth = 0;
  EXPECT_FALSE(v.viewer.PrepareBitmaps());
  ViewerProbe::Src(v.viewer).PictureWidth = 420;
  EXPECT_TRUE(v.viewer.PrepareBitmaps());
}

TEST(ViewerPicture, BuildsWithTheCamerasOwnSettingsAndReadsItsInformation) {
  Recorder rec(10, 6);
  rec.Key(0, TestPicture(60, 1));
  rec.NextInfo(decode_test::InfoBlock({decode_test::SensorRecord(0, 77, 0)}));
  rec.RawDelta(1, {0x80});  // camera 2 without a key frame before it
  rec.Key(1, TestPicture(60, 3));
  ViewerOnSource v(rec);
  Viewer& w = v.viewer;
  ASSERT_TRUE(w.PrepareBitmaps());
  ViewerProbe::CameraSettings(w)[1].Brightness = 0;
  ASSERT_TRUE(w.BuildPicture(2, ViewerProbe::Bitmaps(w)[1]));
  const auto t = LevelTable(0, 100);
  const auto got = Rows(w.bitmaps()[1]);
  for (size_t i = 0; i < got.size(); ++i) ASSERT_EQ(got[i], t[rec.expected[2][i]]);
  EXPECT_EQ(w.info().SensorIndex, 1);  // the block of the same second
}

TEST(ViewerPicture, FrameThatCannotBeHadLeavesThePictureAsItWas) {
  Recorder rec(10, 6);
  rec.RawDelta(0, {0x80});  // no key frame: never loadable
  rec.Key(2, TestPicture(60, 2));    // camera bits 2: no such camera
  rec.Key(0, TestPicture(60, 3));
  ViewerOnSource v(rec);
  Viewer& w = v.viewer;
  ASSERT_TRUE(w.PrepareBitmaps());
  ASSERT_TRUE(w.BuildPicture(2, ViewerProbe::Bitmaps(w)[0]));
  const auto shown = Rows(w.bitmaps()[0]);
  EXPECT_FALSE(w.BuildPicture(0, ViewerProbe::Bitmaps(w)[0]));
  EXPECT_FALSE(w.BuildPicture(1, ViewerProbe::Bitmaps(w)[0]));
  EXPECT_FALSE(w.BuildPicture(3, ViewerProbe::Bitmaps(w)[0]));
  EXPECT_EQ(Rows(w.bitmaps()[0]), shown);
  // A read that fails now (the card pulled mid-way) changes nothing either.
  ResetFrameCache(ViewerProbe::Cache(w));
  auto* dev = static_cast<decode_test::TestDevice*>(w.source().Card.get());
  dev->failAt.insert(w.source().LongBase() + uint64_t(w.source().LongCatalogue[2].FirstSector()) * 512);
  EXPECT_FALSE(w.BuildPicture(2, ViewerProbe::Bitmaps(w)[0]));
  EXPECT_EQ(Rows(w.bitmaps()[0]), shown);
}

}  // namespace
