// The main window: owns the one Viewer, turns window events into its calls,
// and repaints from its state. No viewer logic lives here.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QRect>
#include <QStringList>
#include <QSystemTrayIcon>

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "app/settings.h"
#include "export/mp4_export.h"
#include "gps/gps_window.h"
#include "platform/host.h"
#include "platform/sound.h"
#include "viewer/event_guard.h"
#include "viewer/viewer.h"

class QAction;
class QDialog;
class QProgressDialog;
class QLabel;
class QTimer;
class QToolBar;
class QKeyEvent;
class QWheelEvent;

namespace quovil {

class ImageBox;
class SettingsPanel;
class BottomPanel;
class TSelectForm;
class TJournalForm;
class GpsWindow;
class RouteDocks;
class HandOverEndpoint;
class TEventWaitThread;
class TChanelForm;

class TMainForm : public QMainWindow, public ViewerHost, private GpsWindowHost {
  Q_OBJECT

 public:
  // args: the program's arguments without the program name; a first argument
  // names an archive file to open. settingsPath empty: the usual place.
  explicit TMainForm(const QStringList& args, const std::string& settingsPath = {},
                     QWidget* parent = nullptr);
  ~TMainForm() override;

  Viewer viewer;

  // ---- ViewerHost ----
  MsgResult ShowMessageBox(const std::string& text, MsgKind kind, MsgButtons buttons) override;
  void Repaint(unsigned flags) override;
  void ProcessEvents() override;
  void TrayBalloon(const std::string& title, const std::string& text) override;
  void ShowFromTray() override;
  void HideToTray() override;

  // ---- export and archive commands (main_export.cpp) ----
  std::optional<int> ChooseCamera(int preset) override;
  std::optional<std::string> ChooseSaveFile(const std::string& suggested) override;
  std::optional<std::string> ChooseOpenFile() override;
  std::optional<std::string> ChooseCardImage() override;
  void ShowProgress(const std::string& title, const std::string& text, int max) override;
  // Long work on a session worker (MP4, card image, report): the progress
  // dialog with its Cancel, the window drawn but its commands and card watch
  // off until work returns. work reports through the progress it is given.
  void RunWithProgress(const std::string& title, const std::string& text,
                       const std::function<void(WorkProgress&)>& work);
  void SetProgress(int pos) override;
  bool ProgressCancelled() override;
  void HideProgress() override;
  void EnableMainWindow(bool enabled) override;
  void EnableCheckTimer(bool enabled) override;
  void ActionOpenFileExecute();
  void ActionOpenImageExecute();
  void ActionSaveFileExecute();
  void ActionSaveAVIExecute();
  // The MP4 export (main_mp4.cpp): cameras, file, then the worker.
  void ActionSaveMP4Execute();
  // Runs once the MP4 options are on screen (tests answer them).
  static std::function<void(QDialog&)> mp4DialogHook;
  void ActionSaveImageExecute();
  void ActionPrintExecute();
  // Evidence (main_evidence.cpp): the card image on a worker with the
  // progress dialog, the selection as CSV, and the switch of the exports'
  // checksums.
  void ActionSaveCardImageExecute();
  void ActionSaveListCsvExecute();
  void ActionChecksumsToggled(bool on);
  // The marked fragment's report as PDF (main_report.cpp), on a worker with
  // the progress dialog.
  void ActionSaveReportExecute();
  // What a file dialog would be asked: tests answer it instead of the user.
  struct FileQuestion {
    std::string title, filter, folder, suggested;
    bool save = false;
  };
  using FileDialogHook = std::function<std::optional<std::string>(const FileQuestion&)>;
  static FileDialogHook fileDialogHook;
  // Runs once the camera choice is on screen; it answers by pressing a button.
  static std::function<void(TChanelForm&)> cameraDialogHook;
  // Sees the progress dialog at every step (tests look at it or press Cancel).
  static std::function<void(QProgressDialog&)> progressHook;

  // Answers message boxes instead of the user (tests); also sees every text.
  using MessageHook = std::function<MsgResult(const std::string&, MsgKind, MsgButtons)>;
  static MessageHook messageHook;

