// The program in Russian, its own language: the default locale (calendar
// month names) and the translation of Qt's standard buttons ("Отмена", "Да",
// "Нет"). The language at start is chosen in src/platform/i18n.
#pragma once

class QCoreApplication;

namespace quovil {

// Call before any widget is created. True when the translation was found.
bool InstallRussian(QCoreApplication& app);

}  // namespace quovil
