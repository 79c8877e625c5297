// The window's side of the archive, AVI, BMP and print commands: the file
// dialogs, the camera choice, the progress dialog, and switching the window
// off while the core works.
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QProgressDialog>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include <algorithm>
#include <atomic>

#include "app/view_main.h"
#include "export/SelectChanel.h"
#include "export/archive_save.h"
#include "export/avi_export.h"
#include "export/print.h"
#include "export/snapshot.h"
#include "viewer/start_folder.h"
#include "platform/translate.h"

namespace quovil {

TMainForm::FileDialogHook TMainForm::fileDialogHook;
std::function<void(TChanelForm&)> TMainForm::cameraDialogHook;
std::function<void(QProgressDialog&)> TMainForm::progressHook;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

constexpr int kSavedMessageMs = 8000;

// Asks through the test hook when one is set, otherwise through a dialog
// that starts in the folder last used for the kind of file, else in the
// user's documents: never in the program's own folder.
std::optional<std::string> AskFile(QWidget* parent, TMainForm::FileQuestion q, const QString& defaultSuffix,
                                   bool confirmOverwrite) {
  q.folder = StartFolder(q.folder);
  if (TMainForm::fileDialogHook) return TMainForm::fileDialogHook(q);
  QFileDialog dialog(parent, Q(q.title), Q(q.folder), Q(q.filter));
  dialog.setAcceptMode(q.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(q.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (!defaultSuffix.isEmpty()) dialog.setDefaultSuffix(defaultSuffix);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !confirmOverwrite);
  if (!q.suggested.empty()) dialog.selectFile(Q(q.suggested));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first().toStdString();
}

// The folder of a chosen file, kept so that the dialog opens there next time.
std::string FolderOf(const std::string& file) {
  return QFileInfo(Q(file)).absolutePath().toStdString();
}

}  // namespace

std::optional<int> TMainForm::ChooseCamera(int preset) {
  TChanelForm form(this, preset);
  if (cameraDialogHook) QTimer::singleShot(0, &form, [&form] { cameraDialogHook(form); });
  if (form.exec() != QDialog::Accepted) return std::nullopt;
  return form.Chosen();
}

std::optional<std::string> TMainForm::ChooseSaveFile(const std::string& suggested) {
  FileQuestion q;
  q.save = true;
  q.suggested = suggested;
  std::optional<std::string> chosen;
  switch (saveKind_) {
    case SaveKind::Archive:
      q.title = Tr("MainWindow", "Введите название файла видеоархива");
      q.filter = "KORAX Image File (*.kif)";
      q.folder = Settings.LastSaveDir;
      chosen = AskFile(this, q, "kif", true);
      if (chosen) Settings.LastSaveDir = FolderOf(*chosen);
      break;
    case SaveKind::Avi:
      // Nothing remembers this folder between runs: it starts where an AVI
      // was last saved in this run.
      q.title = Tr("MainWindow", "Сохранение видео фрагмента");
      q.filter = Tr("MainWindow", "Файлы видео (*.avi)");
      q.folder = aviFolder_;
      chosen = AskFile(this, q, "avi", true);
      if (chosen) aviFolder_ = FolderOf(*chosen);
      break;
    case SaveKind::Bmp:
      q.title = Tr("MainWindow", "Введите название фото");
      q.filter = Tr("MainWindow", "Файлы фотографий (*.bmp)");
      q.folder = Settings.LastBMPDir;
      chosen = AskFile(this, q, {}, false);
      if (chosen) Settings.LastBMPDir = FolderOf(*chosen);
      break;
  }
  return chosen;
}

std::optional<std::string> TMainForm::ChooseOpenFile() {
  FileQuestion q;
  q.title = Tr("MainWindow", "Выберите файл видеоархива");
  q.filter = "KORAX Image File (*.kif)";
  q.folder = Settings.LastOpenDir;
  std::optional<std::string> chosen = AskFile(this, q, "kif", false);
  if (chosen) Settings.LastOpenDir = FolderOf(*chosen);
  return chosen;
}

std::optional<std::string> TMainForm::ChooseCardImage() {
  FileQuestion q;
  q.title = Tr("MainWindow", "Открыть образ карты");
  q.filter = Tr("MainWindow", "Образы карт памяти (*.img *.dd *.raw *.bin *.iso);;Все файлы (*)");
  q.folder = imageFolder_.empty() ? Settings.LastOpenDir : imageFolder_;
  std::optional<std::string> chosen = AskFile(this, q, {}, false);
  if (chosen) imageFolder_ = FolderOf(*chosen);
  return chosen;
}

void TMainForm::ShowProgress(const std::string& title, const std::string& text, int max) {
  HideProgress();
  progress_ = new QProgressDialog(Q(text), "Cancel", 0, max < 0 ? 0 : max, this);
  progress_->setWindowTitle(Q(title));
  progress_->setWindowModality(Qt::WindowModal);
  progress_->setAutoClose(false);
  progress_->setAutoReset(false);
  progress_->setMinimumDuration(0);
  progress_->setValue(0);
  progress_->show();
}

void TMainForm::SetProgress(int pos) {
  if (!progress_) return;
  // The core may count one past its estimate; the bar just stays full.
  progress_->setValue(std::min(pos, progress_->maximum()));
  if (progressHook) progressHook(*progress_);
}

bool TMainForm::ProgressCancelled() { return progress_ && progress_->wasCanceled(); }

namespace {

// What the worker and the window share: the steps done of how many, the
// user's Cancel and the end.
struct WorkerRun {
  std::atomic<int> step{0}, max{0};
  std::atomic<bool> cancel{false}, done{false};
};

class WorkerRunProgress : public WorkProgress {
 public:
  WorkerRunProgress(WorkerRun& run, std::stop_token stop) : run_(run), stop_(std::move(stop)) {}
  void Begin(const std::string&, const std::string&, int max) override {
    run_.step = 0;
    run_.max = max;
  }
  void Step(int pos) override { run_.step = pos; }
  bool Cancelled() override { return run_.cancel || stop_.stop_requested(); }
  void End() override {}

