// Cards and archive files on disk for the archive tests: a viewer opened on a
// recorded card image, or on an archive file, with a host whose dialogs and
// progress window answer as the test asks.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <memory>
#include <string>
#include <vector>

#include "mkcard/mkcard.h"
#include "viewer/viewer.h"

namespace archive_test {

class ScriptedHost : public quovil::SilentHost {
 public:
  quovil::MsgResult ShowMessageBox(const std::string& text, quovil::MsgKind kind, quovil::MsgButtons b) override {
    messages.push_back(text);
    kinds.push_back(kind);
    return quovil::SilentHost::ShowMessageBox(text, kind, b);
  }
  std::optional<int> ChooseCamera(int preset) override {
    presets.push_back(preset);
    if (cancelCamera) return std::nullopt;
    return quovil::ViewerHost::ChooseCamera(preset);
  }
  std::optional<std::string> ChooseSaveFile(const std::string& suggested) override {
    suggestions.push_back(suggested);
    return quovil::ViewerHost::ChooseSaveFile(suggested);
  }
  void SetProgress(int pos) override { progress = pos; }
  bool ProgressCancelled() override { return cancelAt >= 0 && progress >= cancelAt; }
  void EnableMainWindow(bool on) override { windowEnabled = on; }
  void EnableCheckTimer(bool on) override { timerEnabled = on; }

  std::vector<std::string> messages;
  std::vector<quovil::MsgKind> kinds;
  std::vector<int> presets;
  std::vector<std::string> suggestions;
  bool cancelCamera = false;
  int cancelAt = -1;
  int progress = -1;
  bool windowEnabled = true, timerEnabled = true;
};

// A scratch directory of its own per test, removed afterwards.
std::string ScratchDir();
void RemoveScratch(const std::string& dir);

// The same as a member: declared before the viewers, it is removed after
// they have closed their files (Windows keeps a folder with open files).
struct ScratchFolder {
  ScratchFolder() : path(ScratchDir()) {}
  ~ScratchFolder() { RemoveScratch(path); }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::string path;
};

std::vector<uint8_t> ReadBytes(const std::string& path);
bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// Opens the card image as the drive scan finds it. failAt >= 0: reads of the
// sector at that byte offset fail (a card going bad under the copy).
bool OpenCardImage(quovil::Viewer& v, const std::string& path, int64_t failAt = -1);

// The picture the viewer builds for catalogue index i (brightness and
// contrast at their middle), row by row.
std::vector<uint8_t> PictureOf(quovil::Viewer& v, int i);

}  // namespace archive_test
