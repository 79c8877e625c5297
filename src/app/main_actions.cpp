// The main window's actions and its two tool bars, and the check marks and
// visibility they take from the viewer after every change.
#include <QAction>
#include <QFont>
#include <QIcon>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>
#include <QWidget>

#include "app/view_main.h"
#include "viewer/settings_panel.h"
#include "platform/translate.h"
#include <QCoreApplication>

namespace quovil {
namespace {

QAction* MakeAction(QObject* owner, const char* caption, const char* hint, const char* icon,
                    bool checkable = false) {
  auto* a = new QAction(QString::fromUtf8(caption), owner);
  const QString tip = QString::fromUtf8(hint);
  a->setToolTip(tip);
  a->setStatusTip(tip);
  if (icon) a->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(icon))));
  a->setCheckable(checkable);
  return a;
}

void SetChecked(QAction* a, bool on) {
  if (a->isChecked() != on) a->setChecked(on);
}

void SetVisible(QAction* a, bool on) {
  if (a->isVisible() != on) a->setVisible(on);
}

}  // namespace

void TMainForm::CreateActions() {
  // Top tool bar.
  ActionOpenCARD = MakeAction(this, Tr("MainWindow", "Карта SD"), Tr("MainWindow", "Просмотр карты памяти"), "card", true);
  ActionOpenFile = MakeAction(this, Tr("MainWindow", "Файл"), Tr("MainWindow", "Просмотр из файла"), "file_open", true);
  ActionOpenImage = MakeAction(this, Tr("MainWindow", "Открыть образ карты…"), Tr("MainWindow", "Просмотр образа карты памяти из файла"), "card_image", true);
  // The tool bar's caption is short, so that the bar fits the smallest window.
  ActionOpenImage->setIconText(QCoreApplication::translate("MainWindow", "Образ"));
  ActionSaveFile = MakeAction(this, Tr("MainWindow", "На диск"), Tr("MainWindow", "Сохранить выделенный фрагмент на диске"), "save_disk");
  ActionSaveImage = MakeAction(this, "BMP", Tr("MainWindow", "Сохранить фотографию с активной камеры в BMP файл"), "bmp");
  ActionSaveAVI = MakeAction(this, "AVI", Tr("MainWindow", "Сохранить фрагмент с активной камеры в AVI файл"), "avi");
#ifdef QUOVIL_MP4
  ActionSaveMP4 = MakeAction(this, "MP4…", Tr("MainWindow", "Сохранить фрагмент одной или обеих камер в MP4 файл (H.264)"), "avi");
#endif
  ActionPrint = MakeAction(this, Tr("MainWindow", "Печать"), Tr("MainWindow", "Распечатать фотографию"), "print");
  ActionSelectStart = MakeAction(this, Tr("MainWindow", "Начало"), Tr("MainWindow", "Отметить начало фрагмента для сохранения"), "frag_start");
  ActionSelectEnd = MakeAction(this, Tr("MainWindow", "Конец"), Tr("MainWindow", "Отметить окончание фрагмента для сохранения"), "frag_end");
  ActionSelectAll = MakeAction(this, Tr("MainWindow", "Все"), Tr("MainWindow", "Выбрать все записи"), "select_all");
  ActionDeleteAll = MakeAction(this, Tr("MainWindow", "Очистить карту"), Tr("MainWindow", "Удалить все записи с карты памяти"), "clear_card");
  CloseProgram = MakeAction(this, Tr("MainWindow", "Закрыть программу"), Tr("MainWindow", "Закрыть программу"), "close");

  // Left tool bar.
  ActionViewAll = MakeAction(this, Tr("MainWindow", "Смотреть все записи"), Tr("MainWindow", "Смотреть все записи"), "view_all");
  ActionArhiv = MakeAction(this, Tr("MainWindow", "Смотреть архив"), Tr("MainWindow", "Смотреть архив"), "archive", true);
  ActionTaget = MakeAction(this, Tr("MainWindow", "Смотреть только отмеченные"), Tr("MainWindow", "Смотреть только отмеченные"), "marked", true);
  ActionHand = MakeAction(this, Tr("MainWindow", "Ручная запись"), Tr("MainWindow", "ФИЛЬТР: Ручная запись"), "hand", true);
  ActionMotion = MakeAction(this, Tr("MainWindow", "Запись по движению"), Tr("MainWindow", "ФИЛЬТР: Запись по движению"), "motion", true);
  ActionExternal =
      MakeAction(this, Tr("MainWindow", "Запись от внешнего датчика"), Tr("MainWindow", "ФИЛЬТР: Запись от внешнего датчика"), "external", true);
  ActionTimer = MakeAction(this, Tr("MainWindow", "Запись по таймеру"), Tr("MainWindow", "ФИЛЬТР: Запись по таймеру"), "timer", true);
  ActionSound = MakeAction(this, Tr("MainWindow", "Запись по звуку"), Tr("MainWindow", "ФИЛЬТР: Запись по звуку"), "sound", true);
  ActionMAP = MakeAction(this, Tr("MainWindow", "Карта"), Tr("MainWindow", "Отображать карту"), "map", true);
  ActionOpenJournal = MakeAction(this, Tr("MainWindow", "Журнал"), Tr("MainWindow", "Журнал КОРАКСа"), "journal");

  // The radio group and the rebuild, reachable from the viewer's state only.
  ActionFoto = MakeAction(this, Tr("MainWindow", "Смотреть основные фотографии"), Tr("MainWindow", "Смотреть основные фотографии"), nullptr, true);
  ActionChannel1 = MakeAction(this, Tr("MainWindow", "Камера 1"), Tr("MainWindow", "Камера 1"), "camera1", true);
  ActionChannel2 = MakeAction(this, Tr("MainWindow", "Камера 2"), Tr("MainWindow", "Камера 2"), "camera2", true);
  ActionRefresh =
      MakeAction(this, Tr("MainWindow", "Применить фильтр по типу записи"), Tr("MainWindow", "Применить фильтр по типу записи"), nullptr, true);

  const auto on = [this](QAction* a, auto&& command) {
    connect(a, &QAction::triggered, this, [this, command] { Call(command); });
  };
  on(ActionOpenCARD, [this] { viewer.ActionOpenCARDExecute(); });
  on(ActionSelectStart, [this] { viewer.ActionSelectStartExecute(); });
  on(ActionSelectEnd, [this] { viewer.ActionSelectEndExecute(); });
  on(ActionSelectAll, [this] { viewer.ActionSelectAllExecute(); });
  on(ActionDeleteAll, [this] { viewer.ActionDeleteAllExecute(); });
  on(ActionViewAll, [this] { viewer.ActionViewAllExecute(); });
  on(ActionFoto, [this] { viewer.ActionFotoExecute(); });
  on(ActionChannel1, [this] { viewer.ActionChannel1Execute(); });
  on(ActionChannel2, [this] { viewer.ActionChannel2Execute(); });
  on(ActionRefresh, [this] { viewer.ActionRefreshExecute(); });
  const std::pair<QAction*, Viewer::Filter> filters[] = {
      {ActionArhiv, Viewer::Filter::Arhiv}, {ActionTaget, Viewer::Filter::Taget},
      {ActionHand, Viewer::Filter::Hand},   {ActionMotion, Viewer::Filter::Motion},
      {ActionExternal, Viewer::Filter::External}, {ActionTimer, Viewer::Filter::Timer},
      {ActionSound, Viewer::Filter::Sound}};
  for (const auto& [action, which] : filters) {
    on(action, [this, which = which] { viewer.ActionFiltrChange(which); });
  }
  // The map command itself is connected by the GPS window; this only keeps
  // the check mark honest (also when the window ends at start, without one).
  on(ActionMAP, [] {});
  ConnectExportActions();
  CreateEvidenceActions();
  connect(ActionOpenJournal, &QAction::triggered, this, [this] { ActionOpenJournalExecute(); });
  connect(CloseProgram, &QAction::triggered, this, [this] { CloseProgramExecute(); });
  addAction(CloseProgram);
}

