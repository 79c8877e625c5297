#include "journal/journal.h"
#include "viewer/start_folder.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QList>
#include <QProgressDialog>
#include <QStyle>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>

#include <algorithm>

#include "journal/journal_csv.h"
#include "journal/journal_icons.h"
#include "viewer/viewer.h"
#include "platform/translate.h"

namespace quovil {

namespace {

constexpr int kDateWidth = 100;
constexpr int kTimeWidth = 50;
constexpr int kEventMinWidth = 100;
constexpr std::array<int, 5> kPanelWidths{120, 180, 150, 150, 50};
const char* const kFilter = QUOVIL_TR_NOOP("Journal", "Файл журнала (*.klf)");

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

}  // namespace

// The progress dialog of a fill. It is window-modal, so the journal window
// takes no clicks while the list fills; the main window keeps running.
class TJournalForm::Progress : public JournalProgress {
 public:
  explicit Progress(QWidget* owner) : owner_(owner) {}
  ~Progress() override { Close(); }

  void Open() override {
    Close();
    dialog_ = new QProgressDialog(owner_);
    dialog_->setWindowTitle(Tr("Journal", " Чтение журнала"));
    dialog_->setLabelText(Tr("Journal", "Идет чтение журнала ..."));
    dialog_->setCancelButton(nullptr);
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setMinimumDuration(0);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setRange(0, 0);
    dialog_->setValue(0);
    dialog_->show();
    QCoreApplication::processEvents();
  }
  void SetMaximum(int max) override {
    if (dialog_) dialog_->setRange(0, max);
  }
  void Advance(int done) override {
    if (dialog_) dialog_->setValue(done);
    QCoreApplication::processEvents();
  }
  void Close() override {
    delete dialog_;
    dialog_ = nullptr;
  }

