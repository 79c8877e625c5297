#include "export/mp4_export.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "card/korax.h"
#include "decode/build_picture.h"
#include "decode/frame_cache.h"
#include "export/mp4_file.h"
#include "export/snapshot.h"
#include "platform/file_guard.h"
#include "platform/utf8_file.h"

namespace quovil {

namespace {

constexpr int64_t kUnknownIntervalMs = 200;
// Progress steps of a run, whatever its length.
constexpr int kProgressSteps = 100;

std::string CreationTime(const TimeStamp& t) {
  return Format("%.4d-%.2d-%.2dT%.2d:%.2d:%.2dZ", 2000 + t.year, t.month, t.day, t.hour, t.minute, t.second);
}

int Even(int v) { return v & ~1; }

// Whole seconds from a to b (negative when b is earlier), by the calendar.
int64_t SecondsBetween(const TimeStamp& a, const TimeStamp& b) {
  const auto days = [](const TimeStamp& t) {
    // Days from 1.1.2000 (a civil calendar: every fourth year a leap year
    // holds for 2000..2099).
    static const int before[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    const int m = std::clamp(int(t.month), 1, 12);
    int64_t d = int64_t(t.year) * 365 + (t.year + 3) / 4 + before[m - 1] + t.day - 1;
    if (m > 2 && t.year % 4 == 0) ++d;
    return d;
  };
  const auto seconds = [&](const TimeStamp& t) {
    return days(t) * 86400 + int64_t(t.hour) * 3600 + int64_t(t.minute) * 60 + t.second;
  };
  return seconds(b) - seconds(a);
}

// Copies from into to at (x, y), clipped.
void Paste(const Picture8& from, Picture8& to, int x, int y) {
  for (int r = 0; r < from.height; ++r) {
    const int ty = y + r;
    if (ty < 0 || ty >= to.height) continue;
    const int first = std::max(0, -x), last = std::min(from.width, to.width - x);
    if (last > first) std::copy(from.Row(r) + first, from.Row(r) + last, to.Row(ty) + x + first);
  }
}

class Mp4Exporter {
 public:
  Mp4Exporter(const Source& src, const std::vector<int32_t>& indices, const Mp4Options& o, WorkProgress& progress)
      : src_(src), indices_(indices), o_(o), progress_(progress), cache_(std::make_unique<FrameCache>()) {}

  Mp4ExportResult Run(const std::string& out);

 private:
  bool Prepare(std::string& error);
  void BuildCamera(int32_t index);
  // The picture of the moment: the one camera's, or both arranged.
  const Picture8& ComposeFrame();

  const Source& src_;
  const std::vector<int32_t>& indices_;
  const Mp4Options& o_;
  WorkProgress& progress_;
  std::unique_ptr<FrameCache> cache_;
  StampedSize stamped_;
  std::array<Picture8, 2> picture_;  // each camera's last picture
  std::array<Picture8, 2> canvas_;   // each camera's stamped picture
  std::array<bool, 2> shown_{};
  Picture8 frame_;
  std::vector<uint8_t> sound_;
};

bool Mp4Exporter::Prepare(std::string& error) {
  stamped_ = StampedFrameSize(src_);
  const int64_t pw = src_.PictureWidth, ph = src_.PictureHeight;
  if (stamped_.width <= 1 || stamped_.height <= 1 || pw <= 0 || ph <= 0 || pw * ph > kFrameBufferBytes) {
    error = "the source's pictures have no size";
    return false;
  }
  const int w = Even(stamped_.width), h = Even(stamped_.height);
  for (int c = 0; c < 2; ++c) {
    picture_[size_t(c)].Resize(int(pw), int(ph));
    picture_[size_t(c)].Fill(0);
    canvas_[size_t(c)].Resize(w, h);
    canvas_[size_t(c)].Fill(0);
  }
  if (o_.camera >= 0 || o_.arrangement == Mp4Options::Arrangement::Inset) {
    frame_.Resize(w, h);
  } else if (o_.arrangement == Mp4Options::Arrangement::Side) {
    frame_.Resize(2 * w, h);
  } else {
    frame_.Resize(w, 2 * h);
  }
  frame_.Fill(0);
  sound_.assign(kSoundBlockBytes, 0);
  return true;
}

void Mp4Exporter::BuildCamera(int32_t index) {
  const int cam = src_.CameraOf(index);
  if (cam < 0) return;
  const size_t c = size_t(cam);
  // A frame that cannot be had keeps the camera's previous picture.
  if (const uint8_t* frame = AcquireFrame(src_, *cache_, index)) {
    const CameraSetting& cs = o_.cameras[c];
    ConvertFrame(frame, src_.PictureWidth, src_.PictureHeight, src_.CardFormat, cs.Brightness, cs.Contrast,
                 picture_[c]);
  }
  ComposeStampedPicture(picture_[c], FrameStampText(src_.TimeOf(index)), canvas_[c]);
  shown_[c] = true;
}

const Picture8& Mp4Exporter::ComposeFrame() {
  if (o_.camera >= 0) return canvas_[size_t(o_.camera)];
  const int w = canvas_[0].width, h = canvas_[0].height;
  switch (o_.arrangement) {
    case Mp4Options::Arrangement::Side:
      Paste(canvas_[0], frame_, 0, 0);
      Paste(canvas_[1], frame_, w, 0);
      break;
    case Mp4Options::Arrangement::Stacked:
      Paste(canvas_[0], frame_, 0, 0);
      Paste(canvas_[1], frame_, 0, h);
      break;
    case Mp4Options::Arrangement::Inset: {
      Paste(canvas_[0], frame_, 0, 0);
      // Camera 2 at a third of the size in the bottom right corner, clear of
      // the stamp and of the recorder's camera number at the top.
      Picture8 small;
      small.Resize(std::max(2, w / 3), std::max(2, h / 3));
      StretchPicture(canvas_[1], small);
      Paste(small, frame_, w - small.width - 8, h - small.height - 8);
      break;
    }
  }
  return frame_;
}

Mp4ExportResult Mp4Exporter::Run(const std::string& out) {
  Mp4ExportResult result;
  const auto fail = [&](const std::string& why) {
    result.failed = true;
    result.message = why;
    return result;
  };
  if (indices_.empty()) return fail("no records to export");
  if (const OutputProblem problem = CheckOutputTarget(out); problem != OutputProblem::None)
    return fail(OutputProblemText(problem));
  std::string error;
  if (!Prepare(error)) return fail(error);
  // Written beside the target and renamed at the end: a cancelled or failed
  // run leaves no partial file, and an older file stays until then.
  const std::string temp = out + ".part";
  if (const OutputProblem problem = CheckOutputTarget(temp); problem != OutputProblem::None)
    return fail(OutputProblemText(problem));
  const bool sound = src_.HasSound && src_.SampleRate > 0;
  Mp4File mp4;
  if (!mp4.Open(temp, frame_.width, frame_.height, sound ? src_.SampleRate : 0,
                CreationTime(src_.TimeOf(indices_.front())), error)) {
    RemoveFileUtf8(temp);
    return fail(error);
  }
  result.encoder = mp4.Encoder();
  progress_.Begin("Сохранение MP4", "Сохранение видео фрагмента в MP4 файл", kProgressSteps);

  // Each camera keeps its own time: its records follow each other by their
  // durations from the second its first record was taken. Both cameras'
  // pictures then change when their own records begin.
  struct Event {
    int64_t start, duration;
    int32_t index;
  };
  std::vector<Event> events;
  events.reserve(indices_.size());
  const TimeStamp first = src_.TimeOf(indices_.front());
  std::array<int64_t, 2> clock{-1, -1};
  std::array<int64_t, 2> offset{0, 0};
  int soundCamera = -1;  // the camera heard: the first one recorded
  int64_t end = 0;
  for (const int32_t index : indices_) {
    if (!src_.ValidIndex(index) || src_.CameraOf(index) < 0) continue;
    const size_t c = size_t(src_.CameraOf(index));
    if (clock[c] < 0) {
      offset[c] = SecondsBetween(first, src_.TimeOf(index)) * 1000;
      clock[c] = offset[c];
      if (soundCamera < 0) soundCamera = int(c);
    }
    events.push_back({clock[c], Mp4PictureDuration(src_, index), index});
    clock[c] += events.back().duration;
    end = std::max(end, clock[c]);
  }
  std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) { return a.start < b.start; });
  if (sound && soundCamera >= 0 && offset[size_t(soundCamera)] > 0) {
    const int64_t silence = offset[size_t(soundCamera)] * src_.SampleRate / 1000;
    std::vector<uint8_t> quiet(size_t(std::min<int64_t>(silence, int64_t(1) << 24)), 128);
    mp4.AddSamples(quiet.data(), int(quiet.size()));
  }

