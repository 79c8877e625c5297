#include "export/mp4_export.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "card/korax.h"
#include "decode/build_picture.h"
#include "decode/frame_cache.h"
#include "decode/frame_info.h"
#include "export/mp4_file.h"
#include "export/snapshot.h"
#include "platform/checksum_file.h"
#include "platform/file_guard.h"
#include "platform/utf8_file.h"
#include "platform/translate.h"

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
  struct Event {
    int64_t start, duration;
    int32_t index;
  };
  // Writes events from i on into temp, moving i past the last one written;
  // returns where the part ends on the export's clock, -1 when cancelled or
  // failed.
  int64_t WritePart(const std::string& temp, const std::vector<Event>& events, size_t& i, int64_t partStart,
                    int64_t end, Mp4ExportResult& result, std::string& error);
  // Whether the part would grow past the size limit with another picture.
  bool PartFull(const Mp4File& mp4, int64_t pictures) const;
  // The stamp of index: its time, and the readings of its second as asked.
  std::string StampOf(int32_t index);
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
  bool sound_on_ = false;
  int sound_camera_ = -1;  // the camera heard: the first one recorded
  FrameInfoState info_;
  int64_t learned_bytes_ = 0;  // per picture, in the parts written
};

bool Mp4Exporter::PartFull(const Mp4File& mp4, int64_t pictures) const {
  // Until the encoder gives its first pictures back, each is taken to be as
  // large as those of the part before; in the first part nothing is known
  // until then, so only a limit below the encoder's delay is passed.
  const int64_t expected = mp4.ExpectedBytes(learned_bytes_);
  const int64_t guess = learned_bytes_;
  // Room for the largest step: a key picture, several times an average one,
  // and a sound block's AAC (48 kbit/s for at most two seconds).
  const int64_t average = pictures > 0 ? expected / pictures : guess;
  return uint64_t(expected + 8 * average + 12000) >= o_.splitBytes;
}

std::string Mp4Exporter::StampOf(int32_t index) {
  std::string speed, voltage;
  if ((o_.stampSpeed || o_.stampVoltage) && !src_.ShortEntries()) {
    // The readings of the record's own second only: a second without an
    // information block shows none, not the previous second's.
    const int e = FindInfoEntry(src_, index, info_.run);
    if (e >= 0 && ReadInfoBlock(src_, info_, e)) {
      std::string field;
      if (o_.stampSpeed && info_.GpsIndex == e && GpsSpeedField(info_.GpsSentence, &field) && !field.empty())
        speed = field.substr(0, 8);
      if (o_.stampVoltage && info_.SensorIndex == e)
        voltage = Format("%.1f", GetU16(&info_.SensorData[1]) / 10.0);
    }
  }
  return Mp4StampText(src_.TimeOf(index), speed, voltage);
}

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
  ComposeStampedPicture(picture_[c], StampOf(index), canvas_[c]);
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
  sound_on_ = src_.HasSound && src_.SampleRate > 0;

  // Each camera keeps its own time: its records follow each other by their
  // durations from the second its first record was taken. Both cameras'
  // pictures then change when their own records begin.
  std::vector<Event> events;
  events.reserve(indices_.size());
  const TimeStamp first = src_.TimeOf(indices_.front());
  std::array<int64_t, 2> clock{-1, -1};
  std::array<int64_t, 2> offset{0, 0};
  int64_t end = 0;
  for (const int32_t index : indices_) {
    if (!src_.ValidIndex(index) || src_.CameraOf(index) < 0) continue;
    const size_t c = size_t(src_.CameraOf(index));
    if (clock[c] < 0) {
      offset[c] = SecondsBetween(first, src_.TimeOf(index)) * 1000;
      clock[c] = offset[c];
      if (sound_camera_ < 0) sound_camera_ = int(c);
    }
    events.push_back({clock[c], Mp4PictureDuration(src_, index), index});
    clock[c] += events.back().duration;
    end = std::max(end, clock[c]);
  }
  if (events.empty()) return fail("no records to export");
  std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) { return a.start < b.start; });

  progress_.Begin(Tr("Export", "Сохранение MP4"), Tr("Export", "Сохранение видео фрагмента в MP4 файл"), kProgressSteps);
  // Every part is written beside its target and all are renamed at the end: a
  // cancelled or failed run leaves no partial file, and older files stay
  // until then.
  std::vector<std::string> temps;
  const auto discard = [&] {
    for (const std::string& t : temps) RemoveFileUtf8(t);
  };
  bool ok = true;
  int64_t seconds = 0;  // of all parts
  const size_t n = events.size();
  size_t i = 0;
  int64_t partStart = 0;
  for (int part = 0; i < n && ok && !result.cancelled; ++part) {
    const std::string target = Mp4PartName(out, part);
    const std::string temp = target + ".part";
    for (const std::string& name : {target, temp}) {
      if (const OutputProblem problem = CheckOutputTarget(name); problem != OutputProblem::None) {
        error = OutputProblemText(problem);
        ok = false;
      }
    }
    if (!ok) break;
    temps.push_back(temp);
    const int64_t partEnd = WritePart(temp, events, i, partStart, end, result, error);
    ok = partEnd >= 0;
    if (ok) seconds += partEnd - partStart;
    partStart = partEnd;
  }
  progress_.End();
  if (result.cancelled || !ok) {
    discard();
    if (result.cancelled) return result;
    return fail(error.empty() ? "the MP4 file could not be written" : error);
  }
  for (size_t part = 0; part < temps.size(); ++part) {
    const std::string target = Mp4PartName(out, int(part));
    RemoveFileUtf8(target);
    std::error_code renamed;
    std::filesystem::rename(PathFromUtf8(temps[part]), PathFromUtf8(target), renamed);
    if (renamed) {
      discard();
      for (const std::string& f : result.files) RemoveFileUtf8(f);
      result.files.clear();
      return fail("cannot create " + target);
    }
    result.files.push_back(target);
  }
  for (const std::string& f : result.files) {
    if (!SealExport(f, &error)) return fail(error);
  }
  result.seconds = double(seconds) / 1000.0;
  return result;
}

