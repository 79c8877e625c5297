#include "export/avi_export.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "card/korax.h"
#include "decode/frame_cache.h"
#include "export/AVI_FUNC.h"
#include "export/snapshot.h"
#include "platform/checksum_file.h"
#include "platform/file_guard.h"
#include "platform/utf8_file.h"
#include "viewer/viewer.h"
#include "platform/translate.h"

namespace quovil {

namespace {

constexpr const char* kWriteError = QUOVIL_TR_NOOP("Export", "Возникла ошибка при записи AVI файла!");
constexpr uint32_t kMicrosPerFrame = 200000;  // 5 frames per second
constexpr int kMaxSamples = kSoundBlockBytes - 2;
// Pictures are paced by the sound in fifths of a second; a block holds at
// most kMaxSamples, so from this rate on an entry repeats its picture at most
// 57 times. Slower rates cannot be paced (SampleRate / 5 would be 0 or a few).
constexpr int kMinSampleRate = 1000;

// One export run: the buffers are made once and reused for every frame.
class AviExporter {
 public:
  AviExporter(Viewer& v, const AviExportList& list, uint64_t splitBytes)
      : v_(v), src_(v.source()), list_(list), split_(splitBytes), sound_(src_.HasSound) {}

  // Empty when the export can run, else the text that says why not.
  std::string Prepare();
  void Run(const std::string& chosen, AviExportResult& result);

 private:
  enum class FileEnd { Done, Failed };
  FileEnd WriteFile(const std::string& name, AviExportResult& result);
  bool OpenStreams(AviFile& avi);
  bool WriteEntrySilent(AviFile& avi);
  bool WriteEntryWithSound(AviFile& avi, uint64_t fileEnd);
  bool WriteFrame(AviFile& avi);
  bool CloseFile(AviFile& avi);
  void ComposeFrame(int32_t index);
  void ProgressTick();
  // Shows an error and keeps it as the run's message.
  void Report(AviExportResult& result, const std::string& text) {
    result.message = text;
    v_.ShowMessageBox(text, MsgKind::Error);
  }
  int SoundOf(int32_t index);

