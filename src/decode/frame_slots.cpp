// The slot roles of the frame cache: the current group, and the groups before
// and after it of the same camera, decoded ahead so that stepping across a
// group boundary in either direction finds its frame waiting.
#include "decode/frame_cache.h"
#include "decode/frame_record.h"

namespace quovil {

namespace {

// The first group start of camera cam after group start g, or -1. The
// neighbours are looked for among cam's own entries: in a recording that
// interleaves both cameras the entries next to g mostly belong to the other
// camera, whose slots must not be disturbed.
int FollowingGroup(const Source& src, int g, int cam) {
  for (int i = g + 1; src.ValidIndex(i); ++i)
    if (src.CameraOf(i) == cam && IsKeyFrame(src, i)) return i;
  return -1;
}

// The last entry of camera cam before group start g (its group is the one
// before g's), or -1.
int PrecedingEntry(const Source& src, int g, int cam) {
  for (int i = g - 1; src.ValidIndex(i); --i)
    if (src.CameraOf(i) == cam) return i;
  return -1;
}

}  // namespace

const uint8_t* AcquireFrame(const Source& src, FrameCache& cache, int index, int* slot, int* pos) {
  if (!src.ValidIndex(index)) return nullptr;
  const int cam = src.CameraOf(index);
  if (cam < 0) return nullptr;
  FrameCache::Roles& r = cache.roles[cam];
  const FrameCache::Roles old = r;
  int s = -1, p = -1;
  if (FindInCache(src, cache, index, &s, &p)) {
    if (s == old.next) {  // moving forward
      const int g = FindGroupStart(src, index, -1);
      r = {old.next, old.previous, old.current};
      LoadGroup(src, cache, FollowingGroup(src, g, cam), old.previous);
    } else if (s == old.previous) {  // moving backward
      const int g = FindGroupStart(src, index, -1);
      r = {old.previous, old.current, old.next};
      LoadGroup(src, cache, PrecedingEntry(src, g, cam), old.next);
    }
  } else {
    const int g = FindGroupStart(src, index, -1);
    if (g < 0) return nullptr;
    LoadGroup(src, cache, PrecedingEntry(src, g, cam), old.previous);
    p = LoadGroup(src, cache, index, old.current);
    s = old.current;
    LoadGroup(src, cache, FollowingGroup(src, g, cam), old.next);
    if (p < 0) return nullptr;
  }
  if (slot) *slot = s;
  if (pos) *pos = p;
  return cache.Frame(cam, s, p);
}

}  // namespace quovil
