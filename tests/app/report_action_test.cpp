// The window's fragment report: "Отчёт о фрагменте (PDF)…" in the menu of the
// save button, made on a worker with the progress dialog.
#include <gtest/gtest.h>

#include <QDir>
#include <QMenu>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>

#include <memory>

#include "app/view_main.h"
#include "mkcard/mkcard.h"
#include "platform/checksum_file.h"
#include "report/report_pdf.h"
#include "support/card_source.h"
#include "support/recording_host.h"
#include "support/files.h"
#include "support/qt/test_app.h"
#include "support/qt/window_dialogs.h"

namespace {

using namespace quovil;

class ReportActionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureTestApp();
    ASSERT_TRUE(dir_.isValid());
    mkcard::Options o;
    o.format = 2;
    o.records = 120;
    o.journal = true;
    ASSERT_EQ(mkcard::WriteCard(o, Path("card.img")).format, 2);
    qputenv("QUOVIL_DRIVES", QByteArray::fromStdString(Path("card.img")));
    qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(Path("cache")));
    form_ = std::make_unique<TMainForm>(QStringList{}, Path("quovil.INI"));
    form_->StartShown(true);
    form_->CheckTimerTimer();
    ASSERT_TRUE(form_->viewer.source().CardOpen);
  }
  void TearDown() override {
    form_.reset();
    qunsetenv("QUOVIL_DRIVES");
    qunsetenv("XDG_CACHE_HOME");
    TMainForm::progressHook = nullptr;
  }
  std::string Path(const char* name) const { return QDir(dir_.path()).filePath(name).toStdString(); }

  QTemporaryDir dir_;
  test::WindowDialogs dialogs_;
  std::unique_ptr<TMainForm> form_;
};

TEST_F(ReportActionTest, TheReportOfTheMarkedFragmentIsSavedFromTheSaveButtonsMenu) {
  auto* button = qobject_cast<QToolButton*>(form_->TopToolBar->widgetForAction(form_->ActionSaveFile));
  ASSERT_TRUE(button && button->menu());
  EXPECT_TRUE(button->menu()->actions().contains(form_->ActionSaveReport));
  EXPECT_EQ(form_->ActionSaveReport->text(), QString::fromUtf8("Отчёт о фрагменте (PDF)…"));

  int steps = 0;
  TMainForm::progressHook = [&](QProgressDialog& d) {
    ++steps;
    EXPECT_EQ(d.windowTitle(), QString::fromUtf8("Отчёт о фрагменте"));
  };
  const std::string pdf = Path("report.pdf");
  dialogs_.fileAnswers = {pdf};
  form_->ActionSaveReport->trigger();
  ASSERT_EQ(dialogs_.questions.size(), 1u);
  EXPECT_EQ(dialogs_.questions[0].title, "Сохранить отчёт о фрагменте");
  EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.messages.front();
  EXPECT_EQ(test::ReadText(pdf).rfind("%PDF-", 0), 0u);
  EXPECT_TRUE(VerifySha256Sidecar(pdf).ok);
  EXPECT_GT(steps, 0);
  EXPECT_TRUE(form_->TopToolBar->isEnabled());

  // The card itself is refused.
  TMainForm::progressHook = nullptr;
  dialogs_.fileAnswers = {Path("card.img")};
  form_->ActionSaveReport->trigger();
  ASSERT_FALSE(dialogs_.messages.empty());
  EXPECT_NE(dialogs_.messages.back().find("Не могу сохранить в открытый файл!"), std::string::npos);
}

// Cancelled at the first picture, the report leaves no file, not even its
// part; a target that is a folder is refused before anything is read.
TEST_F(ReportActionTest, ACancelledReportLeavesNothingBehind) {
  class CancelAtFirstStep : public WorkProgress {
   public:
    // The telemetry index may be built first: only the pictures are stopped.
    void Begin(const std::string& title, const std::string&, int) override { pictures_ = title == "Отчёт о фрагменте"; }
    void Step(int) override { cancelled_ = pictures_; }
    bool Cancelled() override { return cancelled_; }
    void End() override {}

   private:
    bool pictures_ = false, cancelled_ = false;
  } progress;
  test::RecordingHost host;
  Viewer v(host);
  ASSERT_TRUE(test::OpenCardImage(v, Path("card.img"), test::Access::ReadOnly));
  const Viewer::Fragment fragment = v.MarkedFragment(-1);
  ASSERT_EQ(fragment.status, Viewer::Fragment::Status::Ok);
  const std::string pdf = Path("stopped.pdf");
  const ReportResult r = WriteFragmentReport(v.source(), fragment.indices, pdf, progress);
  EXPECT_EQ(r.status, ReportResult::Status::Cancelled);
  EXPECT_FALSE(test::Exists(pdf));
  EXPECT_FALSE(test::Exists(pdf + ".part"));
  EXPECT_FALSE(test::Exists(pdf + ".sha256"));
  const ReportResult folder = WriteFragmentReport(v.source(), fragment.indices, dir_.path().toStdString(), progress);
  EXPECT_EQ(folder.status, ReportResult::Status::Failed);
  EXPECT_NE(folder.message.find("Не могу сохранить в папку!"), std::string::npos);
}

}  // namespace
