// The window's archive, AVI and BMP commands driven through their tool-bar
// actions, with the file dialogs, the camera choice and the progress dialog
// answered by hooks. Screenshots go to build/screens/ for a look.
#include <gtest/gtest.h>

#include <QTest>

#include <QApplication>
#include <QRadioButton>
#include <QSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include <memory>

#include "app/locale_ru.h"
#include "app/view_main.h"
#include "export/SelectChanel.h"
#include "viewer/start_folder.h"
#include "mkcard/mkcard.h"
#include "support/files.h"
#include "support/shell.h"
#include "support/qt/screenshots.h"
#include "support/qt/test_app.h"
#include "support/qt/window_dialogs.h"

namespace {

using namespace quovil;

class ExportActionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureTestApp();
    ASSERT_TRUE(dir_.isValid());
  }
  void TearDown() override { qunsetenv("QUOVIL_DRIVES"); }

  std::string Path(const char* name) const { return QDir(dir_.path()).filePath(name).toStdString(); }

  static mkcard::Options CardOptions() {
    mkcard::Options o;
    o.format = 2;
    o.seed = 11;
    o.records = 60;
    o.width = 320;
    o.height = 240;
    return o;
  }

  // The window with a card found, every record marked.
  std::unique_ptr<TMainForm> StartWithMarkedCard() {
    truth_ = mkcard::WriteCard(CardOptions(), Path("card.img"));
    qputenv("QUOVIL_DRIVES", QByteArray::fromStdString(Path("card.img")));
    auto form = std::make_unique<TMainForm>(QStringList{}, Path("quovil.INI"));
    form->StartShown(true);
    form->CheckTimerTimer();
    EXPECT_TRUE(form->viewer.source().CardOpen);
    form->viewer.ActionSelectAllExecute();
    return form;
  }

  int RecordsOfCamera(int camera) const {
    int n = 0;
    for (const mkcard::Frame& f : truth_.frames) n += f.camera == camera;
    return n;
  }

  void OpenThroughAction(TMainForm& form, const std::string& file) {
    dialogs_.fileAnswers = {file};
    form.ActionOpenFile->trigger();
  }

  QTemporaryDir dir_;
  mkcard::Recorded truth_;
  test::WindowDialogs dialogs_;
};

using test::Exists;

TEST_F(ExportActionsTest, OpeningAnArchiveShowsItsPicturesUnderItsName) {
  const std::vector<uint8_t> bytes = mkcard::MakeArchive(CardOptions(), 3);
  const std::string file = Path("trip.kif");
  ASSERT_TRUE(test::WriteBytes(file, bytes));
  auto form = std::make_unique<TMainForm>(QStringList{}, Path("quovil.INI"));
  form->StartShown(false);
  OpenThroughAction(*form, file);

  ASSERT_EQ(dialogs_.questions.size(), 1u);
  EXPECT_EQ(dialogs_.questions[0].title, "Выберите файл видеоархива");
  EXPECT_EQ(dialogs_.questions[0].filter, "KORAX Image File (*.kif)");
  EXPECT_FALSE(dialogs_.questions[0].save);
  EXPECT_FALSE(form->viewer.source().SourceIsCard);
  EXPECT_TRUE(form->viewer.source().ArchiveOpen);
  EXPECT_TRUE(form->ActionOpenFile->isChecked());
  EXPECT_EQ(form->windowTitle().toStdString(), "KORAX-X CARD VIEWER - " + file);
  EXPECT_GT(form->viewer.selection().Count(), 0);
  EXPECT_FALSE(form->viewer.bitmaps()[0].Empty());
  EXPECT_EQ(form->Settings.LastOpenDir, QDir(dir_.path()).absolutePath().toStdString());
  EXPECT_TRUE(dialogs_.messages.empty());
  form->resize(900, 600);
  QCoreApplication::processEvents();
  quovil::test::SaveDrawnScreenshot(*form, QStringLiteral("archive_mode.png"));
}

TEST_F(ExportActionsTest, CancelledOpenDialogLeavesTheCardShown) {
  auto form = StartWithMarkedCard();
  dialogs_.fileAnswers.clear();
  form->ActionOpenFile->trigger();
  EXPECT_EQ(dialogs_.questions.size(), 1u);
  EXPECT_TRUE(form->viewer.source().SourceIsCard);
  EXPECT_TRUE(form->viewer.source().CardOpen);
}

