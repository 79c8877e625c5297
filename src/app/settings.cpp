#include "app/settings.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#define SI_IMPLEMENTATION
#include <SimpleIni.h>

namespace quovil {
namespace {

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string FileNameOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// "quovil" -> "quovil.INI", "quovil.exe" -> "quovil.INI".
std::string IniNameFor(const std::string& programPath) {
  std::string name = FileNameOf(programPath);
  const auto dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  if (name.empty()) name = "quovil";
  return name + ".INI";
}

std::string UserConfigFolder() {
  if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x == '/') return x;
  if (const char* h = std::getenv("HOME"); h && *h) return std::string(h) + "/.config";
  return ".";
}

std::optional<int> ReadInt(const CSimpleIniA& ini, const char* section, const char* key) {
  return ParseIntValue(ini.GetValue(section, key, nullptr));
}

int ReadRanged(const CSimpleIniA& ini, const char* section, const std::string& key, int def, int lo,
               int hi) {
  const auto v = ReadInt(ini, section, key.c_str());
  return v ? std::clamp(*v, lo, hi) : def;
}

void WriteInt(CSimpleIniA& ini, const char* section, const std::string& key, long v) {
  ini.SetLongValue(section, key.c_str(), v);
}

}  // namespace

std::optional<int> ParseIntValue(const char* text) {
  if (!text) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (end == text || errno == ERANGE || v < INT32_MIN || v > INT32_MAX) return std::nullopt;
  while (*end == ' ' || *end == '\t') ++end;
  if (*end != '\0') return std::nullopt;
  return int(v);
}

std::string SettingsFilePath(const std::string& programPath) {
  if (const char* p = std::getenv("QUOVIL_SETTINGS"); p && *p) return p;
  const std::string name = IniNameFor(programPath);
  const std::string folder = FolderOf(programPath);
  if (!programPath.empty() && access(folder.c_str(), W_OK) == 0) return folder + "/" + name;
  return UserConfigFolder() + "/" + name;
}

AppSettings LoadSettings(const std::string& path) {
  AppSettings s;
  CSimpleIniA ini(true);
  if (ini.LoadFile(path.c_str()) < 0) return s;

  s.Left = ReadInt(ini, "Window", "Left");
  s.Top = ReadInt(ini, "Window", "Top");
  s.Width = ReadInt(ini, "Window", "Width");
  s.Height = ReadInt(ini, "Window", "Height");
  s.State = ReadInt(ini, "Window", "State");
  s.LastBMPDir = ini.GetValue("INIT", "LastBMPDir", "");
  s.LastSaveDir = ini.GetValue("INIT", "LastSaveDir", "");
  s.LastOpenDir = ini.GetValue("INIT", "LastOpenDir", "");
  s.GpsPortName = ini.GetValue("PARAMS", "GPS_PORT", "GPS1");
  s.MapProgramPath = ini.GetValue("PARAMS", "MAP_NAME", "");
  // Out-of-range picture settings would index past the brightness/contrast
  // tables of the picture builder: keep them within the bars' ranges.
  for (int cam = 0; cam < 2; ++cam) {
    const std::string d = std::to_string(cam);
    CameraSetting& c = s.Cameras[size_t(cam)];
    c.Brightness = ReadRanged(ini, "PARAMS", "BRITNESS" + d, 100, 0, 200);
    c.Contrast = ReadRanged(ini, "PARAMS", "CONTRAST" + d, 100, 0, 200);
    c.Volume = ReadRanged(ini, "PARAMS", "VOLUME" + d, 50, 0, 100);
  }
  return s;
}

bool SaveSettings(const std::string& path, const AppSettings& s) {
  CSimpleIniA ini(true);
  ini.SetSpaces(false);  // "Key=Value", as INI files are usually written
  const SI_Error loaded = ini.LoadFile(path.c_str());
  if (loaded < 0 && loaded != SI_FILE) return false;  // unreadable but present: do not clobber it

  WriteInt(ini, "Window", "State", s.State.value_or(0));
  WriteInt(ini, "Window", "Left", s.Left.value_or(0));
  WriteInt(ini, "Window", "Top", s.Top.value_or(0));
  WriteInt(ini, "Window", "Width", s.Width.value_or(682));
  WriteInt(ini, "Window", "Height", s.Height.value_or(451));
  ini.SetValue("INIT", "LastBMPDir", s.LastBMPDir.c_str());
  ini.SetValue("INIT", "LastSaveDir", s.LastSaveDir.c_str());
  ini.SetValue("INIT", "LastOpenDir", s.LastOpenDir.c_str());
  WriteInt(ini, "Journal", "Left", s.Journal.Left);
  WriteInt(ini, "Journal", "Top", s.Journal.Top);
  WriteInt(ini, "Journal", "Width", s.Journal.Width);
  WriteInt(ini, "Journal", "Height", s.Journal.Height);
  for (int cam = 0; cam < 2; ++cam) {
    const std::string d = std::to_string(cam);
    const CameraSetting& c = s.Cameras[size_t(cam)];
    WriteInt(ini, "PARAMS", "BRITNESS" + d, c.Brightness);
    WriteInt(ini, "PARAMS", "CONTRAST" + d, c.Contrast);
    WriteInt(ini, "PARAMS", "VOLUME" + d, c.Volume);
  }
  ini.SetValue("PARAMS", "GPS_PORT", s.GpsPortName.c_str());
  ini.SetValue("PARAMS", "MAP_NAME", s.MapProgramPath.c_str());

  // Write beside the file and rename over it, so a failed write never leaves a
  // half-written settings file behind.
  const std::string tmp = path + ".tmp";
  if (ini.SaveFile(tmp.c_str(), false) < 0) {
    std::remove(tmp.c_str());
    return false;
  }
  if (std::rename(tmp.c_str(), path.c_str()) != 0) {
    std::remove(tmp.c_str());
    return false;
  }
  return true;
}

}  // namespace quovil
