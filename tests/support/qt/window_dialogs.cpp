#include "window_dialogs.h"

namespace quovil::test {

WindowDialogs::WindowDialogs() {
  TMainForm::messageHook = [this](const std::string& text, MsgKind kind, MsgButtons buttons) {
    return Show(text, kind, buttons);
  };
  TMainForm::fileDialogHook = [this](const TMainForm::FileQuestion& q) -> std::optional<std::string> {
    questions.push_back(q);
    if (fileAnswers.empty()) return std::nullopt;
    std::string a = fileAnswers.front();
    fileAnswers.erase(fileAnswers.begin());
    return a;
  };
}

WindowDialogs::~WindowDialogs() {
  TMainForm::messageHook = nullptr;
  TMainForm::fileDialogHook = nullptr;
  TMainForm::cameraDialogHook = nullptr;
  TMainForm::progressHook = nullptr;
}

}  // namespace quovil::test