TEST_F(ExportActionsTest, SavedFragmentOfTheChosenCameraOpensAgain) {
  auto form = StartWithMarkedCard();
  TMainForm::cameraDialogHook = [](TChanelForm& dialog) {
    quovil::test::SaveDrawnScreenshot(dialog, QStringLiteral("camera_choice.png"));
    dialog.ButtonClick(0);
  };
  const std::string file = Path("frag.kif");
  dialogs_.fileAnswers = {file};
  form->ActionSaveFile->trigger();

  ASSERT_EQ(dialogs_.questions.size(), 1u);
  EXPECT_EQ(dialogs_.questions[0].title, "Введите название файла видеоархива");
  EXPECT_EQ(dialogs_.questions[0].filter, "KORAX Image File (*.kif)");
  EXPECT_TRUE(dialogs_.questions[0].save);
  EXPECT_EQ(dialogs_.questions[0].suggested.substr(0, 5), "CAM1_");
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_EQ(dialogs_.messages[0], "Файл создан успешно!");
  EXPECT_TRUE(Exists(file));
  EXPECT_EQ(form->Settings.LastSaveDir, QDir(dir_.path()).absolutePath().toStdString());
  // The window works again after the long work.
  EXPECT_TRUE(form->TopToolBar->isEnabled());
  EXPECT_TRUE(form->CheckTimer->isActive());

  OpenThroughAction(*form, file);
  EXPECT_TRUE(form->viewer.source().ArchiveOpen);
  EXPECT_EQ(form->viewer.source().AddressableEntries(), RecordsOfCamera(0));
  for (int32_t i = 0; i < form->viewer.source().AddressableEntries(); ++i) EXPECT_EQ(form->viewer.source().CameraOf(i), 0);
}

// Return presses the button with the focus, which the dialog shows.
TEST_F(ExportActionsTest, ReturnInTheCameraChoicePressesTheFocusedButton) {
  std::optional<int> chosen;
  bool focusShown = false;
  for (int presses : {0, 1}) {
    TChanelForm dialog(nullptr, 0);
    QTimer::singleShot(0, &dialog, [&] {
      dialog.activateWindow();
      focusShown = dialog.focusWidget() == dialog.Button(0) && dialog.testAttribute(Qt::WA_KeyboardFocusChange);
      for (int i = 0; i < presses; ++i) QTest::keyClick(dialog.focusWidget(), Qt::Key_Tab);
      QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);
    });
    chosen = dialog.exec() == QDialog::Accepted ? std::optional<int>(dialog.Chosen()) : std::nullopt;
    EXPECT_TRUE(focusShown);
    EXPECT_EQ(chosen, presses == 0 ? 0 : 1);
  }
}

#ifdef QUOVIL_MP4
// The MP4 export from the AVI button's menu: both cameras stacked, written by
// a worker while the window waits, confirmed in the status bar; Cancel in
// the progress dialog leaves no file.
TEST_F(ExportActionsTest, Mp4ExportRunsOnAWorkerAndCancelLeavesNoFile) {
  auto form = StartWithMarkedCard();
  TMainForm::mp4DialogHook = [](QDialog& dialog) {
    // The readings are stamped and the film is not split unless asked.
    EXPECT_TRUE(dialog.findChild<QCheckBox*>(QStringLiteral("stampSpeed"))->isChecked());
    EXPECT_TRUE(dialog.findChild<QCheckBox*>(QStringLiteral("stampVoltage"))->isChecked());
    EXPECT_FALSE(dialog.findChild<QCheckBox*>(QStringLiteral("split"))->isChecked());
    EXPECT_FALSE(dialog.findChild<QSpinBox*>(QStringLiteral("splitSize"))->isEnabled());
    dialog.findChild<QRadioButton*>(QStringLiteral("camera2"))->setChecked(true);
    dialog.findChild<QComboBox*>(QStringLiteral("arrangement"))->setCurrentIndex(1);
    quovil::test::SaveDrawnScreenshot(dialog, QStringLiteral("mp4_options.png"));
    dialog.accept();
  };
  const std::string file = Path("both.mp4");
  dialogs_.fileAnswers = {file};
  int steps = 0;
  TMainForm::progressHook = [&](QProgressDialog&) {
    ++steps;
    // The window is switched off meanwhile.
    EXPECT_FALSE(form->TopToolBar->isEnabled());
  };
  form->ActionSaveMP4->trigger();
  TMainForm::mp4DialogHook = nullptr;
  ASSERT_EQ(dialogs_.questions.size(), 1u);
  EXPECT_EQ(dialogs_.questions[0].filter, "Файлы MP4 (*.mp4)");
  EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.messages.front();
  ASSERT_TRUE(Exists(file));
  EXPECT_GT(steps, 0);
  EXPECT_TRUE(form->statusBar()->currentMessage().contains(QString::fromStdString(file)));
  EXPECT_TRUE(form->TopToolBar->isEnabled());
  EXPECT_TRUE(form->CheckTimer->isActive());
  EXPECT_EQ(form->viewer.RunningSessionWorkers(), 0);
  const std::string size = quovil::test::Shell("ffprobe -v error -select_streams v -show_entries stream=codec_name,width,height -of csv=p=0 '" + file + "'");
  EXPECT_NE(size.find("h264"), std::string::npos) << size;

  const std::string cancelled = Path("cancelled.mp4");
  dialogs_.fileAnswers = {cancelled};
  TMainForm::mp4DialogHook = [](QDialog& dialog) {
    // The dialog offers the choice made before.
    EXPECT_TRUE(dialog.findChild<QRadioButton*>(QStringLiteral("camera2"))->isChecked());
    EXPECT_EQ(dialog.findChild<QComboBox*>(QStringLiteral("arrangement"))->currentIndex(), 1);
    dialog.accept();
  };
  TMainForm::progressHook = [](QProgressDialog& progress) { progress.cancel(); };
  form->ActionSaveMP4->trigger();
  TMainForm::mp4DialogHook = nullptr;
  EXPECT_FALSE(Exists(cancelled));
  EXPECT_FALSE(Exists(cancelled + ".part"));
  EXPECT_TRUE(dialogs_.messages.empty());
  EXPECT_TRUE(form->TopToolBar->isEnabled());
}
#endif

