// The program's main routine: the application in Russian, the main window,
// and the message loop until the window closes.
#include <QApplication>
#include <QByteArray>

#include "app/locale_ru.h"
#include "app/view_main.h"

int main(int argc, char** argv) {
  // SDL would turn SIGINT and SIGTERM into events nobody reads here, leaving a
  // program that cannot be stopped from outside.
  qputenv("SDL_NO_SIGNAL_HANDLERS", "1");
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("QUOVIL"));
  // The window waits in the tray with no window shown: closing a message box
  // then must not end the program; only the main window's closing does.
  QApplication::setQuitOnLastWindowClosed(false);
  quovil::InstallRussian(app);

  const QStringList args = QApplication::arguments().mid(1);
  // "e" asks a running viewer to close; with none running there is nothing to do.
  if (!args.isEmpty() && args.first() == QStringLiteral("e")) return 0;

  quovil::TMainForm window(args);
  if (window.EndAtStart()) return 1;
  QObject::connect(&window, &quovil::TMainForm::Closed, &app, &QApplication::quit, Qt::QueuedConnection);
  window.StartShown(args.isEmpty());
  return app.exec();
}
