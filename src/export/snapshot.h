// The stamped picture shared by AVI frames and BMP snapshots, and the BMP
// snapshot command of the active camera.
#pragma once

#include <string>

#include "card/source.h"
#include "decode/picture.h"

namespace quovil {

class Viewer;

// Frame geometry: W = 420 - 2 x EdgeTrim (420 or 400), H = PictureHeight + 20.
struct StampedSize {
  int width = 0, height = 0;
};
StampedSize StampedFrameSize(const Source& src);

// Nearest-neighbour stretch of from over the whole of to: destination pixel
// (x, y) takes source pixel (x * fw div tw, y * fh div th). An empty source
// leaves to unchanged.
void StretchPicture(const Picture8& from, Picture8& to);

// The stamp of an exported frame: "dd.mm.yyyy  hh:mm:ss".
std::string FrameStampText(const TimeStamp& t);

// canvas (already sized) = pic stretched over it with the stamp drawn on top.
void ComposeStampedPicture(const Picture8& pic, const std::string& stamp, Picture8& canvas);

// "dd.mm.yyyy_hh.mm.ss_00_<kind>_ch<camera from 0>.bmp" of a catalogue index;
// empty for an index that is not valid.
std::string SnapshotFileName(const Source& src, int index);

// Writes the stamped picture of pic to file as an 8-bit grey BMP of the frame
// geometry of src. False when the picture cannot be made or written (the
// system's error text in *error).
bool SaveStampedPicture(const std::string& file, const std::string& stamp, const Picture8& pic, const Source& src,
                        std::string* error = nullptr);

// The "BMP" command: the active camera's shown picture, under a name the save
// dialog offers. A failure is shown, and its text returned.
struct SnapshotResult {
  enum class Status { Nothing, Saved, Failed };
  Status status = Status::Nothing;
  std::string message;
  std::string file;  // what was written
};
SnapshotResult ActionSaveImageExecute(Viewer& v);

}  // namespace quovil
