// The route and readings of a range of seconds from the telemetry index, as
// GPX, KML or CSV files.
#pragma once

#include <string>
#include <vector>

#include "gps/gpx_route.h"
#include "gps/telemetry.h"

namespace quovil {

enum class TrackFormat { Gpx, Kml, Csv };

// "gpx", "kml" or "csv"; false for anything else.
bool ParseTrackFormat(const std::string& text, TrackFormat& format);
// The format a file name's extension names (either case); GPX for others.
TrackFormat TrackFormatOfName(const std::string& path);

// One track point per second that has a position, in the seconds' order.
std::vector<TrackPoint> TrackPointsOf(const std::vector<TelemetrySecond>& seconds);

// KML 2.2: the route as one LineString and each point as a placemark named
// by its recorder time, with its GPS time and speed.
std::string KmlText(const std::vector<TelemetrySecond>& seconds, const std::string& name);

// CSV (RFC 4180, UTF-8, CRLF line ends): the header
// "time,lat,lon,speed_kmh,course,uin_v,uakb_v,engine", then one row per
// second; a value the second does not have is left empty.
inline constexpr const char* kTrackCsvHeader = "time,lat,lon,speed_kmh,course,uin_v,uakb_v,engine";
std::string TrackCsvText(const std::vector<TelemetrySecond>& seconds);

// The document of the seconds in that format. points: the track points (GPX,
// KML) or rows (CSV) it holds.
std::string TrackText(const std::vector<TelemetrySecond>& seconds, TrackFormat format, const std::string& name,
                      size_t* points = nullptr);

}  // namespace quovil
