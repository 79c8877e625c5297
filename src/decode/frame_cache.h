// The frame cache: per camera three slots of up to 64 decoded frames (a key
// frame and the delta frames that follow it), allocated once.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "card/source.h"

namespace quovil {

inline constexpr int kCacheCameras = 2;
inline constexpr int kCacheSlots = 3;
inline constexpr int kGroupFrames = 64;
inline constexpr int kFrameBufferBytes = 131072;
inline constexpr int kSoundBlockBytes = 22528;  // 16-bit count + samples

struct FrameCache {
  FrameCache();  // allocates the 48 MiB block once
  // tag[cam][slot][pos]: entry index decoded at that position, or -1.
  int32_t tag[kCacheCameras][kCacheSlots][kGroupFrames];
  struct Roles {
    int current = 0, next = 1, previous = 2;
  } roles[kCacheCameras];

  uint8_t* Frame(int cam, int slot, int pos) {
    return block.get() + ((size_t(cam) * kCacheSlots + size_t(slot)) * kGroupFrames + size_t(pos)) * kFrameBufferBytes;
  }

 private:
  std::unique_ptr<uint8_t[]> block;
};

// Every tag -1; roles current 0, next 1, previous 2.
void ResetFrameCache(FrameCache& cache);

int FindGroupStart(const Source& src, int index, int step);
int FindNextOfCamera(const Source& src, int index);
bool FindInCache(const Source& src, const FrameCache& cache, int index, int* slot, int* pos);
// Loads the group holding index into the slot of index's camera; the position
// of index in it, or -1.
int LoadGroup(const Source& src, FrameCache& cache, int index, int slot);
// The slot management: finds or loads the frame of index (with the neighbour
// prefetch). Null when the frame could not be had.
const uint8_t* AcquireFrame(const Source& src, FrameCache& cache, int index, int* slot = nullptr, int* pos = nullptr);

// Decodes a delta stream of n bytes from prev into out (pictureBytes bytes).
void DecodeDelta(const uint8_t* prev, const uint8_t* delta, size_t n, uint8_t* out, int pictureBytes);

// Reads the sound block of entry index into buf (kSoundBlockBytes): a 16-bit
// little-endian sample count and the samples. Marks it empty (count 0) when
// there is none or a read fails; cuts a longer block to fit.
void ReadSound(const Source& src, int index, uint8_t* buf);

}  // namespace quovil
