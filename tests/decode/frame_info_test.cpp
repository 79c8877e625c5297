#include <gtest/gtest.h>

#include <string>

#include "decode/frame_info.h"
#include "decode_fixture.h"

using namespace quovil;
using decode_test::GpsRecord;
using decode_test::InfoBlock;
using decode_test::Recorder;
using decode_test::SensorRecord;
using decode_test::TestPicture;

namespace {

const std::string kVtg = "$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48";
const std::string kRmc = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A";

TEST(GpsSpeed, SeventhFieldOfTheVtgSentence) {
  std::string speed;
  EXPECT_TRUE(GpsSpeedField(kVtg, &speed));
  EXPECT_EQ(speed, "010.2");
  EXPECT_TRUE(GpsSpeedField(kRmc + "\r\n" + kVtg + "\r\n", &speed));
  EXPECT_EQ(speed, "010.2");
  EXPECT_FALSE(GpsSpeedField(kRmc, &speed));
}

TEST(GpsSpeed, FieldEndingTheTextLosesItsLastCharacter) {
  std::string speed;
  GpsSpeedField("$GPVTG,1,T,2,M,3,N,45.6", &speed);
  EXPECT_EQ(speed, "45.");
}

TEST(FrameInfoParse, SensorLabels) {
  FrameInfoState info;
  const auto block = InfoBlock({SensorRecord(0x0E, 50, 125)});
  ParseFrameInfo(block.data(), block.size(), 7, info);
  EXPECT_EQ(info.SensorIndex, 7);
  EXPECT_EQ(info.GpsIndex, -1);
  EXPECT_EQ(info.Labels[0], "Uвх   =  5.0 В");
  EXPECT_EQ(info.Labels[1], "Uакб = 12.5 В");
  EXPECT_EQ(info.Labels[2], "U_BAT LOW");
  EXPECT_EQ(info.Labels[3], "U_IN OFF");
  EXPECT_EQ(info.Labels[4], "ENGINE ON");
  ParseFrameInfo(InfoBlock({SensorRecord(0x01, 138, 0)}).data(), 512, 8, info);
  EXPECT_EQ(info.Labels[0], "Uвх   = 13.8 В");
  EXPECT_EQ(info.Labels[1], "Uакб =  0.0 В");
  EXPECT_EQ(info.Labels[2], "U_BAT OK");
  EXPECT_EQ(info.Labels[3], "U_IN OK");
  EXPECT_EQ(info.Labels[4], "ENGINE OFF");
  EXPECT_EQ(info.SensorData[0], 0x01);
  EXPECT_EQ(GetU16(&info.SensorData[1]), 138);
}

TEST(FrameInfoParse, GpsRecordKeepsTheTextAndSpeed) {
  FrameInfoState info;
  const std::string text = kRmc + "\r\n" + kVtg + "\r\n";
  const auto block = InfoBlock({SensorRecord(0, 120, 120), GpsRecord(text)});
  ParseFrameInfo(block.data(), block.size(), 3, info);
  EXPECT_EQ(info.GpsSentence, text);
  EXPECT_EQ(info.GpsIndex, 3);
  EXPECT_EQ(info.GpsSpeedText, "010.2");
  EXPECT_EQ(info.SensorIndex, 3);
}

TEST(FrameInfoParse, UnknownTypeOrShortLengthEndsTheParse) {
  FrameInfoState info;
  auto unknown = GpsRecord(kVtg);
  unknown[2] = 0x0C;
  auto block = InfoBlock({SensorRecord(0, 10, 10), unknown, GpsRecord(kVtg)});
  ParseFrameInfo(block.data(), block.size(), 1, info);
  EXPECT_EQ(info.SensorIndex, 1);
  EXPECT_EQ(info.GpsIndex, -1);
  std::vector<uint8_t> tiny{3, 0, kInfoGps, 0};
  block = InfoBlock({tiny, GpsRecord(kVtg)});
  ParseFrameInfo(block.data(), block.size(), 2, info);
  EXPECT_EQ(info.GpsIndex, -1);
}

TEST(FrameInfoParse, RecordRunningPastTheBlockIsRefused) {
  FrameInfoState info;
  auto block = InfoBlock({SensorRecord(0, 10, 10), GpsRecord(kVtg)});
  PutU16(&block[13], 60000);  // the GPS record claims far more than the block
  std::vector<uint8_t> exact(block.begin(), block.end());
  ParseFrameInfo(exact.data(), exact.size(), 4, info);
  EXPECT_EQ(info.SensorIndex, 4);
  EXPECT_EQ(info.GpsIndex, -1);
  EXPECT_TRUE(info.GpsSentence.empty());
}

TEST(FrameInfoParse, SensorRecordAtTheVeryEndReadsNothingBeyond) {
  FrameInfoState info;
  // A 4-byte sensor record closing the block: its nine bytes would lie past
  // the block's end, and read as zero.
  std::vector<uint8_t> block(8, 0);
  PutU16(&block[0], 4);
  block[2] = kInfoSensor;
  block[3] = 0x08;
  PutU16(&block[4], 4);
  block[6] = kInfoSensor;
  block[7] = 0x08;
  ParseFrameInfo(block.data(), block.size(), 9, info);
  EXPECT_EQ(info.SensorIndex, 9);
  EXPECT_EQ(info.SensorData[0], 0x08);
  EXPECT_EQ(info.Labels[0], "Uвх   =  0.0 В");
}

// A format-2 source with two cameras recording in the same seconds.
struct TwoCameras {
  TwoCameras() : rec(8, 8) {
    rec.SetTime({1, 2, 24, 10, 0, 0});
    a0 = rec.Key(0, TestPicture(64, 1));
    rec.NextInfo(InfoBlock({SensorRecord(0x08, 50, 120), GpsRecord(kVtg)}));
    a1 = rec.Key(1, TestPicture(64, 2));  // only camera 2 carries the block
    a2 = rec.Delta(0, TestPicture(64, 3));
    rec.SetTime({1, 2, 24, 10, 0, 1});
    b0 = rec.Key(0, TestPicture(64, 4));  // a second without information
    b1 = rec.Key(1, TestPicture(64, 5));
    rec.SetTime({1, 2, 24, 10, 0, 2});
    rec.NextInfo(InfoBlock({SensorRecord(0, 131, 126)}));
    c0 = rec.Key(0, TestPicture(64, 6));
    rec.Finish();
  }
  Recorder rec;
  int a0, a1, a2, b0, b1, c0;
};

TEST(ReadFrameInfo, NeighbourOfTheSameSecondFromEitherCamera) {
  TwoCameras t;
  t.rec.src.CatalogueChanged();
  // One memo over the calls: each answer stays the one a fresh scan gives.
  InfoRunMemo memo;
  EXPECT_EQ(FindInfoEntry(t.rec.src, t.a0, memo), t.a1);  // forward
  EXPECT_EQ(FindInfoEntry(t.rec.src, t.a2, memo), t.a1);  // backward
  EXPECT_EQ(FindInfoEntry(t.rec.src, t.b0, memo), -1);
  EXPECT_EQ(FindInfoEntry(t.rec.src, t.a1, memo), t.a1);  // its own block
  // A catalogue loaded anew is asked afresh.
  uint8_t& infoSectors = t.rec.src.LongCatalogue[size_t(t.a1)].b[8];
  const uint8_t kept = infoSectors;
  infoSectors = 0;
  t.rec.src.CatalogueChanged();
  EXPECT_EQ(FindInfoEntry(t.rec.src, t.a0, memo), -1);
  infoSectors = kept;
  t.rec.src.CatalogueChanged();
  FrameInfoState info;
  EXPECT_TRUE(ReadFrameInfo(t.rec.src, info, t.a2));
  EXPECT_EQ(info.GpsIndex, t.a1);
  EXPECT_EQ(info.SensorIndex, t.a1);
  EXPECT_EQ(info.GpsSpeedText, "010.2");
  EXPECT_EQ(info.Labels[4], "ENGINE ON");
}

TEST(ReadFrameInfo, SecondWithoutInformationLeavesEverythingAsItWas) {
  TwoCameras t;
  FrameInfoState info;
  ASSERT_TRUE(ReadFrameInfo(t.rec.src, info, t.a0));
  const FrameInfoState before = info;
  EXPECT_TRUE(ReadFrameInfo(t.rec.src, info, t.b1));
  EXPECT_EQ(info.Labels, before.Labels);
  EXPECT_EQ(info.GpsSentence, before.GpsSentence);
  EXPECT_EQ(info.SensorIndex, before.SensorIndex);
}

TEST(ReadFrameInfo, BlockParsedLastIsNotReadAgain) {
  TwoCameras t;
  FrameInfoState info;
  ASSERT_TRUE(ReadFrameInfo(t.rec.src, info, t.a0));
  const int reads = t.rec.dev->reads;
  EXPECT_TRUE(ReadFrameInfo(t.rec.src, info, t.a2));
  EXPECT_EQ(t.rec.dev->reads, reads);
  // A block with only a sensor record sets no GpsIndex: read at each show.
  EXPECT_TRUE(ReadFrameInfo(t.rec.src, info, t.c0));
  EXPECT_TRUE(ReadFrameInfo(t.rec.src, info, t.c0));
  EXPECT_EQ(t.rec.dev->reads, reads + 2);
  EXPECT_EQ(info.SensorIndex, t.c0);
  EXPECT_EQ(info.GpsIndex, t.a1);
  EXPECT_EQ(info.Labels[0], "Uвх   = 13.1 В");
}

TEST(ReadFrameInfo, FailedReadIsReported) {
  TwoCameras t;
  const LongEntry& e = t.rec.src.LongCatalogue[size_t(t.a1)];
  t.rec.dev->failAt.insert(t.rec.src.LongBase() +
                           (uint64_t(e.FirstSector()) + e.SoundSectors() + e.PictureSectors()) * 512);
  FrameInfoState info;
  EXPECT_FALSE(ReadFrameInfo(t.rec.src, info, t.a0));
  EXPECT_EQ(info.GpsIndex, -1);
}

TEST(ReadFrameInfo, BlockLongerThan16SectorsIsCutToThem) {
  Recorder rec(8, 8, /*archive=*/true);
  // 20 sectors: a sensor record, then GPS records on past the 8192 bytes; the
  // record that crosses the 16th sector ends the parse.
  std::vector<std::vector<uint8_t>> records{SensorRecord(0, 99, 99)};
  std::vector<uint8_t> gps = GpsRecord(std::string(600, 'x'));
  for (int k = 0; k < 16; ++k) records.push_back(gps);
  auto block = InfoBlock(records);
  block.resize(20 * 512, 0);
  rec.NextInfo(block);
  rec.Key(0, TestPicture(64, 1));
  Source& src = rec.Finish();
  FrameInfoState info;
  EXPECT_TRUE(ReadFrameInfo(src, info, 0));
  EXPECT_EQ(info.SensorIndex, 0);
  EXPECT_EQ(info.GpsIndex, 0);
  EXPECT_EQ(info.GpsSentence, std::string(600, 'x'));
}

}  // namespace
