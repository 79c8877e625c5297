// The host of the core tests: it shows nothing, writes down every message box,
// repaint request, tray call and dialog it was asked for, and answers each
// question the way the test set beforehand.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/host.h"

namespace quovil::test {

// What the program asked and how the test answers: the same record serves the
// core's host and the window's dialog hooks.
struct MessageLog {
  std::vector<std::string> messages;  // texts, in the order shown
  std::vector<MsgKind> kinds;
  MsgResult answer = MsgResult::Yes;  // to every Yes/No question
  // Runs while a message box is open (the window's timers keep ticking then).
  std::function<void()> whileShown;

  MsgResult Show(const std::string& text, MsgKind kind, MsgButtons buttons);
  bool Said(const std::string& text) const;
};

class RecordingHost : public ViewerHost, public MessageLog {
 public:
  RecordingHost() = default;
  RecordingHost(const RecordingHost&) = delete;
  RecordingHost& operator=(const RecordingHost&) = delete;

  MsgResult ShowMessageBox(const std::string& text, MsgKind kind, MsgButtons buttons) override {
    return Show(text, kind, buttons);
  }
  void Repaint(unsigned flags) override;
  void TrayBalloon(const std::string& title, const std::string& text) override {
    trayEvents.push_back(title + "|" + text);
  }
  void ShowFromTray() override { trayEvents.push_back("show"); }
  void HideToTray() override { trayEvents.push_back("hide"); }
  std::optional<int> ChooseCamera(int preset) override;
  std::optional<std::string> ChooseSaveFile(const std::string& suggested) override;
  void ShowProgress(const std::string& title, const std::string& text, int max) override;
  void SetProgress(int pos) override { progress.push_back(pos); }
  bool ProgressCancelled() override;
  void EnableMainWindow(bool enabled) override { windowEnabled = enabled; }
  void EnableCheckTimer(bool enabled) override { timerEnabled = enabled; }

  std::vector<unsigned> repaints;  // flags of every request
  unsigned repainted = 0;          // all flags requested so far
  std::function<void(unsigned)> onRepaint;

  std::vector<std::string> trayEvents;  // "title|text" balloons, "show", "hide"

  std::vector<int> cameraPresets;  // the preset of every camera choice
  bool cancelCamera = false;
  std::vector<std::string> suggestions;  // the name offered by every save dialog
  bool cancelSave = false;               // otherwise saveFileAnswer, or the suggested name

  int progressMax = -1;
  std::vector<int> progress;  // positions set, in order
  bool cancelled = false;     // Cancel pressed before the work started
  int cancelAt = -1;          // Cancel pressed once the progress reaches this (>= 0)
  bool windowEnabled = true, timerEnabled = true;
};

}  // namespace quovil::test
