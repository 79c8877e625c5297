// The viewer's settings file: an INI file whose keys are read at start and
// written at close. Keys this program does not know, and other sections, are
// kept as they are when the file is written back.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "viewer/camera_setting.h"

namespace quovil {

struct WindowBounds {
  int Left = 120, Top = 120, Width = 600, Height = 400;
};

// Everything the settings file holds. Missing window keys stay unset so the
// window can keep its design-time values for them.
struct AppSettings {
  std::optional<int> Left, Top, Width, Height, State;
  std::string LastBMPDir, LastSaveDir, LastOpenDir;
  std::string GpsPortName = "GPS1";
  std::string MapProgramPath;
  // The offline map under the route: a folder of tiles or an .mbtiles file.
  std::string RouteTiles;
  std::array<CameraSetting, 2> Cameras{};
  // PARAMS/CHECKSUMS: finished exports get their ".sha256" (1, the default) or not (0).
  bool Checksums = true;
  // PARAMS/Language: "ru", "en", or empty for the system's language.
  std::string Language;
  // The journal window's bounds, written at every close; JournalSaved says
  // whether the file held all four (the window then opens there again).
  WindowBounds Journal{};
  bool JournalSaved = false;
};

// Where the settings file lives: $QUOVIL_SETTINGS when set; otherwise the
// program's path with its extension replaced by ".INI" when that folder is
// writable and the program is not installed (no share/applications/quovil.desktop
// beside its folder); otherwise the same file name in $XDG_CONFIG_HOME/quovil
// (or ~/.config/quovil).
std::string SettingsFilePath(const std::string& programPath);

// Reads the file; a missing file, a missing key or a value that is not a whole
// number gives the default. Picture settings are kept within their ranges.
// A path that names anything but a regular file (a folder, a FIFO, a device)
// counts as no file; it is never waited on.
AppSettings LoadSettings(const std::string& path);

// Writes every key into the file, keeping whatever else it holds; missing
// folders on the way are made (for the owner only). False when
// the file could not be written, and when the path names something other than
// a regular file or a file that could not be read: that is left untouched.
bool SaveSettings(const std::string& path, const AppSettings& s);

// A whole decimal number (surrounding blanks allowed), or nothing.
std::optional<int> ParseIntValue(const char* text);

}  // namespace quovil
