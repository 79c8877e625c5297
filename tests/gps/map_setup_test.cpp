// The setup check and the wizard's steps over a stand-in pair tool and port list.
#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "gps/map_rules.h"
#include "gps/map_setup.h"

namespace quovil {
namespace {

class FakePlatform : public SetupPlatform {
 public:
  std::string FindSetupc() override { return toolInstalled ? "C:\\com0com\\setupc.exe" : ""; }
  bool PortExists(const std::string& name) override { return ports.count(name) > 0; }
  bool RunAndCapture(const std::string&, const std::string& params, std::vector<std::string>& lines) override {
    captured.push_back(params);
    lines = listing;
    return true;
  }
  int RunAndWait(const std::string& program, const std::string& params) override {
    runs.push_back(program + "|" + params);
    if (params == "/S") toolInstalled = installWorks;
    if (params.find("PortName=GPS1") != std::string::npos) ports.insert("GPS1");
    if (params.find("PortName=COM") != std::string::npos) ports.insert(params.substr(params.rfind("PortName=") + 9, 4));
    return 100;
  }
  bool FileExists(const std::string& path) override { return files.count(path) > 0; }
  std::string InstallerPath() override { return "C:\\viewer\\setup_com.exe"; }

  bool toolInstalled = true, installWorks = true;
  std::set<std::string> ports, files;
  std::vector<std::string> listing, captured, runs;
};

class FakeWizard : public SetupWizard {
 public:
  void ShowStep(int step, bool done) override { steps[size_t(step - 1)] = done; }
  void ShowPortLabel(const std::string& text) override { label = text; }
  void Open() override { opened = true; }
  void Close() override { closed = true; }
  int Wait(int) override { return ++waits > 3 ? command : 0; }
  void ResetCommand() override { command = 0; }
  void EnableOk(bool on) override { okEnabled = on; }
  bool ChooseMapProgram(const std::string&, std::string& out) override {
    out = choice;
    return !choice.empty();
  }
  void Message(const std::string& text, MsgKind) override { messages.push_back(text); }

