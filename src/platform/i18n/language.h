// The language of the window and of the command-line tool: Russian, the
// program's own texts, or English from the translation built into the
// program. Qt's own texts (standard buttons, file dialogs) follow from Qt's
// translations.
#pragma once

#include <string>

class QCoreApplication;

namespace quovil {

enum class Language { Russian, English };

// The system's language as the locale variables give it (LC_ALL, then
// LC_MESSAGES, then LANG, the first one set and not empty): Russian for "ru"
// ("ru", "ru_RU.UTF-8", ...), English for anything else, including none.
Language SystemLanguage(const char* lcAll, const char* lcMessages, const char* lang);
Language SystemLanguage();  // from the process's environment

// The settings file's choice: "ru", "en", or empty (or anything else) for the
// system's language.
Language ChosenLanguage(const std::string& setting);

// "ru" / "en".
const char* LanguageCode(Language language);

// Makes the language the program's: the default locale (month names,
// numbers in the calendar), Qt's translation, the program's translation and
// the core's texts. May be called again to change it; widgets made before keep
// the texts they were given. False when a translation could not be loaded.
bool InstallLanguage(QCoreApplication& app, Language language);

// The language installed last (Russian before any).
Language InstalledLanguage();

}  // namespace quovil
