#include "gps/gps_window.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMenu>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "app/view_main.h"
#include "gps/gpx_route.h"
#ifdef _WIN32
#include "gps/win_setup_platform.h"
#else
#include "gps/virtual_pair.h"
#endif

namespace quovil {

std::function<std::unique_ptr<SetupPlatform>()> GpsWindow::setupPlatformHook;

GpsWindow::GpsWindow(TMainForm& form) : form_(form) {
  settings_.GpsPortName = form.Settings.GpsPortName;
  settings_.MapProgramPath = form.Settings.MapProgramPath;
#ifdef _WIN32
  // The installer and the pair tool run while the window stays responsive;
  // once the main window has closed nobody waits for them any more.
  auto ending = std::make_shared<bool>(false);
  QObject::connect(&form, &TMainForm::Closed, &form, [ending] { *ending = true; });
  platform_ = std::make_unique<WinSetupPlatform>([ending] {
    QCoreApplication::processEvents();
    return !*ending && !QCoreApplication::closingDown();
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
        if (open) form_.viewer.StopBtnClick();
        // The wizard is a window of its own: disabling the whole main window would take it along.
        for (QWidget* w : form_.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
          if (!w->isWindow()) w->setEnabled(!open);
        if (open) form_.CheckTimer->stop();
        else form_.CheckTimer->start();
      },
      [this](const std::string& text, MsgKind kind) { return form_.ShowMessageBox(text, kind, MsgButtons::Ok); });
  control_ = std::make_unique<MapControl>(form.viewer, program_, settings_, [this] { return CheckMapSetup(); });
  form.viewer.COMM1 = &port_;
  form.viewer.mapProcess = &program_;
  port_.SetPortName("\\\\.\\GPS1");

  QObject::connect(form.ActionMAP, &QAction::triggered, &form, [this] { ActionMAPExecute(); });
  auto* menu = new QMenu(&form);
  QAction* gpx = menu->addAction(QString::fromUtf8("Сохранить маршрут в GPX…"));
  QObject::connect(gpx, &QAction::triggered, &form, [this] { SaveRouteGpx(); });
  if (auto* button = qobject_cast<QToolButton*>(form.LeftToolBar->widgetForAction(form.ActionMAP))) {
    button->setMenu(menu);
    button->setPopupMode(QToolButton::MenuButtonPopup);
  }
}

GpsWindow::~GpsWindow() {
  form_.viewer.COMM1 = nullptr;
  form_.viewer.mapProcess = nullptr;
}

bool GpsWindow::CheckMapSetup() {
  if (!platform_) return false;
  const bool ok = quovil::CheckMapSetup(*platform_, *wizard_, settings_, form_.viewer.gps.MapLaunchResult);
  form_.Settings.MapProgramPath = settings_.MapProgramPath;
  return ok;
}

void GpsWindow::ActionMAPExecute() {
  control_->ActionMAPExecute();
  form_.Repaint(kRepaintActions | kRepaintTimers);
}

void GpsWindow::StopMapProgram() { control_->StopMapProgram(); }

void GpsWindow::SaveRouteGpx() {
  Viewer& v = form_.viewer;
  int32_t first = 0, last = 0;
  if (v.SelCount == 0 || !v.FragmentRange(-1, first, last)) return;
  const QString path = QFileDialog::getSaveFileName(&form_, QString::fromUtf8("Сохранить маршрут в GPX…"), QString(),
                                                    QStringLiteral("GPX (*.gpx)"));
  if (path.isEmpty()) return;
  std::string error;
  const auto points = RouteOfPositions(v, first, last);
  if (!WriteGpxFile(path.toStdString(), points, v.FragStart + " - " + v.FragEnd, error))
    form_.ShowMessageBox(error, MsgKind::Error, MsgButtons::Ok);
}

}  // namespace quovil
