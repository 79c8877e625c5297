// The frame cache: per camera three slots of up to 64 frames (a key frame and
// the delta frames that follow it), allocated once. A slot's tags name its
// whole group as soon as it is loaded; its pictures are decoded from position
// 0 forward only as far as they have been asked for.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "card/source.h"
#include "decode/delta_decoder.h"

namespace quovil {

inline constexpr int kCacheCameras = 2;
inline constexpr int kCacheSlots = 3;
inline constexpr int kGroupFrames = 64;
inline constexpr int kFrameBufferBytes = 131072;
inline constexpr int kSoundBlockBytes = 22528;  // 16-bit count + samples

struct FrameCache {
  FrameCache();  // allocates the 48 MiB block once; every tag -1
  FrameCache(const FrameCache&) = delete;
  FrameCache& operator=(const FrameCache&) = delete;

  // tag[cam][slot][pos]: entry index of the frame at that position, or -1. A
  // slot's entries are valid up to its first -1.
  int32_t tag[kCacheCameras][kCacheSlots][kGroupFrames];
  // Positions 0 .. decoded - 1 of a slot hold their pictures; the rest of its
  // tagged positions are decoded when first asked for.
  int32_t decoded[kCacheCameras][kCacheSlots];
  // Per camera: the position last handed out from the current slot, and the
  // direction of travel it showed (+1 forward, -1 backward).
  int32_t shownPos[kCacheCameras];
  int32_t travel[kCacheCameras];
  struct Roles {
    int current = 0, next = 1, previous = 2;
  } roles[kCacheCameras];

  uint8_t* Frame(int cam, int slot, int pos) {
    return block.get() + ((size_t(cam) * kCacheSlots + size_t(slot)) * kGroupFrames + size_t(pos)) * kFrameBufferBytes;
  }
  const uint8_t* Frame(int cam, int slot, int pos) const {
    return const_cast<FrameCache*>(this)->Frame(cam, slot, pos);
  }
  // Where a delta stream is read before it is decoded (one frame buffer).
  uint8_t* DeltaInput() { return Frame(kCacheCameras, 0, 0); }

 private:
  std::unique_ptr<uint8_t[]> block;
};

// Every tag -1, nothing decoded; roles current 0, next 1, previous 2.
void ResetFrameCache(FrameCache& cache);

// Catalogue indices throughout; a valid index is Source::ValidIndex. Entries
// whose camera bits say 2 or 3 (Source::CameraOf -1) belong to no group and
// are never loaded.

// The group start of index (step -1: at or before it) or the next group start
// at or after it (step +1), of index's camera; -1 when none.
int FindGroupStart(const Source& src, int index, int step);
// The next entry after index of the same camera, or -1.
int FindNextOfCamera(const Source& src, int index);
// Finds index among the tags. Its picture may not be decoded yet: pictures are
// taken through AcquireFrame, or after DecodeThrough.
bool FindInCache(const Source& src, const FrameCache& cache, int index, int* slot, int* pos);
// Loads the group holding index into the slot of index's camera, decoding all
// of it; the position of index in it, or -1 (index invalid, no group start,
// the key frame could not be read, or index lies beyond the 64 frames kept or
// past a failed read).
int LoadGroup(const Source& src, FrameCache& cache, int index, int slot);
// The lazy half of LoadGroup: reads only the key frame and tags the group's
// members from the catalogue; the same result as LoadGroup except that a
// failed delta read is found only when DecodeThrough reaches it.
int LoadGroupMembers(const Source& src, FrameCache& cache, int index, int slot);
// Decodes cache[cam][slot] forward until position pos holds its picture. A
// failed read ends the group at the last good frame (its tags end there) and
// gives false when pos lies at or past it; false too when pos is not tagged.
bool DecodeThrough(const Source& src, FrameCache& cache, int cam, int slot, int pos);
// The slot management: finds or loads the frame of index, keeping the groups
// before and after it of the same camera in the other two slots, and decodes
// only what is needed to show it (see frame_slots.cpp for the cost of a
// step). Null when the frame could not be had; slot and pos tell where it sits.
const uint8_t* AcquireFrame(const Source& src, FrameCache& cache, int index, int* slot = nullptr, int* pos = nullptr);

// Reads the sound block of entry index into buf (kSoundBlockBytes): a 16-bit
// little-endian sample count and the samples. Marks it empty (count 0) when
// the source has no sound, the entry none, or a read fails; a longer block is
// cut to fit, its count with it.
void ReadSound(const Source& src, int index, uint8_t* buf);
// The sample count ReadSound would give, read from the block's first two
// bytes alone.
int SoundSampleCount(const Source& src, int index);

}  // namespace quovil
