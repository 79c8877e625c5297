// The narrow way from the core to whoever shows it: the window or the CLI.
#pragma once

#include <optional>
#include <string>

namespace quovil {

enum class MsgKind { Warning, Error, Information, Confirmation };
enum class MsgButtons { Ok, YesNo };
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
  // Something in the viewer state changed; flags say what.
  virtual void Repaint(unsigned flags) { (void)flags; }
  // Lets pending window messages run during long work.
  virtual void ProcessEvents() {}

  // Tray: the balloon on a new card, popping up from and hiding to the tray.
  virtual void TrayBalloon(const std::string& title, const std::string& text) { (void)title; (void)text; }
  virtual void ShowFromTray() {}
  virtual void HideToTray() {}
};

// A host that shows nothing and answers every question with Yes.
class SilentHost : public ViewerHost {
 public:
  MsgResult ShowMessageBox(const std::string&, MsgKind, MsgButtons buttons) override {
    return buttons == MsgButtons::YesNo ? MsgResult::Yes : MsgResult::Ok;
  }
};

}  // namespace quovil
