// The journal window: the recorder's event journal as a list of date, time and
// event, read from the card or a journal file, saved to a file, and a jump of
// the main window to the frames of an event's time. Non-modal.
#pragma once

#include <QIcon>
#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "journal/journal_log.h"

class QAction;
class QLabel;
class QProgressDialog;
class QToolBar;
class QTreeWidget;

namespace quovil {

class Viewer;

class TJournalForm : public QMainWindow {
  Q_OBJECT

 public:
  explicit TJournalForm(Viewer& viewer, QWidget* parent = nullptr);
  ~TJournalForm() override;

  // The file dialogs; an empty name means the user cancelled. Replaceable so
  // the window can be driven without a user.
  std::function<std::string()> chooseOpenFile;
  std::function<std::string()> chooseSaveFile;
  std::function<std::string()> chooseCsvFile;  // the rows as CSV
  // The jump to an event's time; the main window's GoToJournalTime by default.
  std::function<void(const JournalTime&)> goToTime;

  Journal& journal() { return journal_; }

  // ---- controls ----
  QToolBar* ToolBar1 = nullptr;
  QAction* ToolButton1 = nullptr;  // "Считать журнал с карты памяти"
  QAction* ToolButton4 = nullptr;  // "Считать журнал из файла"
  QAction* ToolButton6 = nullptr;  // "Сохранить журнал в файле"
  QAction* ToolButton7 = nullptr;  // "Сохранить журнал в CSV файле"
  QTreeWidget* ListView = nullptr;
  std::array<QLabel*, 5> StatusPanels{};

  // ---- handlers ----
  void FormCreate();
  void ToolButton1Click();
  void ToolButton4Click();
  // Loads a journal file named from outside the window (the command line,
  // a file dropped on the main window); a failure is reported as the
  // window's own loading reports it.
  void OpenFile(const std::string& name);
  void ToolButton6Click();
  // The rows shown, as CSV; a failure is said in a message box.
  void ToolButton7Click();
  void ListViewDblClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class Progress;

  void CreateToolBar();
  void CreateList();
  void CreateStatusBar();
  void FitEventColumn();
  void PlacePanels();
  // Shows what the journal holds after a read or a load.
  void ShowResult();
  std::string RunFileDialog(bool save);

  Viewer& viewer_;
  Journal journal_;
  std::unique_ptr<Progress> progress_;
  std::array<QIcon, 13> eventIcons_;
  QWidget* panelStrip_ = nullptr;
  int dateWidth_ = 100;
  int timeWidth_ = 50;
  unsigned shownFill_ = 0;
  bool busy_ = false;  // a read is filling the list: the user interface may run meanwhile
  std::string folder_;  // where the file dialogs open next
};

}  // namespace quovil
