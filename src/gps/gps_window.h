// The map and GPS part of the main window: COMM1, the map program, the setup
// wizard, the map action and the route export menu.
#pragma once

#include <QString>

#include <functional>
#include <memory>

#include "gps/map_control.h"
#include "gps/map_program.h"
#include "gps/serial_port_qt.h"
#include "gps/setup_form.h"

class QAction;
class QMenu;
class QMainWindow;
class QToolBar;

namespace quovil {

class Viewer;

// What the map part needs of the main window it lives in.
class GpsWindowHost {
 public:
  virtual ~GpsWindowHost() = default;
  // Parent of the wizard, the menu and the save dialog; its children are
  // switched off while the wizard runs.
  virtual QMainWindow& MainWindow() = 0;
  // The viewer state; its host shows the messages and repaints.
  virtual Viewer& MapViewer() = 0;
  virtual QAction& MapAction() = 0;
  virtual QToolBar& MapToolBar() = 0;  // the tool bar the map action sits on
  virtual void EnableCardWatch(bool enabled) = 0;
  // The port and map program the settings file named at the start.
  virtual MapSettings MapSettingsAtStart() const = 0;
  // The wizard chose a map program: the settings file keeps it.
  virtual void MapProgramChosen(const std::string& path) = 0;
  // The main window has closed (waits on outside programs stop then).
  virtual bool HasClosed() const = 0;
};

class GpsWindow {
 public:
  explicit GpsWindow(GpsWindowHost& host);
  // Makes the setup wizard's port pair tool and port list instead of the
  // system's (tests give a stand-in).
  static std::function<std::unique_ptr<SetupPlatform>()> setupPlatformHook;
  ~GpsWindow();
  void ActionMAPExecute();
  // Run when the main window closes.
  void StopMapProgram();
  void SaveRouteGpx();
  // The map button's menu (the route's docks and exports join it).
  QMenu& Menu() { return *menu_; }
  // Answers the GPX save dialog instead of the user (tests); empty: cancelled.
  std::function<QString()> gpxDialog;

 private:
  bool CheckMapSetup();
  MsgResult ShowMessage(const std::string& text, MsgKind kind);
  GpsWindowHost& host_;
  Viewer& viewer_;
  MapSettings settings_;
  SerialPortQt port_;
  MapProgramQt program_;
  std::unique_ptr<SetupPlatform> platform_;
  std::unique_ptr<TSetupForm> wizard_;
  std::unique_ptr<MapControl> control_;
  std::string gpxFolder_;  // where the GPX dialog opens next
  QMenu* menu_ = nullptr;
};

}  // namespace quovil
