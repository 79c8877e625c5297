// Reading a group from the source: the key frame whole, then each delta frame
// decoded from the one before it.
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

}  // namespace

int LoadGroup(const Source& src, FrameCache& cache, int index, int slot) {
  if (!src.ValidIndex(index) || slot < 0 || slot >= kCacheSlots) return -1;
  const int cam = src.CameraOf(index);
  BlockDevice* dev = src.FrameDevice();
  if (cam < 0 || !dev || !PictureFitsCache(src)) return -1;
  int g = FindGroupStart(src, index, -1);
  if (g < 0) return -1;

  int32_t* tags = cache.tag[cam][slot];
  tags[0] = -1;  // empty until a frame is stored
  if (!dev->Read(PictureOffset(src, g), cache.Frame(cam, slot, 0), size_t(src.PictureBytes))) return -1;

  int result = -1;
  int i = 0;
  for (;;) {
    if (g == index) result = i;
    tags[i++] = g;
    if (i == kGroupFrames) break;
    g = NextDeltaOf(src, g);
    if (g < 0) break;
    // A failed read, on the card or in an archive file, ends the group at the
    // last good frame.
    const size_t n = size_t(src.LongCatalogue[size_t(g)].PictureSectors()) * kSectorSize;
    if (!dev->Read(PictureOffset(src, g), cache.DeltaInput(), n)) break;
    DecodeDelta(cache.Frame(cam, slot, i - 1), cache.DeltaInput(), n, cache.Frame(cam, slot, i), src.PictureBytes);
  }
  if (i < kGroupFrames) tags[i] = -1;
  return result;
}

}  // namespace quovil
