// The window in English and in Russian. The translation file has an English
// text for every text of the sources and nothing left over; the window
// started in English shows no Cyrillic in any caption, hint, tool bar, menu,
// status panel, the journal window or the map setup wizard; the Russian window
// keeps its texts. Both are grabbed to build/screens/ for a look.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDirIterator>
#include <QDockWidget>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QXmlStreamReader>

#include <memory>
#include <set>

#include "app/settings.h"
#include "app/view_main.h"
#include "gps/setup_form.h"
#include "journal/journal.h"
#include "mkcard/mkcard.h"
#include "platform/i18n/language.h"
#include "platform/translate.h"
#include "support/qt/screenshots.h"
#include "support/qt/test_app.h"
#include "support/qt/window_dialogs.h"

namespace {

using namespace quovil;

// ------------------------------------------------------------ the choice

TEST(LanguageChoice, TheLocaleVariablesChooseRussianOnlyForRussian) {
  EXPECT_EQ(SystemLanguage(nullptr, nullptr, "ru_RU.UTF-8"), Language::Russian);
  EXPECT_EQ(SystemLanguage(nullptr, nullptr, "ru"), Language::Russian);
  EXPECT_EQ(SystemLanguage(nullptr, nullptr, "ru_UA@latin"), Language::Russian);
  EXPECT_EQ(SystemLanguage(nullptr, nullptr, "en_US.UTF-8"), Language::English);
  EXPECT_EQ(SystemLanguage(nullptr, nullptr, "de_DE.UTF-8"), Language::English);
  EXPECT_EQ(SystemLanguage(nullptr, nullptr, "rus"), Language::English);
  EXPECT_EQ(SystemLanguage(nullptr, nullptr, nullptr), Language::English);
  EXPECT_EQ(SystemLanguage("", "", "C"), Language::English);
  // LC_ALL over LC_MESSAGES over LANG; an empty one does not count.
  EXPECT_EQ(SystemLanguage("en_GB.UTF-8", "ru_RU.UTF-8", "ru_RU.UTF-8"), Language::English);
  EXPECT_EQ(SystemLanguage("", "ru_RU.UTF-8", "en_US.UTF-8"), Language::Russian);
  EXPECT_EQ(SystemLanguage(nullptr, "", "ru_RU.UTF-8"), Language::Russian);
}

TEST(LanguageChoice, TheSettingsFileOverridesTheSystem) {
  EXPECT_EQ(ChosenLanguage("ru"), Language::Russian);
  EXPECT_EQ(ChosenLanguage("en"), Language::English);
  EXPECT_EQ(ChosenLanguage(""), SystemLanguage());
  EXPECT_EQ(ChosenLanguage("fr"), SystemLanguage());
}

TEST(LanguageChoice, TheSettingsFileKeepsTheLanguageAndWritesItOnlyOnceChosen) {
  QTemporaryDir dir;
  const std::string ini = QDir(dir.path()).filePath(QStringLiteral("quovil.INI")).toStdString();
  AppSettings s;
  ASSERT_TRUE(SaveSettings(ini, s));
  QFile f(QString::fromStdString(ini));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_FALSE(f.readAll().contains("Language")) << "an unchosen language leaves earlier files as they were";
  f.close();
  s.Language = "en";
  ASSERT_TRUE(SaveSettings(ini, s));
  EXPECT_EQ(LoadSettings(ini).Language, "en");
  s.Language = "";
  ASSERT_TRUE(SaveSettings(ini, s));
  EXPECT_EQ(LoadSettings(ini).Language, "");
  {
    QFile w(QString::fromStdString(ini));
    ASSERT_TRUE(w.open(QIODevice::WriteOnly));
    w.write("[PARAMS]\nLanguage=klingon\n");
  }
  EXPECT_EQ(LoadSettings(ini).Language, "") << "an unknown value means the system's language";
}

// ------------------------------------------------------------ the file

struct TsEntry {
  QString context, source, translation, type;
};

std::vector<TsEntry> ReadTs(const QString& path) {
  std::vector<TsEntry> out;
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return out;
  QXmlStreamReader xml(&f);
  QString context;
  TsEntry e;
  while (!xml.atEnd()) {
    xml.readNext();
    if (!xml.isStartElement()) continue;
    const auto name = xml.name();
    if (name == QLatin1String("name")) {
      context = xml.readElementText();
    } else if (name == QLatin1String("message")) {
      e = TsEntry{context, {}, {}, {}};
    } else if (name == QLatin1String("source")) {
      e.source = xml.readElementText(QXmlStreamReader::IncludeChildElements);
    } else if (name == QLatin1String("translation")) {
      e.type = xml.attributes().value(QLatin1String("type")).toString();
      e.translation = xml.readElementText(QXmlStreamReader::IncludeChildElements);
      out.push_back(e);
    }
  }
  return out;
}

// The printf conversions and Qt's %1..%9 of a text, in order.
QStringList Placeholders(const QString& text) {
  static const QRegularExpression re(QStringLiteral("%(?:%|[0-9]|[-+ #0]*[0-9]*(?:\\.[0-9]+)?(?:ll|l|h)?[dixXufgeEsc])"));
  QStringList out;
  for (auto it = re.globalMatch(text); it.hasNext();) out << it.next().captured();
  return out;
}

const QRegularExpression& Cyrillic() {
  static const QRegularExpression re(QStringLiteral("[\\x{0400}-\\x{04FF}]"));
  return re;
}

const QString kTsFile = QStringLiteral(QUOVIL_SOURCE_DIR "/translations/quovil_en.ts");

TEST(TranslationFile, EveryTextHasAFinishedEnglishTextWithTheSamePlaceholders) {
  const std::vector<TsEntry> entries = ReadTs(kTsFile);
  ASSERT_GT(entries.size(), 300u);
  std::set<std::pair<QString, QString>> seen;
  for (const TsEntry& e : entries) {
    const std::string where = (e.context + QStringLiteral(": ") + e.source).toStdString();
    EXPECT_TRUE(e.type.isEmpty()) << e.type.toStdString() << " " << where;
    EXPECT_FALSE(e.translation.isEmpty()) << where;
    EXPECT_FALSE(e.translation.contains(Cyrillic())) << where;
    EXPECT_EQ(Placeholders(e.translation), Placeholders(e.source)) << where;
    EXPECT_TRUE(seen.insert({e.context, e.source}).second) << "twice: " << where;
  }
}

// lupdate over today's sources into a copy of the file changes nothing: no
// text of the sources is missing from it and none is left over.
TEST(TranslationFile, MatchesTheSourcesAsLupdateReadsThem) {
  QTemporaryDir dir;
  const QString copy = QDir(dir.path()).filePath(QStringLiteral("quovil_en.ts"));
  ASSERT_TRUE(QFile::copy(kTsFile, copy));
  QStringList args = QString::fromUtf8(QUOVIL_LUPDATE_OPTIONS).split(QLatin1Char('|'), Qt::SkipEmptyParts);
  QDir src(QStringLiteral(QUOVIL_SOURCE_DIR "/src"));
  args << src.absolutePath() << QStringLiteral("-extensions") << QStringLiteral("cpp,h") << QStringLiteral("-ts")
       << copy;
  QProcess lupdate;
  lupdate.start(QStringLiteral(QUOVIL_LUPDATE), args);
  ASSERT_TRUE(lupdate.waitForFinished(120000));
  ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAllStandardError().toStdString();
  const std::vector<TsEntry> before = ReadTs(kTsFile), after = ReadTs(copy);
  std::set<std::pair<QString, QString>> had;
  for (const TsEntry& e : before) had.insert({e.context, e.source});
  for (const TsEntry& e : after) {
    const std::string where = (e.context + QStringLiteral(": ") + e.source).toStdString();
    EXPECT_TRUE(e.type.isEmpty()) << e.type.toStdString() << " after lupdate: " << where;
    EXPECT_TRUE(had.count({e.context, e.source})) << "not in the file: " << where;
  }
  EXPECT_EQ(after.size(), before.size());
}

// Every Russian text of the sources is marked for the translation (Tr,
// translate, tr, QUOVIL_TR_NOOP), or continues a marked one on the next line:
// a new text left unmarked would stay Russian in the English window. The
// telemetry files keep the recorder's Russian names whatever the window speaks.
TEST(TranslationFile, EveryRussianTextOfTheSourcesIsMarked) {
  const QStringList kept = {QStringLiteral("gps/telemetry_export.cpp")};
  static const QRegularExpression literal(QStringLiteral(R"re("(?:[^"\\]|\\.)*")re"));
  static const QRegularExpression marker(
      QStringLiteral(R"re(\b(?:Tr|translate|tr|QUOVIL_TR_NOOP)\(\s*(?:"[^"]*",\s*)?$)re"));
  const QDir src(QStringLiteral(QUOVIL_SOURCE_DIR "/src"));
  QStringList files;
  for (QDirIterator it(src.absolutePath(), {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                       QDirIterator::Subdirectories);
       it.hasNext();)
    files << it.next();
  ASSERT_GT(files.size(), 100);
  int marked = 0;
  for (const QString& path : files) {
    const QString name = src.relativeFilePath(path);
    if (kept.contains(name)) continue;
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
    bool continues = false;  // the previous line ended in a text
    int number = 0;
    for (const QString& whole : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
      ++number;
      // The code before a comment (a "//" outside the texts).
      QString code = whole;
      bool inText = false;
      for (int i = 0; i < code.size(); ++i) {
        if (inText && code[i] == QLatin1Char('\\')) { ++i; continue; }
        if (code[i] == QLatin1Char('"')) inText = !inText;
        if (!inText && code.mid(i, 2) == QLatin1String("//")) { code.truncate(i); break; }
      }
      if (code.trimmed().startsWith(QLatin1Char('#'))) { continues = false; continue; }
      for (auto it = literal.globalMatch(code); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (!m.captured().contains(Cyrillic())) continue;
        const QString before = code.left(m.capturedStart()).trimmed();
        const bool ok = marker.match(before).hasMatch() || before.endsWith(QLatin1Char('"')) ||
                        (before.isEmpty() && continues);
        marked += ok;
        EXPECT_TRUE(ok) << name.toStdString() << ":" << number << ": " << whole.trimmed().toStdString();
      }
      const QString trimmed = code.trimmed();
      // A text goes on past the line's end, or a marked call opens for one.
      if (!trimmed.isEmpty()) continues = trimmed.endsWith(QLatin1Char('"')) || marker.match(trimmed).hasMatch();
    }
  }
  EXPECT_GT(marked, 300);
}

// ------------------------------------------------------------ the window

// Every text a user can see on the widget and all below it: titles, hints,
// labels, buttons, items, headers, actions and their menus.
void CollectTexts(QObject* root, std::vector<std::pair<QString, QString>>& out) {
  std::set<QAction*> actions;
  auto add = [&out](const QObject* o, const QString& what, const QString& text) {
    if (!text.isEmpty()) out.push_back({o->metaObject()->className() + QStringLiteral(" ") + what, text});
  };
  std::function<void(QAction*)> addAction = [&](QAction* a) {
    if (!actions.insert(a).second) return;
    add(a, QStringLiteral("text"), a->text());
    add(a, QStringLiteral("toolTip"), a->toolTip());
    add(a, QStringLiteral("statusTip"), a->statusTip());
    add(a, QStringLiteral("iconText"), a->iconText());
    if (QMenu* m = a->menu()) {
      add(m, QStringLiteral("title"), m->title());
      for (QAction* sub : m->actions()) addAction(sub);
    }
  };
  QList<QWidget*> widgets = root->findChildren<QWidget*>();
  if (auto* w = qobject_cast<QWidget*>(root)) widgets.prepend(w);
  for (QWidget* w : widgets) {
    add(w, QStringLiteral("windowTitle"), w->windowTitle());
    add(w, QStringLiteral("toolTip"), w->toolTip());
    add(w, QStringLiteral("statusTip"), w->statusTip());
    add(w, QStringLiteral("whatsThis"), w->whatsThis());
    if (auto* l = qobject_cast<QLabel*>(w)) add(w, QStringLiteral("text"), l->text());
    if (auto* b = qobject_cast<QAbstractButton*>(w)) add(w, QStringLiteral("text"), b->text());
    if (auto* g = qobject_cast<QGroupBox*>(w)) add(w, QStringLiteral("title"), g->title());
    if (auto* m = qobject_cast<QMenu*>(w)) add(w, QStringLiteral("title"), m->title());
    if (auto* s = qobject_cast<QSpinBox*>(w)) add(w, QStringLiteral("suffix"), s->suffix());
    if (auto* c = qobject_cast<QComboBox*>(w)) {
      for (int i = 0; i < c->count(); ++i) add(w, QStringLiteral("item"), c->itemText(i));
    }
    if (auto* t = qobject_cast<QTreeWidget*>(w)) {
      for (int c = 0; c < t->columnCount(); ++c) add(w, QStringLiteral("header"), t->headerItem()->text(c));
      for (int r = 0; r < t->topLevelItemCount(); ++r)
        for (int c = 0; c < t->columnCount(); ++c) add(w, QStringLiteral("row"), t->topLevelItem(r)->text(c));
    }
    for (QAction* a : w->actions()) addAction(a);
  }
  for (QAction* a : root->findChildren<QAction*>()) addAction(a);
}

class WindowLanguageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureTestApp();
    ASSERT_TRUE(dir_.isValid());
    ini_ = QDir(dir_.path()).filePath(QStringLiteral("quovil.INI")).toStdString();
    mkcard::Options o;
    o.format = 2;
    o.records = 60;
    o.journal = true;
    card_ = QDir(dir_.path()).filePath(QStringLiteral("card.img")).toStdString();
    mkcard::WriteCard(o, card_);
    qputenv("QUOVIL_DRIVES", QByteArray::fromStdString(card_));
  }
  void TearDown() override {
    qunsetenv("QUOVIL_DRIVES");
    // The other window tests read Russian.
    InstallLanguage(*QCoreApplication::instance(), Language::Russian);
  }

  // The window with the card open, its journal read and the setup wizard
  // shown, as the user would meet them.
  void Start() {
    form_ = std::make_unique<TMainForm>(QStringList{}, ini_);
    form_->StartShown(true);
    form_->CheckTimerTimer();
    form_->resize(900, 600);
    journal_ = qobject_cast<TJournalForm*>(form_->JournalForm.data());
    ASSERT_NE(journal_, nullptr);
    form_->ActionOpenJournal->trigger();
    journal_->ToolButton1Click();
    journal_->resize(560, 320);
    wizard_ = form_->findChild<TSetupForm*>();
    ASSERT_NE(wizard_, nullptr);
    QCoreApplication::processEvents();
  }

  std::vector<std::pair<QString, QString>> Texts() const {
    std::vector<std::pair<QString, QString>> texts;
    CollectTexts(form_.get(), texts);
    CollectTexts(journal_, texts);
    CollectTexts(wizard_, texts);
    return texts;
  }

  void Grab(const QString& language) {
    test::SaveDrawnScreenshot(*form_, QStringLiteral("language_%1_main").arg(language));
    test::SaveDrawnScreenshot(*journal_, QStringLiteral("language_%1_journal").arg(language));
    wizard_->show();
    QCoreApplication::processEvents();
    test::SaveDrawnScreenshot(*wizard_, QStringLiteral("language_%1_setup").arg(language));
    wizard_->hide();
  }

  QTemporaryDir dir_;
  std::string ini_, card_;
  test::WindowDialogs dialogs_;
  std::unique_ptr<TMainForm> form_;
  TJournalForm* journal_ = nullptr;
  TSetupForm* wizard_ = nullptr;
};

TEST_F(WindowLanguageTest, TheEnglishWindowShowsNoCyrillic) {
  ASSERT_TRUE(InstallLanguage(*QCoreApplication::instance(), Language::English));
  Start();
  const auto texts = Texts();
  ASSERT_GT(texts.size(), 150u);
  for (const auto& [where, text] : texts)
    EXPECT_FALSE(text.contains(Cyrillic())) << where.toStdString() << ": " << text.toStdString();
  // A few texts as the user reads them.
  EXPECT_EQ(form_->ActionOpenCARD->text(), QStringLiteral("SD card"));
  EXPECT_TRUE(form_->StatusPanels[0]->text().startsWith(QStringLiteral(" Size: "))) << form_->StatusPanels[0]->text().toStdString();
  EXPECT_EQ(journal_->windowTitle(), QStringLiteral("Event and error journal"));
  ASSERT_GT(journal_->ListView->topLevelItemCount(), 1);
  EXPECT_EQ(journal_->ListView->headerItem()->text(0), QStringLiteral("Date"));
  // Qt's own buttons in English too.
  QDialogButtonBox box(QDialogButtonBox::Cancel | QDialogButtonBox::Yes);
  EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text().remove(QLatin1Char('&')), QStringLiteral("Cancel"));
  EXPECT_EQ(QString::fromUtf8(Tr("Viewer", "Карта памяти пуста!")), QStringLiteral("The memory card is empty!"));
  Grab(QStringLiteral("en"));
}

TEST_F(WindowLanguageTest, TheRussianWindowKeepsItsTexts) {
  ASSERT_TRUE(InstallLanguage(*QCoreApplication::instance(), Language::Russian));
  Start();
  const auto texts = Texts();
  int cyrillic = 0;
  for (const auto& entry : texts) cyrillic += entry.second.contains(Cyrillic());
  EXPECT_GT(cyrillic, 100);
  EXPECT_EQ(form_->ActionOpenCARD->text(), QStringLiteral("Карта SD"));
  EXPECT_EQ(form_->ActionOpenCARD->toolTip(), QStringLiteral("Просмотр карты памяти"));
  EXPECT_TRUE(form_->StatusPanels[0]->text().startsWith(QStringLiteral(" Размер: ")));
  EXPECT_EQ(journal_->windowTitle(), QStringLiteral("Журнал событий и ошибок"));
  QDialogButtonBox box(QDialogButtonBox::Cancel);
  EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text().remove(QLatin1Char('&')), QStringLiteral("Отмена"));
  Grab(QStringLiteral("ru"));
}

// The picture's menu chooses the language for the next start.
TEST_F(WindowLanguageTest, TheMenuEntryKeepsTheChoiceInTheSettingsFile) {
  Start();
  QAction* entry = nullptr;
  for (QAction* a : form_->findChildren<QAction*>())
    if (a->objectName() == QLatin1String("LanguageMenu")) entry = a;
  ASSERT_NE(entry, nullptr);
  ASSERT_NE(entry->menu(), nullptr);
  QList<QAction*> choices = entry->menu()->actions();
  ASSERT_EQ(choices.size(), 3);
  emit entry->menu()->aboutToShow();
  EXPECT_TRUE(choices[0]->isChecked()) << "nothing chosen: as the system says";
  choices[2]->trigger();
  EXPECT_FALSE(form_->statusBar()->currentMessage().isEmpty());
  form_->close();
  form_.reset();
  EXPECT_EQ(LoadSettings(ini_).Language, "en");
  Start();
  entry = nullptr;
  for (QAction* a : form_->findChildren<QAction*>())
    if (a->objectName() == QLatin1String("LanguageMenu")) entry = a;
  ASSERT_NE(entry, nullptr);
  emit entry->menu()->aboutToShow();
  EXPECT_TRUE(entry->menu()->actions()[2]->isChecked());
  entry->menu()->actions()[1]->trigger();
  form_->close();
  form_.reset();
  EXPECT_EQ(LoadSettings(ini_).Language, "ru");
}

}  // namespace
