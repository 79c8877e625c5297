// The program speaks Russian: the default locale (calendar month names) and
// the translation of Qt's standard buttons ("Отмена", "Да", "Нет").
#pragma once

class QCoreApplication;

namespace quovil {

// Call before any widget is created. True when the translation was found.
bool InstallRussian(QCoreApplication& app);

}  // namespace quovil
