#include "gps/gps_window.h"
#include "viewer/start_folder.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QStatusBar>
#include <QMainWindow>
#include <QMenu>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "viewer/viewer.h"
#include "gps/gpx_route.h"
#ifdef _WIN32
#include "gps/win_setup_platform.h"
#else
#include "gps/virtual_pair.h"
#endif

namespace quovil {

std::function<std::unique_ptr<SetupPlatform>()> GpsWindow::setupPlatformHook;

GpsWindow::GpsWindow(GpsWindowHost& host)
    : host_(host), viewer_(host.MapViewer()), settings_(host.MapSettingsAtStart()) {
  QMainWindow& form = host.MainWindow();
#ifdef _WIN32
  // The installer and the pair tool run while the window stays responsive;
  // once the main window has closed nobody waits for them any more.
  platform_ = std::make_unique<WinSetupPlatform>([this] {
    QCoreApplication::processEvents();
    return !host_.HasClosed() && !QCoreApplication::closingDown();
  });
#else
  platform_ = std::make_unique<PtySetupPlatform>();
  // The pair is the viewer's own: it is there from the start under the viewer's port name.
  VirtualPair::Instance().Create(settings_.GpsPortName);
#endif
  if (setupPlatformHook) platform_ = setupPlatformHook();
  wizard_ = std::make_unique<TSetupForm>(
      &form,
      [this](bool open) {
        if (open) viewer_.StopBtnClick();
        // The wizard is a window of its own: disabling the whole main window would take it along.
        for (QWidget* w : host_.MainWindow().findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
          if (!w->isWindow()) w->setEnabled(!open);
        host_.EnableCardWatch(!open);
      },
      [this](const std::string& text, MsgKind kind) { return ShowMessage(text, kind); });
  control_ = std::make_unique<MapControl>(viewer_, program_, settings_, [this] { return CheckMapSetup(); });
  viewer_.COMM1 = &port_;
  viewer_.mapProcess = &program_;
  port_.SetPortName("\\\\.\\GPS1");

  QAction* map = &host.MapAction();
  QObject::connect(map, &QAction::triggered, &form, [this] { ActionMAPExecute(); });
  auto* menu = menu_ = new QMenu(&form);
  QAction* gpx = menu->addAction(QCoreApplication::translate("Gps", "Сохранить маршрут в GPX…"));
  QObject::connect(gpx, &QAction::triggered, &form, [this] { SaveRouteGpx(); });
  if (auto* button = qobject_cast<QToolButton*>(host.MapToolBar().widgetForAction(map))) {
    button->setMenu(menu);
    button->setPopupMode(QToolButton::MenuButtonPopup);
  }
}

GpsWindow::~GpsWindow() {
  viewer_.COMM1 = nullptr;
  viewer_.mapProcess = nullptr;
}

MsgResult GpsWindow::ShowMessage(const std::string& text, MsgKind kind) {
  return viewer_.host.ShowMessageBox(text, kind, MsgButtons::Ok);
}

bool GpsWindow::CheckMapSetup() {
  if (!platform_) return false;
  int launch = viewer_.gps().MapLaunchResult;
  const bool ok = quovil::CheckMapSetup(*platform_, *wizard_, settings_, launch);
  viewer_.SetMapLaunch(launch);
  host_.MapProgramChosen(settings_.MapProgramPath);
  return ok;
}

void GpsWindow::ActionMAPExecute() {
  control_->ActionMAPExecute();
  viewer_.host.Repaint(kRepaintActions | kRepaintTimers);
}

void GpsWindow::StopMapProgram() { control_->StopMapProgram(); }

void GpsWindow::SaveRouteGpx() {
  Viewer& v = viewer_;
  if (v.selection().Count() == 0) return;
  const Viewer::Fragment fragment = v.MarkedFragment(-1);
  if (fragment.status != Viewer::Fragment::Status::Ok) return;
  const QString path = gpxDialog ? gpxDialog() : QFileDialog::getSaveFileName(
      &host_.MainWindow(), QCoreApplication::translate("Gps", "Сохранить маршрут в GPX…"),
      QString::fromStdString(StartFolder(gpxFolder_)), QStringLiteral("GPX (*.gpx)"));
  if (path.isEmpty()) return;
  gpxFolder_ = QFileInfo(path).absolutePath().toStdString();
  std::string error;
  const auto points = RouteOfRecords(v.source(), fragment.indices);
  if (!WriteGpxFile(path.toStdString(), points, v.fragStart() + " - " + v.fragEnd(), error)) {
    ShowMessage(error, MsgKind::Error);
    return;
  }
  // Written: said in the status bar, with no box to close.
  host_.MainWindow().statusBar()->showMessage(
      QCoreApplication::translate("Gps", "Маршрут сохранен: %1 (точек: %2)").arg(path).arg(points.size()), 8000);
}

}  // namespace quovil