  std::array<bool, 4> steps{};
  std::string label, choice;
  bool opened = false, closed = false, okEnabled = true;
  int command = 1, waits = 0;
  std::vector<std::string> messages;
};

class Setup : public ::testing::Test {
 protected:
  void SetUp() override {
    p.ports = {"COM1", "COM2", "GPS1", "COM5"};
    p.listing = {"       CNCA0 PortName=GPS1,EmuBR=no", "       CNCB0 PortName=COM5,EmuBR=no"};
    s.MapProgramPath = ::testing::TempDir() + "SASPlanet.exe";
    p.files = {s.MapProgramPath};
    std::remove(MapSettingsPath(s.MapProgramPath).c_str());
  }
  FakePlatform p;
  FakeWizard w;
  MapSettings s;
  int launch = 40;
};

bool SettingsWritten(const std::string& exe, const std::string& key) {
  std::ifstream f(MapSettingsPath(exe));
  std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  return text.find(key) != std::string::npos;
}

TEST_F(Setup, EverythingInPlaceNoWizardAndSasKeysWritten) {
  EXPECT_EQ(PortNameOfLine(p.listing[1]), "COM5");
  EXPECT_TRUE(CheckMapSetup(p, w, s, launch));
  EXPECT_FALSE(w.opened);
  EXPECT_EQ(s.MapComPort, "COM5");
  EXPECT_EQ(p.captured, std::vector<std::string>{" list"});
  EXPECT_TRUE(SettingsWritten(s.MapProgramPath, "COM=5"));
  EXPECT_TRUE(SettingsWritten(s.MapProgramPath, "GPSPosInCenter=1"));
}

TEST_F(Setup, ListingForAnotherNameRenamesThePairSides) {
  p.listing[0] = "       CNCA0 PortName=OTHER";
  p.ports.erase("GPS1");
  const SetupState st = CheckSteps(p, s);
  // SAS.Planet is configured by the wizard once the pair exists; until then step 4 is not in question.
  EXPECT_EQ(st.step, (std::array<bool, 4>{true, false, true, true}));
  EXPECT_TRUE(CheckMapSetup(p, w, s, launch));
  EXPECT_TRUE(w.opened && w.closed);
  EXPECT_FALSE(w.okEnabled);
  EXPECT_EQ(s.MapComPort, "COM3");  // the first free one
  ASSERT_EQ(p.runs.size(), 2u);
  EXPECT_EQ(p.runs[0], "C:\\com0com\\setupc.exe| change CNCA0 PortName=GPS1,EmuBR=no,EmuOverrun=yes");
  EXPECT_EQ(p.runs[1], "C:\\com0com\\setupc.exe| change CNCB0 PortName=COM3,EmuBR=no,EmuOverrun=yes");
  EXPECT_EQ(w.messages.back(), "Настройка прошла успешно!\rИспользуйте порт COM3 для настройки GPS.");
  EXPECT_TRUE(SettingsWritten(s.MapProgramPath, "COM=3"));
  EXPECT_FALSE(SettingsWritten(s.MapProgramPath, "MoveMapByGPS"));  // the wizard writes two keys only
}

TEST_F(Setup, BSideCom0FailsStepTwo) {
  p.listing[1] = "       CNCB0 PortName=COM0";
  const SetupState st = CheckSteps(p, s);
  EXPECT_FALSE(st.step[1]);
  EXPECT_TRUE(s.MapComPort.empty());
}

TEST_F(Setup, MapProgramChosenInTheWizard) {
  p.files.clear();
  s.MapProgramPath.clear();
  w.choice = ::testing::TempDir() + "navigator.exe";
  const SetupState st = CheckSteps(p, s);
  EXPECT_EQ(st.step, (std::array<bool, 4>{true, true, false, false}));
  EXPECT_TRUE(CheckMapSetup(p, w, s, launch));
  EXPECT_EQ(s.MapProgramPath, w.choice);
  EXPECT_EQ(w.steps, (std::array<bool, 4>{true, true, true, false}));  // another program is left to the user
  EXPECT_TRUE(p.runs.empty());
}

TEST_F(Setup, OtherMapProgramChosenEarlierShowsStepFourDone) {
  s.MapProgramPath = "/opt/navigator";
  p.files = {s.MapProgramPath};
  p.listing.clear();
  const SetupState st = CheckSteps(p, s);
  EXPECT_EQ(st.step, (std::array<bool, 4>{true, false, true, true}));
}

TEST_F(Setup, DriverMissingInstallsThenCreatesANewPair) {
  p.toolInstalled = false;
  p.ports = {"COM1"};
  EXPECT_TRUE(CheckMapSetup(p, w, s, launch));
  ASSERT_EQ(p.runs.size(), 2u);
  EXPECT_EQ(p.runs[0], "C:\\viewer\\setup_com.exe|/S");
  EXPECT_EQ(p.runs[1],
            "C:\\com0com\\setupc.exe| install PortName=GPS1,EmuBR=no,EmuOverrun=yes PortName=COM2,EmuBR=no,EmuOverrun=yes");
}

TEST_F(Setup, FailuresEndWithFalse) {
  p.toolInstalled = false;
  p.installWorks = false;
  EXPECT_FALSE(CheckMapSetup(p, w, s, launch));
  EXPECT_EQ(w.messages.back(),
            "При установке драйвера возникла ошибка!\rДальнейшая работа невозможна.\rОбратитесь в службу поддержки");
  EXPECT_TRUE(w.closed);

  FakeWizard cancelled;
  cancelled.command = 2;
  p.installWorks = true;
  EXPECT_FALSE(CheckMapSetup(p, cancelled, s, launch));
  EXPECT_TRUE(cancelled.messages.empty());

  FakeWizard noChoice;
  p.files.clear();
  EXPECT_FALSE(CheckMapSetup(p, noChoice, s, launch));
  EXPECT_EQ(launch, 0);
}

}  // namespace
}  // namespace quovil
