#include "recording_host.h"

#include <algorithm>

namespace quovil::test {

MsgResult MessageLog::Show(const std::string& text, MsgKind kind, MsgButtons buttons) {
  messages.push_back(text);
  kinds.push_back(kind);
  if (whileShown) whileShown();
  return AsksYesNo(buttons) ? answer : MsgResult::Ok;
}

bool MessageLog::Said(const std::string& text) const {
  return std::find(messages.begin(), messages.end(), text) != messages.end();
}

void RecordingHost::Repaint(unsigned flags) {
  repaints.push_back(flags);
  repainted |= flags;
  if (onRepaint) onRepaint(flags);
}

std::optional<int> RecordingHost::ChooseCamera(int preset) {
  cameraPresets.push_back(preset);
  if (cancelCamera) return std::nullopt;
  return ViewerHost::ChooseCamera(preset);
}

std::optional<std::string> RecordingHost::ChooseSaveFile(const std::string& suggested) {
  suggestions.push_back(suggested);
  if (cancelSave) return std::nullopt;
  return ViewerHost::ChooseSaveFile(suggested);
}

void RecordingHost::ShowProgress(const std::string&, const std::string&, int max) { progressMax = max; }

bool RecordingHost::ProgressCancelled() {
  return cancelled || (cancelAt >= 0 && !progress.empty() && progress.back() >= cancelAt);
}

}  // namespace quovil::test
