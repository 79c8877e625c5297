// The BMP snapshot: file name, headers, colour table and pixels read back by
// ImageMagick, for both frame widths and the camera's brightness.
#include "export/bmp_file.h"
#include "export/snapshot.h"
#include "export_fixture.h"
#include "support/viewer_probe.h"

using quovil::test::ViewerProbe;

namespace export_test {
namespace {

class BmpSnapshotTest : public ExportTest {
 protected:
  ~BmpSnapshotTest() override { std::remove(out_.c_str()); }

  // Shows index on the active camera and saves it the way the command does.
  void Save(int32_t index) {
    v.SetActiveCamera(v.source().CameraOf(index));
    v.ShowPosition(v.PosOfIndex(index));
    out_ = Temp("snap.bmp");
    host.saveFileAnswer = out_;
    ActionSaveImageExecute(v);
  }

  // Grey levels as ImageMagick reads them, top row first.
  std::vector<uint8_t> Pixels() const {
    std::string s = Shell("convert '" + out_ + "' -depth 8 gray:-");
    return {s.begin(), s.end()};
  }

  std::string out_;
};

TEST_F(BmpSnapshotTest, FileNameTellsDateTimeKindAndCameraFromZero) {
  mkcard::Options o;
  o.format = 2;
  o.records = 4;
  o.bothCameras = false;
  o.camera = 1;
  o.allKinds = false;
  o.start = {5, 3, 13, 14, 22, 10};
  Open(o, "name");
  EXPECT_EQ(SnapshotFileName(v.source(), 0), "05.03.2013_14.22.10_00_ручная запись_ch1.bmp");
  EXPECT_EQ(SnapshotFileName(v.source(), -1), "");
}

TEST_F(BmpSnapshotTest, HeaderColourTableAndRowsFollowTheBitmapLayout) {
  Picture8 pic;
  pic.Resize(6, 3);  // rows padded to 8 bytes
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 6; ++x) pic.Row(y)[x] = uint8_t(y * 10 + x);
  const std::vector<uint8_t> f = GreyBmpBytes(pic);
  ASSERT_EQ(f.size(), 14u + 40 + 1024 + 3 * 8);
  EXPECT_EQ(f[0], 'B');
  EXPECT_EQ(GetU32(&f[2]), f.size());
  EXPECT_EQ(GetU32(&f[10]), 14u + 40 + 1024);
  EXPECT_EQ(GetU32(&f[14]), 40u);
  EXPECT_EQ(GetU32(&f[18]), 6u);
  EXPECT_EQ(GetU32(&f[22]), 3u);
  EXPECT_EQ(GetU16(&f[28]), 8);
  EXPECT_EQ(GetU32(&f[30]), 0u);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(GetU32(&f[54 + 4 * size_t(i)]), uint32_t(i * 0x010101)) << i;
  const uint8_t* rows = &f[14 + 40 + 1024];
  EXPECT_EQ(rows[0], 20);  // bottom row first
  EXPECT_EQ(rows[8 + 5], 15);
  EXPECT_EQ(rows[16], 0);
  EXPECT_EQ(rows[6], 0);  // padding
}

TEST_F(BmpSnapshotTest, StretchedPictureWithStampIsReadBackExactly) {
  SKIP_WITHOUT_OUTSIDE_READERS();
  for (int resolution : {0, 1}) {
    mkcard::Options o;
    o.format = 1;
    o.resolutionIndex = resolution;
    o.records = 6;
    v.CloseCard();
    mkcard::Recorded t = Open(o, "snap" + std::to_string(resolution));
    const int w = resolution == 0 ? 420 : 400;
    Save(3);
    EXPECT_EQ(Shell("identify -format '%m %wx%h %[type] %z' '" + out_ + "'"),
              "BMP3 " + std::to_string(w) + "x276 Grayscale 8");
    const std::vector<uint8_t> got = Pixels();
    const std::vector<uint8_t> want = Stretched(t.frames[3].picture, t.width, t.height, w, 276);
    ASSERT_EQ(got.size(), want.size());
    int differ = 0, white = 0;
    for (int y = 0; y < 276; ++y)
      for (int x = 0; x < w; ++x) {
        const size_t i = size_t(y) * size_t(w) + size_t(x);
        if (InStamp(x, y)) white += got[i] == 255;
        else differ += got[i] != want[i];
      }
    EXPECT_EQ(differ, 0);
    EXPECT_GT(white, 100);  // "dd.mm.yyyy hh:mm:ss" in white
  }
}

TEST_F(BmpSnapshotTest, SavedPictureHoldsTheCameraBrightness) {
  SKIP_WITHOUT_OUTSIDE_READERS();
  mkcard::Options o;
  o.format = 2;
  o.records = 4;
  mkcard::Recorded t = Open(o, "bright");
  const int cam = t.frames[1].camera;
  ViewerProbe::CameraSettings(v)[size_t(cam)].Brightness = 60;  // offset +40
  Save(1);
  const std::vector<uint8_t> got = Pixels();
  const int w = 420 - 2 * v.source().EdgeTrim;
  const std::vector<uint8_t> want = Stretched(t.frames[1].picture, t.width, t.height, w, t.height + 20);
  ASSERT_EQ(got.size(), want.size());
  const size_t far = got.size() - 1;  // bottom right, away from the stamp
  EXPECT_EQ(got[far], std::min(255, want[far] + 40));
}

TEST_F(BmpSnapshotTest, UnwritableFileIsReported) {
  mkcard::Options o;
  o.format = 2;
  o.records = 2;
  Open(o, "unwritable");
  v.SetActiveCamera(v.source().CameraOf(0));
  v.ShowPosition(v.PosOfIndex(0));
  host.saveFileAnswer = "/nonexistent-dir/x.bmp";
  ActionSaveImageExecute(v);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_NE(host.messages[0].find("/nonexistent-dir/x.bmp"), std::string::npos);
}

}  // namespace
}  // namespace export_test
