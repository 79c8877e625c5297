// The AVI export read back by ffprobe and ffmpeg: streams and formats, frames
// pixel for pixel against the recorded pictures, the sound track and the rule
// that holds each picture as long as its sound, splitting, marks and Cancel.
#include <algorithm>
#include <fstream>

#include "card/korax.h"

#include "export/avi_export.h"
#include "export_fixture.h"
#include "support/viewer_probe.h"

using quovil::test::ViewerProbe;

namespace export_test {
namespace {

constexpr const char* kNoMarks = "Не задано начало или конец фрагмента!";
constexpr const char* kNoRecords = "Отмеченный фрагмент не содежит\rданные для выбранной камеры!";

class AviExportTest : public ExportTest {
 protected:
  ~AviExportTest() override {
    for (const std::string& f : written_) std::remove(f.c_str());
  }

  AviExportResult Export(const std::string& name, uint64_t split = kAviSplitBytes) {
    AviExportList list;
    EXPECT_TRUE(CollectAviEntries(v, list));
    entries_ = std::vector<int32_t>(list.entries.begin(), list.entries.begin() + list.count);
    AviExportResult r = WriteAviFragment(v, list, Temp(name), split);
    written_.insert(written_.end(), r.files.begin(), r.files.end());
    return r;
  }

  // Catalogue indices of camera cam in selection order.
  std::vector<int32_t> CameraRecords(int cam) const {
    std::vector<int32_t> out;
    for (int32_t p = 0; p < v.selection().Count(); ++p)
      if (v.source().CameraOf(v.IndexAtPos(p)) == cam) out.push_back(v.IndexAtPos(p));
    return out;
  }

  // Frame k of pixels equals record index's picture outside the stamp, and the
  // stamp shows white and black.
  void ExpectFrame(const std::vector<uint8_t>& pixels, int k, const mkcard::Recorded& t, int32_t index, int w, int h) {
    const std::vector<uint8_t> want = Stretched(t.frames[size_t(index)].picture, t.width, t.height, w, h);
    const uint8_t* got = pixels.data() + size_t(k) * size_t(w) * size_t(h);
    int differ = 0, white = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const uint8_t g = got[size_t(y) * size_t(w) + size_t(x)];
        if (InStamp(x, y)) white += g == 255;
        else differ += g != want[size_t(y) * size_t(w) + size_t(x)];
      }
    EXPECT_EQ(differ, 0) << "frame " << k << " index " << index;
    EXPECT_GT(white, 100) << "frame " << k;
  }

  // A format-2 card whose records all carry exactly `samples` samples of
  // sound (the recorder's own lengths vary with its frame intervals).
  mkcard::Recorded OpenWithSound(mkcard::Options o, const std::string& name, int samples) {
    o.format = 2;
    o.bothCameras = false;
    o.sampleRate = 8000;
    o.width = 320;
    o.height = 256;
    card_ = Temp(name + ".img");
    mkcard::Recorded t = mkcard::WriteCard(o, card_);
    std::fstream f(card_, std::ios::in | std::ios::out | std::ios::binary);
    for (mkcard::Frame& fr : t.frames) {
      if (int(fr.samples.size()) < samples) continue;  // kept short, as recorded
      fr.samples.resize(size_t(samples));
      f.seekp(std::streamoff((uint64_t(t.dataBaseSector) + fr.firstSector) * 512));
      const char count[2] = {char(samples & 0xFF), char(samples >> 8)};
      f.write(count, 2);
    }
    f.close();
    OpenCardImage(v, card_);
    return t;
  }

