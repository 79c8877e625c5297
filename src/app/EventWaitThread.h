// The hand-over thread: waits for later copies of the viewer to deliver their
// messages and posts one hand-over event to the main window per delivery. It
// touches no viewer state; the window takes the messages on its own thread.
#pragma once

#include <QEvent>
#include <QThread>

namespace quovil {

class HandOverEndpoint;

// The event the window receives when hand-over messages are waiting.
inline constexpr QEvent::Type kHandOverEvent = QEvent::Type(QEvent::User + 1);

class TEventWaitThread : public QThread {
 public:
  // Takes over the endpoint's waiting side; start it at once, since the
  // endpoint's objects belong to this thread from here on.
  TEventWaitThread(HandOverEndpoint& endpoint, QObject* window, QObject* parent = nullptr);
  // Wakes the wait and joins: the thread outlives nothing it refers to.
  ~TEventWaitThread() override;

 protected:
  void Execute();
  void run() override { Execute(); }

 private:
  HandOverEndpoint& endpoint_;
  QObject* window_;
};

}  // namespace quovil
