#include "gps/gpx_route.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <set>
#include <system_error>

#include "card/korax.h"
#include "decode/frame_info.h"
#include "gps/nmea.h"
#include "platform/checksum_file.h"
#include "platform/file_guard.h"
#include "platform/utf8_file.h"
#include "card/source.h"
#include "platform/translate.h"

namespace quovil {

std::string TrackPointTime(const GpsFix& fix, const TimeStamp& recorded) {
  if (fix.hasTime && fix.hasDate)
    return Format("%04d-%02d-%02dT%02d:%02d:%02dZ", fix.year, fix.month, fix.day, fix.hour, fix.minute,
                  int(fix.second));
  // Without a GPS date the recorder's own clock (local time, no zone) is all there is.
  return Format("%04d-%02d-%02dT%02d:%02d:%02d", 2000 + recorded.year, recorded.month, recorded.day, recorded.hour,
                recorded.minute, recorded.second);
}

std::string XmlEscaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '&') out += "&amp;";
    else if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else if (c == '"') out += "&quot;";
    else if (c == '\'') out += "&apos;";
    else if (uint8_t(c) >= 0x20 || c == '\t' || c == '\n' || c == '\r') out += c;
  }
  return out;
}

std::string FixedText(double value, int decimals) {
  char buf[64];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
  return ec == std::errc() ? std::string(buf, end) : std::string();
}

bool WriteExportText(const std::string& path, const std::string& text, std::string& error) {
  FILE* f = CreateOutputFile(path, error);
  if (!f) return false;
  const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  if (std::fclose(f) != 0 || !ok) {
    error = Format(Tr("Gps", "Ошибка записи файла %s"), path.c_str());
    RemoveFileUtf8(path);
    return false;
  }
  return SealExport(path, &error);
}

std::vector<TrackPoint> RouteOfRecords(const Source& src, const std::vector<int32_t>& indices) {
  std::vector<TrackPoint> points;
  std::set<int> seenEntries;
  InfoRunMemo memo;
  for (const int32_t index : indices) {
    if (!src.ValidIndex(index)) continue;
    const int entry = FindInfoEntry(src, index, memo);
    if (entry < 0 || !seenEntries.insert(entry).second) continue;
    FrameInfoState info;
    if (!ReadInfoBlock(src, info, entry) || info.GpsSentence.empty()) continue;
    const GpsFix fix = ParseGpsText(info.GpsSentence);
    if (!fix.hasPosition) continue;
    if (!points.empty() && points.back().lat == fix.lat && points.back().lon == fix.lon) continue;
    TrackPoint t;
    t.lat = fix.lat, t.lon = fix.lon;
    t.time = TrackPointTime(fix, src.TimeOf(index));
    t.hasSpeed = fix.hasSpeed;
    t.speedMs = fix.speedKmh / 3.6;
    points.push_back(std::move(t));
  }
  return points;
}

std::string GpxText(const std::vector<TrackPoint>& points, const std::string& name) {
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<gpx version=\"1.1\" creator=\"QUOVIL\" xmlns=\"http://www.topografix.com/GPX/1/1\"\n"
      " xmlns:gpxtpx=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v2\"\n"
      " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\n"
      " xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd\">\n"
      " <trk>\n  <name>" + XmlEscaped(name) + "</name>\n  <trkseg>\n";
  for (const TrackPoint& t : points) {
    out += "   <trkpt lat=\"" + FixedText(t.lat, 7) + "\" lon=\"" + FixedText(t.lon, 7) + "\">\n    <time>" +
           XmlEscaped(t.time) + "</time>\n";
    if (t.hasSpeed)
      out += "    <extensions><gpxtpx:TrackPointExtension><gpxtpx:speed>" + FixedText(t.speedMs, 3) +
             "</gpxtpx:speed></gpxtpx:TrackPointExtension></extensions>\n";
    out += "   </trkpt>\n";
  }
  out += "  </trkseg>\n </trk>\n</gpx>\n";
  return out;
}

bool WriteGpxFile(const std::string& path, const std::vector<TrackPoint>& points, const std::string& name,
                  std::string& error) {
  return WriteExportText(path, GpxText(points, name), error);
}

}  // namespace quovil
