#ifdef QUOVIL_DISK_SERVICE
#include "platform/dbus/udisks_drives.h"
#endif
#include "app/view_main.h"
#include "app/route_docks.h"

#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <utility>

#include "app/message_box.h"
#include "card/card_header.h"
#include "card/korax.h"
#include "gps/gps_window.h"
#include "journal/journal.h"
#include "platform/block_device.h"
#include "platform/checksum_file.h"
#include "viewer/SelectDay.h"
#include "viewer/bottom_panel.h"
#include "viewer/image_box.h"
#include "viewer/marks.h"
#include "viewer/settings_panel.h"
#include "platform/translate.h"

// Resources of a static library must be registered by name, outside any namespace.
static void InitAppResources() { Q_INIT_RESOURCE(quovil); }

namespace quovil {

TMainForm::MessageHook TMainForm::messageHook;

namespace {

constexpr int kDesignWidth = 682;
constexpr int kDesignHeight = 451;
constexpr std::array<int, 5> kStatusPanelWidths{100, 115, 150, 60, 200};
// What the picture area says of an archive file that could not be read.
constexpr const char* kArchiveReadFailedText = QUOVIL_TR_NOOP("MainWindow", "Ошибка чтения файла!");

// v kept within lo .. hi; lo wins when the range is empty (a window is never
// smaller than its minimum size, even on a smaller desktop).
int Within(int v, int lo, int hi) { return std::max(lo, std::min(v, hi)); }

std::string DefaultSettingsPath() {
  return SettingsFilePath(QCoreApplication::applicationFilePath().toStdString());
}

}  // namespace

TMainForm::TMainForm(const QStringList& args, const std::string& settingsPath, QWidget* parent)
    : QMainWindow(parent),
      viewer(*this),
      settingsPath_(settingsPath.empty() ? DefaultSettingsPath() : settingsPath) {
  InitAppResources();
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(QString::fromUtf8(kAppCaption));
  setWindowIcon(QIcon(QStringLiteral(":/icons/app.svg")));
  setAcceptDrops(true);
  CreateActions();
  CreateToolBars();
  CreatePanels();
  CreateLanguageMenu();
  CreateStatusBar();
  CreateTimers();
  CreateTray();
  qApp->installEventFilter(this);
  SetEventFaultHandler(this, [this] { SourceFault(); });
  // The panels' commands run as the window's own do.
  SetCommandRunner(this, [this](const std::function<void()>& command) { Call(command); });
  FormCreate(args);
  if (!endAtStart_) {
    // A window of its own beside the main window, created once and kept.
    journal_ = std::make_unique<TJournalForm>(viewer);
    JournalForm = journal_.get();
    gps_ = std::make_unique<GpsWindow>(static_cast<GpsWindowHost&>(*this));
    routeDocks_ = new RouteDocks(*this, viewer);
    routeDocks_->AddToMenu(gps_->Menu());
    routeDocks_->UseTiles(Settings.RouteTiles);
    if (!startJournal_.empty()) OpenPath(std::exchange(startJournal_, {}));
  }
}

TMainForm::~TMainForm() {
  ClearCommandRunner(this);
  ClearEventFaultHandler(this);
  qApp->removeEventFilter(this);
  FormClose();
  journal_.reset();
  // The panels hold the viewer by reference: they go before it does.
  delete takeCentralWidget();
  delete SelectForm;
}

void TMainForm::CreatePanels() {
  auto* client = new QWidget(this);
  auto* column = new QVBoxLayout(client);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  auto* row = new QHBoxLayout;
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);

  Image = new ImageBox(viewer, client);
  JvPanel1 = new SettingsPanel(viewer, client);
  JvPanel1->hide();
  JvPanel2 = new BottomPanel(viewer, client);
  DatePanel = JvPanel2->datePanel;
  DatePanel->setFocusPolicy(Qt::StrongFocus);
  SelectForm = new TSelectForm(this);