 private:
  WorkerRun& run_;
  std::stop_token stop_;
};

}  // namespace

void TMainForm::RunWithProgress(const std::string& title, const std::string& text,
                                const std::function<void(WorkProgress&)>& work) {
  DepthScope scope(depth_);
  EnableMainWindow(false);
  EnableCheckTimer(false);
  ShowProgress(title, text, 100);
  WorkerRun run;
  // A Cancel pressed as the dialog came up stops the work at its first look.
  SetProgress(0);
  if (ProgressCancelled()) run.cancel = true;
  // The worker is joined before this returns, so it may hold both by reference.
  viewer.StartSessionWorker([&run, &work](std::stop_token stop) {
    WorkerRunProgress progress(run, stop);
    work(progress);
    run.done = true;
  });
  QEventLoop wait;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &wait, [&] {
    const int max = run.max;
    SetProgress(max > 0 ? int(int64_t(run.step) * 100 / max) : 0);
    if (ProgressCancelled()) run.cancel = true;
    if (run.done) wait.quit();
  });
  poll.start(30);
  wait.exec();
  poll.stop();
  viewer.StopSessionWorkers();
  HideProgress();
  EnableCheckTimer(true);
  EnableMainWindow(true);
}

void TMainForm::HideProgress() {
  if (!progress_) return;
  progress_->hide();
  progress_->deleteLater();
  progress_ = nullptr;
}

void TMainForm::EnableMainWindow(bool enabled) {
  // Not the window itself: disabling it would disable its child progress
  // dialog too, and with it the Cancel button.
  for (QWidget* w : {static_cast<QWidget*>(TopToolBar), static_cast<QWidget*>(LeftToolBar), centralWidget()}) {
    if (w) w->setEnabled(enabled);
  }
}

void TMainForm::EnableCheckTimer(bool enabled) {
  if (!CheckTimer) return;
  if (enabled) {
    CheckTimer->start();
  } else {
    CheckTimer->stop();
  }
}

void TMainForm::ActionOpenFileExecute() {
  Call([this] { viewer.ActionOpenFileExecute(); });
}

void TMainForm::ActionOpenImageExecute() {
  Call([this] { viewer.ActionOpenImageExecute(); });
}

void TMainForm::ActionSaveFileExecute() {
  saveKind_ = SaveKind::Archive;
  Call([this] { ::quovil::ActionSaveFileExecute(viewer); });
}

void TMainForm::ActionSaveAVIExecute() {
  saveKind_ = SaveKind::Avi;
  Call([this] { ::quovil::ActionSaveAVIExecute(viewer); });
  saveKind_ = SaveKind::Archive;
}

void TMainForm::ActionSaveImageExecute() {
  saveKind_ = SaveKind::Bmp;
  SnapshotResult result;
  Call([&] { result = ::quovil::ActionSaveImageExecute(viewer); });
  saveKind_ = SaveKind::Archive;
  // A written picture is confirmed without a box to close.
  if (result.status == SnapshotResult::Status::Saved) ShowSaved(Format(Tr("MainWindow", "Фото сохранено: %s"), result.file.c_str()));
}

std::optional<std::string> TMainForm::AskMp4File(const FileQuestion& q) { return AskFile(this, q, "mp4", true); }
std::optional<std::string> TMainForm::AskImageFile(const FileQuestion& q) { return AskFile(this, q, "img", true); }
std::optional<std::string> TMainForm::AskCsvFile(const FileQuestion& q) { return AskFile(this, q, "csv", true); }
std::optional<std::string> TMainForm::AskPdfFile(const FileQuestion& q) { return AskFile(this, q, "pdf", true); }

void TMainForm::ShowSaved(const std::string& text) {
  statusBar()->showMessage(QString::fromStdString(text), kSavedMessageMs);
}

void TMainForm::ActionPrintExecute() {
  Call([this] { ::quovil::ActionPrintExecute(viewer, this); });
}

void TMainForm::ConnectExportActions() {
  connect(ActionOpenFile, &QAction::triggered, this, [this] { ActionOpenFileExecute(); });
  connect(ActionOpenImage, &QAction::triggered, this, [this] { ActionOpenImageExecute(); });
  connect(ActionSaveFile, &QAction::triggered, this, [this] { ActionSaveFileExecute(); });
  connect(ActionSaveAVI, &QAction::triggered, this, [this] { ActionSaveAVIExecute(); });
#ifdef QUOVIL_MP4
  connect(ActionSaveMP4, &QAction::triggered, this, [this] { ActionSaveMP4Execute(); });
#endif
  connect(ActionSaveImage, &QAction::triggered, this, [this] { ActionSaveImageExecute(); });
  connect(ActionPrint, &QAction::triggered, this, [this] { ActionPrintExecute(); });
}

}  // namespace quovil
