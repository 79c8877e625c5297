// The port pair tool and the serial ports of a Windows system: the com0com
// setup tool found through its installation key, the port names in the
// registry's serial-port device map, and the two ways the wizard runs a
// program (captured and waited for).
#pragma once

#ifdef _WIN32

#include <functional>
#include <string>
#include <vector>

#include "gps/map_setup.h"

namespace quovil {

class WinSetupPlatform : public SetupPlatform {
 public:
  // What RunAndWait returns: above 64 the program ran and reported success,
  // below 64 it did not start, failed (a non-zero exit code) or was left
  // running because the viewer is ending.
  static constexpr int kRunSucceeded = 100;
  static constexpr int kRunFailed = 0;

  // Lets pending window events run while RunAndWait waits (every 200 ms);
  // returns false once the viewer is ending, which stops the wait. Without
  // one the wait is a plain wait for the program's end.
  using EventPump = std::function<bool()>;
  explicit WinSetupPlatform(EventPump pump = {}) : pump_(std::move(pump)) {}

  std::string FindSetupc() override;
  bool PortExists(const std::string& name) override;
  bool RunAndCapture(const std::string& program, const std::string& params,
                     std::vector<std::string>& lines) override;
  int RunAndWait(const std::string& program, const std::string& params) override;
  bool FileExists(const std::string& path) override;
  std::string InstallerPath() override;

 private:
  EventPump pump_;
};

// The standard output kept of one captured run; what a runaway program writes
// beyond it is read and dropped, so it can neither block nor exhaust memory.
constexpr size_t kMaxCapturedBytes = 1 << 20;

// Output bytes as lines: split at line feeds, a carriage return before one
// dropped, a last unterminated line kept.
std::vector<std::string> SplitOutputLines(const std::string& bytes);

}  // namespace quovil

#endif  // _WIN32
