// The camera pictures: sizing them for a new source and building a record's
// picture from the frame cache.
#include "decode/build_picture.h"
#include "viewer/viewer.h"

namespace quovil {

bool Viewer::PrepareBitmaps() {
  const int64_t w = src_.PictureWidth;
  const int64_t h = src_.PictureHeight;
  // Frames live in cache buffers of kFrameBufferBytes; a larger picture is a
  // damaged header, not a picture.
  if (w <= 0 || h <= 0 || w * h > kFrameBufferBytes) return false;
  for (Picture8& pic : bitmaps_) pic.Resize(int(w), int(h));
  return true;
}

bool Viewer::BuildPicture(int index, Picture8& pic, bool readInfo) {
  if (!src_.ValidIndex(index)) return false;
  const int cam = src_.CameraOf(index);
  if (cam < 0) return false;  // camera bits 2 or 3: no such camera, nothing to show
  const int64_t w = src_.PictureWidth;
  const int64_t h = src_.PictureHeight;
  if (w <= 0 || h <= 0 || w * h > kFrameBufferBytes) return false;
  // A frame that cannot be had leaves the picture as it was: it is never
  // filled from outside the cache.
  const uint8_t* frame = AcquireFrame(src_, cache_, index);
  if (!frame) return false;
  const CameraSetting& cs = cameraSettings_[size_t(cam)];
  ConvertFrame(frame, int(w), int(h), src_.CardFormat, cs.Brightness, cs.Contrast, pic);
  return !readInfo || ReadFrameInfo(src_, info_, index);
}

}  // namespace quovil