  std::vector<int32_t> entries_;
  std::vector<std::string> written_;
};

TEST_F(AviExportTest, SilentCardGivesOneGreyFramePerRecordAtFiveFramesPerSecond) {
  SKIP_WITHOUT_OUTSIDE_READERS();
  mkcard::Options o;
  o.format = 0;
  o.resolutionIndex = 0;  // 420 x 256, no edge trim
  o.records = 30;
  mkcard::Recorded t = Open(o, "silent");
  ASSERT_TRUE(v.source().CardOpen);
  ASSERT_FALSE(v.source().HasSound);
  v.SetActiveCamera(1);
  AviExportResult r = Export("silent.avi");
  ASSERT_EQ(r.files.size(), 1u);
  EXPECT_FALSE(r.failed);
  EXPECT_EQ(entries_, CameraRecords(1));  // only the active camera, in selection order
  EXPECT_EQ(r.frames, int(entries_.size()));

  nlohmann::json p = Probe(r.files[0]);
  ASSERT_EQ(p["streams"].size(), 1u);
  const auto& s = p["streams"][0];
  EXPECT_EQ(s["codec_type"], "video");
  EXPECT_EQ(s["codec_name"], "rawvideo");
  EXPECT_EQ(s["pix_fmt"], "pal8");
  EXPECT_EQ(s["width"], 420);
  EXPECT_EQ(s["height"], 276);
  EXPECT_EQ(s["r_frame_rate"], "5/1");
  EXPECT_EQ(s["nb_read_frames"], std::to_string(entries_.size()));
  EXPECT_EQ(DecodeComplaints(r.files[0]), "");

  const std::vector<uint8_t> pixels = VideoPixels(r.files[0]);
  ASSERT_EQ(pixels.size(), entries_.size() * 420 * 276);
  for (size_t k = 0; k < entries_.size(); ++k) ExpectFrame(pixels, int(k), t, entries_[k], 420, 276);
  EXPECT_TRUE(host.windowEnabled);
}

TEST_F(AviExportTest, SecondLongSoundHoldsEachPictureForFiveFrames) {
  SKIP_WITHOUT_OUTSIDE_READERS();
  mkcard::Options o;
  o.records = 6;
  o.framesPerSecond = 1;
  mkcard::Recorded t = OpenWithSound(o, "second", 8000);
  ASSERT_TRUE(v.source().HasSound);
  ASSERT_EQ(v.source().SampleRate, 8000);
  for (int i = 0; i < o.records; ++i) ASSERT_EQ(t.frames[size_t(i)].samples.size(), 8000u);
  AviExportResult r = Export("second.avi");
  ASSERT_EQ(r.files.size(), 1u);
  const size_t n = entries_.size();
  ASSERT_EQ(n, 6u);
  // The last picture has no sound of its own and nothing pending: no frame.
  EXPECT_EQ(r.frames, int(5 * (n - 1)));

  nlohmann::json p = Probe(r.files[0]);
  ASSERT_EQ(p["streams"].size(), 2u);
  const auto& video = p["streams"][0];
  const auto& audio = p["streams"][1];
  EXPECT_EQ(video["width"], 420);
  EXPECT_EQ(video["height"], 276);
  EXPECT_EQ(video["r_frame_rate"], "5/1");
  EXPECT_EQ(audio["codec_type"], "audio");
  EXPECT_EQ(audio["codec_name"], "pcm_u8");
  EXPECT_EQ(audio["sample_rate"], "8000");
  EXPECT_EQ(audio["channels"], 1);
  EXPECT_EQ(DecodeComplaints(r.files[0]), "");

  const std::vector<uint8_t> pixels = VideoPixels(r.files[0]);
  ASSERT_EQ(pixels.size(), size_t(r.frames) * 420 * 276);
  for (int k = 0; k < r.frames; ++k) ExpectFrame(pixels, k, t, entries_[size_t(k / 5)], 420, 276);
  std::vector<uint8_t> sound;
  for (size_t i = 1; i < n; ++i) {
    const auto& s = t.frames[size_t(entries_[i])].samples;
    sound.insert(sound.end(), s.begin(), s.end());
  }
  EXPECT_EQ(SoundSamples(r.files[0]), sound);
}

TEST_F(AviExportTest, QuarterSecondSoundCarriesItsRemainderToTheNextPicture) {
  SKIP_WITHOUT_OUTSIDE_READERS();
  mkcard::Options o;
  o.records = 9;
  o.framesPerSecond = 4;
  mkcard::Recorded t = OpenWithSound(o, "quarter", 2000);
  for (int i = 0; i < o.records; ++i) ASSERT_EQ(t.frames[size_t(i)].samples.size(), 2000u);
  AviExportResult r = Export("quarter.avi");
  ASSERT_EQ(r.files.size(), 1u);
  // Pending after each picture: 420, 800, -420, 0, 420, 800, -420, 0 (8 x 2000
  // samples = 10 frames); the last picture adds nothing.
  const std::vector<int> picture = {0, 1, 2, 2, 3, 4, 5, 6, 6, 7};
  ASSERT_EQ(r.frames, int(picture.size()));
  const std::vector<uint8_t> pixels = VideoPixels(r.files[0]);
  ASSERT_EQ(pixels.size(), picture.size() * 420 * 276);
  for (size_t k = 0; k < picture.size(); ++k)
    ExpectFrame(pixels, int(k), t, entries_[size_t(picture[k])], 420, 276);
  EXPECT_EQ(SoundSamples(r.files[0]).size(), size_t(r.frames) * 1600);
}

TEST_F(AviExportTest, ClosingFrameAndSilenceEndTheSoundWithTheLastFrame) {
  SKIP_WITHOUT_OUTSIDE_READERS();
  mkcard::Options o;
  o.records = 4;
  o.framesPerSecond = 4;
  mkcard::Recorded t = OpenWithSound(o, "closing", 2000);
  AviExportResult r = Export("closing.avi");
  // 3 x 2000 samples: frames of pictures 0, 1, 2, 2 leave -420 pending; the
  // closing frame shows picture 3, the last one composed.
  ASSERT_EQ(r.frames, 5);
  const std::vector<uint8_t> sound = SoundSamples(r.files[0]);
  ASSERT_EQ(sound.size(), 5u * 1600);
  EXPECT_TRUE(std::all_of(sound.begin() + 6000, sound.end(), [](uint8_t s) { return s == 128; }));
  const std::vector<uint8_t> pixels = VideoPixels(r.files[0]);
  ExpectFrame(pixels, 4, t, entries_[3], 420, 276);
}

TEST_F(AviExportTest, RecordWithoutStoredSoundGivesSilenceForItsInterval) {
  SKIP_WITHOUT_OUTSIDE_READERS();
  mkcard::Options o;
  o.records = 5;
  o.framesPerSecond = 1;
  mkcard::Recorded t = OpenWithSound(o, "nosound", 8000);
  {
    // Record 2's stored sample count becomes 0.
    std::fstream f(card_, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(std::streamoff((uint64_t(t.dataBaseSector) + t.frames[2].firstSector) * 512));
    f.write("\0\0", 2);
  }
  ASSERT_TRUE(v.source().HasSound);
  // Its frame interval's worth, at most one second.
  const size_t silence = std::min<size_t>(size_t(t.frames[2].frameInterval) * 10 * 8000 / 1000, 8000);
  ASSERT_GT(silence, 7000u);
  AviExportResult r = Export("nosound.avi");
  const std::vector<uint8_t> sound = SoundSamples(r.files[0]);
  ASSERT_GE(sound.size(), 8000 + silence);
  EXPECT_EQ(sound.size(), size_t(r.frames) * 1600);
  EXPECT_TRUE(std::all_of(sound.begin() + 8000, sound.begin() + long(8000 + silence), [](uint8_t s) { return s == 127; }));
  EXPECT_TRUE(std::equal(sound.begin(), sound.begin() + 8000, t.frames[1].samples.begin()));
}

TEST_F(AviExportTest, SmallLimitSplitsIntoNumberedParts) {
  SKIP_WITHOUT_OUTSIDE_READERS();
  mkcard::Options o;
  o.format = 0;
  o.records = 16;
  o.bothCameras = false;
  Open(o, "split");
  const uint64_t frame = 400 * 276;
  AviExportResult r = Export("trip.avi", 3 * frame);
  ASSERT_EQ(r.files.size(), 6u);  // 16 records, 3 per file
  EXPECT_EQ(Probe(r.files[0])["streams"][0]["width"], 400);  // edge trim 10
  EXPECT_EQ(r.files[0], Temp("trip.avi"));
  EXPECT_EQ(r.files[1], Temp("trip_fr_1.avi"));
  EXPECT_EQ(r.files[5], Temp("trip_fr_5.avi"));
  int total = 0;
  for (const std::string& f : r.files) {
    EXPECT_EQ(DecodeComplaints(f), "") << f;
    total += std::stoi(Probe(f)["streams"][0]["nb_read_frames"].get<std::string>());
  }
  EXPECT_EQ(total, 16);
}

// A record whose sound holds its picture for five frames: the part ends at
// the limit inside that repeat, not only between records.
TEST_F(AviExportTest, TheLimitCutsALongRepeat) {
  SKIP_WITHOUT_OUTSIDE_READERS();
  mkcard::Options o;
  o.records = 4;
  o.framesPerSecond = 1;
  OpenWithSound(o, "repeat", 8000);
  const uint64_t frame = 420 * 276;
  AviExportResult r = Export("repeat.avi", 2 * frame);
  ASSERT_FALSE(r.failed);
  ASSERT_GE(r.files.size(), 3u);
  // The last record has no sound of its own: its part holds no frame.
  for (const std::string& f : std::vector<std::string>(r.files.begin(), r.files.end() - 1)) {
    EXPECT_EQ(DecodeComplaints(f), "") << f;
    // Two frames reach the limit; the closing frame ends the part.
    EXPECT_LE(std::stoi(Probe(f)["streams"][0]["nb_read_frames"].get<std::string>()), 3) << f;
  }
}

TEST_F(AviExportTest, ReversedMarksExportTheSameFragmentEndingWithItsLastRecord) {
  mkcard::Options o;
  o.format = 2;
  o.records = 40;
  o.sound = false;
  Open(o, "marks");
  AviExportList forward, reversed;
  ASSERT_TRUE(CollectAviEntries(v, forward));
  // The whole selection: its last second holds several records, all exported.
  EXPECT_EQ(std::vector<int32_t>(forward.entries.begin(), forward.entries.end()), CameraRecords(0));
  std::swap(ViewerProbe::FragStart(v), ViewerProbe::FragEnd(v));
  ASSERT_TRUE(CollectAviEntries(v, reversed));
  EXPECT_EQ(forward.entries, reversed.entries);
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(AviExportTest, MissingMarkOrNoRecordOfTheCameraIsReported) {
  mkcard::Options o;
  o.format = 2;
  o.records = 10;
  o.bothCameras = false;
  Open(o, "messages");
  AviExportList list;
  v.SetActiveCamera(1);
  EXPECT_FALSE(CollectAviEntries(v, list));
  ViewerProbe::FragEnd(v) = "01.01.2001 00:00:00";
  EXPECT_FALSE(CollectAviEntries(v, list));
  EXPECT_EQ(host.messages, (std::vector<std::string>{kNoRecords, kNoMarks}));
}

TEST_F(AviExportTest, CancelTakesEffectAfterTheTenthEntry) {
  SKIP_WITHOUT_OUTSIDE_READERS();
  mkcard::Options o;
  o.format = 0;
  o.records = 25;
  o.bothCameras = false;
  Open(o, "cancel");
  host.cancelled = true;
  AviExportResult r = Export("cancel.avi");
  EXPECT_TRUE(r.cancelled);
  EXPECT_EQ(host.progressMax, 2);
  EXPECT_EQ(host.progress, std::vector<int>{1});
  ASSERT_EQ(r.files.size(), 1u);
  EXPECT_EQ(r.frames, 10);
  EXPECT_EQ(Probe(r.files[0])["streams"][0]["nb_read_frames"], "10");
  EXPECT_EQ(DecodeComplaints(r.files[0]), "");
}

TEST_F(AviExportTest, CommandOffersTheMarkNameAndWritesNothingWhenCancelled) {
  SKIP_WITHOUT_OUTSIDE_READERS();
  mkcard::Options o;
  o.format = 0;
  o.records = 6;
  o.bothCameras = false;
  o.start = {5, 3, 13, 14, 22, 10};
  Open(o, "command");
  host.cancelSave = true;
  ActionSaveAVIExecute(v);
  ASSERT_EQ(host.suggestions.size(), 1u);
  EXPECT_EQ(host.suggestions[0], "CAM1_05.03.2013_14_22_10");
  EXPECT_FALSE(Exists(host.suggestions[0] + ".avi"));
  host.cancelSave = false;
  host.saveFileAnswer = Temp("command");  // typed without an extension
  ActionSaveAVIExecute(v);
  written_.push_back(Temp("command.avi"));
  EXPECT_EQ(Probe(Temp("command.avi"))["streams"][0]["nb_read_frames"], "6");
}

TEST(AviPartName, DropsOnlyARealExtension) {
  EXPECT_EQ(AviPartName("trip.avi", 0), "trip.avi");
  EXPECT_EQ(AviPartName("trip.avi", 2), "trip_fr_2.avi");
  EXPECT_EQ(AviPartName("trip.bmp", 1), "trip_fr_1.avi");
  EXPECT_EQ(AviPartName("/tmp/trip", 0), "/tmp/trip.avi");
  EXPECT_EQ(AviPartName("a.b/c", 0), "a.b/c.avi");
}

}  // namespace
}  // namespace export_test
