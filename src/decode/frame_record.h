// Where the parts of a frame record lie on the source device. Card formats 0
// and 1 keep fixed-size records (sound, then picture); card format 2 and
// archive files keep sound, picture and frame information one after the other
// from a long entry's first sector.
#pragma once

#include <cstdint>

#include "card/source.h"

namespace quovil {

// Card formats 0 and 1 (on the card or saved into an archive file) store every
// frame whole: each entry is a group of its own.
inline bool EveryFrameIsKey(const Source& src) { return src.CardFormat != 2; }

// Whether entry i starts a group. i must be a valid index.
inline bool IsKeyFrame(const Source& src, int32_t i) {
  return EveryFrameIsKey(src) || !src.LongCatalogue[size_t(i)].IsDelta();
}

// Byte offsets on Source::FrameDevice(); i must be a valid index.
uint64_t RecordOffset(const Source& src, int32_t i);   // start of the record (its sound)
uint64_t PictureOffset(const Source& src, int32_t i);  // key frame or delta stream
uint64_t InfoOffset(const Source& src, int32_t i);     // long entries only

}  // namespace quovil