  row->addWidget(Image, 1);
  row->addWidget(JvPanel1, 0);
  column->addLayout(row, 1);
  column->addWidget(JvPanel2, 0);
  setCentralWidget(client);

  connect(Image, &ImageBox::N1Clicked, this, [this] { N1Click(); });
  connect(JvPanel2, &BottomPanel::DatePanelClick, this, [this] { DatePanelClick(); });
}

void TMainForm::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setSizeGripEnabled(true);
  // The panels' widths were made for a small status-bar font.
  QFont font = bar->font();
  font.setPixelSize(10);
  bar->setFont(font);
  for (size_t i = 0; i < StatusPanels.size(); ++i) {
    auto* panel = new QLabel(bar);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
    const bool last = i + 1 == StatusPanels.size();
    // The last panel reaches to the window's edge, as status bars do, so the
    // whole fragment fits when there is room.
    if (last) {
      panel->setMinimumWidth(kStatusPanelWidths[i]);
    } else {
      panel->setFixedWidth(kStatusPanelWidths[i]);
    }
    bar->addWidget(panel, last ? 1 : 0);
    StatusPanels[i] = panel;
  }
}

void TMainForm::CreateTimers() {
  const auto make = [this](int interval, void (TMainForm::*handler)()) {
    auto* t = new QTimer(this);
    t->setInterval(interval);
    connect(t, &QTimer::timeout, this, handler);
    return t;
  };
  CheckTimer = make(1000, &TMainForm::CheckTimerTimer);
  PlayTimer = make(100, &TMainForm::PlayTimerTimer);
  MapTimer = make(1000, &TMainForm::MapTimerTimer);
  PlayTimer->setTimerType(Qt::PreciseTimer);
}

void TMainForm::Tick(void (Viewer::*handler)()) {
  if (depth_ > 0 || closed_) return;
  Call([&] { (viewer.*handler)(); });
}

void TMainForm::AfterCall() {
  TakePendingFault();
  SyncTimers();
  SyncActions();
  if (depth_ == 0 && pendingClose_) {
    pendingClose_ = false;
    QTimer::singleShot(0, this, [this] { close(); });
  }
}

void TMainForm::SourceFault() {
  if (closed_) return;
  if (depth_ > 0) {
    pendingFault_ = true;
    return;
  }
  pendingFault_ = false;
  RunGuarded([this] { ShowSourceNotOpened(); });
}

void TMainForm::TakePendingFault() {
  if (pendingFault_ && depth_ == 0) SourceFault();
}

void TMainForm::ShowSourceNotOpened() {
  viewer.CloseSource(viewer.source().SourceIsCard ? Tr("Card", kBadHeaderText) : Tr("MainWindow", kArchiveReadFailedText));
  // Long work that was given up had switched the window and the card watch off.
  HideProgress();
  EnableMainWindow(true);
  EnableCheckTimer(true);
  viewer.UpdateStatusBar();
  Repaint(~0u);
}

// ---------------------------------------------------------------- start-up

void TMainForm::FormCreate(const QStringList& args) {
  setMinimumSize(kDesignWidth, kDesignHeight);

  Settings = LoadSettings(settingsPath_);
  ApplySettings(Settings);
  PlaceWindow(Settings);

#ifdef QUOVIL_DISK_SERVICE
  if (!viewer.drives) viewer.drives = DesktopDriveEnumerator();
#else
  if (!viewer.drives) viewer.drives = SystemDriveEnumerator();
#endif
  CheckTimer->start();

  sound_ = CreateSdlSoundSystem();
  viewer.soundSystem = sound_.get();
  Viewer::SoundInit sound = Viewer::SoundInit::EndProgram;
  Call([&] { sound = viewer.InitSound(); });
  if (sound == Viewer::SoundInit::EndProgram) {
    // The message has been shown; the program ends without touching the
    // settings file.
    endAtStart_ = true;
    closed_ = true;
    CheckTimer->stop();
    viewer.FreeSound();
    viewer.soundSystem = nullptr;
    sound_.reset();
    return;
  }
  if (sound == Viewer::SoundInit::Ok) {
    startedFully_ = true;
    Call([&] {
      const std::string path = args.isEmpty() ? std::string() : args.first().toStdString();
      const PathKind kind = path.empty() ? PathKind::Journal : KindOfPath(path);
      if (kind == PathKind::Archive) {
        viewer.OpenArchive(path);
      } else if (kind != PathKind::CardImage || !viewer.OpenCardImage(path)) {
        // The journal window opens once it exists, over the card mode.
        viewer.ActionOpenCARDExecute();
        if (kind == PathKind::Journal) startJournal_ = path;
      }
      viewer.UpdateStatusBar();
    });
  }
  Repaint(~0u);
  // Later copies are listened to only once a source could be opened.
  if (startedFully_) StartHandOverThread();
}

