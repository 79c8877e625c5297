// The recorded route of a list of records, written as GPX 1.1. It reads only
// the open source, so it may run on a worker.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "card/korax.h"
#include "gps/nmea.h"

namespace quovil {

struct Source;

struct TrackPoint {
  double lat = 0, lon = 0;
  std::string time;  // xsd:dateTime; UTC ("Z") when taken from the GPS text
  bool hasSpeed = false;
  double speedMs = 0;
};

// One point per distinct position recorded for the records (catalogue indices,
// in selection order): the information block of each second is read once, and a point
// equal to the one before it is not repeated. Seconds whose GPS text has no
// valid fix are skipped.
std::vector<TrackPoint> RouteOfRecords(const Source& src, const std::vector<int32_t>& indices);

// The GPX 1.1 document of one track; speeds go into the Garmin track point
// extension, which GPX 1.1 readers know.
std::string GpxText(const std::vector<TrackPoint>& points, const std::string& name);

// The time of a point: the GPS date and time (UTC) when the text has both,
// else the recorder's own clock (local time, no zone), as xsd:dateTime.
std::string TrackPointTime(const GpsFix& fix, const TimeStamp& recorded);

// Text for XML content and attributes: the five special characters escaped,
// control characters XML does not allow left out.
std::string XmlEscaped(std::string_view text);

// A number with that many decimals and a point for the separator, whatever
// the C locale (the window's may write a comma).
std::string FixedText(double value, int decimals);

// Writes text to path as a new file (refused when the path names an input or
// a folder); false with the reason, and no file left, when it cannot.
bool WriteExportText(const std::string& path, const std::string& text, std::string& error);

// Writes the document to path; false with a reason when the file cannot be written.
bool WriteGpxFile(const std::string& path, const std::vector<TrackPoint>& points, const std::string& name,
                  std::string& error);

}  // namespace quovil
