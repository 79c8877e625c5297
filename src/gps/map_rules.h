// Fixed rules of the map program hand-over: the port name COMM1 opens, how
// SAS.Planet is recognised, and the GPS keys written into its settings file.
#pragma once

#include <string>

namespace quovil {

// The viewer's port as COMM1 opens it: gpsPortName itself when it reads "COM"
// and a digit (at least four characters), otherwise "\\.\" + gpsPortName.
std::string MapPortName(const std::string& gpsPortName);

// The file name of path (after the last '/' or '\'), upper-cased in ASCII, is
// "SASPLANET.EXE".
bool IsSasPlanet(const std::string& path);

// path with its extension replaced by ".INI" (appended when it has none).
std::string MapSettingsPath(const std::string& programPath);

// The port number of "COMn": characters 4 and 5 of the name (at most two).
std::string ComPortNumber(const std::string& mapComPort);

// Writes GPS_Module/COM and GPS/Enabled (and, when allKeys, the two
// MainFormGPSEvents keys) into the settings file beside programPath, leaving
// every other key, section and comment as it was. Nothing is written when the
// port number is empty; returns whether the keys were written.
bool WriteMapSettings(const std::string& programPath, const std::string& mapComPort, bool allKeys);

}  // namespace quovil
