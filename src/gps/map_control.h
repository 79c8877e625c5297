// Switching the map on and off: the map action, launching and stopping the map
// program, and opening COMM1 for the GPS output.
#pragma once

#include <functional>
#include <string>

namespace quovil {

class Viewer;
class MapProcess;

struct MapSettings {
  std::string GpsPortName = "GPS1";  // settings key GPS_PORT
  std::string MapProgramPath;        // settings key MAP_NAME
  std::string MapComPort;            // the map program's end, found by the setup check
};

class MapControl {
 public:
  // checkMapSetup: true when the port pair exists and a map program is chosen
  // (it may run the setup wizard first).
  MapControl(Viewer& viewer, MapProcess& process, MapSettings& settings, std::function<bool()> checkMapSetup)
      : v_(viewer), process_(process), s_(settings), checkMapSetup_(std::move(checkMapSetup)) {}

  void ActionMAPExecute();
  void StartMapProgram();
  void StopMapProgram();

 private:
  Viewer& v_;
  MapProcess& process_;
  MapSettings& s_;
  std::function<bool()> checkMapSetup_;
};

}  // namespace quovil
