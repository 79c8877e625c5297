// The window's evidence commands: "Сохранить образ карты…" (the whole card
// read on a worker while the window waits with the progress dialog's
// Cancel), the selection as CSV, and the switch of the checksum files
// written beside every export.
#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>


#include "app/view_main.h"
#include "export/card_image.h"
#include "export/csv_listing.h"
#include "platform/checksum_file.h"
#include "platform/device_identity.h"
#include "platform/translate.h"

namespace quovil {

namespace {

QAction* NewAction(QObject* owner, const char* caption, const char* hint) {
  auto* a = new QAction(QString::fromUtf8(caption), owner);
  a->setToolTip(QString::fromUtf8(hint));
  a->setStatusTip(QString::fromUtf8(hint));
  return a;
}

// What the imaging worker and the window share.
// A button of the top bar that keeps its command and, held down, offers more.
void AddHeldMenu(QToolBar* bar, QAction* button, std::initializer_list<QAction*> entries, QWidget* owner) {
  auto* b = qobject_cast<QToolButton*>(bar->widgetForAction(button));
  if (!b) return;
  auto* menu = new QMenu(owner);
  for (QAction* a : entries) {
    if (a) menu->addAction(a);
    else menu->addSeparator();
  }
  b->setMenu(menu);
  b->setPopupMode(QToolButton::DelayedPopup);
}

}  // namespace

void TMainForm::CreateEvidenceActions() {
  ActionSaveCardImage = NewAction(this, Tr("MainWindow", "Сохранить образ карты…"), Tr("MainWindow", "Сохранить всю карту памяти в файл образа с контрольными суммами"));
  ActionSaveListCsv = NewAction(this, Tr("MainWindow", "Список записей в CSV…"), Tr("MainWindow", "Сохранить список показанных записей в CSV файл"));
  ActionChecksums = NewAction(this, Tr("MainWindow", "Контрольные суммы к файлам"),
                              Tr("MainWindow", "Записывать рядом с каждым сохранённым файлом его контрольную сумму SHA-256 (.sha256)"));
  ActionChecksums->setCheckable(true);
  ActionChecksums->setChecked(ExportChecksums());
  CreateReportAction();
  connect(ActionSaveCardImage, &QAction::triggered, this, [this] { ActionSaveCardImageExecute(); });
  connect(ActionSaveListCsv, &QAction::triggered, this, [this] { ActionSaveListCsvExecute(); });
  connect(ActionChecksums, &QAction::toggled, this, [this](bool on) { ActionChecksumsToggled(on); });
}

void TMainForm::AttachEvidenceMenus() {
  AddHeldMenu(TopToolBar, ActionOpenImage, {ActionOpenImage, ActionSaveCardImage}, this);
  AddHeldMenu(TopToolBar, ActionSaveFile,
              {ActionSaveFile, ActionSaveListCsv, ActionSaveReport, nullptr, ActionChecksums}, this);
}

void TMainForm::ActionChecksumsToggled(bool on) {
  Settings.Checksums = on;
  SetExportChecksums(on);
}

void TMainForm::ActionSaveCardImageExecute() {
  if (depth_ > 0) return;
  const Source& src = viewer.source();
  if (!src.SourceIsCard || !src.CardOpen || !src.Card) {
    ShowMessageBox(viewer.noSourceText(), MsgKind::Error, MsgButtons::Ok);
    return;
  }
  Call([this] { viewer.StopBtnClick(); });
  FileQuestion q;
  q.title = Tr("MainWindow", "Сохранить образ карты");
  q.filter = Tr("MainWindow", "Образы карт памяти (*.img);;Все файлы (*)");
  q.save = true;
  q.suggested = "card.img";
  q.folder = imageFolder_.empty() ? Settings.LastSaveDir : imageFolder_;
  std::optional<std::string> chosen;
  {
    DepthScope scope(depth_);
    chosen = AskImageFile(q);
  }
  if (!chosen) return;
  imageFolder_ = QFileInfo(QString::fromStdString(*chosen)).absolutePath().toStdString();

  // The worker reads the card while the window waits with Cancel at hand.
  BlockDevice* card = src.Card.get();
  const DeviceIdentity identity = DescribeDevice(card->Name());
  CardImageResult r;
  RunWithProgress(Tr("MainWindow", "Сохранение образа карты"), Tr("MainWindow", "Чтение всей карты памяти в файл образа"),
                  [&](WorkProgress& progress) { r = WriteCardImage(*card, *chosen, identity, progress); });
  switch (r.status) {
    case CardImageResult::Status::Done:
      ShowMessageBox(ImageDoneText(r), MsgKind::Information, MsgButtons::Ok);
      ShowSaved(Format(Tr("MainWindow", "Образ карты сохранён: %s"), chosen->c_str()));
      break;
    case CardImageResult::Status::Cancelled:
      ShowMessageBox(r.message, MsgKind::Information, MsgButtons::Ok);
      break;
    default:
      ShowMessageBox(r.message, MsgKind::Error, MsgButtons::Ok);
  }
}

void TMainForm::ActionSaveListCsvExecute() {
  if (depth_ > 0 || viewer.selection().Count() <= 0) return;
  FileQuestion q;
  q.title = Tr("MainWindow", "Сохранить список записей");
  q.filter = Tr("MainWindow", "Файлы CSV (*.csv)");
  q.save = true;
  q.suggested = "records.csv";
  q.folder = Settings.LastSaveDir;
  std::optional<std::string> chosen;
  {
    DepthScope scope(depth_);
    chosen = AskCsvFile(q);
  }
  if (!chosen) return;
  std::string error;
  if (!WriteCsvFile(*chosen, SelectionCsv(viewer), error)) {
    ShowMessageBox(error, MsgKind::Error, MsgButtons::Ok);
    return;
  }
  ShowSaved(Format(Tr("MainWindow", "Список записей сохранён: %s"), chosen->c_str()));
}

}  // namespace quovil
