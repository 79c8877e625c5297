// The window's fragment report: "Отчёт о фрагменте (PDF)…" in the menu of
// the save button. The report is made on a worker that reads the open source
// (the telemetry index when it is not cached yet, the journal, a picture per
// minute and per event) while the window waits with the progress dialog.
#include <QAction>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

#include <atomic>
#include <memory>

#include "app/view_main.h"
#include "platform/translate.h"
#include "report/report_pdf.h"

namespace quovil {

namespace {

struct ReportRun {
  std::atomic<int> step{0}, max{0};
  std::atomic<bool> cancel{false}, done{false};
  ReportResult result;
};

class ReportProgress : public WorkProgress {
 public:
  ReportProgress(ReportRun& run, std::stop_token stop) : run_(run), stop_(std::move(stop)) {}
  void Begin(const std::string&, const std::string&, int max) override {
    run_.step = 0;
    run_.max = max;
  }
  void Step(int pos) override { run_.step = pos; }
  bool Cancelled() override { return run_.cancel || stop_.stop_requested(); }
  void End() override {}

 private:
  ReportRun& run_;
  std::stop_token stop_;
};

}  // namespace

QAction* TMainForm::CreateReportAction() {
  ActionSaveReport = new QAction(QString::fromUtf8(Tr("MainWindow", "Отчёт о фрагменте (PDF)…")), this);
  const QString hint = QString::fromUtf8(Tr("MainWindow", "Сохранить отчёт о выделенном фрагменте в PDF файл"));
  ActionSaveReport->setToolTip(hint);
  ActionSaveReport->setStatusTip(hint);
  connect(ActionSaveReport, &QAction::triggered, this, [this] { ActionSaveReportExecute(); });
  return ActionSaveReport;
}

void TMainForm::ActionSaveReportExecute() {
  if (depth_ > 0 || viewer.selection().Count() <= 0) return;
  Call([this] { viewer.StopBtnClick(); });
  const Viewer::Fragment fragment = viewer.MarkedFragment(-1);
  if (fragment.status != Viewer::Fragment::Status::Ok) {
    ShowMessageBox(fragment.Message(), MsgKind::Error, MsgButtons::Ok);
    return;
  }
  FileQuestion q;
  q.title = Tr("MainWindow", "Сохранить отчёт о фрагменте");
  q.filter = Tr("MainWindow", "Файлы PDF (*.pdf)");
  q.save = true;
  q.suggested = "report.pdf";
  q.folder = reportFolder_.empty() ? Settings.LastSaveDir : reportFolder_;
  std::optional<std::string> chosen;
  {
    DepthScope scope(depth_);
    chosen = AskPdfFile(q);
  }
  if (!chosen) return;
  reportFolder_ = QFileInfo(QString::fromStdString(*chosen)).absolutePath().toStdString();

  DepthScope scope(depth_);
  EnableMainWindow(false);
  EnableCheckTimer(false);
  ShowProgress(Tr("MainWindow", "Отчёт о фрагменте"), Tr("MainWindow", "Составление отчёта о фрагменте в PDF файл"), 100);
  auto run = std::make_shared<ReportRun>();
  ReportOptions options;
  options.cameras = viewer.cameraSettings();
  const Source* source = &viewer.source();
  // A Cancel pressed as the dialog came up stops the work at its first look.
  SetProgress(0);
  if (ProgressCancelled()) run->cancel = true;
  viewer.StartSessionWorker(
      [run, source, indices = fragment.indices, options, path = *chosen](std::stop_token stop) {
        ReportProgress progress(*run, stop);
        run->result = WriteFragmentReport(*source, indices, path, progress, options);
        run->done = true;
      });
  QEventLoop wait;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &wait, [&] {
    const int max = run->max;
    SetProgress(max > 0 ? int(int64_t(run->step) * 100 / max) : 0);
    if (ProgressCancelled()) run->cancel = true;
    if (run->done) wait.quit();
  });
  poll.start(30);
  wait.exec();
  poll.stop();
  viewer.StopSessionWorkers();
  HideProgress();
  EnableCheckTimer(true);
  EnableMainWindow(true);
  const ReportResult& r = run->result;
  switch (r.status) {
    case ReportResult::Status::Done:
      ShowSaved(Format(Tr("MainWindow", "Отчёт сохранён: %s (страниц: %d)"), chosen->c_str(), r.pages));
      break;
    case ReportResult::Status::Cancelled: break;
    default: ShowMessageBox(r.message, MsgKind::Error, MsgButtons::Ok);
  }
}

}  // namespace quovil
