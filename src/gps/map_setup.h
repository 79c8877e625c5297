// The check that the virtual port pair and the map program are in place, and
// the setup wizard's steps, over a platform layer and a wizard window that
// tests can replace.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "gps/map_control.h"
#include "platform/host.h"

namespace quovil {

// The port pair tool and the system's serial ports.
class SetupPlatform {
 public:
  virtual ~SetupPlatform() = default;
  // Full path of the pair setup tool, or "" when it is not installed.
  virtual std::string FindSetupc() = 0;
  // The system's serial port list holds name (case-sensitive).
  virtual bool PortExists(const std::string& name) = 0;
  // Runs program hidden and loads its standard output as lines; false only
  // when it did not start.
  virtual bool RunAndCapture(const std::string& program, const std::string& params,
                             std::vector<std::string>& lines) = 0;
  // Runs program and waits for it, keeping the window responsive; above 64
  // means the run succeeded.
  virtual int RunAndWait(const std::string& program, const std::string& params) = 0;
  virtual bool FileExists(const std::string& path) = 0;
  // The driver installer beside the program.
  virtual std::string InstallerPath() = 0;
  // A name the map program's end may carry ("COM" and a digit 1 to 9).
  virtual bool MapPortNameOk(const std::string& name);
  // The first free name for the map program's end (COM1..COM99), "" for none.
  virtual std::string FreeMapPort();
};

// The wizard window as the setup steps drive it.
class SetupWizard {
 public:
  virtual ~SetupWizard() = default;
  virtual void ShowStep(int step, bool done) = 0;
  virtual void ShowPortLabel(const std::string& text) = 0;
  // Stops playback, disables the main window and card detection, shows the
  // wizard with "Настроить" enabled and the command value 0.
  virtual void Open() = 0;
  // Hides the wizard and enables the main window and card detection again.
  virtual void Close() = 0;
  // Processes pending events for ms, then returns the command value
  // (0 none, 1 "Настроить", 2 cancelled or closed).
  virtual int Wait(int ms) = 0;
  virtual void ResetCommand() = 0;
  virtual void EnableOk(bool on) = 0;
  // The map program dialog, starting at current; false when cancelled.
  virtual bool ChooseMapProgram(const std::string& current, std::string& chosen) = 0;
  virtual void Message(const std::string& text, MsgKind kind) = 0;
};

struct SetupState {
  std::array<bool, 4> step{};  // driver, port pair, map program chosen, map program configured
  std::vector<std::string> listing;
};

// The port name after "PortName=" in line, up to a blank, a comma or the end.
std::string PortNameOfLine(const std::string& line);

// Steps 1 to 4 as the check finds them (fills s.MapComPort; writes the
// SAS.Planet keys when everything is in place).
SetupState CheckSteps(SetupPlatform& platform, MapSettings& s);

// The whole check: true at once when steps 1 to 3 are done, otherwise the
// wizard. launchResult is cleared when the map program choice is cancelled.
bool CheckMapSetup(SetupPlatform& platform, SetupWizard& wizard, MapSettings& s, int& launchResult);

}  // namespace quovil
