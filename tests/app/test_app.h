// The one QApplication of the window tests: offscreen without a display,
// silent sound, Russian locale and standard buttons, whichever test runs first.
#pragma once

#include <QApplication>
#include <QLocale>

#include "app/locale_ru.h"

inline void EnsureTestApp() {
  if (!QApplication::instance()) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    static int argc = 1;
    static char name[] = "app_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
  }
  if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER")) qputenv("SDL_AUDIODRIVER", "dummy");
  static const bool russian = quovil::InstallRussian(*QCoreApplication::instance());
  (void)russian;
}