void TMainForm::CreateToolBars() {
  TopToolBar = new QToolBar(QStringLiteral("ToolBar1"), this);
  TopToolBar->setObjectName(QStringLiteral("ToolBar1"));
  TopToolBar->setMovable(false);
  TopToolBar->setFloatable(false);
  TopToolBar->setIconSize(QSize(24, 24));
  TopToolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  QFont captions = TopToolBar->font();
  captions.setPixelSize(11);
  TopToolBar->setFont(captions);
  TopToolBar->addAction(ActionOpenCARD);
  TopToolBar->addAction(ActionOpenFile);
  TopToolBar->addAction(ActionOpenImage);
  TopToolBar->addAction(ActionSaveFile);
  TopToolBar->addSeparator();
  TopToolBar->addAction(ActionSaveImage);
  TopToolBar->addAction(ActionSaveAVI);
  if (ActionSaveMP4) {
    // The AVI button keeps its command; held down, it offers the MP4 export
    // too. No arrow beside it: the bar must still fit the smallest window.
    auto* formats = new QMenu(this);
    formats->addAction(ActionSaveAVI);
    formats->addAction(ActionSaveMP4);
    if (auto* b = qobject_cast<QToolButton*>(TopToolBar->widgetForAction(ActionSaveAVI))) {
      b->setMenu(formats);
      b->setPopupMode(QToolButton::DelayedPopup);
    }
  }
  AttachEvidenceMenus();
  TopToolBar->addSeparator();
  TopToolBar->addAction(ActionPrint);
  TopToolBar->addSeparator();
  TopToolBar->addAction(ActionSelectStart);
  TopToolBar->addAction(ActionSelectEnd);
  TopToolBar->addAction(ActionSelectAll);
  TopToolBar->addSeparator();
  TopToolBar->addAction(ActionDeleteAll);
  // The program's own close command, kept apart at the far end.
  auto* spacer = new QWidget(TopToolBar);
  spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  TopToolBar->addWidget(spacer);
  TopToolBar->addAction(CloseProgram);
  // Icon only, so the whole bar fits the window's smallest width.
  if (auto* b = qobject_cast<QToolButton*>(TopToolBar->widgetForAction(CloseProgram))) {
    b->setToolButtonStyle(Qt::ToolButtonIconOnly);
  }
  addToolBar(Qt::TopToolBarArea, TopToolBar);

  LeftToolBar = new QToolBar(QStringLiteral("ToolBar2"), this);
  LeftToolBar->setObjectName(QStringLiteral("ToolBar2"));
  LeftToolBar->setOrientation(Qt::Vertical);
  LeftToolBar->setMovable(false);
  LeftToolBar->setFloatable(false);
  LeftToolBar->setIconSize(QSize(24, 24));
  LeftToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
  LeftToolBar->addAction(ActionViewAll);
  ViewAllSeparator = LeftToolBar->addSeparator();
  LeftToolBar->addAction(ActionArhiv);
  LeftToolBar->addAction(ActionTaget);
  LeftToolBar->addAction(ActionHand);
  LeftToolBar->addAction(ActionMotion);
  LeftToolBar->addAction(ActionExternal);
  LeftToolBar->addAction(ActionTimer);
  LeftToolBar->addAction(ActionSound);
  LeftToolBar->addSeparator();
  LeftToolBar->addAction(ActionMAP);
  LeftToolBar->addSeparator();
  LeftToolBar->addAction(ActionOpenJournal);
  // Which camera is the active one, and a click makes the other one active.
  LeftToolBar->addSeparator();
  LeftToolBar->addAction(ActionChannel1);
  LeftToolBar->addAction(ActionChannel2);
  // A checked filter or camera must be plain to see: a tinted face with a
  // strong frame, where the style's own sunken look is barely there.
  LeftToolBar->setStyleSheet(QStringLiteral(
      "QToolButton { border: 1px solid transparent; border-radius: 3px; padding: 0px; }"
      "QToolButton:hover { border-color: #8fb3dc; }"
      "QToolButton:checked { background: #cfe0f5; border: 1px solid #2b6cb0; }"
      "QToolButton:checked:hover { background: #bcd4f0; }"));
  addToolBar(Qt::LeftToolBarArea, LeftToolBar);
  SyncActions();
}

