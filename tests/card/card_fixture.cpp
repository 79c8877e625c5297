#include "card_fixture.h"

#include <algorithm>
#include <cstring>

namespace cardfix {

using namespace quovil;

bool SharedDevice::Read(uint64_t off, void* buf, std::size_t n) {
  largestRead = std::max<int64_t>(largestRead, int64_t(n));
  if (off > bytes_->size() || n > bytes_->size() - off) return false;
  std::memcpy(buf, bytes_->data() + off, n);
  return true;
}

bool SharedDevice::Write(uint64_t off, const void* buf, std::size_t n) {
  if (writes >= writesAllowed) return false;
  ++writes;
  if (off > bytes_->size() || n > bytes_->size() - off) return false;
  std::memcpy(bytes_->data() + off, buf, n);
  return true;
}

Bytes MakeFormat0(const Format0& f) {
  int width = ResolutionTable[f.resolution < 3 ? f.resolution : 0].width;
  uint64_t stride = uint64_t(RoundToSector(width * 256));
  Bytes card(size_t(state0::kDataFirstSector) * 512 + size_t(f.records) * stride, 0);
  Bytes boot = BootSector(0);
  std::copy(boot.begin(), boot.end(), card.begin());
  uint8_t* t = &card[state0::kFirstCopy];
  state0::MainFirstSlot.Set(t, f.mainFirst);
  state0::MainCount.Set(t, f.mainCount);
  state0::MainLastSlot.Set(t, uint16_t(f.mainFirst + (f.mainCount ? f.mainCount - 1 : 0)));
  state0::ArchiveFirstSlot.Set(t, f.archiveFirst);
  state0::ArchiveCount.Set(t, uint16_t(f.totalSlots - f.archiveFirst));
  state0::TotalSlots.Set(t, f.totalSlots);
  state0::ResolutionIndex.Set(t, f.resolution);
  SealRecord(t, 16);
  std::memcpy(&card[state0::kSecondCopy], t, 16);
  for (int s = 0; s < 65536; ++s) PutU16(&card[state0::kIndexTable + size_t(s) * 2], uint16_t(s));
  for (int i = 0; i < f.records; ++i) {
    uint8_t* e = &card[state0::kCatalogue + size_t(i) * 8];
    e[0] = uint8_t(0x02 | (i & 1));
    TimeStamp{1, 2, 24, 10, 0, uint8_t(i % 60)}.To(e + 1);
  }
  return card;
}

Bytes Table1(const Format1& f) {
  Bytes t(34, 0);
  state1::DataFirstSector.Set(t.data(), f.dataFirstSector);
  state1::SlotCount.Set(t.data(), f.slotCount);
  state1::RecordCount.Set(t.data(), f.recordCount);
  state1::WriteSlot.Set(t.data(), f.writeSlot);
  state1::ResolutionIndex.Set(t.data(), f.resolution);
  state1::Width.Set(t.data(), f.width);
  state1::Height.Set(t.data(), f.height);
  state1::FrameStride.Set(t.data(), f.frameStride);
  state1::SoundBytes.Set(t.data(), f.storedSoundBytes);
  state1::SampleRate.Set(t.data(), f.sampleRate);
  SealRecord(t.data(), 34);
  return t;
}

Bytes MakeFormat1(const Format1& f) {
  uint64_t end = uint64_t(f.dataFirstSector) * 512 + uint64_t(f.slotCount) * f.frameStride;
  Bytes card(size_t(std::max<uint64_t>(end, uint64_t(f.stateSector + 2) * 512 + f.slotCount * 8 + 512)), 0);
  Bytes boot = BootSector(1, f.stateSector);
  std::copy(boot.begin(), boot.end(), card.begin());
  Bytes t = Table1(f);
  std::copy(t.begin(), t.end(), card.begin() + long(f.stateSector) * 512);
  std::copy(t.begin(), t.end(), card.begin() + long(f.stateSector + 1) * 512);
  for (uint32_t i = 0; i < f.slotCount; ++i) {
    uint8_t* e = &card[size_t(f.stateSector + 2) * 512 + i * 8];
    e[0] = uint8_t(0x10 | (i & 1));
    TimeStamp{3, 4, 24, 11, 0, uint8_t(i % 60)}.To(e + 1);
  }
  return card;
}

Bytes Table2(const Format2& f) {
  Bytes t(87, 0);
  state2::TableLength.Set(t.data(), 87);
  state2::TableVersion.Set(t.data(), f.version);
  state2::DataBaseSector.Set(t.data(), f.dataBase);
  state2::DataAreaSectors.Set(t.data(), f.dataArea);
  state2::RingCapacity.Set(t.data(), f.capacity);
  state2::ScanSteps.Set(t.data(), f.scanSteps);
  state2::Width.Set(t.data(), f.width);
  state2::Height.Set(t.data(), f.height);
  state2::PictureBlockBytes.Set(t.data(), f.pictureBlock);
  state2::SoundBytes.Set(t.data(), f.soundBytes);
  state2::SampleRate.Set(t.data(), f.sampleRate);
  state2::RingHead.Set(t.data(), f.head);
  state2::DataWriteSector.Set(t.data(), f.dataWrite);
  state2::RingTail.Set(t.data(), f.tail);
  state2::RingWrapped.Set(t.data(), f.wrapped);
  SealRecord(t.data(), 87);
  return t;
}

uint64_t RingOffset(const Format2& f) { return uint64_t(f.stateSector + 2) * 512; }

void PutTable2(Bytes& card, const Format2& f, const Bytes& table, int copy) {
  if (copy != 2) std::copy(table.begin(), table.end(), card.begin() + long(f.stateSector) * 512);
  if (copy != 1) std::copy(table.begin(), table.end(), card.begin() + long(f.stateSector + 1) * 512);
}

void SetEntry(Bytes& card, const Format2& f, uint32_t k, uint32_t firstSector, uint8_t byte9, TimeStamp t,
              uint8_t pictureSectors) {
  uint8_t* e = &card[RingOffset(f) + uint64_t(k) * 16];
  std::memset(e, 0, 16);
  PutU32(e, firstSector);
  e[4] = uint8_t(k & 1);
  e[5] = 25;
  e[6] = pictureSectors;
  e[7] = 0;
  e[8] = 0;
  e[9] = byte9;
  t.To(e + 10);
}

Bytes MakeFormat2(const Format2& f) {
  uint64_t ringEnd = RingOffset(f) + uint64_t(RoundToSector(int64_t(f.capacity) * 16));
  Bytes card(size_t(ringEnd + uint64_t(f.trailingSectors) * 512), 0);
  Bytes boot = BootSector(2, f.stateSector);
  std::copy(boot.begin(), boot.end(), card.begin());
  PutTable2(card, f, Table2(f), 0);
  // Records two sectors long, one after the other, starting at sector 2.
  for (uint32_t k = 0; k < f.capacity; ++k) SetEntry(card, f, k, 2 + 2 * k);
  return card;
}

}  // namespace cardfix
