// The tray icon and the window's going to and coming back from the tray.
#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QMenu>
#include <QTimer>
#include <QWindowStateChangeEvent>

#include "app/view_main.h"
#include "card/korax.h"
#include <QCoreApplication>

namespace quovil {

void TMainForm::CreateTray() {
  TrayIcon = new QSystemTrayIcon(QIcon(QStringLiteral(":/icons/app.svg")), this);
  TrayIcon->setToolTip(QStringLiteral("KORAX CARD VIEWER"));
  auto* menu = new QMenu(this);
  QAction* quit = menu->addAction(QCoreApplication::translate("MainWindow", "Закрыть KORAX CARD VIEWER"));
  connect(quit, &QAction::triggered, this, [this] { QUOVIL1Click(); });
  TrayIcon->setContextMenu(menu);
  connect(TrayIcon, &QSystemTrayIcon::activated, this, &TMainForm::TrayIconClick);
  if (TrayAvailable()) TrayIcon->show();
}

bool TMainForm::TrayAvailable() const { return QSystemTrayIcon::isSystemTrayAvailable(); }

void TMainForm::TrayIconClick(QSystemTrayIcon::ActivationReason reason) {
  if (reason == QSystemTrayIcon::Trigger) ShowFromTray();
}

void TMainForm::TrayBalloon(const std::string& title, const std::string& text) {
  lastBalloon_ = text;
  if (TrayIcon && TrayIcon->isVisible() && QSystemTrayIcon::supportsMessages()) {
    TrayIcon->showMessage(QString::fromStdString(title), QString::fromStdString(text),
                          QSystemTrayIcon::Information, 5000);
  }
}

void TMainForm::HideToTray() {
  if (isVisible() && !isMinimized()) restoreMaximized_ = isMaximized();
  hiddenToTray_ = true;
  // Without a tray a hidden window could never be brought back by the user:
  // it waits in the task bar instead.
  if (TrayAvailable()) {
    hide();
  } else {
    showMinimized();
  }
}

void TMainForm::ShowFromTray() {
  hiddenToTray_ = false;
  if (restoreMaximized_) {
    showMaximized();
  } else {
    showNormal();
  }
  // An open journal window stays above: a card found while the user reads
  // the journal must not cover it.
  if (JournalForm && JournalForm->isVisible()) {
    JournalForm->raise();
    return;
  }
  raise();
  activateWindow();
}

void TMainForm::changeEvent(QEvent* event) {
  if (event->type() == QEvent::WindowStateChange) {
    const auto* e = static_cast<QWindowStateChangeEvent*>(event);
    if (isMinimized() && !hiddenToTray_ && TrayAvailable()) {
      // Minimising sends the window to the tray; a click there brings it back.
      restoreMaximized_ = e->oldState() & Qt::WindowMaximized;
      hiddenToTray_ = true;
      QTimer::singleShot(0, this, [this] {
        if (hiddenToTray_) hide();
      });
    } else if (!isMinimized() && isVisible()) {
      hiddenToTray_ = false;
    }
  }
  QMainWindow::changeEvent(event);
}

}  // namespace quovil
