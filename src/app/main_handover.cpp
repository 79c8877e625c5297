// The main window's side of the single-instance hand-over: later copies of the
// viewer bring this window to the front, open an archive file in it, or close it.
#include <QTimer>

#include "app/EventWaitThread.h"
#include "app/single_instance.h"
#include "app/view_main.h"

namespace quovil {

HandOverEndpoint* TMainForm::handOverEndpoint = nullptr;

namespace {

// How soon a hand-over that arrived during a running command is tried again.
constexpr int kHandOverRetryMs = 100;

}  // namespace

void TMainForm::StartHandOverThread() {
  if (!handOverEndpoint || EventWait) return;
  // A child of the window: it is woken and joined as the window goes.
  EventWait = new TEventWaitThread(*handOverEndpoint, this, this);
  EventWait->start();
}

void TMainForm::customEvent(QEvent* event) {
  if (event->type() == kHandOverEvent) {
    WMHandOver();
    return;
  }
  QMainWindow::customEvent(event);
}

void TMainForm::WMHandOver() {
  if (closed_) return;
  BringToFront();
  TakeHandOverMessages();
}

void TMainForm::TakeHandOverMessages() {
  if (closed_) return;
  if (depth_ > 0) {
    // A command is waiting on a message box: switching the source under it
    // would pull its data away. The messages wait in the queue meanwhile.
    QTimer::singleShot(kHandOverRetryMs, this, [this] { TakeHandOverMessages(); });
    return;
  }
  for (std::string text = ReadHandOverMessage(); !text.empty(); text = ReadHandOverMessage()) {
    if (text == "e") {
      // Whatever follows was meant for a viewer that is now closing.
      close();
      return;
    }
    if (text == " ") continue;
    OpenPath(text);
    if (closed_) return;
  }
}

std::string TMainForm::ReadHandOverMessage() {
  return handOverEndpoint ? handOverEndpoint->ReadHandOverMessage() : std::string();
}

void TMainForm::BringToFront() {
  // Shown from the tray or restored from the task bar, raised and activated.
  ShowFromTray();
}

}  // namespace quovil
