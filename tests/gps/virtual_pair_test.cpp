// The viewer's own port pair: what the viewer writes comes out of the
// published map end, and the setup check finds the pair in place.
#ifndef _WIN32  // pseudo-terminals: Linux only
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cstdlib>

#include "gps/virtual_pair.h"

namespace quovil {
namespace {

TEST(VirtualPair, MapEndReceivesWhatTheViewerWrites) {
  setenv("XDG_RUNTIME_DIR", ::testing::TempDir().c_str(), 1);
  PtySetupPlatform platform;
  MapSettings s;
  s.MapProgramPath = "/bin/sh";
  // No pair yet: the wizard's install creates it under the viewer's name.
  EXPECT_FALSE(CheckSteps(platform, s).step[1]);
  EXPECT_EQ(platform.RunAndWait("openpty", " install PortName=GPS1,EmuBR=no,EmuOverrun=yes PortName=" +
                                              platform.FreeMapPort() + ",EmuBR=no,EmuOverrun=yes"), 100);
  const SetupState st = CheckSteps(platform, s);
  EXPECT_EQ(st.step, (std::array<bool, 4>{true, true, true, true}));
  EXPECT_EQ(s.MapComPort, VirtualPair::MapPath());

  const int map = ::open(s.MapComPort.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(map, 0);
  ASSERT_TRUE(VirtualPair::Instance().Write("$GPVTG,,,,,,,,,N*30"));
  pollfd p{map, POLLIN, 0};
  ASSERT_EQ(poll(&p, 1, 2000), 1);
  char buf[64];
  const ssize_t n = ::read(map, buf, sizeof buf);
  EXPECT_EQ(std::string(buf, size_t(n > 0 ? n : 0)), "$GPVTG,,,,,,,,,N*30");
  ::close(map);
}

}  // namespace
}  // namespace quovil

#endif  // _WIN32
