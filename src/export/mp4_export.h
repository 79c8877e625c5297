// The MP4 export: a fragment of one camera, or of both cameras side by side,
// one above the other or one inset in the other, as H.264 with AAC sound in
// the recording's own timing, each picture stamped as the AVI export stamps
// it. It reads the open source only (through its own frame cache), so it may
// run on a worker thread; the file appears under its name only when complete.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "card/source.h"
#include "platform/host.h"
#include "viewer/camera_setting.h"

namespace quovil {

struct Mp4Options {
  int camera = 0;  // 0, 1, or -1 for both
  enum class Arrangement { Side, Stacked, Inset };
  Arrangement arrangement = Arrangement::Side;
  std::array<CameraSetting, 2> cameras{};  // brightness and contrast of each
  // The stamp's readings beside its date and time, where the record's second
  // carries them.
  bool stampSpeed = true, stampVoltage = true;
  // Files of at most about this many bytes ("name.mp4", "name_fr_1.mp4", ...);
  // 0: one file.
  uint64_t splitBytes = 0;
};

// The smallest size a part may be given: below it a part would hold hardly a
// second of pictures.
inline constexpr uint64_t kMp4MinimumSplitBytes = uint64_t(1) << 20;

struct Mp4ExportResult {
  bool failed = false, cancelled = false;
  std::vector<std::string> files;
  int frames = 0;
  double seconds = 0;
  std::string encoder;
  std::string message;  // why it failed
};

// The stamp of one exported picture: "dd.mm.yyyy  hh:mm:ss", then the speed
// ("54 km/h") and the input voltage ("12.6 V") when given (empty: left out).
std::string Mp4StampText(const TimeStamp& t, const std::string& speed, const std::string& voltage);

// The file of part (0 the first) of an export to chosen: chosen itself, then
// "name_fr_1.mp4", "name_fr_2.mp4", ... as the AVI export numbers its parts.
std::string Mp4PartName(const std::string& chosen, int part);

// How long the picture of index lasts, in milliseconds: its sound's length
// when the source records sound and it holds some, else its frame interval
// (200 ms when unknown).
int64_t Mp4PictureDuration(const Source& src, int32_t index);

// Writes indices (catalogue indices in recording order, of the cameras the
// options name) to out (and its further parts when split). The files appear
// under their names only when the whole export succeeded.
Mp4ExportResult ExportMp4(const Source& src, const std::vector<int32_t>& indices, const Mp4Options& options,
                          const std::string& out, WorkProgress& progress);

}  // namespace quovil
