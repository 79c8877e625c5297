#include <cstdio>
#include <cstdlib>

#include "cli/cli.h"

namespace quovil::cli {

MsgResult CliHost::ShowMessageBox(const std::string& text, MsgKind, MsgButtons buttons) {
  std::fprintf(stderr, "%s\n", text.c_str());
  std::fflush(stderr);
  shown.push_back(text);
  if (!AsksYesNo(buttons)) return MsgResult::Ok;
  return MsgResult::Yes;
}

MsgResult CliHost::AskFirstCopy(const std::string& text) {
  const MsgResult shown = ShowMessageBox(text, MsgKind::Confirmation, MsgButtons::YesNo);
  return secondCopy ? MsgResult::No : shown;
}

std::string Args::Get(const std::string& name, const std::string& fallback) const {
  auto it = values.find(name);
  return it == values.end() ? fallback : it->second;
}

bool Args::GetInt(const std::string& name, int fallback, int& out) const {
  auto it = values.find(name);
  if (it == values.end()) {
    out = fallback;
    return true;
  }
  const std::string& s = it->second;
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(s.c_str(), &end, 10);
  if (s.empty() || *end != '\0' || errno != 0 || v < INT32_MIN || v > INT32_MAX) return false;
  out = int(v);
  return true;
}

namespace {
std::vector<Command>& Registry() {
  static std::vector<Command> commands;
  return commands;
}
}  // namespace

bool RegisterCommand(Command command) {
  Registry().push_back(std::move(command));
  return true;
}

const std::vector<Command>& Commands() { return Registry(); }

}  // namespace quovil::cli
