#include "test_app.h"

#include <QApplication>
#include <QLocale>

#include "app/guarded_application.h"
#include "app/locale_ru.h"

namespace quovil::test {

void EnsureTestApp() {
  if (!QApplication::instance()) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    static int argc = 1;
    static char name[] = "app_tests";
    static char* argv[] = {name, nullptr};
    new GuardedApplication(argc, argv);
  }
  if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER")) qputenv("SDL_AUDIODRIVER", "dummy");
  static const bool russian = InstallRussian(*QCoreApplication::instance());
  (void)russian;
}

}  // namespace quovil::test
