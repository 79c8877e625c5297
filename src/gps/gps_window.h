// The map and GPS part of the main window: COMM1, the map program, the setup
// wizard, the map action and the route export menu.
#pragma once

#include <functional>
#include <memory>

#include "gps/map_control.h"
#include "gps/map_program.h"
#include "gps/serial_port_qt.h"
#include "gps/setup_form.h"

namespace quovil {

class TMainForm;

class GpsWindow {
 public:
  explicit GpsWindow(TMainForm& form);
  // Makes the setup wizard's port pair tool and port list instead of the
  // system's (tests give a stand-in).
  static std::function<std::unique_ptr<SetupPlatform>()> setupPlatformHook;
  ~GpsWindow();
  void ActionMAPExecute();
  // Run when the main window closes.
  void StopMapProgram();
  void SaveRouteGpx();

 private:
  bool CheckMapSetup();
  TMainForm& form_;
  MapSettings settings_;
  SerialPortQt port_;
  MapProgramQt program_;
  std::unique_ptr<SetupPlatform> platform_;
  std::unique_ptr<TSetupForm> wizard_;
  std::unique_ptr<MapControl> control_;
};

}  // namespace quovil
