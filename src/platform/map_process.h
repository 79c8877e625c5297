// The platform side of the map program: launching it by path with its process
// watched, and closing SAS.Planet's window. The viewer's GPS output watches
// it; the GPS layer implements it.
#pragma once

#include <string>

namespace quovil {

class MapProcess {
 public:
  virtual ~MapProcess() = default;
  // Starts the program; false when it could not be started.
  virtual bool Launch(const std::string& path) = 0;
  // The launched program is still active. An error counts as running.
  virtual bool Running() = 0;
  // Waits at most ms for the launched program to end.
  virtual void WaitForEnd(int ms) = 0;
  // Forgets the launched program (its handle); the program itself goes on.
  virtual void Release() = 0;
  // Finds SAS.Planet's main window (class "TApplication", title "SAS.Планета")
  // and sends it the close command; false when there is none.
  virtual bool CloseMapWindow() = 0;
};

}  // namespace quovil
