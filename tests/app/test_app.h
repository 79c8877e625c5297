// The one QApplication of the window tests, the program's own guarded one:
// offscreen without a display, silent sound, Russian locale and standard
// buttons, whichever test runs first.
#pragma once

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QWidget>

#include <gtest/gtest.h>

#include "app/guarded_application.h"
#include "app/locale_ru.h"

inline void EnsureTestApp() {
  if (!QApplication::instance()) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    static int argc = 1;
    static char name[] = "app_tests";
    static char* argv[] = {name, nullptr};
    new quovil::GuardedApplication(argc, argv);
  }
  if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER")) qputenv("SDL_AUDIODRIVER", "dummy");
  static const bool russian = quovil::InstallRussian(*QCoreApplication::instance());
  (void)russian;
}

// Saves a picture of the widget as the user would see it under
// <build>/screens/<name>, to be looked at after the run.
inline void SaveScreenshot(QWidget& w, const QString& name) {
  const QString dir = QStringLiteral(QUOVIL_BUILD_DIR "/screens");
  QDir().mkpath(dir);
  EXPECT_TRUE(w.grab().save(dir + QLatin1Char('/') + name));
}
