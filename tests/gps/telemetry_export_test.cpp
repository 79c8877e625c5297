// Track files of the telemetry: CSV as a CSV reader splits it, KML and GPX as
// gpsbabel reads them back.
#include <gtest/gtest.h>

#include <sstream>

#include "gps/telemetry_export.h"
#include "support/files.h"
#include "support/shell.h"

namespace quovil {
namespace {

using test::Shell;

// Three seconds: a full one, one without a fix but with sensors, one with a
// position and nothing else.
std::vector<TelemetrySecond> Seconds() {
  std::vector<TelemetrySecond> s(3);
  s[0].time = {15, 6, 24, 12, 0, 0};
  s[0].gps.hasPosition = true, s[0].gps.lat = 55.75, s[0].gps.lon = 37.62;
  s[0].gps.hasSpeed = true, s[0].gps.speedKmh = 36.04;
  s[0].gps.hasCourse = true, s[0].gps.course = 45.5;
  s[0].gps.hasTime = s[0].gps.hasDate = true;
  s[0].gps.year = 2024, s[0].gps.month = 6, s[0].gps.day = 15, s[0].gps.hour = 9;
  s[0].hasSensor = true, s[0].status = kSensorEngineOn, s[0].uin = 138, s[0].uakb = 41;
  s[1].time = {15, 6, 24, 12, 0, 1};
  s[1].hasSensor = true, s[1].status = 0, s[1].uin = 50, s[1].uakb = 125;
  s[2].time = {15, 6, 24, 12, 0, 2};
  s[2].gps.hasPosition = true, s[2].gps.lat = -33.5, s[2].gps.lon = -70.25;
  return s;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) out.push_back(line);
  return out;
}

TEST(TrackCsv, HeaderRowsAndEmptyFields) {
  const std::string csv = TrackCsvText(Seconds());
  const auto lines = Lines(csv);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "time,lat,lon,speed_kmh,course,uin_v,uakb_v,engine\r");
  EXPECT_EQ(lines[1], "15.06.2024 12:00:00,55.7500000,37.6200000,36.0,45.5,13.8,4.1,1\r");
  EXPECT_EQ(lines[2], "15.06.2024 12:00:01,,,,,5.0,12.5,0\r");
  EXPECT_EQ(lines[3], "15.06.2024 12:00:02,-33.5000000,-70.2500000,,,,,\r");
  EXPECT_EQ(TrackCsvText({}), std::string(kTrackCsvHeader) + "\r\n");
}

#ifndef _WIN32
TEST(TrackCsv, ReadsBackInPythonsCsvReader) {
  test::ScratchFolder folder("track-csv");
  const std::string path = folder / "t.csv";
  ASSERT_TRUE(test::WriteText(path, TrackCsvText(Seconds())));
  const std::string out = Shell("python3 -c \"import csv,sys; r=list(csv.DictReader(open(sys.argv[1], newline='', "
                                "encoding='utf-8'))); print(len(r), set(len(x) for x in r), r[0]['speed_kmh'], "
                                "r[1]['lat']=='', r[2]['lon'])\" '" + path + "' 2>&1");
  EXPECT_EQ(out, "3 {8} 36.0 True -70.2500000\n");
}

TEST(TrackKml, ValidXmlThatGpsbabelReadsBack) {
  test::ScratchFolder folder("track-kml");
  const std::string path = folder / "t.kml";
  // The name goes into the document escaped.
  ASSERT_TRUE(test::WriteText(path, KmlText(Seconds(), "<A & B> \"q\" 'a'\x01")));
  const std::string xml = Shell("python3 -c \"import sys, xml.etree.ElementTree as E; "
                                "d=E.parse(sys.argv[1]).getroot()[0]; print(d[0].text)\" '" + path + "' 2>&1");
  EXPECT_EQ(xml, "<A & B> \"q\" 'a'\n");
  // Waypoints: the two positions, in order.
  const auto points = Lines(Shell("gpsbabel -i kml -f '" + path + "' -x nuketypes,tracks,routes -o csv -F - 2>&1"));
  ASSERT_EQ(points.size(), 2u) << Shell("cat '" + path + "'");
  EXPECT_EQ(points[0].rfind("55.75000, 37.62000", 0), 0u) << points[0];
  EXPECT_EQ(points[1].rfind("-33.50000, -70.25000", 0), 0u) << points[1];
  // And the line through them as a track.
  const auto track = Lines(Shell("gpsbabel -i kml -f '" + path + "' -x nuketypes,waypoints -o csv -F - 2>&1"));
  ASSERT_EQ(track.size(), 2u);
  EXPECT_EQ(track[1].rfind("-33.50000, -70.25000", 0), 0u) << track[1];
}

TEST(TrackGpx, PointsWithPositionsOnly) {
  test::ScratchFolder folder("track-gpx");
  const std::string path = folder / "t.gpx";
  size_t points = 0;
  ASSERT_TRUE(test::WriteText(path, TrackText(Seconds(), TrackFormat::Gpx, "route", &points)));
  EXPECT_EQ(points, 2u);
  const auto rows = Lines(Shell("gpsbabel -t -i gpx -f '" + path + "' -o unicsv -F - 2>&1"));
  ASSERT_EQ(rows.size(), 3u);
  // The GPS clock where the text had it, the recorder's otherwise.
  EXPECT_NE(rows[1].find("2024/06/15,09:00:00"), std::string::npos) << rows[1];
  EXPECT_NE(rows[2].find("2024/06/15,12:00:02"), std::string::npos) << rows[2];
}
#endif

TEST(TrackFormat, NamesAndExtensions) {
  TrackFormat f = TrackFormat::Gpx;
  EXPECT_TRUE(ParseTrackFormat("kml", f));
  EXPECT_EQ(f, TrackFormat::Kml);
  EXPECT_TRUE(ParseTrackFormat("csv", f));
  EXPECT_EQ(f, TrackFormat::Csv);
  EXPECT_FALSE(ParseTrackFormat("KML", f));
  EXPECT_FALSE(ParseTrackFormat("txt", f));
  EXPECT_EQ(TrackFormatOfName("a/b.KML"), TrackFormat::Kml);
  EXPECT_EQ(TrackFormatOfName("b.csv"), TrackFormat::Csv);
  EXPECT_EQ(TrackFormatOfName("b.txt"), TrackFormat::Gpx);
  EXPECT_EQ(TrackFormatOfName("dir.csv/route"), TrackFormat::Gpx);
  size_t n = 0;
  TrackText(Seconds(), TrackFormat::Csv, "", &n);
  EXPECT_EQ(n, 3u);
  TrackText(Seconds(), TrackFormat::Kml, "", &n);
  EXPECT_EQ(n, 2u);
}

}  // namespace
}  // namespace quovil
