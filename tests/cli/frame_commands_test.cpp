// `frame`, `frame-info` and `sound`: what the commands write for recorded
// cards and archives, compared with what the recorder put on them.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include <nlohmann/json.hpp>

#include "cli_json.h"
#include "decode/build_picture.h"
#include "mkcard/mkcard.h"
#include "support/files.h"

namespace {

using Result = cli_test::CliResult;
using cli_test::RunCli;

// The pixels of a binary PGM of the given size; empty when the header differs.
std::vector<uint8_t> PgmPixels(const std::string& path, int w, int h) {
  const std::vector<uint8_t> file = quovil::test::ReadBytes(path);
  const std::string header = "P5\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
  if (file.size() != header.size() + size_t(w) * size_t(h) || !std::equal(header.begin(), header.end(), file.begin()))
    return {};
  return {file.begin() + long(header.size()), file.end()};
}

// Test programs run side by side: every test gets files of its own.
std::string Temp(const std::string& name) {
  return ::testing::TempDir() + "frame_cmd_" + std::to_string(getpid()) + "_" + name;
}

// Runs `frame` for index i and compares the picture with the recorder's.
void ExpectFrame(const std::string& src, const mkcard::Recorded& t, int i) {
  const mkcard::Frame& f = t.frames[size_t(i)];
  const std::string pgm = Temp("picture.pgm");
  std::remove(pgm.c_str());
  const Result r = RunCli("frame '" + src + "' --index " + std::to_string(i) + " --out '" + pgm + "'");
  SCOPED_TRACE("index " + std::to_string(i) + ", group position " + std::to_string(f.groupPosition));
  ASSERT_EQ(r.rc, 0) << r.out;
  EXPECT_EQ(r.out["index"], i);
  EXPECT_EQ(r.out["camera"], f.camera + 1);
  EXPECT_EQ(r.out["position"], f.groupPosition);
  EXPECT_EQ(PgmPixels(pgm, t.width, t.height), f.picture);
}

mkcard::Options Card(int format) {
  mkcard::Options o;
  o.format = format;
  o.records = 60;
  o.groupLength = 12;
  return o;
}

// Indices worth a look: key frames, deltas early and late in their group, of
// both cameras.
std::vector<int> Sample(const mkcard::Recorded& t) {
  std::vector<int> pick;
  for (int i = 0; i < int(t.frames.size()) && pick.size() < 8; i += 7)
    if (t.frames[size_t(i)].written) pick.push_back(i);
  return pick;
}

TEST(FrameCommand, Format2PicturesIncludingDeltaFrames) {
  const std::string image = Temp("f2.img");
  const mkcard::Recorded t = mkcard::WriteCard(Card(2), image);
  ASSERT_EQ(t.format, 2);
  for (int i : {11, 23, 40}) ExpectFrame(image, t, i);  // the deepest deltas of their groups
  for (int i : Sample(t)) ExpectFrame(image, t, i);
}

TEST(FrameCommand, InterlacedFormats) {
  for (int format : {0, 1}) {
    const std::string image = Temp("f" + std::to_string(format) + ".img");
    const mkcard::Recorded t = mkcard::WriteCard(Card(format), image);
    ASSERT_EQ(t.format, format);
    for (int i : {0, 33}) ExpectFrame(image, t, i);
  }
}

TEST(FrameCommand, ArchiveOfAFormat2Card) {
  mkcard::Recorded t;
  const std::vector<uint8_t> bytes = mkcard::MakeArchive(Card(2), 3, &t);
  const std::string kif = Temp("card.kif");
  ASSERT_TRUE(quovil::test::WriteBytes(kif, bytes));
  for (int i : {9, 30}) ExpectFrame(kif, t, i);
}

TEST(FrameCommand, BrightnessAndContrastAreApplied) {
  const std::string image = Temp("levels.img");
  const mkcard::Recorded t = mkcard::WriteCard(Card(2), image);
  const std::string pgm = Temp("levels.pgm");
  const Result r = RunCli("frame '" + image + "' --index 5 --brightness 40 --contrast 150 --out '" + pgm + "'");
  ASSERT_EQ(r.rc, 0) << r.out;
  const auto levels = quovil::LevelTable(40, 150);
  std::vector<uint8_t> want = t.frames[5].picture;
  for (uint8_t& p : want) p = levels[p];
  EXPECT_EQ(PgmPixels(pgm, t.width, t.height), want);
}

TEST(FrameCommand, RefusesWhatItCannotShow) {
  const std::string image = Temp("refuse.img");
  mkcard::WriteCard(Card(2), image);
  const std::string pgm = Temp("refused.pgm");
  for (const char* args : {"--index 60", "--index -1", "--index 3 --contrast 201", "--index x"}) {
    const Result r = RunCli("frame '" + image + "' " + args + " --out '" + pgm + "'");
    EXPECT_NE(r.rc, 0) << args;
    if (r.out.is_object()) {
      EXPECT_TRUE(r.out.contains("error")) << args;
    }
  }
  const Result r = RunCli("frame '" + Temp("missing.img") + "' --index 0 --out '" + pgm + "'");
  EXPECT_NE(r.rc, 0);
  // A name that leads nowhere is no card problem: the system's reason is given.
  EXPECT_EQ(r.out["error"], "cannot open " + Temp("missing.img") + ": No such file or directory");
}

TEST(FrameInfoCommand, SensorAndGpsOfTheRecordsSecond) {
  const std::string image = Temp("info.img");
  const mkcard::Recorded t = mkcard::WriteCard(Card(2), image);
  int checked = 0;
  for (int i = 0; i < int(t.frames.size()) && checked < 6; i += 5, ++checked) {
    const mkcard::Frame& f = t.frames[size_t(i)];
    const Result r = RunCli("frame-info '" + image + "' --index " + std::to_string(i));
    SCOPED_TRACE("index " + std::to_string(i));
    ASSERT_EQ(r.rc, 0) << r.out;
    EXPECT_EQ(r.out["sensorIndex"], f.hasSensor ? f.infoIndex : -1);
    EXPECT_EQ(r.out["gps"], f.gpsText);
    EXPECT_EQ(r.out["speed"], f.gpsSpeed);
    if (f.hasSensor) {
      ASSERT_EQ(r.out["labels"].size(), 5u);
      EXPECT_EQ(r.out["labels"][0], quovil::Format("Uвх   = %4.1f В", f.uin / 10.0));
      EXPECT_EQ(r.out["labels"][2], (f.sensorStatus & 2) ? "U_BAT LOW" : "U_BAT OK");
    } else {
      EXPECT_TRUE(r.out["labels"].empty());
    }
  }
}

TEST(FrameInfoCommand, InterlacedCardsCarryNone) {
  const std::string image = Temp("info1.img");
  mkcard::WriteCard(Card(1), image);
  const Result r = RunCli("frame-info '" + image + "' --index 3");
  ASSERT_EQ(r.rc, 0) << r.out;
  EXPECT_EQ(r.out["sensorIndex"], -1);
  EXPECT_EQ(r.out["gpsIndex"], -1);
  EXPECT_TRUE(r.out["labels"].empty());
}

TEST(SoundCommand, SamplesOfTheEntry) {
  for (int format : {1, 2}) {
    const std::string image = Temp("sound" + std::to_string(format) + ".img");
    const mkcard::Recorded t = mkcard::WriteCard(Card(format), image);
    const std::string raw = Temp("sound.raw");
    for (int i : {0, 17}) {
      const Result r = RunCli("sound '" + image + "' --index " + std::to_string(i) + " --out '" + raw + "'");
      ASSERT_EQ(r.rc, 0) << r.out;
      EXPECT_EQ(r.out["samples"], t.frames[size_t(i)].samples.size()) << "format " << format << " index " << i;
      EXPECT_EQ(quovil::test::ReadBytes(raw), t.frames[size_t(i)].samples) << "format " << format << " index " << i;
    }
  }
}

TEST(SoundCommand, CardWithoutSoundGivesNoSamples) {
  const std::string image = Temp("silent.img");
  mkcard::WriteCard(Card(0), image);
  const std::string raw = Temp("silent.raw");
  const Result r = RunCli("sound '" + image + "' --index 2 --out '" + raw + "'");
  ASSERT_EQ(r.rc, 0) << r.out;
  EXPECT_EQ(r.out["samples"], 0);
  EXPECT_TRUE(quovil::test::ReadBytes(raw).empty());
}

}  // namespace
