// The AVI export of the marked fragment of the active camera: 5 frames per
// second of stamped grey pictures and, when the source has sound, the
// recorded sound with every picture held as long as its sound lasts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quovil {

class Viewer;

// Data written to one file before the next part is begun (700 MiB).
inline constexpr uint64_t kAviSplitBytes = 734003200;

// The records of the fragment: entries[0..count) in selection order and, with
// sound, entries[count] the index of the camera's next record or -1.
struct AviExportList {
  std::vector<int32_t> entries;
  int count = 0;
};

struct AviExportResult {
  std::vector<std::string> files;  // every file created, in order
  int frames = 0;                  // video frames written over all files
  bool cancelled = false;
  bool failed = false;             // a file or stream could not be made, or a write failed
  std::string message;             // the error shown, if any
};

// Turns the marks into the list of the active camera's records. The earlier
// mark's first record to the later mark's last record of its second. Shows
// the viewer's message (also put into refusal) and returns false when a mark
// is missing or the fragment holds nothing of the active camera.
bool CollectAviEntries(Viewer& v, AviExportList& list, std::string* refusal = nullptr);

// "CAM<n>_" and the start mark with blanks and colons made "_".
std::string SuggestedAviName(const Viewer& v);

// Name of part `part` for the chosen name: a trailing four-character
// extension (".xxx") is dropped, "_fr_<part>" added for parts after the
// first, then ".avi".
std::string AviPartName(const std::string& chosen, int part);

// Writes the files, with the progress dialog and Cancel through the host.
AviExportResult WriteAviFragment(Viewer& v, const AviExportList& list, const std::string& chosen,
                                 uint64_t splitBytes = kAviSplitBytes);

// The "AVI" command.
void ActionSaveAVIExecute(Viewer& v);

}  // namespace quovil
