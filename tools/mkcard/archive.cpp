// Archive files of a whole card, as the viewer saves them (version 3) or as
// its older versions did (version 2).
#include <algorithm>
#include <cstring>

#include "mkcard/mkcard.h"

namespace mkcard {

namespace {

using quovil::PutU32;

uint64_t RecordOffset(const Recorded& t, int index) {
  if (t.format == 2) return (uint64_t(t.dataBaseSector) + t.frames[std::size_t(index)].firstSector) * 512;
  return uint64_t(t.dataFirstSector) * 512 + uint64_t(index) * uint64_t(t.frameStride);
}

std::vector<uint8_t> Version3(const std::vector<uint8_t>& card, const Recorded& t, Recorded& out) {
  const std::size_t n = t.order.size();
  std::vector<uint8_t> file(40 + 16 * n, 0);
  uint32_t sector = 0;
  for (std::size_t k = 0; k < n; ++k) {
    const int index = t.order[k];
    Frame f = t.frames[std::size_t(index)];
    if (t.format != 2) {
      f.flag &= 0xFD;
      f.frameInterval = 0;
      f.infoSectors = 0;
      f.pictureSectors = uint8_t((t.pictureBytes + 511) / 512);
      f.soundSectors = uint8_t((t.soundBytes + 511) / 512);
    }
    f.firstSector = sector;
    const std::size_t r = (std::size_t(f.pictureSectors) + f.soundSectors + f.infoSectors) * 512;
    const uint64_t from = RecordOffset(t, index);
    const std::size_t have = from < card.size() ? std::min<std::size_t>(r, card.size() - from) : 0;
    const std::size_t at = file.size();
    file.resize(at + r, 0);
    std::copy_n(card.begin() + std::ptrdiff_t(from), have, file.begin() + std::ptrdiff_t(at));
    uint8_t* e = &file[40 + 16 * k];
    PutU32(e, sector);
    e[4] = f.flag, e[5] = f.frameInterval, e[6] = f.pictureSectors, e[7] = f.soundSectors, e[8] = f.infoSectors;
    e[9] = 0;
    f.time.To(e + 10);
    sector += uint32_t(r / 512);
    out.frames.push_back(std::move(f));
  }
  uint8_t* h = file.data();
  quovil::PutU16(h, 40);
  h[2] = 3;
  std::memcpy(h + 3, "KORAX-X ", 8);
  PutU32(h + 11, uint32_t(40 + 16 * n));
  PutU32(h + 15, uint32_t(t.format));
  PutU32(h + 19, uint32_t(t.soundBytes));
  PutU32(h + 23, uint32_t(t.sampleRate));
  PutU32(h + 27, uint32_t(t.width));
  PutU32(h + 31, uint32_t(t.height));
  PutU32(h + 35, uint32_t(n));
  quovil::SealRecord(h, 40);
  return file;
}

std::vector<uint8_t> Version2(const std::vector<uint8_t>& card, const Recorded& t, Recorded& out) {
  const std::size_t n = t.order.size();
  const std::size_t dataOffset = quovil::RoundToSector(int64_t(39 + 8 * n));
  const std::size_t stride = std::size_t(t.frameStride);
  std::vector<uint8_t> file(dataOffset + n * stride, 0);
  for (std::size_t k = 0; k < n; ++k) {
    const Frame& f = t.frames[std::size_t(t.order[k])];
    uint8_t* e = &file[39 + 8 * k];
    e[0] = f.flag;
    f.time.To(e + 1);
    const uint64_t from = RecordOffset(t, t.order[k]);
    std::copy_n(card.begin() + std::ptrdiff_t(from), stride, file.begin() + std::ptrdiff_t(dataOffset + k * stride));
    out.frames.push_back(f);
    out.frames.back().firstSector = uint32_t(k * (stride / 512));
  }
  uint8_t* h = file.data();
  quovil::PutU16(h, 39);
  h[2] = 2;
  std::memcpy(h + 3, "KORAX", 5);
  PutU32(h + 8, uint32_t(dataOffset));
  h[12] = uint8_t(t.format);
  PutU32(h + 13, uint32_t(stride));
  PutU32(h + 17, uint32_t(t.soundBytes));
  PutU32(h + 21, uint32_t(t.width));
  PutU32(h + 25, uint32_t(t.height));
  PutU32(h + 29, uint32_t(n));
  PutU32(h + 33, uint32_t(t.sampleRate));
  quovil::SealRecord(h, 39);
  return file;
}

}  // namespace

std::vector<uint8_t> MakeArchive(const Options& card, int version, Recorded* truth) {
  Recorded t;
  const std::vector<uint8_t> image = MakeCard(card, &t);
  Recorded out = t;
  out.frames.clear();
  out.order.clear();
  out.archiveOrder.clear();
  out.slotToIndex.clear();
  std::vector<uint8_t> file;
  if (version == 3)
    file = Version3(image, t, out);
  else if (version == 2 && t.format != 2)
    file = Version2(image, t, out);
  out.entryCount = int(out.frames.size());
  for (int k = 0; k < out.entryCount; ++k) out.order.push_back(k);
  if (truth) *truth = std::move(out);
  return file;
}

}  // namespace mkcard
