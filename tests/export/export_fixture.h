// Export tests: a viewer over a card written by the synthetic recorder, and
// outside readers (ffprobe, ffmpeg, ImageMagick) that look at what was written.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "mkcard/mkcard.h"
#include "platform/block_device.h"
#include "viewer/viewer.h"

namespace export_test {

using namespace quovil;

class OneImage : public DriveEnumerator {
 public:
  explicit OneImage(std::string path) : path_(std::move(path)) {}
  std::unique_ptr<BlockDevice> Open(int n) override { return n == 0 ? OpenImageFile(path_) : nullptr; }
  int Count() override { return 1; }

 private:
  std::string path_;
};

// Records messages, answers the progress dialog's Cancel when told to.
class ExportHost : public SilentHost {
 public:
  MsgResult ShowMessageBox(const std::string& text, MsgKind kind, MsgButtons buttons) override {
    messages.push_back(text);
    return SilentHost::ShowMessageBox(text, kind, buttons);
  }
  std::optional<std::string> ChooseSaveFile(const std::string& suggested) override {
    offered = suggested;
    if (answer.empty()) return std::nullopt;
    return answer;
  }
  void ShowProgress(const std::string&, const std::string&, int max) override { progressMax = max; }
  void SetProgress(int pos) override { progress.push_back(pos); }
  bool ProgressCancelled() override { return cancelAtOnce; }
  void EnableMainWindow(bool enabled) override { windowEnabled = enabled; }

  std::vector<std::string> messages;
  std::string offered, answer;
  int progressMax = -1;
  std::vector<int> progress;
  bool cancelAtOnce = false;
  bool windowEnabled = true;
};

// ffprobe, ffmpeg and ImageMagick are started through a POSIX shell, which
// the Windows build has not got; the tests that need them end there.
#ifdef _WIN32
#define SKIP_WITHOUT_OUTSIDE_READERS() GTEST_SKIP() << "ffprobe, ffmpeg and ImageMagick are not run on Windows"
#else
#define SKIP_WITHOUT_OUTSIDE_READERS() static_cast<void>(0)
#endif

inline std::string Temp(const std::string& name) { return ::testing::TempDir() + "export_" + name; }

inline std::string Shell(const std::string& cmd, int* rc = nullptr) {
  std::string text;
  FILE* pipe = popen(cmd.c_str(), "r");
  if (!pipe) return text;
  char buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) text.append(buf, n);
  const int status = pclose(pipe);
#ifdef _WIN32
  if (rc) *rc = status;  // the exit code itself there
#else
  if (rc) *rc = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
  return text;
}

inline std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

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
  return Shell("ffmpeg -v warning -i '" + file + "' -f null - 2>&1 | grep -v '^Guessed Channel Layout.*: mono$'");
}

// The recorded picture stretched nearest-neighbour to w x h.
inline std::vector<uint8_t> Stretched(const std::vector<uint8_t>& pic, int pw, int ph, int w, int h) {
  std::vector<uint8_t> out(size_t(w) * size_t(h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) out[size_t(y) * size_t(w) + size_t(x)] = pic[size_t(y * ph / h) * size_t(pw) + size_t(x * pw / w)];
  return out;
}

// Inside the stamp (a 21-character text at (10, 10) and its shadow).
inline bool InStamp(int x, int y) { return x >= 10 && x < 10 + 21 * 8 + 1 && y >= 10 && y < 10 + 13 + 1; }

class ExportTest : public ::testing::Test {
 protected:
  ~ExportTest() override {
    if (!card_.empty()) std::remove(card_.c_str());
  }

  mkcard::Recorded Open(const mkcard::Options& o, const std::string& name) {
    card_ = Temp(name + ".img");
    mkcard::Recorded t = mkcard::WriteCard(o, card_);
    v.drives = std::make_unique<OneImage>(card_);
    v.CheckTimerTimer();
    return t;
  }

  ExportHost host;
  Viewer v{host};
  std::string card_;
};

}  // namespace export_test
