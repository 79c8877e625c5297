// `export-avi` and `snapshot`: the files the commands write for recorded
// cards, read back by ffprobe and ImageMagick.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include <nlohmann/json.hpp>

#include "mkcard/mkcard.h"
#include "support/shell.h"

namespace {

using quovil::test::Shell;

nlohmann::json Cli(const std::string& args, int* rc) {
  return nlohmann::json::parse(Shell(std::string(QUOVIL_CLI) + " " + args + " 2>/dev/null", rc), nullptr, false);
}

class ExportCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    mkcard::Options o;
    o.format = 2;
    o.records = 24;
    o.sound = false;
    o.start = {5, 3, 13, 14, 22, 10};
    card_ = ::testing::TempDir() + "export_cmd.img";
    truth_ = mkcard::WriteCard(o, card_);
  }
  void TearDown() override { std::remove(card_.c_str()); }

  int CameraCount(int cam) const {
    int n = 0;
    for (const mkcard::Frame& f : truth_.frames) n += f.camera == cam;
    return n;
  }

  std::string card_;
  mkcard::Recorded truth_;
};

TEST_F(ExportCommands, ExportAviWritesEveryRecordOfTheCamera) {
  const std::string out = ::testing::TempDir() + "export_cmd.avi";
  int rc = -1;
  nlohmann::json j = Cli("export-avi " + card_ + " " + out + " --camera 2", &rc);
  ASSERT_EQ(rc, 0) << j.dump();
  EXPECT_EQ(j["files"], nlohmann::json::array({out}));
  EXPECT_EQ(j["frames"], CameraCount(1));
  const std::string frames =
      Shell("ffprobe -v error -count_frames -select_streams v -show_entries stream=nb_read_frames -of csv=p=0 " + out);
  EXPECT_EQ(std::stoi(frames), CameraCount(1));
  std::remove(out.c_str());
}

TEST_F(ExportCommands, ExportAviReportsAMarkNotFound) {
  int rc = -1;
  nlohmann::json j = Cli("export-avi " + card_ + " " + ::testing::TempDir() + "none.avi --start '01.01.2001 00:00:00'", &rc);
  EXPECT_EQ(rc, 1);
  EXPECT_EQ(j["error"], "Не задано начало или конец фрагмента!");
}

#ifdef QUOVIL_MP4
TEST_F(ExportCommands, ExportMp4WritesOneCameraOrBothAndSaysHowLong) {
  const std::string out = ::testing::TempDir() + "export_cmd.mp4";
  int rc = -1;
  nlohmann::json j = Cli("export-mp4 " + card_ + " " + out + " --camera 2", &rc);
  ASSERT_EQ(rc, 0) << j.dump();
  EXPECT_EQ(j["files"], nlohmann::json::array({out}));
  EXPECT_EQ(j["frames"], CameraCount(1));
  const double seconds = j["seconds"];
  const std::string probed = Shell("ffprobe -v error -show_entries format=duration -of csv=p=0 " + out);
  EXPECT_NEAR(std::stod(probed), seconds, 0.25);

  j = Cli("export-mp4 " + card_ + " " + out + " --camera both --arrangement stacked", &rc);
  ASSERT_EQ(rc, 0) << j.dump();
  EXPECT_EQ(j["frames"], int(truth_.frames.size()));
  j = Cli("export-mp4 " + card_ + " " + out + " --camera both --arrangement diagonal", &rc);
  EXPECT_EQ(rc, 1);
  EXPECT_EQ(j["error"], "unknown arrangement: diagonal");
  j = Cli("export-mp4 " + card_ + " " + card_, &rc);
  EXPECT_EQ(rc, 1) << "the card is never a target";
  for (const char* size : {"0", "1.5", "lots"}) {
    j = Cli("export-mp4 " + card_ + " " + out + " --split-mb " + size, &rc);
    EXPECT_EQ(rc, 1) << size;
    EXPECT_NE(j["error"].get<std::string>().find("--split-mb"), std::string::npos) << size;
  }
  // A small fragment stays one file under a limit it does not reach.
  j = Cli("export-mp4 " + card_ + " " + out + " --split-mb 100 --plain-stamp", &rc);
  ASSERT_EQ(rc, 0) << j.dump();
  EXPECT_EQ(j["files"], nlohmann::json::array({out}));
  std::remove(out.c_str());
}
#endif

TEST_F(ExportCommands, SnapshotWritesTheStampedPictureOfTheIndex) {
  const std::string out = ::testing::TempDir() + "export_cmd.bmp";
  int rc = -1;
  nlohmann::json j = Cli("snapshot " + card_ + " " + out + " --index 3", &rc);
  ASSERT_EQ(rc, 0) << j.dump();
  EXPECT_EQ(j["stamp"].get<std::string>().substr(0, 10), "05.03.2013");
  const std::string name = j["name"];
  EXPECT_EQ(name.substr(0, 17), "05.03.2013_14.22.");
  EXPECT_EQ(name.substr(name.size() - 8), "_ch" + std::to_string(truth_.frames[3].camera) + ".bmp");
  EXPECT_EQ(Shell("identify -format '%wx%h %[type]' " + out), "420x" + std::to_string(truth_.height + 20) + " Grayscale");
  std::remove(out.c_str());
}

}  // namespace
