#include "platform/i18n/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QString>
#include <QTranslator>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/translate.h"

namespace quovil {

namespace {

Language installed = Language::Russian;
std::unique_ptr<QTranslator> qtTexts, ownTexts;

std::string TranslateWithQt(const char* context, const char* text) {
  return QCoreApplication::translate(context, text).toStdString();
}

bool LoadQtTranslation(QTranslator& t, const QString& name) {
  for (const QString& dir : {QStringLiteral("/usr/share/qt6/translations"),
                             QLibraryInfo::path(QLibraryInfo::TranslationsPath)}) {
    if (t.load(name, dir)) return true;
  }
  return false;
}

void Remove(std::unique_ptr<QTranslator>& t) {
  if (t) QCoreApplication::removeTranslator(t.get());
  t.reset();
}

}  // namespace

Language SystemLanguage(const char* lcAll, const char* lcMessages, const char* lang) {
  const char* chosen = nullptr;
  for (const char* v : {lcAll, lcMessages, lang}) {
    if (v && *v) {
      chosen = v;
      break;
    }
  }
  if (!chosen) return Language::English;
  const bool ru = std::strncmp(chosen, "ru", 2) == 0 && (chosen[2] == 0 || chosen[2] == '_' || chosen[2] == '.' ||
                                                         chosen[2] == '@');
  return ru ? Language::Russian : Language::English;
}

Language SystemLanguage() {
  return SystemLanguage(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

Language ChosenLanguage(const std::string& setting) {
  if (setting == "ru") return Language::Russian;
  if (setting == "en") return Language::English;
  return SystemLanguage();
}

const char* LanguageCode(Language language) { return language == Language::Russian ? "ru" : "en"; }

bool InstallLanguage(QCoreApplication&, Language language) {
  Remove(qtTexts);
  Remove(ownTexts);
  installed = language;
  const bool russian = language == Language::Russian;
  QLocale::setDefault(russian ? QLocale(QLocale::Russian, QLocale::Russia)
                              : QLocale(QLocale::English, QLocale::UnitedStates));
  bool ok = true;
  qtTexts = std::make_unique<QTranslator>();
  if (LoadQtTranslation(*qtTexts, russian ? QStringLiteral("qtbase_ru") : QStringLiteral("qtbase_en"))) {
    QCoreApplication::installTranslator(qtTexts.get());
  } else {
    qtTexts.reset();
    ok = false;
  }
  if (!russian) {
    ownTexts = std::make_unique<QTranslator>();
    if (ownTexts->load(QStringLiteral(":/i18n/quovil_en.qm"))) {
      QCoreApplication::installTranslator(ownTexts.get());
    } else {
      ownTexts.reset();
      ok = false;
    }
  }
  // The Russian texts are the source texts: looking them up gives them back.
  SetTranslateFunction(TranslateWithQt);
  return ok;
}

Language InstalledLanguage() { return installed; }

}  // namespace quovil
