// Reading a group from the source: the key frame whole, then each delta frame
// decoded from the one before it. The group's members are known from the
// catalogue alone, so a group is tagged at once and decoded only as far as it
// is asked for; the delta streams are read again from the device when needed.
#include "decode/frame_cache.h"
#include "decode/frame_record.h"

namespace quovil {

namespace {

bool PictureFitsCache(const Source& src) {
  return src.PictureBytes > 0 && src.PictureBytes <= kFrameBufferBytes;
}

// The delta frame that continues a group after entry g, or -1 where the group ends.
int NextDeltaOf(const Source& src, int g) {
  if (EveryFrameIsKey(src)) return -1;
  const int d = FindNextOfCamera(src, g);
  if (d < 0) return -1;
  const LongEntry& e = src.LongCatalogue[size_t(d)];
  if (!e.IsDelta() || e.PictureSectors() == 0) return -1;
  return d;
}

bool ValidSlot(int cam, int slot) { return cam >= 0 && cam < kCacheCameras && slot >= 0 && slot < kCacheSlots; }

// Decodes position i of a slot from position i - 1; false when its delta
// stream cannot be read.
bool DecodePosition(const Source& src, FrameCache& cache, int cam, int slot, int i) {
  BlockDevice* dev = src.FrameDevice();
  const int g = cache.tag[cam][slot][i];
  if (!dev || !src.ValidIndex(g) || src.ShortEntries() || !PictureFitsCache(src)) return false;
  const size_t n = size_t(src.LongCatalogue[size_t(g)].PictureSectors()) * kSectorSize;
  if (!dev->Read(PictureOffset(src, g), cache.DeltaInput(), n)) return false;
  DecodeDelta(cache.Frame(cam, slot, i - 1), cache.DeltaInput(), n, cache.Frame(cam, slot, i), src.PictureBytes);
  return true;
}

struct Loaded {
  int pos = -1;     // of the index asked for, or -1
  int members = 0;  // tagged positions; 0 when the slot was left as it was or emptied
};

// Reads the key frame and tags the members of the group holding index.
Loaded LoadMembers(const Source& src, FrameCache& cache, int index, int slot) {
  Loaded r;
  if (!src.ValidIndex(index) || slot < 0 || slot >= kCacheSlots) return r;
  const int cam = src.CameraOf(index);
  BlockDevice* dev = src.FrameDevice();
  if (cam < 0 || !dev || !PictureFitsCache(src)) return r;
  int g = FindGroupStart(src, index, -1);
  if (g < 0) return r;

  int32_t* tags = cache.tag[cam][slot];
  tags[0] = -1;  // empty until a frame is stored
  cache.decoded[cam][slot] = 0;
  if (!dev->Read(PictureOffset(src, g), cache.Frame(cam, slot, 0), size_t(src.PictureBytes))) return r;
  cache.decoded[cam][slot] = 1;

  int i = 0;
  for (;;) {
    if (g == index) r.pos = i;
    tags[i++] = g;
    if (i == kGroupFrames) break;
    g = NextDeltaOf(src, g);
    if (g < 0) break;
  }
  if (i < kGroupFrames) tags[i] = -1;
  r.members = i;
  return r;
}

}  // namespace

int LoadGroupMembers(const Source& src, FrameCache& cache, int index, int slot) {
  return LoadMembers(src, cache, index, slot).pos;
}

bool DecodeThrough(const Source& src, FrameCache& cache, int cam, int slot, int pos) {
  if (!ValidSlot(cam, slot) || pos < 0 || pos >= kGroupFrames) return false;
  int32_t* tags = cache.tag[cam][slot];
  int32_t& done = cache.decoded[cam][slot];
  for (int p = 0; p <= pos; ++p)
    if (tags[p] < 0) return false;
  if (done < 1) return false;  // no key frame: nothing to decode from
  while (done <= pos) {
    // A failed read, on the card or in an archive file, ends the group at the
    // last good frame, as if it had been found when the group was loaded.
    if (!DecodePosition(src, cache, cam, slot, done)) {
      tags[done] = -1;
      return false;
    }
    ++done;
  }
  return true;
}

int LoadGroup(const Source& src, FrameCache& cache, int index, int slot) {
  const Loaded r = LoadMembers(src, cache, index, slot);
  if (r.members == 0) return -1;
  const int cam = src.CameraOf(index);
  DecodeThrough(src, cache, cam, slot, r.members - 1);
  return r.pos >= 0 && r.pos < cache.decoded[cam][slot] ? r.pos : -1;
}

}  // namespace quovil
