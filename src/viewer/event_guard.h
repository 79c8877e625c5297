// The window's guard against exceptions. An exception that leaves one of the
// window's handlers (std::bad_alloc from a card that claims an absurd
// catalogue, say) must not reach std::terminate, nor unwind through Qt's own
// frames, which are not made for it: the handler's work is given up where it
// meets Qt, the fault is reported, and the event loop goes on.
#pragma once

#include <cstdio>
#include <exception>
#include <functional>

namespace quovil {

// Runs f and says whether it returned normally. An exception leaving f is
// caught and described on stderr; nothing is allocated while it is handled.
template <class F>
bool RunGuarded(F&& f) noexcept {
  try {
    f();
    return true;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "QUOVIL: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "QUOVIL: unknown exception\n");
  }
  return false;
}

// Who hears of an exception that left an event's handler: the main window.
// A later owner replaces an earlier one; an owner's clearing removes only
// itself.
void SetEventFaultHandler(const void* owner, std::function<void()> handler);
void ClearEventFaultHandler(const void* owner);
// Tells the owner, if any, that an event's handler failed.
void ReportEventFault() noexcept;

// Runs a widget's handler of an event or a signal; an exception leaving it
// is reported instead of going on into Qt.
template <class F>
void GuardEvent(F&& f) noexcept {
  if (!RunGuarded(f)) ReportEventFault();
}

// Who runs the viewer's commands that the panels' widgets give (the main
// window: it guards each and lets its timers and actions follow the viewer's
// state once the command returns). Same ownership rules as the fault handler.
using CommandRunner = std::function<void(const std::function<void()>&)>;
void SetCommandRunner(const void* owner, CommandRunner runner);
void ClearCommandRunner(const void* owner);
// Runs a widget's command through the runner, or guarded as an event when
// there is none.
void RunCommand(const std::function<void()>& command) noexcept;

}  // namespace quovil