 private:
  QWidget* owner_;
  QProgressDialog* dialog_ = nullptr;
};

TJournalForm::TJournalForm(Viewer& viewer, QWidget* parent)
    : QMainWindow(parent, Qt::Window), viewer_(viewer), progress_(std::make_unique<Progress>(this)) {
  setWindowTitle(Tr("Journal", "Журнал событий и ошибок"));
  setMinimumSize(300, 300);
  for (int i = 0; i < int(eventIcons_.size()); ++i) eventIcons_[size_t(i)] = JournalEventIcon(i);
  CreateToolBar();
  CreateList();
  CreateStatusBar();
  journal_.SetProgress(progress_.get());
  chooseOpenFile = [this] { return RunFileDialog(false); };
  chooseSaveFile = [this] { return RunFileDialog(true); };
  chooseCsvFile = [this] {
    QFileDialog dialog(this, QString(), QString::fromStdString(StartFolder(folder_)), Tr("Journal", "Файлы CSV (*.csv)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix("csv");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::string();
    folder_ = QFileInfo(dialog.selectedFiles().first()).absolutePath().toStdString();
    return dialog.selectedFiles().first().toStdString();
  };
  goToTime = [this](const JournalTime& t) { viewer_.GoToJournalTime(t.day, t.month, t.year, t.hour, t.minute); };
  FormCreate();
}

TJournalForm::~TJournalForm() { journal_.SetProgress(nullptr); }

void TJournalForm::CreateToolBar() {
  ToolBar1 = addToolBar("ToolBar1");
  ToolBar1->setMovable(false);
  ToolBar1->setIconSize(QSize(16, 16));
  ToolButton1 = ToolBar1->addAction(JournalToolIcon(JournalTool::ReadCard), Tr("Journal", "Считать журнал с карты памяти"));
  ToolBar1->addSeparator();
  ToolButton4 = ToolBar1->addAction(JournalToolIcon(JournalTool::OpenFile), Tr("Journal", "Считать журнал из файла"));
  ToolBar1->addSeparator();
  ToolButton6 = ToolBar1->addAction(JournalToolIcon(JournalTool::SaveFile), Tr("Journal", "Сохранить журнал в файле"));
  ToolButton7 = ToolBar1->addAction(JournalToolIcon(JournalTool::SaveFile), Tr("Journal", "Сохранить журнал в CSV файле"));
  for (QAction* a : {ToolButton1, ToolButton4, ToolButton6, ToolButton7}) a->setToolTip(a->text());
  connect(ToolButton7, &QAction::triggered, this, [this] { ToolButton7Click(); });
  connect(ToolButton1, &QAction::triggered, this, [this] { ToolButton1Click(); });
  connect(ToolButton4, &QAction::triggered, this, [this] { ToolButton4Click(); });
  connect(ToolButton6, &QAction::triggered, this, [this] { ToolButton6Click(); });
}

void TJournalForm::CreateList() {
  ListView = new QTreeWidget(this);
  ListView->setColumnCount(3);
  ListView->setHeaderLabels({Tr("Journal", "Дата"), Tr("Journal", "Время"), Tr("Journal", "Событие")});
  ListView->setRootIsDecorated(false);
  ListView->setUniformRowHeights(true);
  ListView->setItemsExpandable(false);
  ListView->setSelectionMode(QAbstractItemView::SingleSelection);
  ListView->setSelectionBehavior(QAbstractItemView::SelectRows);
  ListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ListView->setIconSize(QSize(16, 16));
  ListView->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

  // The columns have their classic widths unless the font needs more to show
  // a whole date or time: those are what the user reads.
  const QFontMetrics fm(ListView->font());
  const int padding = 2 * ListView->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, ListView) + 8;
  dateWidth_ = std::max(kDateWidth, 16 + 4 + fm.horizontalAdvance(" 00:00:0000") + padding);
  timeWidth_ = std::max(kTimeWidth, fm.horizontalAdvance("00:00") + padding);
  QHeaderView* header = ListView->header();
  header->setStretchLastSection(false);
  header->setSectionsMovable(false);
  header->setMinimumSectionSize(std::min(timeWidth_, kEventMinWidth));
  header->setSectionResizeMode(QHeaderView::Fixed);
  header->resizeSection(0, dateWidth_);
  header->resizeSection(1, timeWidth_);
  ListView->headerItem()->setTextAlignment(1, Qt::AlignCenter);
  ListView->viewport()->installEventFilter(this);
  FitEventColumn();

  connect(ListView, &QTreeWidget::itemDoubleClicked, this, [this] { ListViewDblClick(); });
  setCentralWidget(ListView);
}

// The panels keep their widths and are cut off at the window's edge, as a
// narrow window cuts them, instead of being squeezed over one another.
void TJournalForm::CreateStatusBar() {
  panelStrip_ = new QWidget(statusBar());
  panelStrip_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  int height = 0;
  for (size_t i = 0; i < StatusPanels.size(); ++i) {
    StatusPanels[i] = new QLabel(panelStrip_);
    StatusPanels[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    height = std::max(height, StatusPanels[i]->sizeHint().height());
  }
  panelStrip_->setMinimumHeight(height);
  panelStrip_->installEventFilter(this);
  statusBar()->addWidget(panelStrip_, 1);
}

void TJournalForm::PlacePanels() {
  int x = 0;
  for (size_t i = 0; i < StatusPanels.size(); ++i) {
    StatusPanels[i]->setGeometry(x, 0, kPanelWidths[i], panelStrip_->height());
    x += kPanelWidths[i] + 2;
  }
}

// The event column takes what the two fixed columns leave, but never less
// than its minimum (a horizontal scroll bar appears instead).
void TJournalForm::FitEventColumn() {
  const int rest = ListView->viewport()->width() - dateWidth_ - timeWidth_;
  ListView->header()->resizeSection(2, std::max(kEventMinWidth, rest));
}

bool TJournalForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Resize) {
    if (ListView && watched == ListView->viewport()) FitEventColumn();
    if (panelStrip_ && watched == panelStrip_) PlacePanels();
  }
  return QMainWindow::eventFilter(watched, event);
}

void TJournalForm::FormCreate() { journal_.ResetChangeState(); }

void TJournalForm::ShowResult() {
  for (size_t i = 0; i < StatusPanels.size(); ++i) StatusPanels[i]->setText(Q(journal_.StatusPanels[i]));
  if (journal_.FillCount == shownFill_) return;
  shownFill_ = journal_.FillCount;

  QList<QTreeWidgetItem*> items;
  items.reserve(qsizetype(journal_.Rows.size()));
  for (const EventRow& row : journal_.Rows) {
    auto* item = new QTreeWidgetItem({Q(row.date), Q(row.time), Q(row.text)});
    if (row.image >= 0 && row.image < int(eventIcons_.size())) item->setIcon(0, eventIcons_[size_t(row.image)]);
    item->setTextAlignment(1, Qt::AlignCenter);
    items.append(item);
  }
  ListView->setUpdatesEnabled(false);
  ListView->clear();
  ListView->addTopLevelItems(items);
  ListView->setUpdatesEnabled(true);
}

void TJournalForm::ToolButton1Click() {
  if (busy_) return;
  busy_ = true;
  journal_.ReadJournalFromCard(viewer_.source());
  busy_ = false;
  ShowResult();
}

void TJournalForm::ToolButton4Click() {
  if (busy_) return;
  const std::string name = chooseOpenFile();
  if (name.empty()) return;
  OpenFile(name);
}

void TJournalForm::OpenFile(const std::string& name) {
  if (busy_) return;
  busy_ = true;
  const bool ok = journal_.LoadJournalFile(name);
  busy_ = false;
  ShowResult();
  if (!ok) viewer_.ShowMessageBox(Tr("Journal", "Ошибка открытия файла!"), MsgKind::Error, MsgButtons::Ok);
}

void TJournalForm::ToolButton6Click() {
  if (busy_) return;
  const std::string name = chooseSaveFile();
  if (name.empty()) return;
  journal_.SaveJournalFile(name);
}

void TJournalForm::ToolButton7Click() {
  if (busy_ || journal_.Rows.empty()) return;
  const std::string name = chooseCsvFile();
  if (name.empty()) return;
  std::string error;
  if (!SaveJournalCsv(name, journal_.Rows, &error)) viewer_.ShowMessageBox(error, MsgKind::Error, MsgButtons::Ok);
}

void TJournalForm::ListViewDblClick() {
  const QList<QTreeWidgetItem*> selected = ListView->selectedItems();
  if (selected.isEmpty()) return;
  const QTreeWidgetItem* item = selected.first();
  JournalTime t;
  if (!ParseRowTime(item->text(0).toStdString(), item->text(1).toStdString(), t)) return;
  if (goToTime) goToTime(t);
}

std::string TJournalForm::RunFileDialog(bool save) {
  QFileDialog dialog(this);
  dialog.setNameFilter(Tr("Journal", kFilter));
  dialog.setDirectory(QString::fromStdString(StartFolder(folder_)));
  if (save) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // A name typed without an extension still becomes a journal file.
    dialog.setDefaultSuffix("klf");
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  folder_ = QFileInfo(dialog.selectedFiles().first()).absolutePath().toStdString();
  return dialog.selectedFiles().first().toStdString();
}

}  // namespace quovil
