#include "decode/frame_record.h"

namespace quovil {

namespace {

// Fixed-size records of the short-entry formats. The fields come from the
// state table and are taken unsigned so that a damaged table cannot turn an
// offset negative.
uint64_t ShortRecordOffset(const Source& src, int32_t i) {
  return uint64_t(src.DataFirstSector) * kSectorSize + uint64_t(uint32_t(i)) * uint32_t(src.FrameStride);
}

}  // namespace

uint64_t RecordOffset(const Source& src, int32_t i) {
  if (src.ShortEntries()) return ShortRecordOffset(src, i);
  return src.LongBase() + uint64_t(src.LongCatalogue[size_t(i)].FirstSector()) * kSectorSize;
}

uint64_t PictureOffset(const Source& src, int32_t i) {
  if (src.ShortEntries()) return ShortRecordOffset(src, i) + uint32_t(src.SoundBytes);
  const LongEntry& e = src.LongCatalogue[size_t(i)];
  return src.LongBase() + (uint64_t(e.FirstSector()) + e.SoundSectors()) * kSectorSize;
}

uint64_t InfoOffset(const Source& src, int32_t i) {
  const LongEntry& e = src.LongCatalogue[size_t(i)];
  return src.LongBase() + (uint64_t(e.FirstSector()) + e.SoundSectors() + e.PictureSectors()) * kSectorSize;
}

}  // namespace quovil
