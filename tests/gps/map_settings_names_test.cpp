// The map program's settings file in a folder named in Cyrillic (as a Russian
// Windows names its program folders), with the line ends of the platform.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "gps/map_rules.h"
#include "platform/utf8_file.h"

namespace quovil {
namespace {

std::string ReadUtf8Named(const std::string& path) {
  std::string text;
  if (std::FILE* f = OpenFileUtf8(path, "rb")) {
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
    std::fclose(f);
  }
  return text;
}

TEST(MapSettingsNames, WrittenIntoACyrillicFolderWithThePlatformsLineEnds) {
  const std::string dir = PathToUtf8(std::filesystem::temp_directory_path()) + "/Программы-карты";
  std::filesystem::create_directories(PathFromUtf8(dir));
  const std::string ini = dir + "/SASPlanet.INI";
  std::FILE* f = OpenFileUtf8(ini, "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("[View]\nZoom=12\n", f);
  std::fclose(f);

  ASSERT_TRUE(WriteMapSettings(dir + "/SASPlanet.exe", "COM7", false));
  const std::string text = ReadUtf8Named(ini);
  EXPECT_NE(text.find("Zoom=12"), std::string::npos) << text;
  EXPECT_NE(text.find("COM=7"), std::string::npos) << text;
#ifdef _WIN32
  EXPECT_NE(text.find("Zoom=12\r\n"), std::string::npos) << text;
#else
  EXPECT_EQ(text.find('\r'), std::string::npos) << text;
#endif
  std::error_code ec;
  std::filesystem::remove_all(PathFromUtf8(dir), ec);
}

}  // namespace
}  // namespace quovil
