// `quovil-cli track`: every recorded second of the selection as CSV, KML or
// GPX from the telemetry index, which the second call takes from the cache.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "card/korax.h"
#include "cli_json.h"
#include "mkcard/mkcard.h"
#include "support/files.h"
#include "support/shell.h"

namespace {

using cli_test::CliResult;
using quovil::test::Shell;

class TrackCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    mkcard::Options o;
    o.format = 2;
    o.records = 60;
    o.sound = false;
    o.width = 16, o.height = 8;
    o.infoGapEvery = 4;
    o.invalidFixEvery = 5;
    card_ = folder_ / "track card.img";
    truth_ = mkcard::WriteCard(o, card_);
    ASSERT_EQ(truth_.format, 2);
  }
  // The command with a cache folder of the test's own.
  CliResult Run(const std::string& args) {
    CliResult r;
    const std::string text = Shell("XDG_CACHE_HOME='" + cache_ + "' " + std::string(QUOVIL_CLI) + " track '" + card_ +
                                       "' " + args + " 2>/dev/null",
                                   &r.rc);
    r.out = nlohmann::json::parse(text, nullptr, false);
    return r;
  }
  // The truth's seconds in order: the first frame of each.
  std::vector<const mkcard::Frame*> Seconds() const {
    std::vector<const mkcard::Frame*> out;
    for (const mkcard::Frame& f : truth_.frames)
      if (out.empty() || !(out.back()->time == f.time)) out.push_back(&f);
    return out;
  }
  static std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) out.push_back(line);
    return out;
  }

  quovil::test::ScratchFolder folder_{"track-cli"};
  std::string card_, cache_ = folder_ / "cache";
  mkcard::Recorded truth_;
};

TEST_F(TrackCommand, CsvRowPerSecondAgreesWithTheRecorder) {
  const std::string out = folder_ / "day.csv";
  const CliResult r = Run("'" + out + "'");
  ASSERT_EQ(r.rc, 0) << r.out.dump();
  const auto seconds = Seconds();
  EXPECT_EQ(r.out["points"], seconds.size());
  const auto lines = Lines(quovil::test::ReadText(out));
  ASSERT_EQ(lines.size(), seconds.size() + 1);
  EXPECT_EQ(lines[0], "time,lat,lon,speed_kmh,course,uin_v,uakb_v,engine\r");
  int empty = 0;
  for (size_t k = 0; k < seconds.size(); ++k) {
    const mkcard::Frame& f = *seconds[k];
    char time[32];
    double lat = 0, lon = 0, speed = 0, course = 0, uin = 0, uakb = 0;
    int engine = -1;
    if (f.gpsPosition) {
      ASSERT_EQ(std::sscanf(lines[k + 1].c_str(), "%19[^,],%lf,%lf,%lf,%lf,%lf,%lf,%d", time, &lat, &lon, &speed,
                            &course, &uin, &uakb, &engine), 8) << lines[k + 1];
      EXPECT_EQ(std::string(time), quovil::TimeStampText(f.time));
      EXPECT_NEAR(lat, f.lat, 1e-6);
      EXPECT_NEAR(lon, f.lon, 1e-6);
      EXPECT_NEAR(speed, f.speedKmh, 0.051);
      EXPECT_NEAR(course, f.course, 0.051);
      EXPECT_NEAR(uin, f.uin / 10.0, 1e-9);
      EXPECT_NEAR(uakb, f.uakb / 10.0, 1e-9);
      EXPECT_EQ(engine, (f.sensorStatus & 0x08) ? 1 : 0);
    } else if (f.infoIndex < 0) {
      ++empty;
      EXPECT_EQ(lines[k + 1], quovil::TimeStampText(f.time) + ",,,,,,,\r");
    } else {
      // No fix: the sensors alone.
      EXPECT_EQ(lines[k + 1].substr(0, 24), quovil::TimeStampText(f.time) + ",,,,,") << lines[k + 1];
    }
  }
  EXPECT_GT(empty, 1);
  // The second call finds the cache and writes the same.
  ASSERT_TRUE(std::filesystem::exists(cache_ + "/quovil"));
  const std::string again = folder_ / "again.csv";
  ASSERT_EQ(Run("'" + again + "'").rc, 0);
  EXPECT_EQ(quovil::test::ReadText(again), quovil::test::ReadText(out));
}

TEST_F(TrackCommand, FormatsMarksAndRefusals) {
  int withPosition = 0;
  for (const mkcard::Frame* f : Seconds()) withPosition += f->gpsPosition ? 1 : 0;
  // --format wins over the name's extension.
  const std::string kml = folder_ / "route.txt";
  CliResult r = Run("'" + kml + "' --format kml");
  ASSERT_EQ(r.rc, 0) << r.out.dump();
  EXPECT_EQ(r.out["points"], withPosition);
  EXPECT_EQ(Lines(Shell("gpsbabel -i kml -f '" + kml + "' -x nuketypes,tracks,routes -o csv -F - 2>&1")).size(),
            size_t(withPosition));
  const std::string gpx = folder_ / "route.gpx";
  r = Run("'" + gpx + "'");
  ASSERT_EQ(r.rc, 0);
  EXPECT_EQ(Lines(Shell("gpsbabel -t -i gpx -f '" + gpx + "' -o unicsv -F - 2>&1")).size(), size_t(withPosition) + 1);
  // Marks: three seconds.
  const std::string part = folder_ / "part.csv";
  r = Run("'" + part + "' --start '15.06.2024 12:00:02' --end '15.06.2024 12:00:04'");
  ASSERT_EQ(r.rc, 0);
  EXPECT_EQ(r.out["points"], 3);
  EXPECT_EQ(Lines(quovil::test::ReadText(part)).size(), 4u);
  // Refused: an unknown format, a mark outside, the source itself as output.
  r = Run("'" + folder_ / "x.csv" + "' --format svg");
  EXPECT_EQ(r.rc, 1);
  EXPECT_EQ(r.out["error"], "unknown format: svg");
  r = Run("'" + folder_ / "y.csv" + "' --start '01.01.2001 00:00:00'");
  EXPECT_EQ(r.rc, 1);
  EXPECT_TRUE(r.out.contains("error"));
  const auto before = quovil::test::ReadBytes(card_);
  r = Run("'" + card_ + "' --format csv");
  EXPECT_EQ(r.rc, 1);
  EXPECT_EQ(r.out["error"], "Не могу сохранить в открытый файл!");
  EXPECT_EQ(quovil::test::ReadBytes(card_), before);
}

}  // namespace
