// `quovil-cli gpx`: the recorded route read back by gpsbabel, point for point.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "gps/nmea.h"
#include "mkcard/mkcard.h"
#include "support/shell.h"

namespace {

#ifdef QUOVIL_CLI
const char* const kGpxCli = QUOVIL_CLI;
#else
const char* const kGpxCli = QUOVIL_BUILD_DIR "/src/cli/quovil-cli";
#endif

using quovil::test::Shell;

struct Point {
  double lat, lon;
};

// The distinct positions in recording order, as the recorder wrote them.
std::vector<Point> ExpectedRoute(const mkcard::Recorded& t) {
  std::vector<Point> out;
  int lastInfo = -2;
  for (int i : t.order) {
    const mkcard::Frame& f = t.frames[size_t(i)];
    if (f.infoIndex == lastInfo || f.gpsText.empty()) continue;
    lastInfo = f.infoIndex;
    const quovil::GpsFix fix = quovil::ParseGpsText(f.gpsText);
    if (!fix.hasPosition) continue;
    if (!out.empty() && out.back().lat == fix.lat && out.back().lon == fix.lon) continue;
    out.push_back({fix.lat, fix.lon});
  }
  return out;
}

// gpsbabel's reading of the track: one "lat,lon,date,time" row per point.
std::vector<std::string> BabelRows(const std::string& gpx) {
  std::istringstream csv(Shell("gpsbabel -t -i gpx -f '" + gpx + "' -o unicsv -F - 2>&1"));
  std::vector<std::string> rows;
  std::string line;
  std::getline(csv, line);  // header
  while (std::getline(csv, line)) rows.push_back(line.substr(line.find(',') + 1));
  return rows;
}

TEST(GpxCommand, RouteOfTheWholeSelectionReadsBackInGpsbabel) {
  mkcard::Options o;
  o.format = 2;
  o.records = 60;
  const std::string image = ::testing::TempDir() + "gpx_card.img";
  const std::string gpx = ::testing::TempDir() + "route.gpx";
  const mkcard::Recorded t = mkcard::WriteCard(o, image);
  ASSERT_EQ(t.format, 2);
  const auto out = nlohmann::json::parse(Shell(std::string(kGpxCli) + " gpx '" + image + "' '" + gpx + "'"), nullptr, false);
  ASSERT_TRUE(out.is_object());
  const std::vector<Point> want = ExpectedRoute(t);
  ASSERT_FALSE(want.empty());
  EXPECT_EQ(out["points"].get<size_t>(), want.size());
  const std::vector<std::string> rows = BabelRows(gpx);
  ASSERT_EQ(rows.size(), want.size()) << Shell("cat '" + gpx + "'");
  for (size_t i = 0; i < want.size(); ++i) {
    double lat = 0, lon = 0;
    ASSERT_EQ(std::sscanf(rows[i].c_str(), "%lf,%lf", &lat, &lon), 2) << rows[i];
    EXPECT_NEAR(lat, want[i].lat, 1e-6);
    EXPECT_NEAR(lon, want[i].lon, 1e-6);
    EXPECT_NE(rows[i].find("2024/06/15"), std::string::npos) << rows[i];
  }
  // The speeds survive gpsbabel's own rewrite of the file.
  const std::string again = Shell("gpsbabel -t -i gpx -f '" + gpx + "' -o gpx -F - 2>&1");
  EXPECT_NE(again.find("speed>"), std::string::npos);
}

TEST(GpxCommand, MarksLimitTheRouteAndCardsWithoutGpsGiveNone) {
  mkcard::Options o;
  o.format = 2;
  o.records = 60;
  const std::string image = ::testing::TempDir() + "gpx_marks.img";
  const std::string gpx = ::testing::TempDir() + "marks.gpx";
  mkcard::WriteCard(o, image);
  const auto part = nlohmann::json::parse(
      Shell(std::string(kGpxCli) + " gpx '" + image + "' '" + gpx +
          "' --start '15.06.2024 12:00:02' --end '15.06.2024 12:00:04'"), nullptr, false);
  ASSERT_TRUE(part.is_object());
  EXPECT_EQ(part["points"].get<int>(), 3);
  EXPECT_EQ(BabelRows(gpx).size(), 3u);

  o.gps = false;
  mkcard::WriteCard(o, image);
  const auto none = nlohmann::json::parse(Shell(std::string(kGpxCli) + " gpx '" + image + "' '" + gpx + "'"), nullptr, false);
  ASSERT_TRUE(none.is_object());
  EXPECT_EQ(none["points"].get<int>(), 0);
  EXPECT_TRUE(BabelRows(gpx).empty());
}

}  // namespace
