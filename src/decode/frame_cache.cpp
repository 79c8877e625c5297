#include "decode/frame_cache.h"

#include "decode/frame_record.h"

namespace quovil {

namespace {

// The cache frames plus one buffer for the delta stream being read.
constexpr size_t kBlockFrames = size_t(kCacheCameras) * kCacheSlots * kGroupFrames + 1;

}  // namespace

// Left uninitialised on purpose: 48 MiB that are only read after a load wrote them.
FrameCache::FrameCache() : block(new uint8_t[kBlockFrames * kFrameBufferBytes]) { ResetFrameCache(*this); }

void ResetFrameCache(FrameCache& cache) {
  for (auto& cam : cache.tag)
    for (auto& slot : cam)
      for (int32_t& t : slot) t = -1;
  for (auto& cam : cache.decoded)
    for (int32_t& d : cam) d = 0;
  for (int cam = 0; cam < kCacheCameras; ++cam) {
    cache.roles[cam] = FrameCache::Roles{};
    cache.shownPos[cam] = -1;
    cache.travel[cam] = 1;
  }
}

int FindGroupStart(const Source& src, int index, int step) {
  if (!src.ValidIndex(index)) return -1;
  const int cam = src.CameraOf(index);
  if (cam < 0) return -1;
  if (EveryFrameIsKey(src)) return index;
  step = step < 0 ? -1 : 1;
  for (int i = index; src.ValidIndex(i); i += step)
    if (src.CameraOf(i) == cam && IsKeyFrame(src, i)) return i;
  return -1;
}

int FindNextOfCamera(const Source& src, int index) {
  if (!src.ValidIndex(index)) return -1;
  const int cam = src.CameraOf(index);
  if (cam < 0) return -1;
  for (int i = index + 1; src.ValidIndex(i); ++i)
    if (src.CameraOf(i) == cam) return i;
  return -1;
}

bool FindInCache(const Source& src, const FrameCache& cache, int index, int* slot, int* pos) {
  if (!src.ValidIndex(index)) return false;
  const int cam = src.CameraOf(index);
  if (cam < 0) return false;
  for (int s = 0; s < kCacheSlots; ++s) {
    for (int p = 0; p < kGroupFrames; ++p) {
      const int32_t t = cache.tag[cam][s][p];
      if (t < 0) break;
      if (t == index) {
        *slot = s;
        *pos = p;
        return true;
      }
    }
  }
  return false;
}

}  // namespace quovil