  bool ok = true;
  const size_t n = events.size();
  for (size_t i = 0; i < n && ok; ++i) {
    const int32_t index = events[i].index;
    BuildCamera(index);
    ok = mp4.AddPicture(ComposeFrame(), events[i].start);
    if (ok && sound && src_.CameraOf(index) == soundCamera) {
      ReadSound(src_, index, sound_.data());
      int count = std::min<int>(GetU16(sound_.data()), kSoundBlockBytes - 2);
      if (count == 0) {
        // No sound stored: silence for the picture's time.
        count = int(std::min<int64_t>(events[i].duration * src_.SampleRate / 1000, kSoundBlockBytes - 2));
        std::fill(sound_.begin() + 2, sound_.begin() + 2 + count, uint8_t(128));
      }
      ok = mp4.AddSamples(sound_.data() + 2, count);
    }
    ++result.frames;
    if ((i + 1) * kProgressSteps / n != i * kProgressSteps / n) progress_.Step(int((i + 1) * kProgressSteps / n));
    if (progress_.Cancelled()) {
      result.cancelled = true;
      break;
    }
  }
  const int64_t pts = end;
  const bool finished = mp4.Finish(pts, error) && ok;
  progress_.End();
  if (result.cancelled || !finished) {
    RemoveFileUtf8(temp);
    if (result.cancelled) return result;
    return fail(error.empty() ? "the MP4 file could not be written" : error);
  }
  RemoveFileUtf8(out);
  std::error_code renamed;
  std::filesystem::rename(PathFromUtf8(temp), PathFromUtf8(out), renamed);
  if (renamed) {
    RemoveFileUtf8(temp);
    return fail("cannot create " + out);
  }
  result.files.push_back(out);
  result.seconds = double(pts) / 1000.0;
  return result;
}

}  // namespace

int64_t Mp4PictureDuration(const Source& src, int32_t index) {
  if (!src.ValidIndex(index)) return kUnknownIntervalMs;
  if (src.HasSound && src.SampleRate > 0) {
    const int count = SoundSampleCount(src, index);
    if (count > 0) return std::max<int64_t>(1, (int64_t(count) * 1000 + src.SampleRate / 2) / src.SampleRate);
  }
  if (!src.ShortEntries() && size_t(index) < src.LongCatalogue.size()) {
    const int interval = src.LongCatalogue[size_t(index)].FrameInterval();
    if (interval > 0) return int64_t(interval) * 10;
  }
  return kUnknownIntervalMs;
}

Mp4ExportResult ExportMp4(const Source& src, const std::vector<int32_t>& indices, const Mp4Options& options,
                          const std::string& out, WorkProgress& progress) {
  Mp4Exporter exporter(src, indices, options, progress);
  return exporter.Run(out);
}

}  // namespace quovil
