// The MP4 export read back by ffprobe and ffmpeg: H.264 and AAC streams in
// the recording's own time, pictures close to the ones the viewer builds,
// both cameras in one picture and in real time, and no file left behind by
// a cancelled or refused run.
#ifdef QUOVIL_MP4

#include <cmath>
#include <filesystem>

#include "card/korax.h"
#include "export/mp4_export.h"
#include "export/snapshot.h"
#include "export/stamp_font.h"
#include "export_fixture.h"

namespace export_test {
namespace {

// "dd.mm.yyyy  hh:mm:ss  123.4 km/h  12.6 V" and a little more.
constexpr int kLongestStamp = 44;

// The decoded pictures of a file, w x h grey each.
std::string DecodedPictures(const std::string& file) {
  return Shell("ffmpeg -v error -i '" + file + "' -map 0:v -vsync passthrough -pix_fmt gray -f rawvideo -");
}

class Progress : public WorkProgress {
 public:
  void Begin(const std::string&, const std::string&, int) override {}
  void Step(int pos) override { last = pos; }
  bool Cancelled() override { return cancelAt >= 0 && last >= cancelAt; }
  void End() override { ended = true; }
  int last = -1, cancelAt = -1;
  bool ended = false;
};

class Mp4ExportTest : public ExportTest {
 protected:
  ~Mp4ExportTest() override { std::remove(out_.c_str()); }

  std::vector<int32_t> Records(int camera) const {
    std::vector<int32_t> out;
    for (int32_t p = 0; p < v.selection().Count(); ++p) {
      const int32_t i = v.IndexAtPos(p);
      if (camera < 0 || v.source().CameraOf(i) == camera) out.push_back(i);
    }
    return out;
  }
  Mp4ExportResult Export(const std::vector<int32_t>& indices, const Mp4Options& o, Progress& progress) {
    return ExportMp4(v.source(), indices, o, out_, progress);
  }
  static double Seconds(const nlohmann::json& stream) { return std::stod(stream["duration"].get<std::string>()); }

