#include "gps/gpx_route.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>

#include "card/korax.h"
#include "decode/frame_info.h"
#include "gps/nmea.h"
#include "platform/checksum_file.h"
#include "platform/file_guard.h"
#include "platform/utf8_file.h"
#include "card/source.h"

namespace quovil {

namespace {

std::string PointTime(const GpsFix& fix, const TimeStamp& recorded) {
  if (fix.hasTime && fix.hasDate)
    return Format("%04d-%02d-%02dT%02d:%02d:%02dZ", fix.year, fix.month, fix.day, fix.hour, fix.minute,
                  int(fix.second));
  // Without a GPS date the recorder's own clock (local time, no zone) is all there is.
  return Format("%04d-%02d-%02dT%02d:%02d:%02d", 2000 + recorded.year, recorded.month, recorded.day, recorded.hour,
                recorded.minute, recorded.second);
}

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '&') out += "&amp;";
    else if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else if (c == '"') out += "&quot;";
    else out += c;
  }
  return out;
}

}  // namespace

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
    t.time = PointTime(fix, src.TimeOf(index));
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
      " <trk>\n  <name>" + Escaped(name) + "</name>\n  <trkseg>\n";
  for (const TrackPoint& t : points) {
    out += Format("   <trkpt lat=\"%.7f\" lon=\"%.7f\">\n    <time>%s</time>\n", t.lat, t.lon, t.time.c_str());
    if (t.hasSpeed)
      out += Format("    <extensions><gpxtpx:TrackPointExtension><gpxtpx:speed>%.3f</gpxtpx:speed>"
                    "</gpxtpx:TrackPointExtension></extensions>\n", t.speedMs);
    out += "   </trkpt>\n";
  }
  out += "  </trkseg>\n </trk>\n</gpx>\n";
  return out;
}

bool WriteGpxFile(const std::string& path, const std::vector<TrackPoint>& points, const std::string& name,
                  std::string& error) {
  const std::string text = GpxText(points, name);
  FILE* f = CreateOutputFile(path, error);
  if (!f) return false;
  const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  if (std::fclose(f) != 0 || !ok) {
    error = Format("Ошибка записи файла %s", path.c_str());
    RemoveFileUtf8(path);
    return false;
  }
  return SealExport(path, &error);
}

}  // namespace quovil
