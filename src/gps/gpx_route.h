// The recorded route of a stretch of the selection, written as GPX 1.1.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quovil {

class Viewer;

struct TrackPoint {
  double lat = 0, lon = 0;
  std::string time;  // xsd:dateTime; UTC ("Z") when taken from the GPS text
  bool hasSpeed = false;
  double speedMs = 0;
};

// One point per distinct position recorded for positions first..last of the
// selection: the information block of each second is read once, and a point
// equal to the one before it is not repeated. Seconds whose GPS text has no
// valid fix are skipped.
std::vector<TrackPoint> RouteOfPositions(const Viewer& v, int32_t first, int32_t last);

// The GPX 1.1 document of one track; speeds go into the Garmin track point
// extension, which GPX 1.1 readers know.
std::string GpxText(const std::vector<TrackPoint>& points, const std::string& name);

// Writes the document to path; false with a reason when the file cannot be written.
bool WriteGpxFile(const std::string& path, const std::vector<TrackPoint>& points, const std::string& name,
                  std::string& error);

}  // namespace quovil