  Viewer& v_;
  const Source& src_;
  const AviExportList& list_;
  uint64_t split_;
  bool sound_;
  StampedSize size_;
  Picture8 canvas_, picture_;
  std::vector<uint8_t> frameBuffer_;
  std::array<uint8_t, kSoundBlockBytes> soundBuffer_{};
  int o_ = 0;
  int64_t pending_ = 0;
  int ticks_ = 0, progress_ = 0, frames_ = 0;
  bool cancelled_ = false;
};

std::string AviExporter::Prepare() {
  size_ = StampedFrameSize(src_);
  const int64_t pw = src_.PictureWidth, ph = src_.PictureHeight;
  if (size_.width <= 0 || size_.height <= 0 || pw <= 0 || ph <= 0 || pw * ph > kFrameBufferBytes) return Tr("Export", kWriteError);
  if (sound_ && src_.SampleRate < kMinSampleRate)
    return Format(Tr("Export", "Частота звука %d Гц слишком мала для записи AVI файла!"), src_.SampleRate);
  canvas_.Resize(size_.width, size_.height);
  picture_.Resize(int(pw), int(ph));
  frameBuffer_.assign(size_t(size_.width) * size_t(size_.height), 0);
  return {};
}

void AviExporter::ComposeFrame(int32_t index) {
  v_.BuildPicture(index, picture_);  // a failed read keeps the previous picture
  ComposeStampedPicture(picture_, FrameStampText(src_.TimeOf(index)), canvas_);
  const size_t w = size_t(size_.width);
  for (int y = 0; y < size_.height; ++y)
    std::memcpy(frameBuffer_.data() + size_t(size_.height - 1 - y) * w, canvas_.Row(y), w);
}

bool AviExporter::WriteFrame(AviFile& avi) {
  if (!avi.WriteSample(0, frameBuffer_.data(), uint32_t(frameBuffer_.size()), kAviKeyFrame)) return false;
  ++frames_;
  return true;
}

// Samples of index's sound into soundBuffer_ from offset 2: the stored ones,
// or silence (127) for its frame interval when it has none stored.
int AviExporter::SoundOf(int32_t index) {
  ReadSound(src_, index, soundBuffer_.data());
  int len = std::min<int>(GetU16(soundBuffer_.data()), kMaxSamples);
  if (len > 0) return len;
  const int interval = src_.ShortEntries() || !src_.ValidIndex(index) || size_t(index) >= src_.LongCatalogue.size()
                           ? 0
                           : src_.LongCatalogue[size_t(index)].FrameInterval();
  len = int(int64_t(interval) * 10 * src_.SampleRate / 1000);
  len = std::min({len, src_.SampleRate, kMaxSamples});
  std::memset(soundBuffer_.data() + 2, 127, size_t(len));
  return len;
}

void AviExporter::ProgressTick() {
  if (++ticks_ < 10) return;
  ticks_ = 0;
  v_.host.SetProgress(++progress_);
  v_.host.ProcessEvents();
  if (v_.host.ProgressCancelled()) cancelled_ = true;
}

bool AviExporter::WriteEntrySilent(AviFile& avi) {
  ComposeFrame(list_.entries[size_t(o_)]);
  return WriteFrame(avi);
}

// fileEnd: the data size at which the file is split; a long repeat stops there.
bool AviExporter::WriteEntryWithSound(AviFile& avi, uint64_t fileEnd) {
  const int32_t next = list_.entries[size_t(o_) + 1];
  if (next >= 0) {
    const int len = SoundOf(next);
    pending_ += len;
    // An empty chunk carries nothing; it is left out.
    if (len > 0 && !avi.WriteSample(1, soundBuffer_.data() + 2, uint32_t(len), kAviKeyFrame)) return false;
  }
  ComposeFrame(list_.entries[size_t(o_)]);
  while (pending_ > src_.SampleRate / 10 && avi.DataBytes() < fileEnd) {
    if (!WriteFrame(avi)) return false;
    pending_ -= src_.SampleRate / 5;
  }
  return true;
}

// The closing frame and silence (128) make the sound end with the last frame.
bool AviExporter::CloseFile(AviFile& avi) {
  bool ok = true;
  if (sound_ && pending_ != 0) {
    ok = WriteFrame(avi);
    const int64_t len = src_.SampleRate / 5 - pending_;
    if (ok && len > 0) {
      std::memset(soundBuffer_.data(), 128, size_t(len));
      ok = avi.WriteSample(1, soundBuffer_.data(), uint32_t(len), kAviKeyFrame);
    }
  }
  return avi.Release() && ok;
}

bool AviExporter::OpenStreams(AviFile& avi) {
  AviStreamHeader video;
  std::memcpy(video.type, "vids", 4);
  video.rate = 5;
  video.suggestedBufferSize = uint32_t(size_.width * size_.height);
  video.frame[2] = int16_t(size_.width);
  video.frame[3] = int16_t(size_.height);
  if (avi.CreateStream(video) != 0 || !avi.SetFormat(0, GreyDibFormat(size_.width, size_.height))) return false;
  if (!sound_) return true;
  AviStreamHeader audio;
  std::memcpy(audio.type, "auds", 4);
  audio.rate = uint32_t(src_.SampleRate);
  audio.suggestedBufferSize = 1;
  audio.sampleSize = 1;  // PCM block align: the length counts samples
  return avi.CreateStream(audio) == 1 && avi.SetFormat(1, PcmU8MonoFormat(uint32_t(src_.SampleRate)));
}

AviExporter::FileEnd AviExporter::WriteFile(const std::string& name, AviExportResult& result) {
  pending_ = 0;
  ticks_ = 0;
  if (const OutputProblem problem = CheckOutputTarget(name); problem != OutputProblem::None) {
    Report(result, OutputProblemText(problem));
    return FileEnd::Failed;
  }
  RemoveFileUtf8(name);
  v_.host.ProcessEvents();
  AviFile avi;
  if (!avi.Open(name, kMicrosPerFrame)) return FileEnd::Failed;
  result.files.push_back(name);
  if (!OpenStreams(avi)) return FileEnd::Failed;
  uint64_t written = 0;
  while (o_ < list_.count && written < split_ && !cancelled_) {
    const uint64_t before = avi.DataBytes();
    if (!(sound_ ? WriteEntryWithSound(avi, before - written + split_) : WriteEntrySilent(avi))) {
      Report(result, Tr("Export", kWriteError));
      return FileEnd::Failed;
    }
    written += avi.DataBytes() - before;
    ProgressTick();
    ++o_;
  }
  if (!CloseFile(avi)) {
    Report(result, Tr("Export", kWriteError));
    return FileEnd::Failed;
  }
  // A part cut short by Cancel is no complete export: it gets no checksum.
  if (!cancelled_ && !SealExport(name)) {
    Report(result, Tr("Export", kWriteError));
    return FileEnd::Failed;
  }
  return FileEnd::Done;
}

void AviExporter::Run(const std::string& chosen, AviExportResult& result) {
  for (int part = 0; o_ < list_.count && !cancelled_; ++part) {
    if (WriteFile(AviPartName(chosen, part), result) == FileEnd::Failed) {
      result.failed = true;
      break;
    }
  }
  result.frames = frames_;
  result.cancelled = cancelled_;
}

}  // namespace

bool CollectAviEntries(Viewer& v, AviExportList& list, std::string* refusal) {
  list = {};
  Viewer::Fragment f = v.MarkedFragment(v.selection().ActiveCamera());
  if (f.status != Viewer::Fragment::Status::Ok) {
    if (refusal) *refusal = f.Message();
    v.ShowMessageBox(f.Message(), MsgKind::Error);
    return false;
  }
  list.entries = std::move(f.indices);
  list.count = int(list.entries.size());
  if (v.source().HasSound) {
    const int32_t q = v.NextPosOfCamera(f.last, v.selection().ActiveCamera());
    list.entries.push_back(q >= 0 ? v.IndexAtPos(q) : -1);
  }
  return true;
}

std::string SuggestedAviName(const Viewer& v) {
  std::string mark = v.fragStart();
  std::replace(mark.begin(), mark.end(), ' ', '_');
  std::replace(mark.begin(), mark.end(), ':', '_');
  return Format("CAM%d_", v.selection().ActiveCamera() + 1) + mark;
}

std::string AviPartName(const std::string& chosen, int part) {
  if (NamesFolder(chosen)) return chosen;  // refused when the part is written
  std::string base = chosen;
  const size_t n = base.size();
  // Only a real extension goes: a name typed without one keeps all its letters.
  if (n > 4 && base[n - 4] == '.' && base.find_first_of("/\\", n - 4) == std::string::npos) base.resize(n - 4);
  if (part > 0) base += Format("_fr_%d", part);
  return base + ".avi";
}

AviExportResult WriteAviFragment(Viewer& v, const AviExportList& list, const std::string& chosen, uint64_t splitBytes) {
  AviExportResult result;
  AviExporter exporter(v, list, splitBytes);
  if (const std::string why = exporter.Prepare(); !why.empty()) {
    v.ShowMessageBox(why, MsgKind::Error);
    result.message = why;
    result.failed = true;
    return result;
  }
  v.host.ShowProgress(Tr("Export", "Запись видео в AVI файл"), Tr("Export", "Дождитесь завершения операции или нажмите Cancel"), list.count / 10);
  v.host.EnableMainWindow(false);
  v.host.EnableCheckTimer(false);
  v.host.ProcessEvents();
  exporter.Run(chosen, result);
  v.host.HideProgress();
  v.host.BringToFront();
  v.host.EnableCheckTimer(true);
  v.host.EnableMainWindow(true);
  return result;
}

void ActionSaveAVIExecute(Viewer& v) {
  if (v.selection().Count() <= 0) return;
  v.StopBtnClick();
  AviExportList list;
  if (!CollectAviEntries(v, list)) return;
  const std::optional<std::string> chosen = v.host.ChooseSaveFile(SuggestedAviName(v));
  if (!chosen || chosen->empty()) return;
  WriteAviFragment(v, list, *chosen);
}

}  // namespace quovil
