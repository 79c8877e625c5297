#include <algorithm>

#include "decode/frame_info.h"
#include "decode/frame_record.h"

namespace quovil {

int FindInfoEntry(const Source& src, int index) {
  if (src.ShortEntries() || !src.ValidIndex(index)) return -1;
  const uint8_t* t = src.TimeBytesOf(index);
  for (int i = index; src.ValidIndex(i) && SameTimeStamp(src.TimeBytesOf(i), t); ++i)
    if (src.LongCatalogue[size_t(i)].InfoSectors() != 0) return i;
  for (int i = index; src.ValidIndex(i) && SameTimeStamp(src.TimeBytesOf(i), t); --i)
    if (src.LongCatalogue[size_t(i)].InfoSectors() != 0) return i;
  return -1;
}

bool ReadFrameInfo(const Source& src, FrameInfoState& info, int index) {
  const int e = FindInfoEntry(src, index);
  if (e < 0 || e == info.GpsIndex) return true;
  BlockDevice* dev = src.FrameDevice();
  if (!dev) return false;
  const size_t n = std::min<size_t>(size_t(src.LongCatalogue[size_t(e)].InfoSectors()) * kSectorSize, kInfoBlockBytes);
  uint8_t block[kInfoBlockBytes];
  if (!dev->Read(InfoOffset(src, e), block, n)) return false;
  ParseFrameInfo(block, n, e, info);
  return true;
}

}  // namespace quovil
