#include <algorithm>

#include "decode/frame_info.h"
#include "decode/frame_record.h"

namespace quovil {

namespace {

void RememberRun(const Source& src, int index, InfoRunMemo& memo) {
  const uint8_t* t = src.TimeBytesOf(index);
  int first = index, last = index;
  while (src.ValidIndex(first - 1) && SameTimeStamp(src.TimeBytesOf(first - 1), t)) --first;
  while (src.ValidIndex(last + 1) && SameTimeStamp(src.TimeBytesOf(last + 1), t)) ++last;
  memo.version = src.CatalogueVersion;
  memo.first = first;
  memo.last = last;
  memo.carriers.clear();
  for (int i = first; i <= last; ++i)
    if (src.LongCatalogue[size_t(i)].InfoSectors() != 0) memo.carriers.push_back(i);
}

}  // namespace

int FindInfoEntry(const Source& src, int index, InfoRunMemo& memo) {
  if (src.ShortEntries() || !src.ValidIndex(index)) return -1;
  if (memo.version == 0 || memo.version != src.CatalogueVersion || index < memo.first || index > memo.last)
    RememberRun(src, index, memo);
  const auto after = std::lower_bound(memo.carriers.begin(), memo.carriers.end(), index);
  if (after != memo.carriers.end()) return *after;
  return memo.carriers.empty() ? -1 : memo.carriers.back();
}

bool ReadFrameInfo(const Source& src, FrameInfoState& info, int index) {
  const int e = FindInfoEntry(src, index, info.run);
  return e < 0 || ReadInfoBlock(src, info, e);
}

bool ReadInfoBlock(const Source& src, FrameInfoState& info, int e) {
  if (e == info.GpsIndex) return true;
  BlockDevice* dev = src.FrameDevice();
  if (!dev) return false;
  const size_t n = std::min<size_t>(size_t(src.LongCatalogue[size_t(e)].InfoSectors()) * kSectorSize, kInfoBlockBytes);
  uint8_t block[kInfoBlockBytes];
  if (!dev->Read(InfoOffset(src, e), block, n)) return false;
  ParseFrameInfo(block, n, e, info);
  return true;
}

}  // namespace quovil
