// What the map program receives at the other end of a pty pair, and the map
// going off when the program the viewer started has ended.
#ifndef _WIN32  // pseudo-terminals: Linux only
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/map_process.h"
#include "viewer/viewer.h"
#include "support/viewer_probe.h"

using quovil::test::ViewerProbe;

namespace quovil {
namespace {

// COMM1 over the slave end of a pty pair, written without waiting.
class TtyPort : public SerialPort {
 public:
  ~TtyPort() override { Close(); }
  void SetPortName(const std::string& name) override { name_ = name; }
  std::string PortName() const override { return name_; }
  bool Open() override {
    fd_ = ::open(name_.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK);
    return fd_ >= 0;
  }
  bool IsOpen() const override { return fd_ >= 0; }
  bool Write(const std::string& text) override {
    if (failWrites) return false;
    return ::write(fd_, text.data(), text.size()) == ssize_t(text.size());
  }
  void Close() override {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  bool failWrites = false;

 private:
  std::string name_;
  int fd_ = -1;
};

class FakeProcess : public MapProcess {
 public:
  bool Launch(const std::string&) override { return true; }
  bool Running() override { return running; }
  void WaitForEnd(int) override {}
  void Release() override { ++released; }
  bool CloseMapWindow() override { return false; }
  bool running = true;
  int released = 0;
};

class GpsOutput : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[256];
    ASSERT_EQ(openpty(&master_, &slave_, name, nullptr, nullptr), 0);
    termios t{};
    tcgetattr(slave_, &t);
    cfmakeraw(&t);
    tcsetattr(slave_, TCSANOW, &t);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    port.SetPortName(name);
    ASSERT_TRUE(port.Open());
    v.COMM1 = &port;
    v.mapProcess = &process;
  }
  void TearDown() override {
    port.Close();
    ::close(slave_);
    ::close(master_);
  }
  // Everything that reached the map program's end so far.
  std::string Received() {
    std::string out;
    char buf[512];
    ssize_t n;
    while ((n = ::read(master_, buf, sizeof buf)) > 0) out.append(buf, size_t(n));
    return out;
  }

  SilentHost host;
  Viewer v{host};
  TtyPort port;
  FakeProcess process;
  int master_ = -1, slave_ = -1;
};

TEST_F(GpsOutput, PlaceholderAtResetThenEverySecond) {
  ViewerProbe::Info(v).GpsSentence = "$OLD*00";
  ViewerProbe::Info(v).GpsIndex = ViewerProbe::Info(v).SensorIndex = 5;
  v.ResetGpsOutput();
  EXPECT_EQ(Received(), "$GPVTG,,,,,,,,,N*30");
  EXPECT_TRUE(v.info().GpsSentence.empty());
  EXPECT_EQ(v.info().GpsIndex, -1);
  EXPECT_EQ(v.info().SensorIndex, -1);
  v.MapTimerTimer();
  v.MapTimerTimer();
  EXPECT_EQ(Received(), "$GPVTG,,,,,,,,,N*30$GPVTG,,,,,,,,,N*30");
}

TEST_F(GpsOutput, RecordedSentenceOfTheShownFrameRepeatedAsIs) {
  const std::string recorded = "$GPRMC,A*00\r\n$GPVTG,B*00\r\n";
  ViewerProbe::Info(v).GpsSentence = recorded;
  v.MapTimerTimer();
  v.MapTimerTimer();
  EXPECT_EQ(Received(), recorded + recorded);
}

TEST_F(GpsOutput, ResetWithPortClosedOnlyClearsState) {
  port.Close();
  ViewerProbe::Info(v).GpsSentence = "$X*00";
  v.ResetGpsOutput();
  v.MapTimerTimer();
  EXPECT_TRUE(v.info().GpsSentence.empty());
  EXPECT_EQ(Received(), "");
}

TEST_F(GpsOutput, FailedWriteClosesPortSilentlyMapStaysOn) {
  ViewerProbe::Actions(v).MAP = true;
  ViewerProbe::Gps(v).MapTimerEnabled = true;
  port.failWrites = true;
  v.MapTimerTimer();
  EXPECT_FALSE(port.IsOpen());
  EXPECT_TRUE(v.actions().MAP);
  EXPECT_TRUE(v.gps().MapTimerEnabled);
  v.MapTimerTimer();  // finds the port closed and writes nothing
  EXPECT_EQ(Received(), "");
}

TEST_F(GpsOutput, EndedMapProgramSwitchesMapOffWithoutWriting) {
  ViewerProbe::Actions(v).MAP = true;
  ViewerProbe::Gps(v).MapTimerEnabled = true;
  ViewerProbe::Gps(v).MapLaunchResult = 33;
  v.MapTimerTimer();
  EXPECT_EQ(Received(), "$GPVTG,,,,,,,,,N*30");
  process.running = false;
  v.MapTimerTimer();
  EXPECT_EQ(Received(), "");
  EXPECT_FALSE(port.IsOpen());
  EXPECT_FALSE(v.actions().MAP);
  EXPECT_FALSE(v.gps().MapTimerEnabled);
  EXPECT_EQ(v.gps().MapLaunchResult, 0);
  EXPECT_EQ(process.released, 1);
}

TEST_F(GpsOutput, LaunchResultAtMost32NeverChecksTheProcess) {
  ViewerProbe::Gps(v).MapLaunchResult = 32;
  process.running = false;
  v.MapTimerTimer();
  EXPECT_EQ(Received(), "$GPVTG,,,,,,,,,N*30");
  EXPECT_TRUE(port.IsOpen());
}

}  // namespace
}  // namespace quovil

#endif  // _WIN32
