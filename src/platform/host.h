// The narrow way from the core to whoever shows it: the window or the CLI.
#pragma once

#include <optional>
#include <string>

namespace quovil {

enum class MsgKind { Warning, Error, Information, Confirmation };
// YesNoDefaultNo: Yes and No with No chosen when the user just presses Return.
enum class MsgButtons { Ok, YesNo, YesNoDefaultNo };
inline bool AsksYesNo(MsgButtons b) { return b != MsgButtons::Ok; }
enum class MsgResult { Ok, Yes, No, Cancel };

// What changed and needs repainting or re-reading by the window.
enum RepaintFlags : unsigned {
  kRepaintImage = 1u << 0,      // picture area
  kRepaintTimeline = 1u << 1,   // time scale box
  kRepaintStatus = 1u << 2,     // status bar panels and tool-bar visibility
  kRepaintDate = 1u << 3,       // date panel
  kRepaintSensors = 1u << 4,    // sensor labels
  kRepaintActions = 1u << 5,    // check marks and visibility of actions
  kRepaintBars = 1u << 6,       // brightness, contrast and volume bars
  kRepaintTimers = 1u << 7,     // playback timer state or interval
  kRepaintCaption = 1u << 8,    // window caption
};

class ViewerHost {
 public:
  virtual ~ViewerHost() = default;
  // Shows a message box with the caption "KORAX-X CARD VIEWER" and returns the answer.
  virtual MsgResult ShowMessageBox(const std::string& text, MsgKind kind, MsgButtons buttons) = 0;
  // The question whether the first of two differing state-table copies is
  // the one to take (text: the question's own). Yes takes the first.
  virtual MsgResult AskFirstCopy(const std::string& text) {
    return ShowMessageBox(text, MsgKind::Confirmation, MsgButtons::YesNo);
  }
  // Something in the viewer state changed; flags say what.
  virtual void Repaint(unsigned flags) { (void)flags; }
  // Lets pending window messages run during long work.
  virtual void ProcessEvents() {}

  // Tray: the balloon on a new card, popping up from and hiding to the tray.
  virtual void TrayBalloon(const std::string& title, const std::string& text) { (void)title; (void)text; }
  virtual void ShowFromTray() {}
  virtual void HideToTray() {}

  // Archive files. The defaults answer without asking anybody, from the
  // values below (the command line fills them from its options).
  std::optional<int> cameraAnswer;  // unset: the preset
  std::string saveFileAnswer;       // empty: the suggested name
  std::string openFileAnswer;       // empty: cancelled
  // Camera choice: preset -1 (both), 0 or 1; the chosen camera, or nothing
  // when the dialog was cancelled.
  virtual std::optional<int> ChooseCamera(int preset) { return cameraAnswer ? cameraAnswer : preset; }
  // Save-file dialog showing the suggested name; nothing when cancelled.
  virtual std::optional<std::string> ChooseSaveFile(const std::string& suggested) {
    return saveFileAnswer.empty() ? suggested : saveFileAnswer;
  }
  // Open-file dialog; nothing when cancelled.
  virtual std::optional<std::string> ChooseOpenFile() {
    if (openFileAnswer.empty()) return std::nullopt;
    return openFileAnswer;
  }
  // Open-file dialog for a card image; nothing when cancelled.
  std::string cardImageAnswer;  // empty: cancelled
  virtual std::optional<std::string> ChooseCardImage() {
    if (cardImageAnswer.empty()) return std::nullopt;
    return cardImageAnswer;
  }
  // Progress window with a Cancel button over the range 0 .. max.
  virtual void ShowProgress(const std::string& title, const std::string& text, int max) {
    (void)title; (void)text; (void)max;
  }
  virtual void SetProgress(int pos) { (void)pos; }
  virtual bool ProgressCancelled() { return false; }
  virtual void HideProgress() {}
  // Long work: the main window and its card watch timer are switched off so
  // that no other command starts and the card is not closed under the work.
  virtual void EnableMainWindow(bool enabled) { (void)enabled; }
  virtual void EnableCheckTimer(bool enabled) { (void)enabled; }
  virtual void BringToFront() {}
};

// Progress of long work over 0 .. max, and the user's Cancel. An export takes
// one: the window's progress dialog on its own thread (HostProgress), or a
// worker's report to the window.
class WorkProgress {
 public:
  virtual ~WorkProgress() = default;
  virtual void Begin(const std::string& title, const std::string& text, int max) = 0;
  virtual void Step(int pos) = 0;
  virtual bool Cancelled() = 0;
  virtual void End() = 0;
};

// Work on the window's thread: the host's progress dialog, the window and its
// card watch switched off from the start (the caller switches them on again),
// and the window's events let through at every step.
class HostProgress : public WorkProgress {
 public:
  explicit HostProgress(ViewerHost& host) : host_(host) {}
  void Begin(const std::string& title, const std::string& text, int max) override {
    host_.ShowProgress(title, text, max);
    host_.EnableMainWindow(false);
    host_.EnableCheckTimer(false);
    host_.ProcessEvents();
  }
  void Step(int pos) override {
    host_.SetProgress(pos);
    host_.ProcessEvents();
  }
  bool Cancelled() override { return host_.ProgressCancelled(); }
  void End() override { host_.HideProgress(); }

 private:
  ViewerHost& host_;
};

// A host that shows nothing and answers every question with Yes.
class SilentHost : public ViewerHost {
 public:
  MsgResult ShowMessageBox(const std::string&, MsgKind, MsgButtons buttons) override {
    return AsksYesNo(buttons) ? MsgResult::Yes : MsgResult::Ok;
  }
};

}  // namespace quovil