  // ---- controls ----
  // Top tool bar.
  QAction* ActionOpenCARD = nullptr;
  QAction* ActionOpenFile = nullptr;
  QAction* ActionOpenImage = nullptr;  // "Открыть образ карты…"
  QAction* ActionSaveCardImage = nullptr;  // "Сохранить образ карты…", in the menu of the image button
  QAction* ActionSaveListCsv = nullptr;    // these two in the menu of the save button
  QAction* ActionChecksums = nullptr;
  QAction* ActionSaveReport = nullptr;  // "Отчёт о фрагменте (PDF)…", in the menu of the save button
  QAction* ActionSaveFile = nullptr;
  QAction* ActionSaveImage = nullptr;
  QAction* ActionSaveAVI = nullptr;
  QAction* ActionSaveMP4 = nullptr;  // in the menu of the AVI button
  QAction* ActionPrint = nullptr;
  QAction* ActionSelectStart = nullptr;
  QAction* ActionSelectEnd = nullptr;
  QAction* ActionSelectAll = nullptr;
  QAction* ActionDeleteAll = nullptr;
  QAction* CloseProgram = nullptr;
  // Left tool bar.
  QAction* ActionViewAll = nullptr;
  QAction* ViewAllSeparator = nullptr;
  QAction* ActionArhiv = nullptr;
  QAction* ActionTaget = nullptr;
  QAction* ActionHand = nullptr;
  QAction* ActionMotion = nullptr;
  QAction* ActionExternal = nullptr;
  QAction* ActionTimer = nullptr;
  QAction* ActionSound = nullptr;
  QAction* ActionMAP = nullptr;
  QAction* ActionOpenJournal = nullptr;
  // Not on a tool bar, but part of the radio group and the filter.
  QAction* ActionFoto = nullptr;
  QAction* ActionChannel1 = nullptr;
  QAction* ActionChannel2 = nullptr;
  QAction* ActionRefresh = nullptr;

  QToolBar* TopToolBar = nullptr;
  QToolBar* LeftToolBar = nullptr;
  ImageBox* Image = nullptr;
  SettingsPanel* JvPanel1 = nullptr;  // right, hidden at start
  BottomPanel* JvPanel2 = nullptr;    // playback, time scale, date
  QWidget* DatePanel = nullptr;
  TSelectForm* SelectForm = nullptr;
  std::array<QLabel*, 5> StatusPanels{};
  // The panel without a text of its own but while the pointer is over the
  // time scale.
  static constexpr size_t kFreeStatusPanel = 3;
  // The route and telemetry docks (children of the window).
  RouteDocks* routeDocks() const { return routeDocks_; }
  QTimer* CheckTimer = nullptr;
  QTimer* PlayTimer = nullptr;
  QTimer* MapTimer = nullptr;
  QSystemTrayIcon* TrayIcon = nullptr;
  // The journal window; its bounds go into the settings at close.
  QPointer<QWidget> JournalForm;

  // ---- handlers ----
  void FormCreate(const QStringList& args);
  void FormClose();
  void N1Click();
  void CloseProgramExecute() { close(); }
  void QUOVIL1Click() { close(); }
  void TrayIconClick(QSystemTrayIcon::ActivationReason reason);
  void DatePanelClick();
  // The three timers' handlers.
  void CheckTimerTimer() { Tick(&Viewer::CheckTimerTimer); }
  void PlayTimerTimer() { Tick(&Viewer::PlayTimerTimer); }
  void MapTimerTimer() { Tick(&Viewer::MapTimerTimer); }
  void ActionOpenJournalExecute();
  // Where the journal window opens the first time it is shown: its saved
  // bounds within the screen, else beside the main window.
  void PlaceJournal();
  static QRect JournalPlacement(const QRect& avail, const QRect& main, QSize size, QSize minimum,
                                const WindowBounds* saved);
  // A file named from outside (the command line, a later copy, a file
  // dropped on the window), opened as what it holds: an archive, a card
  // image viewed as the card, or a journal in the journal window.
  void OpenPath(const std::string& path);
  // One key of the window's preview; true when handled (then consumed).
  bool FormKeyDown(int key, Qt::KeyboardModifiers mods);
  // Left/Right, Home/End, Page Up/Down over the records; false when the key
  // is not one of them.
  bool NavigationKey(int key, Qt::KeyboardModifiers mods);

  // Whether the window is hidden away waiting for a card (in the tray, or
  // minimised to the task bar where there is no tray).
  bool HiddenToTray() const { return hiddenToTray_; }
  bool TrayAvailable() const;
  std::string LastBalloonText() const { return lastBalloon_; }
  // Shows the window as start-up leaves it: hidden away waiting for a card, or
  // in the state the settings file asks for.
  void StartShown(bool waitForCard);
  const std::string& SettingsPath() const { return settingsPath_; }
  // Whether start-up went as far as opening a source (sound was ready).
  bool StartedFully() const { return startedFully_; }
  // Sound could not be set up at all: the program ends right after start-up.
  bool EndAtStart() const { return endAtStart_; }

  // ---- single-instance hand-over (main_handover.cpp) ----
  // The endpoint this copy owns, set by the main routine before the window is
  // created; without one (tests, tools) no hand-over thread is started.
  static HandOverEndpoint* handOverEndpoint;
  void WMHandOver();
  // The next waiting message, or the empty text when none waits.
  std::string ReadHandOverMessage();
  void BringToFront();
  void StartHandOverThread();
  TEventWaitThread* EventWait = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void customEvent(QEvent* event) override;  // the hand-over event
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 signals:
  // FormClose has run: the program may end.
  void Closed();

