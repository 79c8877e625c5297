#include "gps/telemetry_export.h"

#include <algorithm>
#include <cctype>

namespace quovil {

namespace {

std::string Lowered(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return s;
}

// RFC 4180: a field holding a comma, a quote or a line end is quoted, its
// quotes doubled.
std::string CsvField(const std::string& value) {
  if (value.find_first_of(",\"\r\n") == std::string::npos) return value;
  std::string out = "\"";
  for (char c : value) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string KmlWhen(const TelemetrySecond& s) { return TrackPointTime(s.gps, s.time); }

void AppendPlacemark(std::string& out, const TelemetrySecond& s) {
  const TimeStamp& t = s.time;
  out += "   <Placemark>\n    <name>" +
         XmlEscaped(Format("%02d:%02d:%02d", t.hour, t.minute, t.second)) + "</name>\n";
  out += "    <TimeStamp><when>" + XmlEscaped(KmlWhen(s)) + "</when></TimeStamp>\n";
  std::string about = TimeStampText(t);
  if (s.gps.hasSpeed) about += ", " + FixedText(s.gps.speedKmh, 1) + " км/ч";
  out += "    <description>" + XmlEscaped(about) + "</description>\n";
  out += "    <styleUrl>#point</styleUrl>\n";
  out += "    <Point><coordinates>" + FixedText(s.gps.lon, 7) + "," + FixedText(s.gps.lat, 7) +
         "</coordinates></Point>\n   </Placemark>\n";
}

}  // namespace

bool ParseTrackFormat(const std::string& text, TrackFormat& format) {
  if (text == "gpx") format = TrackFormat::Gpx;
  else if (text == "kml") format = TrackFormat::Kml;
  else if (text == "csv") format = TrackFormat::Csv;
  else return false;
  return true;
}

TrackFormat TrackFormatOfName(const std::string& path) {
  const size_t dot = path.find_last_of('.');
  const size_t slash = path.find_last_of("/\\");
  TrackFormat f = TrackFormat::Gpx;
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
    ParseTrackFormat(Lowered(path.substr(dot + 1)), f);
  return f;
}

std::vector<TrackPoint> TrackPointsOf(const std::vector<TelemetrySecond>& seconds) {
  std::vector<TrackPoint> points;
  for (const TelemetrySecond& s : seconds) {
    if (!s.gps.hasPosition) continue;
    TrackPoint t;
    t.lat = s.gps.lat, t.lon = s.gps.lon;
    t.time = TrackPointTime(s.gps, s.time);
    t.hasSpeed = s.gps.hasSpeed;
    t.speedMs = s.gps.speedKmh / 3.6;
    points.push_back(std::move(t));
  }
  return points;
}

std::string KmlText(const std::vector<TelemetrySecond>& seconds, const std::string& name) {
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n"
      "<Document>\n <name>" + XmlEscaped(name) + "</name>\n"
      " <Style id=\"route\"><LineStyle><color>ff0000ff</color><width>3</width></LineStyle></Style>\n"
      " <Style id=\"point\"><IconStyle><scale>0.5</scale></IconStyle></Style>\n";
  std::string line;
  size_t points = 0;
  for (const TelemetrySecond& s : seconds) {
    if (!s.gps.hasPosition) continue;
    line += "     " + FixedText(s.gps.lon, 7) + "," + FixedText(s.gps.lat, 7) + ",0\n";
    ++points;
  }
  // A line needs two points; a single position is a placemark only.
  if (points >= 2) {
    out += " <Placemark>\n  <name>" + XmlEscaped(name) + "</name>\n  <styleUrl>#route</styleUrl>\n"
           "  <LineString>\n   <tessellate>1</tessellate>\n   <coordinates>\n" + line +
           "   </coordinates>\n  </LineString>\n </Placemark>\n";
  }
  out += " <Folder>\n  <name>Точки</name>\n";
  for (const TelemetrySecond& s : seconds)
    if (s.gps.hasPosition) AppendPlacemark(out, s);
  out += " </Folder>\n</Document>\n</kml>\n";
  return out;
}

std::string TrackCsvText(const std::vector<TelemetrySecond>& seconds) {
  std::string out = std::string(kTrackCsvHeader) + "\r\n";
  for (const TelemetrySecond& s : seconds) {
    const GpsFix& g = s.gps;
    const std::string fields[] = {
        TimeStampText(s.time),
        g.hasPosition ? FixedText(g.lat, 7) : "",
        g.hasPosition ? FixedText(g.lon, 7) : "",
        g.hasSpeed ? FixedText(g.speedKmh, 1) : "",
        g.hasCourse ? FixedText(g.course, 1) : "",
        s.hasSensor ? FixedText(s.InputVolts(), 1) : "",
        s.hasSensor ? FixedText(s.BatteryVolts(), 1) : "",
        s.hasSensor ? (s.EngineOn() ? "1" : "0") : "",
    };
    for (size_t i = 0; i < std::size(fields); ++i) out += (i ? "," : "") + CsvField(fields[i]);
    out += "\r\n";
  }
  return out;
}

std::string TrackText(const std::vector<TelemetrySecond>& seconds, TrackFormat format, const std::string& name,
                      size_t* points) {
  const size_t withPosition =
      size_t(std::count_if(seconds.begin(), seconds.end(), [](const TelemetrySecond& s) { return s.gps.hasPosition; }));
  switch (format) {
    case TrackFormat::Kml:
      if (points) *points = withPosition;
      return KmlText(seconds, name);
    case TrackFormat::Csv:
      if (points) *points = seconds.size();
      return TrackCsvText(seconds);
    case TrackFormat::Gpx:
      break;
  }
  if (points) *points = withPosition;
  return GpxText(TrackPointsOf(seconds), name);
}

}  // namespace quovil