void TMainForm::SyncActions() {
  if (!ActionOpenCARD) return;
  const ActionState& a = viewer.actions();
  SetChecked(ActionOpenCARD, a.OpenCARD);
  SetChecked(ActionOpenFile, a.OpenFile);
  SetChecked(ActionOpenImage, a.OpenImage);
  SetChecked(ActionHand, a.Hand);
  SetChecked(ActionExternal, a.External);
  SetChecked(ActionMotion, a.Motion);
  SetChecked(ActionTimer, a.Timer);
  SetChecked(ActionSound, a.Sound);
  SetChecked(ActionTaget, a.Taget);
  SetChecked(ActionArhiv, a.Arhiv);
  SetChecked(ActionFoto, a.Foto);
  SetChecked(ActionChannel1, a.Channel1);
  SetChecked(ActionChannel2, a.Channel2);
  SetChecked(ActionRefresh, a.Refresh);
  SetChecked(ActionMAP, a.MAP);
  SetVisible(ActionSound, a.SoundVisible);
  SetVisible(ActionTaget, a.TagetVisible);
  SetVisible(ActionArhiv, a.ArhivVisible);
  SetVisible(ViewAllSeparator, a.ViewAllSeparatorVisible);
  SetVisible(ActionDeleteAll, a.DeleteAllVisible);
  if (JvPanel1 && JvPanel1->isVisibleTo(this) != a.N1) JvPanel1->setVisible(a.N1);
}

}  // namespace quovil
