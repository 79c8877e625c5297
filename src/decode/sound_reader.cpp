#include <algorithm>

#include "decode/frame_cache.h"
#include "decode/frame_record.h"

namespace quovil {

namespace {

void MarkEmpty(uint8_t* buf) { PutU16(buf, 0); }

// Bytes of entry index's sound block as stored, 0 for none.
uint64_t StoredSoundBytes(const Source& src, int index) {
  if (src.ShortEntries()) return uint32_t(src.SoundBytes);
  const LongEntry& e = src.LongCatalogue[size_t(index)];
  if (e.SoundSectors() == 0) return 0;
  // The card's block is its whole sectors; an archive file is read for the
  // sound size of its header.
  return src.SourceIsCard ? uint64_t(e.SoundSectors()) * kSectorSize : uint32_t(src.SoundBytes);
}

}  // namespace

void ReadSound(const Source& src, int index, uint8_t* buf) {
  // A source without sound leaves nothing behind either: a block kept from an
  // earlier source must not be played with this one's pictures.
  MarkEmpty(buf);
  BlockDevice* dev = src.FrameDevice();
  if (!src.HasSound || !dev || !src.ValidIndex(index)) return;
  const size_t n = size_t(std::min<uint64_t>(StoredSoundBytes(src, index), kSoundBlockBytes));
  if (n < 2) return;
  if (!dev->Read(RecordOffset(src, index), buf, n)) {
    MarkEmpty(buf);
    return;
  }
  // A block cut to the buffer, or one whose count claims more than it holds,
  // plays only the samples that are there.
  if (GetU16(buf) > n - 2) PutU16(buf, uint16_t(n - 2));
}

int SoundSampleCount(const Source& src, int index) {
  BlockDevice* dev = src.FrameDevice();
  if (!src.HasSound || !dev || !src.ValidIndex(index)) return 0;
  const size_t n = size_t(std::min<uint64_t>(StoredSoundBytes(src, index), kSoundBlockBytes));
  uint8_t count[2];
  if (n < 2 || !dev->Read(RecordOffset(src, index), count, 2)) return 0;
  return std::min<int>(GetU16(count), int(n - 2));
}

}  // namespace quovil
