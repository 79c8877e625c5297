// The pictures of the report: a record's picture stamped with its time as
// the exports stamp theirs, read through a frame cache of the report's own,
// so that it may be made on a worker while the window shows the same source.
#pragma once

#include <array>
#include <memory>

#include "card/source.h"
#include "decode/picture.h"
#include "viewer/camera_setting.h"

namespace quovil {

struct FrameCache;

class ReportPictures {
 public:
  explicit ReportPictures(const Source& src, const std::array<CameraSetting, 2>& cameras = {});
  ~ReportPictures();
  ReportPictures(const ReportPictures&) = delete;
  ReportPictures& operator=(const ReportPictures&) = delete;

  // The stamped picture of a catalogue index; a frame that cannot be read
  // gives a black picture with its stamp. Empty when the source's pictures
  // have no size.
  const Picture8& Stamped(int32_t index);

 private:
  const Source& src_;
  std::array<CameraSetting, 2> cameras_;
  std::unique_ptr<FrameCache> cache_;
  Picture8 picture_, canvas_;
};

}  // namespace quovil
