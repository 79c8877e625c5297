// The camera pictures: sizing them for a new source and building a record's
// picture from the frame cache.
#include "decode/build_picture.h"
#include "viewer/viewer.h"

namespace quovil {

bool Viewer::PrepareBitmaps() {
  const int64_t w = src.PictureWidth;
  const int64_t h = src.PictureHeight;
  // Frames live in cache buffers of kFrameBufferBytes; a larger picture is a
  // damaged header, not a picture.
  if (w <= 0 || h <= 0 || w * h > kFrameBufferBytes) return false;
  for (Picture8& pic : CameraBitmap) pic.Resize(int(w), int(h));
  return true;
}

bool Viewer::BuildPicture(int index, Picture8& pic) {
  if (!src.ValidIndex(index)) return false;
  const int cam = src.CameraOf(index);
  if (cam < 0) return false;  // camera bits 2 or 3: no such camera, nothing to show
  const int64_t w = src.PictureWidth;
  const int64_t h = src.PictureHeight;
  if (w <= 0 || h <= 0 || w * h > kFrameBufferBytes) return false;
  // A frame that cannot be had leaves the picture as it was: it is never
  // filled from outside the cache.
  const uint8_t* frame = AcquireFrame(src, cache, index);
  if (!frame) return false;
  const CameraSetting& cs = CameraSettings[size_t(cam)];
  ConvertFrame(frame, int(w), int(h), src.CardFormat, cs.Brightness, cs.Contrast, pic);
  return ReadFrameInfo(src, info, index);
}

}  // namespace quovil