void TMainForm::ApplySettings(const AppSettings& s) {
  viewer.SetCameraSettings(s.Cameras);
  SetExportChecksums(s.Checksums);
  if (ActionChecksums) ActionChecksums->setChecked(s.Checksums);
  Repaint(kRepaintBars);
}

void TMainForm::PlaceWindow(const AppSettings& s) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  // The file may hold anything: the size stays between the window's minimum
  // and the whole available desktop (all screens together), the position
  // within reach of that desktop, so that no sum below can overflow.
  const QRect desk = screen ? screen->availableVirtualGeometry() : avail;
  const int w = Within(s.Width.value_or(kDesignWidth), minimumWidth(), desk.width());
  const int h = Within(s.Height.value_or(kDesignHeight), minimumHeight(), desk.height());
  QRect r(0, 0, w, h);
  r.moveCenter(avail.center());
  if (s.Left && s.Top) {
    const int left = std::clamp(*s.Left, desk.left() - w, desk.right() + 1);
    const int top = std::clamp(*s.Top, desk.top() - h, desk.bottom() + 1);
    const QRect wanted(left, top, w, h);
    // A window placed on a screen that is no longer there could not be reached.
    for (const QScreen* sc : QGuiApplication::screens()) {
      if (sc->availableGeometry().intersected(wanted).width() >= 50 &&
          sc->availableGeometry().intersected(wanted).height() >= 30) {
        r = wanted;
        break;
      }
    }
  }
  setGeometry(r);
  restoreMaximized_ = s.State.value_or(0) == 2;
}

void TMainForm::StartShown(bool waitForCard) {
  if (waitForCard) {
    HideToTray();
    return;
  }
  switch (Settings.State.value_or(0)) {
    case 1: showMinimized(); break;
    case 2: showMaximized(); break;
    default: show(); break;
  }
}

// ---------------------------------------------------------------- closing

void TMainForm::closeEvent(QCloseEvent* event) {
  if (depth_ > 0) {
    // A command is still running below a message box: close once it is done.
    pendingClose_ = true;
    event->ignore();
    return;
  }
  FormClose();
  event->accept();
}

void TMainForm::FormClose() {
  if (closed_) return;
  closed_ = true;
  CheckTimer->stop();
  viewer.StopBtnClick();
  PlayTimer->stop();
  viewer.CloseCard();
  viewer.CloseArchive();
  RunGuarded([this] { SaveSettings(settingsPath_, CollectSettings()); });
  viewer.FreeSound();
  viewer.soundSystem = nullptr;
  sound_.reset();
  if (gps_) gps_->StopMapProgram();
  MapTimer->stop();
  if (TrayIcon) TrayIcon->hide();
  if (JournalForm) JournalForm->hide();
  emit Closed();
}

void TMainForm::EnableCardWatch(bool enabled) {
  if (enabled) CheckTimer->start();
  else CheckTimer->stop();
}

MapSettings TMainForm::MapSettingsAtStart() const {
  MapSettings s;
  s.GpsPortName = Settings.GpsPortName;
  s.MapProgramPath = Settings.MapProgramPath;
  return s;
}

