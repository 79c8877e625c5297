// Whole cards from the synthetic recorder, opened the way the viewer opens
// them: every picture, sound block and frame information compared with what
// the recorder wrote.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "card/card_header.h"
#include "decode/frame_cache.h"
#include "decode/frame_info.h"
#include "mkcard/mkcard.h"
#include "support/pictures.h"
#include "viewer/viewer.h"
#include "support/viewer_probe.h"

using quovil::test::ViewerProbe;

using namespace quovil;

namespace {

struct Opened {
  Opened() : viewer(host) {}
  SilentHost host;
  Viewer viewer;
  mkcard::Recorded truth;
};

// The card recognised on an in-memory image, its bitmaps prepared.
std::unique_ptr<Opened> OpenCard(const mkcard::Options& o) {
  auto op = std::make_unique<Opened>();
  Source& s = ViewerProbe::Src(op->viewer);
  s.Card = MemoryDevice(mkcard::MakeCard(o, &op->truth));
  s.CardOpen = true;
  std::vector<uint8_t> sector0(kSectorSize);
  std::string text;
  EXPECT_TRUE(s.Card->Read(0, sector0.data(), sector0.size()));
  EXPECT_TRUE(ReadCardHeader(s, sector0.data(), op->host, text)) << text;
  EXPECT_TRUE(op->viewer.PrepareBitmaps());
  return op;
}

// A version-3 archive file as the viewer holds it once opened: header values,
// long entries, and the file itself as the frame device.
std::unique_ptr<Opened> OpenArchiveBytes(const mkcard::Options& o) {
  auto op = std::make_unique<Opened>();
  std::vector<uint8_t> file = mkcard::MakeArchive(o, 3, &op->truth);
  Source& s = ViewerProbe::Src(op->viewer);
  if (file.size() < 40) {
    ADD_FAILURE() << "no archive";
    return op;
  }
  s.SourceIsCard = false;
  s.Archive.DataOffset = GetU32(&file[11]);
  s.CardFormat = int(GetU32(&file[15]));
  s.SoundBytes = int32_t(GetU32(&file[19]));
  s.SampleRate = int32_t(GetU32(&file[23]));
  s.PictureWidth = int32_t(GetU32(&file[27]));
  s.PictureHeight = int32_t(GetU32(&file[31]));
  s.PictureBytes = s.PictureWidth * s.PictureHeight;
  s.EntryCount = int32_t(GetU32(&file[35]));
  s.HasSound = s.SoundBytes != 0 && s.SampleRate != 0;
  s.LongCatalogue.resize(size_t(s.EntryCount));
  for (size_t k = 0; k < s.LongCatalogue.size(); ++k)
    std::copy_n(&file[40 + 16 * k], 16, s.LongCatalogue[k].b.begin());
  s.ArchiveStream = MemoryDevice(std::move(file));
  s.ArchiveOpen = true;
  EXPECT_TRUE(op->viewer.PrepareBitmaps());
  return op;
}

using quovil::test::Rows;

// Builds index i's picture and compares it with the recorder's; frames past
// the 64 a group keeps cannot be built and leave the picture alone.
void ExpectPicture(Opened& op, int i) {
  const mkcard::Frame& f = op.truth.frames[size_t(i)];
  Picture8& pic = ViewerProbe::Bitmaps(op.viewer)[size_t(f.camera)];
  const std::vector<uint8_t> before = Rows(pic);
  const bool built = op.viewer.BuildPicture(i, pic);
  if (f.groupPosition >= kGroupFrames) {
    EXPECT_FALSE(built) << "index " << i;
    EXPECT_EQ(Rows(pic), before) << "index " << i;
    return;
  }
  ASSERT_TRUE(built) << "index " << i;
  ASSERT_EQ(Rows(pic), f.picture) << "index " << i << ", group position " << f.groupPosition;
}

// Forward, backward, and jumps about, as the wheel, playback and the time
// scale would show them.
void ExpectEveryPicture(Opened& op) {
  std::vector<int> indices;
  for (int i = 0; i < int(op.truth.frames.size()); ++i)
    if (op.truth.frames[size_t(i)].written && op.viewer.source().ValidIndex(i)) indices.push_back(i);
  ASSERT_FALSE(indices.empty());
  for (int i : indices) ExpectPicture(op, i);
  for (auto it = indices.rbegin(); it != indices.rend(); ++it) ExpectPicture(op, *it);
  std::mt19937 rng(3);
  for (int k = 0; k < 30; ++k) ExpectPicture(op, indices[rng() % indices.size()]);
}

void ExpectEverySound(Opened& op) {
  std::vector<uint8_t> buf(kSoundBlockBytes);
  for (int i = 0; i < int(op.truth.frames.size()); ++i) {
    const mkcard::Frame& f = op.truth.frames[size_t(i)];
    if (!f.written || !op.viewer.source().ValidIndex(i)) continue;
    ReadSound(op.viewer.source(), i, buf.data());
    const size_t n = GetU16(buf.data());
    ASSERT_EQ(n, f.samples.size()) << "index " << i;
    EXPECT_TRUE(std::equal(f.samples.begin(), f.samples.end(), buf.begin() + 2)) << "index " << i;
  }
}

void ExpectEveryFrameInfo(Opened& op) {
  for (int i = 0; i < int(op.truth.frames.size()); ++i) {
    const mkcard::Frame& f = op.truth.frames[size_t(i)];
    FrameInfoState info;  // fresh, as right after opening
    ASSERT_TRUE(ReadFrameInfo(op.viewer.source(), info, i));
    EXPECT_EQ(info.SensorIndex, f.hasSensor ? f.infoIndex : -1) << "index " << i;
    EXPECT_EQ(info.GpsSentence, f.gpsText) << "index " << i;
    EXPECT_EQ(info.GpsSpeedText, f.gpsSpeed) << "index " << i;
    if (f.hasSensor) {
      EXPECT_EQ(info.Labels[0], Format("Uвх   = %4.1f В", f.uin / 10.0));
      EXPECT_EQ(info.Labels[1], Format("Uакб = %4.1f В", f.uakb / 10.0));
      EXPECT_EQ(info.Labels[4], (f.sensorStatus & 8) ? "ENGINE ON" : "ENGINE OFF");
    }
  }
}

mkcard::Options Card(int format) {
  mkcard::Options o;
  o.format = format;
  o.records = 100;
  o.resolutionIndex = 2;
  return o;
}

TEST(RecordedPictures, Format0WithArchiveAreaBeyondTheMainCount) {
  mkcard::Options o = Card(0);
  o.records = 40;
  o.archiveRecords = 20;
  o.mainWrapped = true;
  auto op = OpenCard(o);
  ExpectEveryPicture(*op);
}

TEST(RecordedPictures, Format1PicturesAndSound) {
  auto op = OpenCard(Card(1));
  ExpectEveryPicture(*op);
  ExpectEverySound(*op);
}

TEST(RecordedPictures, Format2InterleavedGroupsSoundAndInformation) {
  mkcard::Options o = Card(2);
  o.records = 300;
  o.groupLength = 9;
  auto op = OpenCard(o);
  ExpectEveryPicture(*op);
  ExpectEverySound(*op);
  ExpectEveryFrameInfo(*op);
}

TEST(RecordedPictures, Format2GroupsLongerThan64) {
  mkcard::Options o = Card(2);
  o.records = 400;
  o.groupLength = 20;
  o.longGroups = true;
  o.bothCameras = false;
  o.width = 64;
  o.height = 48;
  auto op = OpenCard(o);
  ExpectEveryPicture(*op);
}

TEST(RecordedPictures, Format2FullSizeGroupOf64) {
  mkcard::Options o = Card(2);
  o.records = 66;
  o.groupLength = 64;
  o.width = 420;
  o.height = 256;
  o.sensors = o.gps = false;
  auto op = OpenCard(o);
  ExpectEveryPicture(*op);
}

TEST(RecordedPictures, ArchiveOfAFormat2Card) {
  mkcard::Options o = Card(2);
  o.groupLength = 7;
  auto op = OpenArchiveBytes(o);
  ExpectEveryPicture(*op);
  ExpectEverySound(*op);
  ExpectEveryFrameInfo(*op);
}

TEST(RecordedPictures, ArchiveOfAFormat1CardKeepsTheInterlacedRows) {
  auto op = OpenArchiveBytes(Card(1));
  ExpectEveryPicture(*op);
  ExpectEverySound(*op);
}

}  // namespace
