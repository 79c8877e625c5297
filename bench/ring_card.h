// A format-2 card whose catalogue ring of 1 000 000 entries (16 MB) has
// wrapped, for the benchmarks that open one: records of 3 sectors chained
// round the ring from its tail on, the record area left as zeros.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "card/state_tables.h"

namespace quovil::bench {

inline constexpr uint32_t kRingCapacity = 1000000;
inline constexpr uint32_t kRingStateSector = 64;
inline constexpr uint32_t kRingDataBase = 100000, kRingDataSectors = 4000000;
inline constexpr uint64_t kRingOffset = uint64_t(kRingStateSector + 2) * 512;
inline constexpr uint64_t kRingBytes = uint64_t(kRingCapacity) * 16;
inline constexpr uint32_t kRingTail = 600000;

// The first sector of entry k's record: sector numbers grow from the tail on.
inline uint32_t RingSectorOf(uint32_t k) { return 1 + 3 * ((k + kRingCapacity - kRingTail) % kRingCapacity); }

struct RingLayout {
  uint32_t head = kRingTail;
  uint32_t scanSteps = 0;
  uint32_t writeSector = 0;  // the recorder's write position; 0: none
  bool timesVary = false;    // a second apart, else all the same time
};

// The card's bytes up to the end of the ring.
inline std::vector<uint8_t> WrappedRingCard(const RingLayout& l) {
  std::vector<uint8_t> card(size_t(kRingOffset + kRingBytes), 0);
  std::memcpy(&card[3], "KORAX-X ", 8);
  card[72] = 1;
  PutU32(&card[73], kRingStateSector);
  SealRecord(card.data(), 116);
  uint8_t* t = &card[size_t(kRingStateSector) * 512];
  state2::TableLength.Set(t, 87);
  state2::TableVersion.Set(t, 4);
  state2::DataBaseSector.Set(t, kRingDataBase);
  state2::DataAreaSectors.Set(t, kRingDataSectors);
  state2::RingCapacity.Set(t, kRingCapacity);
  state2::ScanSteps.Set(t, l.scanSteps);
  state2::Width.Set(t, 320);
  state2::Height.Set(t, 240);
  state2::PictureBlockBytes.Set(t, 20 * 512);
  state2::SoundBytes.Set(t, 512);
  state2::SampleRate.Set(t, 8000);
  state2::RingHead.Set(t, l.head);
  state2::RingTail.Set(t, kRingTail);
  state2::RingWrapped.Set(t, 1);
  state2::DataWriteSector.Set(t, l.writeSector);
  SealRecord(t, 87);
  std::memcpy(t + 512, t, 87);
  for (uint32_t k = 0; k < kRingCapacity; ++k) {
    uint8_t* e = &card[kRingOffset + uint64_t(k) * 16];
    PutU32(e, RingSectorOf(k));
    e[4] = uint8_t(k & 1);
    e[6] = 2;
    e[7] = 1;
    const TimeStamp same{1, 2, 24, 3, 4, 5};
    const TimeStamp varying{1, 2, 24, uint8_t((k / 3600) % 24), uint8_t((k / 60) % 60), uint8_t(k % 60)};
    (l.timesVary ? varying : same).To(e + 10);
  }
  return card;
}

// Writes the bytes as an image file; false when it cannot.
inline bool WriteImage(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace quovil::bench
