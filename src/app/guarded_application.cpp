#include "app/guarded_application.h"

#include "viewer/event_guard.h"

namespace quovil {

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
  bool result = false;
  if (RunGuarded([&] { result = QApplication::notify(receiver, event); })) return result;
  ReportEventFault();
  return false;
}

}  // namespace quovil
