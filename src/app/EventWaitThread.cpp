#include "app/EventWaitThread.h"

#include <QCoreApplication>

#include "app/single_instance.h"
#include "viewer/event_guard.h"

namespace quovil {

TEventWaitThread::TEventWaitThread(HandOverEndpoint& endpoint, QObject* window, QObject* parent)
    : QThread(parent), endpoint_(endpoint), window_(window) {
  setObjectName(QStringLiteral("EventWaitThread"));
#ifndef _WIN32
  endpoint_.MoveToWaitingThread(this);
#endif
}

TEventWaitThread::~TEventWaitThread() {
  endpoint_.Stop();
  wait();
}

void TEventWaitThread::Execute() {
  // An exception here would end the program: the thread ends instead, and
  // later copies are no longer heard.
  RunGuarded([this] {
    while (endpoint_.WaitForMessages()) {
      QCoreApplication::postEvent(window_, new QEvent(kHandOverEvent));
    }
  });
  endpoint_.LeaveWaitingThread();
}

}  // namespace quovil
