// The program's main routine: the application in its language, the main window,
// and the message loop until the window closes.
#include <QApplication>
#include <QByteArray>
#include <QSocketNotifier>

#include <sys/socket.h>
#include <unistd.h>

#include <csignal>

#include "app/guarded_application.h"
#include "app/settings.h"
#include "app/single_instance.h"
#include "app/view_main.h"
#include "platform/i18n/language.h"

namespace {

int signalPipe[2] = {-1, -1};

void OnStopSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = write(signalPipe[1], &byte, 1);
}

// SIGINT and SIGTERM close the window the ordinary way, so the settings are
// written and the card is let go as on any other close.
void CloseOnStopSignals(quovil::TMainForm& window) {
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) return;
  auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &window);
  QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
    char byte = 0;
    [[maybe_unused]] const ssize_t n = read(signalPipe[0], &byte, 1);
    window.close();
  });
  struct sigaction sa {};
  sa.sa_handler = OnStopSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  // SDL would turn SIGINT and SIGTERM into events nobody reads here, leaving a
  // program that cannot be stopped from outside.
  qputenv("SDL_NO_SIGNAL_HANDLERS", "1");
  // An exception that leaves an event's handler is reported to the window,
  // which gives its source up, instead of ending the program.
  quovil::GuardedApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("QUOVIL"));
  // The window waits in the tray with no window shown: closing a message box
  // then must not end the program; only the main window's closing does.
  QApplication::setQuitOnLastWindowClosed(false);
  // The language of the settings file, or the system's; before any widget.
  const std::string settingsPath = quovil::SettingsFilePath(QApplication::applicationFilePath().toStdString());
  quovil::InstallLanguage(app, quovil::ChosenLanguage(quovil::LoadSettings(settingsPath).Language));

  // One copy runs at a time: a later one hands its argument over and ends
  // without a window. Failures here are not reported.
  quovil::HandOverEndpoint endpoint(quovil::HandOverName());
  switch (endpoint.Claim()) {
    case quovil::HandOverEndpoint::Role::Later:
      quovil::HandOverEndpoint::Send(endpoint.Name(), quovil::HandOverText(argc, argv));
      return 0;
    case quovil::HandOverEndpoint::Role::Failed:
      return 0;
    case quovil::HandOverEndpoint::Role::First:
      break;
  }
  quovil::TMainForm::handOverEndpoint = &endpoint;

  const QStringList args = QApplication::arguments().mid(1);
  // "e" asks a running viewer to close; with none running there is nothing to do.
  if (!args.isEmpty() && args.first() == QStringLiteral("e")) return 0;

  quovil::TMainForm window(args);
  if (window.EndAtStart()) return 1;
  QObject::connect(&window, &quovil::TMainForm::Closed, &app, &QApplication::quit, Qt::QueuedConnection);
  CloseOnStopSignals(window);
  window.StartShown(args.isEmpty());
  return app.exec();
}
