// Export tests: a viewer over a card written by the synthetic recorder, and
// outside readers (ffprobe, ffmpeg, ImageMagick) that look at what was written.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "mkcard/mkcard.h"
#include "support/card_source.h"
#include "support/files.h"
#include "support/recording_host.h"
#include "support/shell.h"
#include "viewer/viewer.h"

namespace export_test {

using namespace quovil;

using namespace quovil::test;

// ffprobe, ffmpeg and ImageMagick are started through a POSIX shell, which
// the Windows build has not got; the tests that need them end there.
#ifdef _WIN32
#define SKIP_WITHOUT_OUTSIDE_READERS() GTEST_SKIP() << "ffprobe, ffmpeg and ImageMagick are not run on Windows"
#else
#define SKIP_WITHOUT_OUTSIDE_READERS() static_cast<void>(0)
#endif

inline std::string Temp(const std::string& name) { return ::testing::TempDir() + "export_" + name; }

inline nlohmann::json Probe(const std::string& file) {
  return nlohmann::json::parse(Shell("ffprobe -v error -show_streams -count_frames -of json '" + file + "'"), nullptr,
                               false);
}

// Every video frame as grey levels (the red plane of the grey palette is the
// index itself), top row first.
inline std::vector<uint8_t> VideoPixels(const std::string& file) {
  std::string s = Shell("ffmpeg -v error -i '" + file + "' -map 0:v -vf extractplanes=r -pix_fmt gray -f rawvideo -");
  return {s.begin(), s.end()};
}

inline std::vector<uint8_t> SoundSamples(const std::string& file) {
  std::string s = Shell("ffmpeg -v error -i '" + file + "' -map 0:a -f u8 -acodec pcm_u8 -");
  return {s.begin(), s.end()};
}

// Warnings and errors of a full decode; empty when ffmpeg is content. The
// 16-byte PCM format carries no channel mask, so ffmpeg's note that it took
// mono for one channel is no complaint.
inline std::string DecodeComplaints(const std::string& file) {
  // Pictures pass with their own times, in milliseconds: a frame rate made up
  // for the null output would only bring complaints of its own.
  return Shell("ffmpeg -v warning -i '" + file +
               "' -fps_mode passthrough -enc_time_base 1:1000 -f null - 2>&1 | grep -v '^Guessed Channel Layout.*: mono$'");
}

// The recorded picture stretched nearest-neighbour to w x h.
inline std::vector<uint8_t> Stretched(const std::vector<uint8_t>& pic, int pw, int ph, int w, int h) {
  std::vector<uint8_t> out(size_t(w) * size_t(h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) out[size_t(y) * size_t(w) + size_t(x)] = pic[size_t(y * ph / h) * size_t(pw) + size_t(x * pw / w)];
  return out;
}

// Inside the stamp (a text of chars characters at (10, 10) and its shadow).
inline bool InStamp(int x, int y, int chars = 21) {
  return x >= 10 && x < 10 + chars * 8 + 1 && y >= 10 && y < 10 + 13 + 1;
}

class ExportTest : public ::testing::Test {
 protected:
  ~ExportTest() override {
    if (!card_.empty()) std::remove(card_.c_str());
  }

  mkcard::Recorded Open(const mkcard::Options& o, const std::string& name) {
    card_ = Temp(name + ".img");
    mkcard::Recorded t = mkcard::WriteCard(o, card_);
    OpenCardImage(v, card_);
    return t;
  }

  RecordingHost host;
  Viewer v{host};
  std::string card_;
};

}  // namespace export_test
