// The recorded route of a list of records, written as GPX 1.1. It reads only
// the open source, so it may run on a worker.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

// Writes the document to path; false with a reason when the file cannot be written.
bool WriteGpxFile(const std::string& path, const std::vector<TrackPoint>& points, const std::string& name,
                  std::string& error);

}  // namespace quovil
