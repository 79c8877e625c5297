#include "viewer/event_guard.h"

#include <utility>

namespace quovil {

namespace {

struct FaultHandler {
  const void* owner = nullptr;
  std::function<void()> handler;
};

FaultHandler& Current() {
  static FaultHandler current;
  return current;
}

struct Runner {
  const void* owner = nullptr;
  CommandRunner run;
};

Runner& CurrentRunner() {
  static Runner current;
  return current;
}

}  // namespace

void SetEventFaultHandler(const void* owner, std::function<void()> handler) {
  Current() = {owner, std::move(handler)};
}

void ClearEventFaultHandler(const void* owner) {
  if (Current().owner == owner) Current() = {};
}

void ReportEventFault() noexcept {
  // Copied first: the handler may replace itself while it runs.
  RunGuarded([] {
    const std::function<void()> handler = Current().handler;
    if (handler) handler();
  });
}

void SetCommandRunner(const void* owner, CommandRunner runner) { CurrentRunner() = {owner, std::move(runner)}; }

void ClearCommandRunner(const void* owner) {
  if (CurrentRunner().owner == owner) CurrentRunner() = {};
}

void RunCommand(const std::function<void()>& command) noexcept {
  const CommandRunner run = CurrentRunner().run;
  if (!run) {
    GuardEvent(command);
    return;
  }
  GuardEvent([&] { run(command); });
}

}  // namespace quovil
