#include "report/report_pictures.h"

#include "decode/build_picture.h"
#include "decode/frame_cache.h"
#include "export/snapshot.h"

namespace quovil {

ReportPictures::ReportPictures(const Source& src, const std::array<CameraSetting, 2>& cameras)
    : src_(src), cameras_(cameras) {}

ReportPictures::~ReportPictures() = default;

const Picture8& ReportPictures::Stamped(int32_t index) {
  const StampedSize size = StampedFrameSize(src_);
  const int64_t pw = src_.PictureWidth, ph = src_.PictureHeight;
  if (size.width <= 1 || size.height <= 1 || pw <= 0 || ph <= 0 || pw * ph > kFrameBufferBytes) {
    canvas_.Free();
    return canvas_;
  }
  if (!cache_) cache_ = std::make_unique<FrameCache>();
  picture_.Resize(int(pw), int(ph));
  canvas_.Resize(size.width, size.height);
  const int cam = src_.CameraOf(index);
  if (cam >= 0) {
    if (const uint8_t* frame = AcquireFrame(src_, *cache_, index)) {
      const CameraSetting& cs = cameras_[size_t(cam)];
      ConvertFrame(frame, int(pw), int(ph), src_.CardFormat, cs.Brightness, cs.Contrast, picture_);
    }
  }
  ComposeStampedPicture(picture_, FrameStampText(src_.TimeOf(index)), canvas_);
  return canvas_;
}

}  // namespace quovil