  std::string out_ = Temp("fragment.mp4");
};

TEST_F(Mp4ExportTest, OneCameraWithSoundPlaysInTheRecordingsTime) {
  SKIP_WITHOUT_OUTSIDE_READERS();
  mkcard::Options o;
  o.format = 2;
  o.records = 60;
  o.sampleRate = 8000;
  o.width = 320;
  o.height = 256;
  Open(o, "mp4sound");
  ASSERT_TRUE(v.source().HasSound);
  const std::vector<int32_t> records = Records(0);
  Progress progress;
  Mp4Options options;
  const Mp4ExportResult r = Export(records, options, progress);
  ASSERT_FALSE(r.failed) << r.message;
  ASSERT_EQ(r.files, std::vector<std::string>{out_});
  EXPECT_EQ(r.frames, int(records.size()));
  EXPECT_TRUE(progress.ended);
  EXPECT_FALSE(Exists(out_ + ".part"));

  int64_t total = 0, longest = 0;
  for (int32_t i : records) {
    total += Mp4PictureDuration(v.source(), i);
    longest = std::max(longest, Mp4PictureDuration(v.source(), i));
  }
  const nlohmann::json p = Probe(out_);
  ASSERT_EQ(p["streams"].size(), 2u);
  const auto& video = p["streams"][0];
  const auto& sound = p["streams"][1];
  EXPECT_TRUE(video["codec_name"] == "h264" || video["codec_name"] == "mpeg4") << video["codec_name"];
  EXPECT_EQ(video["pix_fmt"], "yuv420p");
  const StampedSize size = StampedFrameSize(v.source());
  EXPECT_EQ(video["width"], size.width & ~1);
  EXPECT_EQ(video["height"], size.height & ~1);
  EXPECT_EQ(std::stoi(video["nb_read_frames"].get<std::string>()), int(records.size()));
  EXPECT_NEAR(Seconds(video), total / 1000.0, longest / 1000.0);
  EXPECT_EQ(sound["codec_name"], "aac");
  EXPECT_EQ(sound["sample_rate"], "8000");
  EXPECT_NEAR(Seconds(sound), Seconds(video), 0.15);
  EXPECT_EQ(DecodeComplaints(out_), "");

  // A picture in the middle against the one the viewer builds: at least
  // 35 dB outside the stamp.
  const int w = size.width & ~1, h = size.height & ~1;
  const std::string all = DecodedPictures(out_);
  const size_t k = records.size() / 2;
  ASSERT_GE(all.size(), (k + 1) * size_t(w) * size_t(h));
  Picture8 pic, canvas;
  pic.Resize(v.source().PictureWidth, v.source().PictureHeight);
  ASSERT_TRUE(v.BuildPicture(records[k], pic));
  canvas.Resize(size.width, size.height);
  StretchPicture(pic, canvas);
  double squared = 0;
  int counted = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (InStamp(x, y, kLongestStamp)) continue;
      const double d = double(uint8_t(all[k * size_t(w) * size_t(h) + size_t(y) * size_t(w) + size_t(x)])) -
                       canvas.Row(y)[x];
      squared += d * d;
      ++counted;
    }
  const double mse = squared / counted;
  const double psnr = mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
  EXPECT_GE(psnr, 35.0);
}

TEST_F(Mp4ExportTest, BothCamerasShareOnePictureAndTheRecordingsTime) {
  SKIP_WITHOUT_OUTSIDE_READERS();
  mkcard::Options o;
  o.format = 2;
  o.records = 80;
  Open(o, "mp4both");
  std::array<int64_t, 2> camera{0, 0};
  for (int32_t i : Records(-1)) camera[size_t(v.source().CameraOf(i))] += Mp4PictureDuration(v.source(), i);
  Progress progress;
  for (const auto arrangement : {Mp4Options::Arrangement::Side, Mp4Options::Arrangement::Stacked,
                                 Mp4Options::Arrangement::Inset}) {
    Mp4Options options;
    options.camera = -1;
    options.arrangement = arrangement;
    const Mp4ExportResult r = Export(Records(-1), options, progress);
    ASSERT_FALSE(r.failed) << r.message;
    EXPECT_EQ(r.frames, v.selection().Count());
    const nlohmann::json p = Probe(out_);
    const auto& video = p["streams"][0];
    const StampedSize size = StampedFrameSize(v.source());
    const int w = size.width & ~1, h = size.height & ~1;
    const bool side = arrangement == Mp4Options::Arrangement::Side;
    const bool stacked = arrangement == Mp4Options::Arrangement::Stacked;
    EXPECT_EQ(video["width"], side ? 2 * w : w);
    EXPECT_EQ(video["height"], stacked ? 2 * h : h);
    // The cameras run side by side in time: the film lasts as long as the
    // longer of them (give or take the seconds between their first records),
    // not as long as both together.
    EXPECT_LT(Seconds(video), (camera[0] + camera[1]) / 1000.0 * 0.75);
    EXPECT_GE(Seconds(video) + 0.5, std::max(camera[0], camera[1]) / 1000.0);
  }
}

TEST_F(Mp4ExportTest, StampCarriesTheSecondsSpeedAndVoltage) {
  TimeStamp t{};
  t.year = 24, t.month = 6, t.day = 15, t.hour = 9, t.minute = 5, t.second = 7;
  EXPECT_EQ(Mp4StampText(t, "54.2", "12.6"), "15.06.2024  09:05:07  54.2 km/h  12.6 V");
  EXPECT_EQ(Mp4StampText(t, "", "12.6"), "15.06.2024  09:05:07  12.6 V");
  EXPECT_EQ(Mp4StampText(t, "", ""), FrameStampText(t));

  SKIP_WITHOUT_OUTSIDE_READERS();
  mkcard::Options o;
  o.format = 2;
  o.records = 24;
  o.bothCameras = false;
  o.sound = false;
  const mkcard::Recorded truth = Open(o, "mp4stamp");
  const std::vector<int32_t> records = Records(0);
  ASSERT_FALSE(records.empty());
  const StampedSize size = StampedFrameSize(v.source());
  const int w = size.width & ~1, h = size.height & ~1;
  // Each decoded stamp against the stamp drawn from the recorder's own
  // readings of that second: its white strokes are there, with or without
  // the readings as asked.
  const auto strokesFound = [&](const std::string& pictures, size_t k, const std::string& text) {
    Picture8 expected;
    expected.Resize(w, h);
    expected.Fill(96);
    DrawShadowedStamp(expected, text);
    int white = 0, found = 0;
    for (int y = 10; y < 24; ++y)
      for (int x = 10; x < std::min(w, 10 + kLongestStamp * 8); ++x)
        if (expected.Row(y)[x] == 255) {
          ++white;
          found += uint8_t(pictures[k * size_t(w) * size_t(h) + size_t(y) * size_t(w) + size_t(x)]) > 170;
        }
    return white > 0 ? double(found) / white : 0.0;
  };
  int withReadings = 0;
  for (const bool readings : {true, false}) {
    Mp4Options options;
    options.stampSpeed = options.stampVoltage = readings;
    Progress progress;
    const Mp4ExportResult r = Export(records, options, progress);
    ASSERT_FALSE(r.failed) << r.message;
    const std::string pictures = DecodedPictures(out_);
    ASSERT_GE(pictures.size(), records.size() * size_t(w) * size_t(h));
    for (size_t k = 0; k < records.size(); k += 5) {
      const mkcard::Frame& f = truth.frames[size_t(records[k])];
      std::string speed, voltage;
      if (readings && f.infoIndex >= 0) {
        speed = f.gpsSpeed;
        if (f.hasSensor) voltage = Format("%.1f", f.uin / 10.0);
      }
      withReadings += !speed.empty() || !voltage.empty();
      EXPECT_GE(strokesFound(pictures, k, Mp4StampText(f.time, speed, voltage)), 0.9) << k << " " << readings;
    }
  }
  EXPECT_GT(withReadings, 0) << "the card's seconds carry no readings to stamp";
}

TEST_F(Mp4ExportTest, SplitsIntoPartsBelowTheLimitThatPlayOnInStep) {
  SKIP_WITHOUT_OUTSIDE_READERS();
  mkcard::Options o;
  o.format = 2;
  o.records = 240;
  o.sampleRate = 8000;
  o.width = 320;
  o.height = 256;
  Open(o, "mp4split");
  for (const int camera : {0, -1}) {
    const std::vector<int32_t> records = Records(camera);
    int64_t longest = 0;
    for (int32_t i : records) longest = std::max(longest, Mp4PictureDuration(v.source(), i));
    Mp4Options whole;
    whole.camera = camera;
    Progress progress;
    const Mp4ExportResult one = Export(records, whole, progress);
    ASSERT_FALSE(one.failed) << one.message;
    ASSERT_EQ(one.files.size(), 1u);
    const uint64_t size = uint64_t(std::filesystem::file_size(one.files[0]));
    std::remove(out_.c_str());

    Mp4Options split = whole;
    split.splitBytes = std::max<uint64_t>(size / 3, 40000);
    const Mp4ExportResult parts = Export(records, split, progress);
    ASSERT_FALSE(parts.failed) << parts.message;
    ASSERT_GE(parts.files.size(), 3u) << camera;
    EXPECT_EQ(parts.frames, one.frames);
    double seconds = 0;
    int frames = 0;
    for (size_t k = 0; k < parts.files.size(); ++k) {
      EXPECT_EQ(parts.files[k], Mp4PartName(out_, int(k)));
      EXPECT_FALSE(Exists(parts.files[k] + ".part"));
      EXPECT_LE(uint64_t(std::filesystem::file_size(parts.files[k])), split.splitBytes) << k;
      const nlohmann::json p = Probe(parts.files[k]);
      ASSERT_EQ(p["streams"].size(), 2u);
      const double video = Seconds(p["streams"][0]), sound = Seconds(p["streams"][1]);
      // Each part's sound goes with its own pictures.
      EXPECT_NEAR(sound, video, 0.15 + longest / 1000.0) << k;
      seconds += video;
      frames += std::stoi(p["streams"][0]["nb_read_frames"].get<std::string>());
      EXPECT_EQ(DecodeComplaints(parts.files[k]), "");
    }
    EXPECT_EQ(frames, one.frames);
    EXPECT_NEAR(seconds, one.seconds, 0.01 * double(parts.files.size()) + 0.01);
    EXPECT_NEAR(parts.seconds, one.seconds, 0.001);
    for (const std::string& f : parts.files) std::remove(f.c_str());
  }
  EXPECT_EQ(Mp4PartName("/a/b.c/film.mp4", 2), "/a/b.c/film_fr_2.mp4");
  EXPECT_EQ(Mp4PartName("/a/b.c/film", 1), "/a/b.c/film_fr_1.mp4");
  EXPECT_EQ(Mp4PartName("/a/film.MP4", 0), "/a/film.MP4");
}

TEST_F(Mp4ExportTest, CancelledOrRefusedRunsLeaveNoFile) {
  mkcard::Options o;
  o.format = 2;
  o.records = 60;
  Open(o, "mp4cancel");
  Progress cancel;
  cancel.cancelAt = 30;
  const Mp4ExportResult r = Export(Records(0), Mp4Options{}, cancel);
  EXPECT_TRUE(r.cancelled);
  EXPECT_TRUE(r.files.empty());
  EXPECT_FALSE(Exists(out_));
  EXPECT_FALSE(Exists(out_ + ".part"));

  // The card itself is never a target.
  Progress progress;
  const std::vector<uint8_t> before = ReadBytes(card_);
  const Mp4ExportResult onCard = ExportMp4(v.source(), Records(0), Mp4Options{}, card_, progress);
  EXPECT_TRUE(onCard.failed);
  EXPECT_FALSE(onCard.message.empty());
  EXPECT_EQ(ReadBytes(card_), before);
  EXPECT_FALSE(Exists(card_ + ".part"));
  // Nothing to export: said so.
  EXPECT_TRUE(ExportMp4(v.source(), {}, Mp4Options{}, out_, progress).failed);
}

}  // namespace
}  // namespace export_test

#endif
