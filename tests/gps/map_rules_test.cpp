// The port COMM1 opens, SAS.Planet's recognition and its settings keys.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>
#include <fstream>
#include <sstream>

#include "gps/map_rules.h"

namespace quovil {
namespace {

TEST(MapPortName, ComNamesKeptOthersPrefixed) {
  EXPECT_EQ(MapPortName("COM7"), "COM7");
  EXPECT_EQ(MapPortName("COM12"), "COM12");
  EXPECT_EQ(MapPortName("GPS1"), "\\\\.\\GPS1");
  EXPECT_EQ(MapPortName("COMX"), "\\\\.\\COMX");
  EXPECT_EQ(MapPortName("COM"), "\\\\.\\COM");
  EXPECT_EQ(MapPortName("com7"), "\\\\.\\com7");
}

TEST(MapProgram, SasPlanetByFileNameWithoutCase) {
  EXPECT_TRUE(IsSasPlanet("C:\\Maps\\SASPlanet.exe"));
  EXPECT_TRUE(IsSasPlanet("/opt/sas/sasplanet.EXE"));
  EXPECT_FALSE(IsSasPlanet("/opt/SASPlanet.exe/other.exe"));
  EXPECT_FALSE(IsSasPlanet("C:\\SASPlanet.exe.bak"));
  EXPECT_FALSE(IsSasPlanet(""));
  EXPECT_EQ(MapSettingsPath("C:\\Maps\\SASPlanet.exe"), "C:\\Maps\\SASPlanet.INI");
  EXPECT_EQ(MapSettingsPath("/opt/v1.2/map"), "/opt/v1.2/map.INI");
  EXPECT_EQ(ComPortNumber("COM5"), "5");
  EXPECT_EQ(ComPortNumber("COM12"), "12");
  EXPECT_EQ(ComPortNumber("COM"), "");
}

std::string ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

class MapSettingsFile : public ::testing::Test {
 protected:
  std::string dir = ::testing::TempDir();
  std::string exe = dir + "SASPlanet.exe";
  std::string ini = dir + "SASPlanet.INI";
  void SetUp() override {
    std::ofstream(ini, std::ios::binary) << "; карта\n[View]\nZoom=12\nLang=ru\n\n[GPS_Module]\nCOM=3\nBaud=4800\n"
                                            "[Other]\nПуть=C:\\Карты\n";
  }
  void TearDown() override { std::remove(ini.c_str()); }
};

TEST_F(MapSettingsFile, AllFourKeysForCom5OtherLinesKept) {
  ASSERT_TRUE(WriteMapSettings(exe, "COM5", true));
  const std::string text = ReadAll(ini);
  for (const char* line : {"; карта", "[View]", "Zoom=12", "Lang=ru", "Baud=4800", "[Other]", "Путь=C:\\Карты",
                           "COM=5", "[GPS]", "Enabled=1", "[MainFormGPSEvents]", "MoveMapByGPS=1",
                           "GPSPosInCenter=1"})
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
  EXPECT_EQ(text.find("COM=3"), std::string::npos);
}

TEST_F(MapSettingsFile, WizardWritesTwoKeysForCom12) {
  ASSERT_TRUE(WriteMapSettings(exe, "COM12", false));
  const std::string text = ReadAll(ini);
  EXPECT_NE(text.find("COM=12"), std::string::npos);
  EXPECT_NE(text.find("Enabled=1"), std::string::npos);
  EXPECT_EQ(text.find("MoveMapByGPS"), std::string::npos);
  EXPECT_NE(text.find("Zoom=12"), std::string::npos);
}

TEST_F(MapSettingsFile, NothingWithoutPortNumber) {
  const std::string before = ReadAll(ini);
  EXPECT_FALSE(WriteMapSettings(exe, "COM", true));
  EXPECT_EQ(ReadAll(ini), before);
}

TEST(MapSettingsNew, CreatedWhenMissing) {
  const std::string ini = ::testing::TempDir() + "SASPLANET.INI";
  std::remove(ini.c_str());
  ASSERT_TRUE(WriteMapSettings(::testing::TempDir() + "SASPLANET.EXE", "COM5", true));
  EXPECT_NE(ReadAll(ini).find("COM=5"), std::string::npos);
  std::remove(ini.c_str());
}

// A settings name that is no plain file is never read or replaced: a folder
// stays a folder, and a FIFO does not keep the write waiting for a writer.
TEST(MapSettingsNew, NoPlainFileNoWrite) {
  const std::string dir = ::testing::TempDir() + "map_not_a_file";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir + "/SASPlanet.INI");
  EXPECT_FALSE(WriteMapSettings(dir + "/SASPlanet.exe", "COM5", true));
  EXPECT_TRUE(std::filesystem::is_directory(dir + "/SASPlanet.INI"));
#ifndef _WIN32
  std::filesystem::remove_all(dir + "/SASPlanet.INI");
  ASSERT_EQ(mkfifo((dir + "/SASPlanet.INI").c_str(), 0600), 0);
  EXPECT_FALSE(WriteMapSettings(dir + "/SASPlanet.exe", "COM5", true));
  EXPECT_TRUE(std::filesystem::is_fifo(dir + "/SASPlanet.INI"));
#endif
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace quovil
