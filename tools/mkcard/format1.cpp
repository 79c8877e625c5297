// Card format 1: a ring of fixed-size records (sound block, then the
// interlaced picture) described by short entries.
#include <algorithm>

#include "mkcard/recorder.h"

namespace mkcard::detail {

namespace {

constexpr uint32_t kStateSector = 64;
// As many records as a large card of this generation holds; keeps a mistyped
// count from asking for gigabytes.
constexpr int kMaxSlots = 65536;
constexpr int kSoundBytes = 11264;  // what the viewer plays, whatever the table says

void WriteState1(const Options& o, Image& img, uint32_t dataFirst, int slots, int records, int writeSlot, int res,
                 int stride) {
  const int width = quovil::ResolutionTable[std::size_t(res)].width;
  uint8_t st[34] = {};
  quovil::PutU16(st + 0, 34);
  quovil::PutU32(st + 2, dataFirst);
  quovil::PutU32(st + 6, uint32_t(slots));
  quovil::PutU32(st + 10, uint32_t(records));
  quovil::PutU32(st + 14, uint32_t(writeSlot));
  st[18] = uint8_t(res);
  quovil::PutU16(st + 19, uint16_t(width));
  quovil::PutU16(st + 21, 256);
  quovil::PutU32(st + 23, uint32_t(stride));
  quovil::PutU32(st + 27, o.storedSoundBytes);
  quovil::PutU16(st + 31, uint16_t(o.sampleRate));
  quovil::SealRecord(st, 34);
  for (uint32_t sector : {kStateSector, kStateSector + 1}) {
    img.Fill(uint64_t(sector) * 512, 512, 0xFF);
    std::copy_n(st, 34, img.At(uint64_t(sector) * 512, 34));
  }
  if (o.badFirstCopy || o.badBothCopies) img.At(uint64_t(kStateSector) * 512 + 10, 1)[0] ^= 0x01;
  if (o.badBothCopies) img.At(uint64_t(kStateSector + 1) * 512 + 10, 1)[0] ^= 0x01;

}

}  // namespace

void MakeFormat1(const Options& o, Image& img, Recorded& truth) {
  const int res = std::clamp(o.resolutionIndex, 0, 2);
  const int width = quovil::ResolutionTable[std::size_t(res)].width;
  const int records = std::clamp(o.records, 0, kMaxSlots);
  const int slots = std::clamp(std::max(o.slotCount, records), 1, kMaxSlots);
  const uint32_t catSector = kStateSector + 2;
  const uint32_t dataFirst = uint32_t(quovil::AlignUp(catSector + quovil::RoundToSector(int64_t(slots) * 8) / 512, 64));
  const int stride = int(quovil::RoundToSector(kSoundBytes + width * 256));
  const int writeSlot = o.ringWrapped && records >= 2 ? std::max(1, records / 3) : records % slots;
  int start = writeSlot - records;
  if (start < 0) start += slots;

  img.Reserve(uint64_t(dataFirst) * 512 + uint64_t(slots) * stride);
  WriteBootSector(img, 1, kStateSector, o.badBootChecksum);
  img.Fill(uint64_t(catSector) * 512, std::size_t(quovil::RoundToSector(int64_t(slots) * 8)), 0xFF);
  truth.frames.assign(std::size_t(slots), Frame{});
  for (auto& f : truth.frames) f.written = false, f.flag = 0xFF;

  Scene scene(width, 256);
  ToneGenerator tone;
  int frameNo[2] = {0, 0};
  const auto shots = PlanShots(o, records, o.start, false);
  for (int k = 0; k < records; ++k) {
    const Shot& s = shots[std::size_t(k)];
    const int slot = (start + k) % slots;
    Frame& f = truth.frames[std::size_t(slot)];
    FillFrame(f, s, uint8_t(s.camera | s.kind));
    f.written = true;
    f.picture.resize(std::size_t(width) * 256);
    scene.Draw(s.camera, frameNo[s.camera]++, s.time, f.picture.data());
    const int n = o.sound ? std::min(kSoundBytes - 2, o.sampleRate * s.interval / 100) : 0;
    f.samples = tone.Samples(s.camera, s.second, n);
    f.sound = SoundBlock(f.samples, kSoundBytes);
    const uint64_t at = uint64_t(dataFirst) * 512 + uint64_t(slot) * stride;
    std::copy(f.sound.begin(), f.sound.end(), img.At(at, f.sound.size()));
    Interlace(f.picture.data(), width, 256, img.At(at + kSoundBytes, f.picture.size()));
    uint8_t* e = img.At(uint64_t(catSector) * 512 + uint64_t(slot) * 8, 8);
    e[0] = f.flag;
    s.time.To(e + 1);
    e[7] = 0;
    truth.order.push_back(slot);
  }

  WriteState1(o, img, dataFirst, slots, records, writeSlot, res, stride);

  truth.width = width;
  truth.height = 256;
  truth.frameStride = stride;
  truth.soundBytes = kSoundBytes;
  truth.sampleRate = o.sampleRate;
  truth.hasSound = true;
  truth.edgeTrim = quovil::ResolutionTable[std::size_t(res)].edgeTrim;
  truth.entryCount = slots;
  truth.stateSector = kStateSector;
  truth.catalogueSector = catSector;
  truth.dataFirstSector = dataFirst;
  truth.totalSlots = slots;
  truth.recordCount = records;
  truth.slotCount = slots;
  truth.writeSlot = writeSlot;
  truth.ringWrapped = writeSlot < records;
  img.At(uint64_t(dataFirst) * 512, 0);
}

}  // namespace mkcard::detail
