// The slot roles of the frame cache: the current group, and the groups before
// and after it of the same camera, loaded ahead so that stepping across a
// group boundary in either direction finds its frame waiting.
//
// Cost of one call, in frames decoded (a delta frame: one read of its stream,
// a few KiB that the page cache mostly holds, and one pass of the decoder; a
// key frame: one read of a whole picture):
// - a frame already decoded: nothing, apart from the backward work below;
// - forward within a group: the frames between the furthest one decoded and
//   the one asked for, so one per step in playback;
// - crossing into the next group: its key frame is waiting; the group beyond
//   it is tagged and its key frame read;
// - a neighbour group is loaded with its key frame only. Backward travel
//   enters the previous group at its last frame, which needs the whole group,
//   so while travelling backward each call decodes a share of the previous
//   group (what remains of it divided by the steps left before the boundary);
//   by the crossing it is decoded whole and the crossing itself only reads the
//   key frame of the group beyond. Stepping backward inside a group needs no
//   decoding at all: decoding goes forward from the key frame, so the earlier
//   frames are there already;
// - a jump to a frame not in the cache: the three key frames, then the
//   group's frames up to the one asked for (position 50 decodes 50 deltas).
// Only the first visit to a group's later frames costs; turning back within
// the three groups held costs nothing more.
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

int TaggedCount(const FrameCache& cache, int cam, int slot) {
  int n = 0;
  while (n < kGroupFrames && cache.tag[cam][slot][n] >= 0) ++n;
  return n;
}

// Travelling backward from position pos of the current group: decodes the
// previous group's share for this step so that it is whole when playback
// steps into its last frame.
void DecodeBehind(const Source& src, FrameCache& cache, int cam, int pos) {
  const int prv = cache.roles[cam].previous;
  const int members = TaggedCount(cache, cam, prv);
  const int remaining = members - cache.decoded[cam][prv];
  if (members == 0 || remaining <= 0) return;
  const int stepsLeft = pos + 1;  // this one, and one per earlier position
  const int share = (remaining + stepsLeft - 1) / stepsLeft;
  DecodeThrough(src, cache, cam, prv, cache.decoded[cam][prv] - 1 + share);
}

// index lies past the 64 frames kept of the current group, which stays as it
// is, and the frame is not had. Playing backward through such frames ends at
// the last frame kept, so each of them decodes a share of the group, as
// DecodeBehind does.
void DecodeBeyondKeptFrames(const Source& src, FrameCache& cache, int index, int cam) {
  const int cur = cache.roles[cam].current;
  const int members = TaggedCount(cache, cam, cur);
  const int remaining = members - cache.decoded[cam][cur];
  if (members == 0 || remaining <= 0) return;
  int stepsLeft = 1;
  for (int i = index - 1; src.ValidIndex(i) && i > cache.tag[cam][cur][members - 1]; --i)
    if (src.CameraOf(i) == cam) ++stepsLeft;
  const int share = (remaining + stepsLeft - 1) / stepsLeft;
  DecodeThrough(src, cache, cam, cur, cache.decoded[cam][cur] - 1 + share);
}

// Finds the slot and position of index, loading groups as the slot roles say;
// false when the group of index cannot be had.
bool Locate(const Source& src, FrameCache& cache, int index, int cam, int* s, int* p) {
  FrameCache::Roles& r = cache.roles[cam];
  const FrameCache::Roles old = r;
  if (FindInCache(src, cache, index, s, p)) {
    if (*s == old.next) {  // moving forward
      const int g = FindGroupStart(src, index, -1);
      r = {old.next, old.previous, old.current};
      cache.travel[cam] = 1;
      LoadGroupMembers(src, cache, FollowingGroup(src, g, cam), old.previous);
    } else if (*s == old.previous) {  // moving backward
      const int g = FindGroupStart(src, index, -1);
      r = {old.previous, old.current, old.next};
      cache.travel[cam] = -1;
      LoadGroupMembers(src, cache, PrecedingEntry(src, g, cam), old.next);
    } else if (cache.shownPos[cam] >= 0 && *p != cache.shownPos[cam]) {
      cache.travel[cam] = *p < cache.shownPos[cam] ? -1 : 1;
    }
    return true;
  }
  const int g = FindGroupStart(src, index, -1);
  if (g < 0) return false;
  // Only a whole group of 64 leaves frames beyond it; a shorter group that
  // lacks index was cut by a failed read and is loaded again.
  if (cache.tag[cam][old.current][0] == g && TaggedCount(cache, cam, old.current) == kGroupFrames) {
    DecodeBeyondKeptFrames(src, cache, index, cam);
    return false;  // the frame itself is never had
  }
  // A jump: which way playback goes on is not known yet, and forward is the
  // cheap guess (backward is seen at the next step and costs a share then).
  cache.travel[cam] = 1;
  LoadGroupMembers(src, cache, PrecedingEntry(src, g, cam), old.previous);
  *p = LoadGroupMembers(src, cache, index, old.current);
  *s = old.current;
  LoadGroupMembers(src, cache, FollowingGroup(src, g, cam), old.next);
  return *p >= 0;
}

}  // namespace

const uint8_t* AcquireFrame(const Source& src, FrameCache& cache, int index, int* slot, int* pos) {
  if (!src.ValidIndex(index)) return nullptr;
  const int cam = src.CameraOf(index);
  if (cam < 0 || cam >= kCacheCameras) return nullptr;
  int s = -1, p = -1;
  // A read that fails in DecodeThrough cuts the group's tags at or before p:
  // the frame is not had.
  if (!Locate(src, cache, index, cam, &s, &p) || !DecodeThrough(src, cache, cam, s, p)) {
    cache.shownPos[cam] = -1;
    return nullptr;
  }
  cache.shownPos[cam] = p;
  if (cache.travel[cam] < 0) DecodeBehind(src, cache, cam, p);
  if (slot) *slot = s;
  if (pos) *pos = p;
  return cache.Frame(cam, s, p);
}

}  // namespace quovil
