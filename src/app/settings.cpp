#include "app/settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include "platform/file_guard.h"

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

// The viewer's folder among the user's settings.
std::string UserConfigFolder() {
  if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x == '/') return std::string(x) + "/quovil";
  if (const char* h = std::getenv("HOME"); h && *h) return std::string(h) + "/.config/quovil";
  return ".";
}

// An installed program: its folder is a "bin" beside the "share" that holds
// its menu entry (cmake/Install.cmake). Its settings belong to the user even
// where the program's folder is writable (run by root, or a group-writable
// prefix).
bool InstalledIn(const std::string& folder) {
  struct stat st {};
  return stat((folder + "/../share/applications/quovil.desktop").c_str(), &st) == 0;
}

// Makes the missing folders on the way to a file (the user's settings folder
// before the first close), private to the user.
void MakeFolders(const std::string& folder) {
  struct stat st {};
  if (stat(folder.c_str(), &st) == 0) return;
  MakeFolders(FolderOf(folder));
  mkdir(folder.c_str(), 0700);
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

// A settings file is a few hundred bytes; anything far larger is not one.
constexpr off_t kMaxSettingsBytes = off_t(1) << 20;

enum class FileState { Absent, Read, Refused };

// The settings file's text. Refused: the path names something other than a
// regular file (a folder, a FIFO, a device), a file too large to be settings,
// or one that cannot be read. Nothing here can block: the path is looked at
// before it is opened, opened without waiting for a writer, and looked at
// again once open, in case it was replaced meanwhile.
FileState ReadSettingsText(const std::string& path, std::string& text) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return errno == ENOENT ? FileState::Absent : FileState::Refused;
  if (!S_ISREG(st.st_mode)) return FileState::Refused;
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? FileState::Absent : FileState::Refused;
  FileState result = FileState::Refused;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= kMaxSettingsBytes) {
    text.resize(size_t(st.st_size));
    size_t got = 0;
    while (got < text.size()) {
      const ssize_t n = read(fd, text.data() + got, text.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += size_t(n);
    }
    text.resize(got);  // a file cut short meanwhile gives what it still held
    result = FileState::Read;
  }
  close(fd);
  return result;
}

// Writes beside the file and renames over it, so a failed write never leaves
// a half-written settings file behind. The scratch file is made afresh:
// whatever stood under its name is removed, never opened or followed.
bool WriteReplacing(const std::string& path, const std::string& text) {
  const std::string tmp = path + ".tmp";
  unlink(tmp.c_str());
  const int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  bool ok = true;
  for (size_t done = 0; ok && done < text.size();) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) done += size_t(n);
  }
  ok = close(fd) == 0 && ok;
  if (ok && std::rename(tmp.c_str(), path.c_str()) == 0) return true;
  unlink(tmp.c_str());
  return false;
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
  if (!programPath.empty() && !InstalledIn(folder) && access(folder.c_str(), W_OK) == 0) return folder + "/" + name;
  return UserConfigFolder() + "/" + name;
}

AppSettings LoadSettings(const std::string& path) {
  AppSettings s;
  std::string text;
  if (ReadSettingsText(path, text) != FileState::Read) return s;
  CSimpleIniA ini(true);
  if (ini.LoadData(text) < 0) return s;

  s.Left = ReadInt(ini, "Window", "Left");
  s.Top = ReadInt(ini, "Window", "Top");
  s.Width = ReadInt(ini, "Window", "Width");
  s.Height = ReadInt(ini, "Window", "Height");
  s.State = ReadInt(ini, "Window", "State");
  {
    const auto left = ReadInt(ini, "Journal", "Left"), top = ReadInt(ini, "Journal", "Top");
    const auto width = ReadInt(ini, "Journal", "Width"), height = ReadInt(ini, "Journal", "Height");
    if (left && top && width && height) {
      s.Journal = {*left, *top, *width, *height};
      s.JournalSaved = true;
    }
  }
  if (s.State && (*s.State < 0 || *s.State > 2)) s.State.reset();  // normal, minimised, maximised
  s.LastBMPDir = ini.GetValue("INIT", "LastBMPDir", "");
  s.LastSaveDir = ini.GetValue("INIT", "LastSaveDir", "");
  s.LastOpenDir = ini.GetValue("INIT", "LastOpenDir", "");
  s.GpsPortName = ini.GetValue("PARAMS", "GPS_PORT", "GPS1");
  s.MapProgramPath = ini.GetValue("PARAMS", "MAP_NAME", "");
  s.RouteTiles = ini.GetValue("ROUTE", "TILES", "");
  s.Checksums = ReadRanged(ini, "PARAMS", "CHECKSUMS", 1, 0, 1) != 0;
  s.Language = ini.GetValue("PARAMS", "Language", "");
  if (s.Language != "ru" && s.Language != "en") s.Language.clear();
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
  // The open card or archive named as the settings file is never replaced.
  if (CheckOutputTarget(path) != OutputProblem::None) return false;
  // Present but not a settings file, or unreadable: leave it as it is.
  std::string text;
  const FileState state = ReadSettingsText(path, text);
  if (state == FileState::Refused) return false;
  if (state == FileState::Read && ini.LoadData(text) < 0) return false;

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
  // Written only once chosen: files of earlier versions stay as they were.
  if (!s.RouteTiles.empty() || ini.GetValue("ROUTE", "TILES")) ini.SetValue("ROUTE", "TILES", s.RouteTiles.c_str());
  WriteInt(ini, "PARAMS", "CHECKSUMS", s.Checksums ? 1 : 0);
  // Written only once chosen, as the route's tiles are.
  if (!s.Language.empty() || ini.GetValue("PARAMS", "Language")) ini.SetValue("PARAMS", "Language", s.Language.c_str());

  std::string out;
  if (ini.Save(out, false) < 0) return false;
  MakeFolders(FolderOf(path));
  return WriteReplacing(path, out);
}

}  // namespace quovil
