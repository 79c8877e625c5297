#include "gps/map_rules.h"

#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "platform/file_guard.h"
#include "platform/utf8_file.h"

namespace quovil {

std::string MapPortName(const std::string& gpsPortName) {
  const std::string& n = gpsPortName;
  if (n.size() >= 4 && n.compare(0, 3, "COM") == 0 && n[3] >= '0' && n[3] <= '9') return n;
  return "\\\\.\\" + n;
}

bool IsSasPlanet(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
  for (char& c : name)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return name == "SASPLANET.EXE";
}

std::string MapSettingsPath(const std::string& programPath) {
  const size_t slash = programPath.find_last_of("/\\");
  const size_t dot = programPath.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return programPath + ".INI";
  return programPath.substr(0, dot) + ".INI";
}

std::string ComPortNumber(const std::string& mapComPort) {
  return mapComPort.size() > 3 ? mapComPort.substr(3, 2) : std::string();
}

bool WriteMapSettings(const std::string& programPath, const std::string& mapComPort, bool allKeys) {
  const std::string number = ComPortNumber(mapComPort);
  if (number.empty()) return false;
  const std::string path = MapSettingsPath(programPath);
  CSimpleIniA ini;
  ini.SetSpaces(false);  // the map program writes "key=value"
  // A settings file that exists but cannot be read is left alone rather than
  // replaced; a name that is no plain file (a folder, a FIFO that would keep
  // the read waiting) is never opened.
  std::error_code ec;
  const auto status = std::filesystem::status(PathFromUtf8(path), ec);
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) return false;
  if (FILE* in = OpenFileUtf8(path, "rb")) {
    const SI_Error loaded = ini.LoadFile(in);
    std::fclose(in);
    if (loaded < 0) return false;
  } else if (errno != ENOENT) {
    return false;
  }
  ini.SetValue("GPS_Module", "COM", number.c_str());
  ini.SetValue("GPS", "Enabled", "1");
  if (allKeys) {
    ini.SetValue("MainFormGPSEvents", "MoveMapByGPS", "1");
    ini.SetValue("MainFormGPSEvents", "GPSPosInCenter", "1");
  }
  // Binary, so that the line ends are the ones SimpleIni writes for the platform.
  std::string error;
  FILE* out = CreateOutputFile(path, error);
  if (!out) return false;
  const bool saved = ini.SaveFile(out, false) >= 0;
  return std::fclose(out) == 0 && saved;
}

}  // namespace quovil