AppSettings TMainForm::CollectSettings() const {
  AppSettings s = Settings;
  int state = 0;
  if (hiddenToTray_) {
    state = restoreMaximized_ ? 2 : 0;
  } else if (isMaximized()) {
    state = 2;
  } else if (isMinimized()) {
    state = 1;
  }
  s.State = state;
  QRect r = (isMaximized() || isMinimized() || hiddenToTray_) ? normalGeometry() : geometry();
  if (!r.isValid()) r = geometry();
  s.Left = r.x();
  s.Top = r.y();
  s.Width = r.width();
  s.Height = r.height();
  if (JournalForm) {
    const QRect j = JournalForm->geometry();
    s.Journal = {j.x(), j.y(), j.width(), j.height()};
  }
  s.Cameras = viewer.cameraSettings();
  if (routeDocks_) s.RouteTiles = routeDocks_->tilesPath;
  return s;
}

// ---------------------------------------------------------------- host

MsgResult TMainForm::ShowMessageBox(const std::string& text, MsgKind kind, MsgButtons buttons) {
  DepthScope scope(depth_);
  if (messageHook) return messageHook(text, kind, buttons);
  return RunMessageBox(this, text, kind, buttons);
}

void TMainForm::Repaint(unsigned flags) {
  if (flags & kRepaintCaption) {
    setWindowTitle(QString::fromStdString(viewer.caption().empty() ? std::string(kAppCaption) : viewer.caption()));
  }
  if (flags & (kRepaintActions | kRepaintStatus)) SyncActions();
  if (flags & kRepaintStatus) SyncStatus();
  if (Image) Image->Refresh(flags);
  if (JvPanel1) JvPanel1->Refresh(flags);
  if (JvPanel2) JvPanel2->Refresh(flags);
  SyncTimers();
  if (routeDocks_ && !closed_) routeDocks_->Follow();
}

void TMainForm::ProcessEvents() { QCoreApplication::processEvents(); }

void TMainForm::SyncStatus() {
  for (size_t i = 0; i < StatusPanels.size(); ++i) {
    QString text = QString::fromStdString(viewer.statusPanels()[i]);
    // The free panel tells how far the day's telemetry has come.
    if (i == kFreeStatusPanel && text.isEmpty() && routeDocks_)
      text = QString::fromStdString(routeDocks_->ProgressText());
    if (StatusPanels[i]->text() != text) StatusPanels[i]->setText(text);
  }
}

void TMainForm::SyncTimers() {
  if (!PlayTimer || closed_) return;
  const auto follow = [](QTimer* t, bool enabled, int interval) {
    interval = std::max(1, interval);
    if (!enabled) {
      t->stop();
      return;
    }
    if (t->interval() != interval) t->setInterval(interval);
    if (!t->isActive()) t->start();
  };
  follow(PlayTimer, viewer.play().PlayTimerEnabled, viewer.play().PlayTimerInterval);
  follow(MapTimer, viewer.gps().MapTimerEnabled, 1000);
}

// ---------------------------------------------------------------- commands

void TMainForm::N1Click() {
  viewer.ToggleSettingsPanel();
  DatePanel->setFocus(Qt::OtherFocusReason);
  JvPanel1->setVisible(viewer.actions().N1);
  Image->Refresh(kRepaintActions);
}

void TMainForm::DatePanelClick() {
  std::optional<DateDialogData> data;
  Call([&] { data = quovil::DatePanelClick(viewer); });
  if (!data) return;
  SelectForm->ClearBoldDays();
  for (const auto& [yearMonth, days] : data->boldDays) {
    for (int d : days) SelectForm->AddBoldDay(yearMonth / 100, yearMonth % 100, d);
  }
  const auto date = [](const CalendarDate& c) { return QDate(c.year, c.month, c.day); };
  SelectForm->SetRange(date(data->earliest), date(data->latest));
  SelectForm->SetFirstShown(QDate::fromString(QString::fromStdString(data->shown), QStringLiteral("dd.MM.yyyy")));
  std::optional<QDate> chosen;
  {
    DepthScope scope(depth_);
    chosen = SelectForm->Choose(this);
  }
  if (chosen) Call([&] { CalendarSelect(viewer, chosen->day(), chosen->month(), chosen->year()); });
  AfterCall();
}

