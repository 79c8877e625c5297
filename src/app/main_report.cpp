// The window's fragment report: "Отчёт о фрагменте (PDF)…" in the menu of
// the save button. The report is made on a worker that reads the open source
// (the telemetry index when it is not cached yet, the journal, a picture per
// minute and per event) while the window waits with the progress dialog.
#include <QAction>
#include <QFileInfo>


#include "app/view_main.h"
#include "platform/translate.h"
#include "report/report_pdf.h"

namespace quovil {

namespace {


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

  ReportOptions options;
  options.cameras = viewer.cameraSettings();
  const Source& source = viewer.source();
  ReportResult r;
  RunWithProgress(Tr("MainWindow", "Отчёт о фрагменте"), Tr("MainWindow", "Составление отчёта о фрагменте в PDF файл"),
                  [&](WorkProgress& progress) {
                    r = WriteFragmentReport(source, fragment.indices, *chosen, progress, options);
                  });
  switch (r.status) {
    case ReportResult::Status::Done:
      ShowSaved(Format(Tr("MainWindow", "Отчёт сохранён: %s (страниц: %d)"), chosen->c_str(), r.pages));
      break;
    case ReportResult::Status::Cancelled: break;
    default: ShowMessageBox(r.message, MsgKind::Error, MsgButtons::Ok);
  }
}

}  // namespace quovil
