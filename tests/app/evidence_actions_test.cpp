// The window's evidence commands through their actions: the card image from
// the image button's menu on a worker with the progress dialog (and its
// Cancel), the selection as CSV, the journal window's rows as CSV, and the
// checksum switch kept in the settings file.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>

#include <memory>

#include "app/settings.h"
#include "app/view_main.h"
#include "journal/journal.h"
#include "mkcard/mkcard.h"
#include "platform/checksum_file.h"
#include "support/files.h"
#include "support/qt/test_app.h"
#include "support/qt/window_dialogs.h"

namespace {

using namespace quovil;

class EvidenceActionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureTestApp();
    ASSERT_TRUE(dir_.isValid());
  }
  void TearDown() override {
    qunsetenv("QUOVIL_DRIVES");
    TMainForm::progressHook = nullptr;
    SetExportChecksums(true);
  }

  std::string Path(const char* name) const { return QDir(dir_.path()).filePath(name).toStdString(); }

  std::unique_ptr<TMainForm> StartWithCard() {
    mkcard::Options o;
    o.format = 2;
    o.records = 80;
    o.journal = true;
    truth_ = mkcard::WriteCard(o, Path("card.img"));
    qputenv("QUOVIL_DRIVES", QByteArray::fromStdString(Path("card.img")));
    auto form = std::make_unique<TMainForm>(QStringList{}, Path("quovil.INI"));
    form->StartShown(true);
    form->CheckTimerTimer();
    EXPECT_TRUE(form->viewer.source().CardOpen);
    return form;
  }

  QTemporaryDir dir_;
  mkcard::Recorded truth_;
  test::WindowDialogs dialogs_;
};

TEST_F(EvidenceActionsTest, TheCardImageIsSavedFromTheImageButtonsMenuWithProgress) {
  auto form = StartWithCard();
  // Held down, the image button offers opening and saving an image.
  auto* button = qobject_cast<QToolButton*>(form->TopToolBar->widgetForAction(form->ActionOpenImage));
  ASSERT_TRUE(button && button->menu());
  QStringList entries;
  for (QAction* a : button->menu()->actions()) entries << a->text();
  EXPECT_EQ(entries, (QStringList{QString::fromUtf8("Открыть образ карты…"), QString::fromUtf8("Сохранить образ карты…")}));

  int steps = 0;
  TMainForm::progressHook = [&](QProgressDialog& d) {
    ++steps;
    EXPECT_EQ(d.windowTitle(), QString::fromUtf8("Сохранение образа карты"));
  };
  const std::string image = Path("evidence.img");
  dialogs_.fileAnswers = {image};
  form->ActionSaveCardImage->trigger();
  ASSERT_EQ(dialogs_.questions.size(), 1u);
  EXPECT_EQ(dialogs_.questions[0].title, "Сохранить образ карты");
  EXPECT_TRUE(dialogs_.questions[0].save);
  EXPECT_EQ(test::ReadBytes(image), test::ReadBytes(Path("card.img")));
  EXPECT_TRUE(VerifySha256Sidecar(image).ok);
  EXPECT_TRUE(test::Exists(image + ".json"));
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_EQ(dialogs_.messages[0].rfind("Образ карты сохранён: ", 0), 0u) << dialogs_.messages[0];
  EXPECT_GT(steps, 0);
  EXPECT_TRUE(form->TopToolBar->isEnabled());
  EXPECT_TRUE(form->viewer.source().CardOpen);

  // Cancel at the first look leaves nothing.
  const std::string cancelled = Path("cancelled.img");
  TMainForm::progressHook = [](QProgressDialog& d) { d.cancel(); };
  dialogs_.fileAnswers = {cancelled};
  form->ActionSaveCardImage->trigger();
  EXPECT_FALSE(test::Exists(cancelled));
  EXPECT_FALSE(test::Exists(cancelled + ".part"));
  EXPECT_EQ(dialogs_.messages.back(), "Сохранение прервано пользователем!");

  // The card itself is refused as the image.
  TMainForm::progressHook = nullptr;
  dialogs_.fileAnswers = {Path("card.img")};
  form->ActionSaveCardImage->trigger();
  EXPECT_EQ(dialogs_.messages.back(), "Не могу сохранить в открытый файл!");
}

TEST_F(EvidenceActionsTest, TheSelectionAndTheJournalRowsAsCsvAndTheChecksumSwitchIsKept) {
  auto form = StartWithCard();
  const std::string list = Path("records.csv");
  dialogs_.fileAnswers = {list};
  form->ActionSaveListCsv->trigger();
  const std::string text = test::ReadText(list);
  EXPECT_EQ(text.rfind("pos,index,camera,kind,flag,time,interval,sectors\r\n", 0), 0u);
  int lines = 0;
  for (char c : text) lines += c == '\n';
  EXPECT_EQ(lines, form->viewer.selection().Count() + 1);
  EXPECT_TRUE(VerifySha256Sidecar(list).ok);

  // The journal window's rows.
  TJournalForm journal(form->viewer);
  journal.ToolButton1Click();
  ASSERT_FALSE(journal.journal().Rows.empty());
  const std::string rows = Path("journal.csv");
  journal.chooseCsvFile = [&] { return rows; };
  journal.ToolButton7Click();
  const std::string csv = test::ReadText(rows);
  EXPECT_EQ(csv.rfind("date,time,code,data,text\r\n", 0), 0u);
  EXPECT_NE(csv.find(",1,1,Подача питания\r\n"), std::string::npos) << csv;
  EXPECT_TRUE(VerifySha256Sidecar(rows).ok);

  // Switched off, no sidecar; the choice is kept in the settings file.
  EXPECT_TRUE(form->ActionChecksums->isChecked());
  form->ActionChecksums->setChecked(false);
  const std::string plain = Path("plain.csv");
  dialogs_.fileAnswers = {plain};
  form->ActionSaveListCsv->trigger();
  EXPECT_TRUE(test::Exists(plain));
  EXPECT_FALSE(test::Exists(plain + ".sha256"));
  form->close();
  EXPECT_FALSE(LoadSettings(Path("quovil.INI")).Checksums);
  form.reset();
  auto again = std::make_unique<TMainForm>(QStringList{}, Path("quovil.INI"));
  EXPECT_FALSE(again->ActionChecksums->isChecked());
  EXPECT_FALSE(ExportChecksums());
}

}  // namespace
