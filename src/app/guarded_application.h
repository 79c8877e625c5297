// The program's application object: the last guard against exceptions.
#pragma once

#include <QApplication>

namespace quovil {

// Every event goes through RunGuarded: an exception that leaves its handler
// is reported to the window (ReportEventFault) instead of ending the program.
// The widgets catch their own handlers' exceptions before they reach Qt; this
// catches whatever still gets through.
class GuardedApplication : public QApplication {
 public:
  GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace quovil
