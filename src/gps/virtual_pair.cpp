#include "gps/virtual_pair.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace quovil {

namespace {

void MakeDirs(const std::string& path) {
  for (size_t at = 1; (at = path.find('/', at)) != std::string::npos; ++at) ::mkdir(path.substr(0, at).c_str(), 0700);
  ::mkdir(path.c_str(), 0700);
}

}  // namespace

VirtualPair& VirtualPair::Instance() {
  static VirtualPair pair;
  return pair;
}

VirtualPair::~VirtualPair() {
  if (master_ >= 0) ::close(master_);
}

std::string VirtualPair::MapPath() {
  if (const char* run = std::getenv("XDG_RUNTIME_DIR"); run && *run) return std::string(run) + "/quovil/gps-map";
  const char* home = std::getenv("HOME");
  return std::string(home ? home : "/tmp") + "/.local/state/quovil/gps-map";
}

bool VirtualPair::Create(const std::string& viewerName) {
  if (master_ >= 0 && viewerName == viewerName_) return true;
  if (master_ >= 0) ::close(master_);
  master_ = -1;
  int master = -1, slave = -1;
  char name[256];
  if (openpty(&master, &slave, name, nullptr, nullptr) != 0) return false;
  // Raw, so the map program sees the sentences byte for byte.
  termios t{};
  if (tcgetattr(slave, &t) == 0) {
    cfmakeraw(&t);
    cfsetspeed(&t, B9600);
    tcsetattr(slave, TCSANOW, &t);
  }
  ::close(slave);
  ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
  ::fcntl(master, F_SETFD, FD_CLOEXEC);
  const std::string link = MapPath();
  MakeDirs(link.substr(0, link.rfind('/')));
  ::unlink(link.c_str());
  if (::symlink(name, link.c_str()) != 0) {
    ::close(master);
    return false;
  }
  master_ = master;
  viewerName_ = viewerName;
  return true;
}

bool VirtualPair::Write(const std::string& text) {
  if (master_ < 0) return false;
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(master_, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += size_t(n);
  }
  return true;
}

std::string PtySetupPlatform::FindSetupc() { return "openpty"; }

bool PtySetupPlatform::PortExists(const std::string& name) {
  const VirtualPair& pair = VirtualPair::Instance();
  if (pair.Exists() && (name == pair.ViewerName() || name == VirtualPair::MapPath())) return true;
  struct stat st{};
  return !name.empty() && name[0] == '/' && ::stat(name.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

bool PtySetupPlatform::RunAndCapture(const std::string&, const std::string&, std::vector<std::string>& lines) {
  lines.clear();
  const VirtualPair& pair = VirtualPair::Instance();
  if (pair.Exists()) lines = {"CNCA0 PortName=" + pair.ViewerName(), "CNCB0 PortName=" + VirtualPair::MapPath()};
  return true;
}

int PtySetupPlatform::RunAndWait(const std::string&, const std::string& params) {
  // " install PortName=A,... PortName=B,..." or " change CNCA0 PortName=A,...": the A side names the pair.
  const size_t at = params.find("PortName=");
  if (at == std::string::npos || params.find("CNCB0") != std::string::npos) return 100;
  const size_t end = params.find_first_of(" ,", at + 9);
  return VirtualPair::Instance().Create(params.substr(at + 9, end == std::string::npos ? end : end - at - 9)) ? 100 : 0;
}

bool PtySetupPlatform::FileExists(const std::string& path) {
  struct stat st{};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace quovil
