// Where no virtual null-modem driver exists (Linux), the viewer makes its own
// port pair from a pseudo-terminal: it keeps the master end and publishes the
// slave under a stable path for the map program or gpsd to read.
#pragma once

#include <string>
#include <vector>

#include "gps/map_setup.h"

namespace quovil {

class VirtualPair {
 public:
  static VirtualPair& Instance();
  // Creates the pair for the viewer's port name (again when the name changed)
  // and publishes the map end; false when no pseudo-terminal could be had.
  bool Create(const std::string& viewerName);
  bool Exists() const { return master_ >= 0; }
  const std::string& ViewerName() const { return viewerName_; }
  // The stable path of the map end (a symbolic link to the slave).
  static std::string MapPath();
  // Writes without waiting; false when the pair is gone or has no room for the whole text.
  bool Write(const std::string& text);
  ~VirtualPair();

 private:
  VirtualPair() = default;
  int master_ = -1;
  std::string viewerName_;
};

// The pair tool and port list as the wizard sees them on such a system: the
// "tool" is built in, the listing names our own pair, and the map end is the
// published path.
class PtySetupPlatform : public SetupPlatform {
 public:
  std::string FindSetupc() override;
  bool PortExists(const std::string& name) override;
  bool RunAndCapture(const std::string& program, const std::string& params, std::vector<std::string>& lines) override;
  int RunAndWait(const std::string& program, const std::string& params) override;
  bool FileExists(const std::string& path) override;
  std::string InstallerPath() override { return {}; }
  bool MapPortNameOk(const std::string& name) override { return !name.empty() && name[0] == '/'; }
  std::string FreeMapPort() override { return VirtualPair::MapPath(); }
};

}  // namespace quovil
