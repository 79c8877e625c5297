// Format-2 cards from the synthetic recorder, decoded by the viewer's delta
// decoder straight from the card image, against the pictures the recorder
// drew: the delta code cannot express odd steps, but every rebuilt pixel is
// within 1 of the drawn one (a white clock digit that turns black becomes 1,
// not a white 255 that stays for the rest of the group), and the recorder's
// truth is exactly what the decoder rebuilds.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "decode/delta_decoder.h"
#include "mkcard/mkcard.h"
#include "mkcard/recorder.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Checked {
  int keyFrames = 0, deltaFrames = 0, offByOne = 0;
};

// Walks the records in recording order, each camera from its key frame on.
Checked ExpectDrawnPictures(const mkcard::Options& o) {
  Checked c;
  mkcard::Recorded truth;
  const Bytes img = mkcard::MakeCard(o, &truth);
  EXPECT_EQ(truth.format, 2);
  const int w = truth.width, h = truth.height, n = w * h;
  const mkcard::detail::Scene scene(w, h);
  Bytes last[2];
  int frameNo[2] = {0, 0};
  Bytes drawn(std::size_t(n), 0), out(std::size_t(n) + 128, 0);
  for (int k : truth.order) {
    const mkcard::Frame& f = truth.frames[std::size_t(k)];
    const int cam = f.camera & 1;
    scene.Draw(cam, frameNo[cam]++, f.time, drawn.data());
    const uint64_t at = (uint64_t(truth.dataBaseSector) + f.firstSector + f.soundSectors) * 512;
    const std::size_t stored = std::size_t(f.pictureSectors) * 512;
    if (at + stored > img.size()) {
      ADD_FAILURE() << "index " << k << ": picture data beyond the image";
      return c;
    }
    if (f.keyFrame) {
      out.assign(img.begin() + std::ptrdiff_t(at), img.begin() + std::ptrdiff_t(at) + n);
      ++c.keyFrames;
    } else {
      if (last[cam].empty()) {
        ADD_FAILURE() << "index " << k << ": a delta frame before its camera's first key frame";
        return c;
      }
      out.assign(std::size_t(n) + 128, 0);
      quovil::DecodeDelta(last[cam].data(), &img[at], stored, out.data(), n);
      out.resize(std::size_t(n));
      ++c.deltaFrames;
    }
    EXPECT_EQ(out, f.picture) << "index " << k << ": the recorder's truth is what the decoder rebuilds";
    for (int i = 0; i < n; ++i) {
      const int d = std::abs(int(out[std::size_t(i)]) - int(drawn[std::size_t(i)]));
      if (d > 1) {
        ADD_FAILURE() << "index " << k << " (camera " << cam << ", group position " << f.groupPosition << "), pixel ("
                      << i % w << ", " << i / w << "): drawn " << int(drawn[std::size_t(i)]) << ", decoded "
                      << int(out[std::size_t(i)]);
        return c;
      }
      c.offByOne += d;
    }
    last[cam] = out;
  }
  return c;
}

// The demo card's picture size and group length, over midnight: every clock
// digit changes, white strokes turn black and black ones white.
TEST(DrawnPictures, DemoSizedCardOverMidnightWithin1OfTheDrawing) {
  mkcard::Options o;
  o.format = 2;
  o.seed = 102;
  o.records = 480;
  o.framesPerSecond = 6;
  o.width = 352;
  o.height = 256;
  o.groupLength = 32;
  o.ringWrapped = true;
  o.start = quovil::TimeStamp{30, 6, 24, 23, 59, 30};
  const Checked c = ExpectDrawnPictures(o);
  EXPECT_GT(c.keyFrames, 0);
  EXPECT_GT(c.deltaFrames, 10 * c.keyFrames);
  EXPECT_GT(c.offByOne, 0) << "odd steps occur and land one off";
}

// One camera in long groups (64 + 6 frames, past what the viewer keeps) of a
// small picture: the rounding never adds up along a group.
TEST(DrawnPictures, LongGroupsOfOneCameraWithin1OfTheDrawing) {
  mkcard::Options o;
  o.format = 2;
  o.records = 300;
  o.bothCameras = false;
  o.camera = 1;
  o.width = 64;
  o.height = 48;
  o.groupLength = 20;
  o.longGroups = true;
  o.start = quovil::TimeStamp{31, 12, 24, 23, 59, 50};
  const Checked c = ExpectDrawnPictures(o);
  EXPECT_GT(c.deltaFrames, 250);
}

}  // namespace
