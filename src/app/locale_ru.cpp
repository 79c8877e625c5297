#include "app/locale_ru.h"

#include "platform/i18n/language.h"

namespace quovil {

bool InstallRussian(QCoreApplication& app) { return InstallLanguage(app, Language::Russian); }

}  // namespace quovil