TEST_F(ExportActionsTest, ClosedCameraChoiceSavesNothing) {
  auto form = StartWithMarkedCard();
  TMainForm::cameraDialogHook = [](TChanelForm& dialog) { dialog.reject(); };
  form->ActionSaveFile->trigger();
  EXPECT_TRUE(dialogs_.questions.empty());
  EXPECT_TRUE(dialogs_.messages.empty());
}

TEST_F(ExportActionsTest, CancelInTheProgressDialogStopsTheSaveAndLeavesNoFile) {
  auto form = StartWithMarkedCard();
  TMainForm::cameraDialogHook = [](TChanelForm& dialog) { dialog.ButtonClick(-1); };
  bool shot = false;
  TMainForm::progressHook = [&shot](QProgressDialog& progress) {
    if (shot) return;
    shot = true;
    EXPECT_TRUE(progress.isVisible());
    EXPECT_EQ(progress.windowModality(), Qt::WindowModal);
    quovil::test::SaveDrawnScreenshot(progress, QStringLiteral("progress.png"));
    progress.cancel();
  };
  const std::string file = Path("cancelled.kif");
  dialogs_.fileAnswers = {file};
  form->ActionSaveFile->trigger();
  EXPECT_TRUE(shot);
  EXPECT_FALSE(Exists(file));
  EXPECT_TRUE(form->TopToolBar->isEnabled());
  EXPECT_TRUE(form->CheckTimer->isActive());
}

TEST_F(ExportActionsTest, AviAndBmpActionsWriteTheirFiles) {
  auto form = StartWithMarkedCard();
  const std::string avi = Path("clip.avi");
  dialogs_.fileAnswers = {avi};
  form->ActionSaveAVI->trigger();
  ASSERT_EQ(dialogs_.questions.size(), 1u);
  EXPECT_EQ(dialogs_.questions[0].title, "Сохранение видео фрагмента");
  EXPECT_EQ(dialogs_.questions[0].filter, "Файлы видео (*.avi)");
  EXPECT_TRUE(Exists(avi));
  EXPECT_GT(QFileInfo(QString::fromStdString(avi)).size(), 1000);

  const std::string bmp = Path("shot.bmp");
  dialogs_.fileAnswers = {bmp};
  form->ActionSaveImage->trigger();
  ASSERT_EQ(dialogs_.questions.size(), 2u);
  EXPECT_EQ(dialogs_.questions[1].title, "Введите название фото");
  EXPECT_EQ(dialogs_.questions[1].filter, "Файлы фотографий (*.bmp)");
  EXPECT_TRUE(Exists(bmp));
  EXPECT_EQ(form->Settings.LastBMPDir, QDir(dir_.path()).absolutePath().toStdString());
  // Written: the status bar says so, no box to close.
  EXPECT_TRUE(dialogs_.messages.empty());
  EXPECT_TRUE(form->statusBar()->currentMessage().contains(QString::fromStdString(bmp)));
  // The dialogs start where a file of their kind went last, and with nothing
  // remembered in the documents or home folder, not the program's folder.
  const std::string here = QDir(dir_.path()).absolutePath().toStdString();
  EXPECT_EQ(dialogs_.questions[0].folder, StartFolder(""));
  EXPECT_NE(dialogs_.questions[0].folder, QCoreApplication::applicationDirPath().toStdString());
  dialogs_.fileAnswers.clear();
  form->ActionSaveAVI->trigger();
  ASSERT_EQ(dialogs_.questions.size(), 3u);
  EXPECT_EQ(dialogs_.questions[2].folder, here);
  form->ActionSaveImage->trigger();
  EXPECT_EQ(dialogs_.questions.back().folder, here);
  dialogs_.questions.pop_back();
  dialogs_.questions.pop_back();
  // The next archive save asks the archive question again.
  dialogs_.fileAnswers.clear();
  TMainForm::cameraDialogHook = [](TChanelForm& dialog) { dialog.ButtonClick(1); };
  form->ActionSaveFile->trigger();
  ASSERT_EQ(dialogs_.questions.size(), 3u);
  EXPECT_EQ(dialogs_.questions[2].title, "Введите название файла видеоархива");
}

}  // namespace