int64_t Mp4Exporter::WritePart(const std::string& temp, const std::vector<Event>& events, size_t& i,
                               int64_t partStart, int64_t end, Mp4ExportResult& result, std::string& error) {
  Mp4File mp4;
  const int32_t firstIndex = events[i].index;
  if (!mp4.Open(temp, frame_.width, frame_.height, sound_on_ ? src_.SampleRate : 0,
                CreationTime(src_.TimeOf(firstIndex)), error))
    return -1;
  result.encoder = mp4.Encoder();
  // The heard camera may begin later than the other: silence until then.
  if (sound_on_ && partStart == 0 && events[i].start == 0) {
    int64_t lead = -1;
    for (const Event& e : events)
      if (src_.CameraOf(e.index) == sound_camera_) {
        lead = e.start;
        break;
      }
    if (lead > 0) {
      const int64_t silence = lead * src_.SampleRate / 1000;
      std::vector<uint8_t> quiet(size_t(std::min<int64_t>(silence, int64_t(1) << 24)), 128);
      mp4.AddSamples(quiet.data(), int(quiet.size()));
    }
  }
  const size_t n = events.size();
  bool ok = true;
  int64_t partEnd = end;
  bool closing = false;
  int64_t pictures = 0;
  for (; i < n && ok; ++i) {
    if (closing && events[i].start >= partEnd) break;
    const int32_t index = events[i].index;
    BuildCamera(index);
    // A part opens with a picture, whatever gap lies before its first record.
    ok = mp4.AddPicture(ComposeFrame(), events[i].index == firstIndex ? 0 : events[i].start - partStart);
    const bool heard = sound_on_ && src_.CameraOf(index) == sound_camera_;
    if (ok && heard) {
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
    ++pictures;
    if ((i + 1) * kProgressSteps / n != i * kProgressSteps / n) progress_.Step(int((i + 1) * kProgressSteps / n));
    if (progress_.Cancelled()) {
      result.cancelled = true;
      ++i;
      break;
    }
    // A part ends, before it would grow past the limit, where the heard
    // camera's picture and its sound end: the other camera's pictures begun
    // by then go in too, and the next part's sound starts with its pictures.
    if (ok && !closing && o_.splitBytes > 0 && i + 1 < n && (heard || !sound_on_) &&
        PartFull(mp4, pictures)) {
      closing = true;
      partEnd = heard ? events[i].start + events[i].duration : events[i + 1].start;
    }
  }
  if (result.cancelled) return -1;
  if (i >= n) partEnd = end;
  if (!(mp4.Finish(partEnd - partStart, error) && ok)) {
    if (error.empty()) error = "the MP4 file could not be written";
    return -1;
  }
  std::error_code sized;
  const auto bytes = std::filesystem::file_size(PathFromUtf8(temp), sized);
  if (!sized && pictures > 0) learned_bytes_ = int64_t(bytes) / pictures;
  return partEnd;
}

}  // namespace

std::string Mp4StampText(const TimeStamp& t, const std::string& speed, const std::string& voltage) {
  std::string text = FrameStampText(t);
  if (!speed.empty()) text += "  " + speed + " km/h";
  if (!voltage.empty()) text += "  " + voltage + " V";
  return text;
}

std::string Mp4PartName(const std::string& chosen, int part) {
  if (part <= 0) return chosen;
  std::string base = chosen, extension = ".mp4";
  const size_t n = base.size();
  // Only a real extension moves behind the part's number: a name typed
  // without one keeps all its letters.
  if (n > 4 && base[n - 4] == '.' && base.find_first_of("/\\", n - 4) == std::string::npos) {
    extension = base.substr(n - 4);
    base.resize(n - 4);
  }
  return base + Format("_fr_%d", part) + extension;
}

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
