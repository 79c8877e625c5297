// The window's dialogs answered by the test: message boxes through the same
// MessageLog as the core's RecordingHost, file dialogs from a list of answers.
// The hooks are set for the object's life and cleared with it, with the
// camera-choice and progress hooks a test may have set meanwhile.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/view_main.h"
#include "support/recording_host.h"

namespace quovil::test {

class WindowDialogs : public MessageLog {
 public:
  WindowDialogs();
  ~WindowDialogs();
  WindowDialogs(const WindowDialogs&) = delete;
  WindowDialogs& operator=(const WindowDialogs&) = delete;

  std::vector<TMainForm::FileQuestion> questions;  // every file dialog, in order
  std::vector<std::string> fileAnswers;            // taken in order; none left: cancelled
};

}  // namespace quovil::test