void TMainForm::OpenPath(const std::string& path) {
  if (closed_ || path.empty()) return;
  const PathKind kind = KindOfPath(path);
  if (kind == PathKind::Journal) {
    if (!journal_) return;
    ActionOpenJournalExecute();
    journal_->OpenFile(path);
    return;
  }
  Call([&] {
    viewer.StopBtnClick();
    if (kind == PathKind::CardImage) {
      viewer.OpenCardImage(path);
    } else {
      viewer.OpenArchive(path);
    }
  });
}

namespace {

// The one local file a drag carries; empty when it carries anything else.
QString DraggedFile(const QMimeData* data) {
  if (!data || !data->hasUrls() || data->urls().size() != 1) return {};
  const QUrl url = data->urls().first();
  if (!url.isLocalFile()) return {};
  const QFileInfo info(url.toLocalFile());
  return info.isFile() ? info.absoluteFilePath() : QString();
}

}  // namespace

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
  // Not while a command waits on a dialog: its source must stay.
  if (depth_ == 0 && !DraggedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event) {
  const QString file = DraggedFile(event->mimeData());
  if (depth_ > 0 || file.isEmpty()) return;
  event->acceptProposedAction();
  // Opened after the drop has been answered, so the dragging program is not
  // kept waiting on a message box.
  const std::string path = file.toStdString();
  QTimer::singleShot(0, this, [this, path] { OpenPath(path); });
}

QRect TMainForm::JournalPlacement(const QRect& avail, const QRect& main, QSize size, QSize minimum,
                                  const WindowBounds* saved) {
  if (saved) {
    // Where it was last closed, kept within the screen.
    const int w = Within(saved->Width, minimum.width(), avail.width());
    const int h = Within(saved->Height, minimum.height(), avail.height());
    const int x = std::clamp(saved->Left, avail.left(), avail.right() + 1 - w);
    const int y = std::clamp(saved->Top, avail.top(), avail.bottom() + 1 - h);
    return QRect(x, y, w, h);
  }
  // The first time: beside the main window, where the screen has room;
  // else at the screen's edge with more room, covering as little as it can.
  size = size.boundedTo(avail.size()).expandedTo(minimum);
  const QRect candidates[] = {
      QRect(QPoint(main.right() + 1, main.top()), size),
      QRect(QPoint(main.left() - size.width(), main.top()), size),
      QRect(QPoint(main.left(), main.bottom() + 1), size),
      QRect(QPoint(main.left(), main.top() - size.height()), size),
  };
  for (const QRect& r : candidates) {
    if (avail.contains(r)) return r;
  }
  const bool rightHasMore = avail.right() - main.right() >= main.left() - avail.left();
  QRect r(QPoint(0, std::clamp(main.top(), avail.top(), std::max(avail.top(), avail.bottom() + 1 - size.height()))),
          size);
  r.moveLeft(rightHasMore ? avail.right() + 1 - size.width() : avail.left());
  return r;
}

void TMainForm::PlaceJournal() {
  if (!JournalForm || journalPlaced_) return;
  journalPlaced_ = true;
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  const QSize minimum = JournalForm->minimumSizeHint().expandedTo(QSize(200, 150));
  JournalForm->setGeometry(JournalPlacement(avail, frameGeometry(), JournalForm->size(), minimum,
                                            Settings.JournalSaved ? &Settings.Journal : nullptr));
}

void TMainForm::ActionOpenJournalExecute() {
  if (!JournalForm) return;
  PlaceJournal();
  JournalForm->show();
  JournalForm->raise();
  JournalForm->activateWindow();
}

}  // namespace quovil