 private:
  void CreateActions();
  void CreateToolBars();
  void CreateEvidenceActions();
  void AttachEvidenceMenus();
  QAction* CreateReportAction();
  void CreatePanels();
  void CreateStatusBar();
  void CreateTimers();
  void CreateTray();
  // The picture menu's language entry (main_language.cpp).
  void CreateLanguageMenu();
  void SyncActions();
  void SyncStatus();
  void SyncTimers();
  void SyncBars();
  void ApplySettings(const AppSettings& s);
  AppSettings CollectSettings() const;
  void PlaceWindow(const AppSettings& s);
  bool OwnsEventTarget(QObject* watched) const;
  // Timer handlers do not run inside another command (its message box lets
  // timer ticks through): the card could be closed under the command's feet.
  void Tick(void (Viewer::*handler)());
  void TakeHandOverMessages();

  std::string settingsPath_;
 public:
  // The settings as read at start; the window keeps the keys that other parts
  // own (dialog folders, port, map program) here until it writes them back.
  AppSettings Settings;

 private:
  std::unique_ptr<SoundSystem> sound_;
  // Counts a command or a dialog in depth_ while it runs, also when it is
  // left by an exception.
  struct DepthScope {
    explicit DepthScope(int& depth) : depth_(depth) { ++depth_; }
    ~DepthScope() { --depth_; }
    DepthScope(const DepthScope&) = delete;
    DepthScope& operator=(const DepthScope&) = delete;
    int& depth_;
  };
  // Runs a command of the viewer; a close asked for meanwhile (from a nested
  // event loop of a message box) waits until the command has finished. An
  // exception that leaves the command gives the source up (SourceFault).
  template <class F>
  void Call(F&& command) {
    TakePendingFault();
    bool finished = false;
    {
      DepthScope scope(depth_);
      finished = RunGuarded(command);
    }
    if (!finished) SourceFault();
    AfterCall();
  }
  void AfterCall();
  // A command or an event failed with an exception: the viewer's state can no
  // longer be trusted, so the source is closed and shown as not opened with
  // its header error text. Inside another command (below a message box) this
  // waits until that command has returned, so its data is not pulled away.
  void SourceFault();
  void TakePendingFault();
  void ShowSourceNotOpened();
  bool pendingFault_ = false;
  bool closed_ = false;
  bool hiddenToTray_ = false;
  bool restoreMaximized_ = false;
  bool startedFully_ = false;
  bool endAtStart_ = false;
  bool syncing_ = false;
  int depth_ = 0;
  bool pendingClose_ = false;
  std::string lastBalloon_;
  std::string imageFolder_;   // where the card image dialog opens next
  std::string aviFolder_;     // where the AVI dialog opens next
  std::string mp4Folder_;     // where the MP4 dialog opens next
  RouteDocks* routeDocks_ = nullptr;
  Mp4Options mp4Choice_;      // what the MP4 options dialog offers next
  std::optional<std::string> AskMp4File(const FileQuestion& q);
  // The save dialogs of the evidence commands (main_export.cpp's dialog).
  std::optional<std::string> AskImageFile(const FileQuestion& q);
  std::optional<std::string> AskCsvFile(const FileQuestion& q);
  std::optional<std::string> AskPdfFile(const FileQuestion& q);
  std::string reportFolder_;  // where the report dialog opens next
  // A written file confirmed in the status bar for a few seconds.
  void ShowSaved(const std::string& text);
  std::string startJournal_;  // a journal file named at start, for the journal window
  bool journalPlaced_ = false;
  std::unique_ptr<TJournalForm> journal_;
  std::unique_ptr<GpsWindow> gps_;  // map, GPS output port and route export

  // ---- GpsWindowHost ----
  QMainWindow& MainWindow() override { return *this; }
  Viewer& MapViewer() override { return viewer; }
  QAction& MapAction() override { return *ActionMAP; }
  QToolBar& MapToolBar() override { return *LeftToolBar; }
  void EnableCardWatch(bool enabled) override;
  MapSettings MapSettingsAtStart() const override;
  void MapProgramChosen(const std::string& path) override { Settings.MapProgramPath = path; }
  bool HasClosed() const override { return closed_; }
  // Which save dialog the core's next file question belongs to.
  enum class SaveKind { Archive, Avi, Bmp };
  SaveKind saveKind_ = SaveKind::Archive;
  QPointer<QProgressDialog> progress_;
  void ConnectExportActions();
};

}  // namespace quovil
