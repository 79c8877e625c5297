#include "card/state_tables.h"

#include "card/source_format.h"

#include <array>
#include <atomic>
#include <vector>

namespace quovil {

int StateTableLength(int cardFormat) {
  switch (cardFormat) {
    case 0: return state0::kLength;
    case 1: return state1::kLength;
    case 2: return state2::kLength;
    default: return 0;
  }
}

void ApplyClearing(Source& src, bool archiveArea) { FormatOf(src).Clear(src, archiveArea); }

namespace {

// The format-0 slot fields are u16 on the card.
void NormaliseFormat0(Source& src) {
  uint8_t* t = src.StateTable.data();
  uint16_t archiveFirst = state0::ArchiveFirstSlot.Get(t);
  uint16_t first = state0::MainFirstSlot.Get(t);
  if (archiveFirst <= first) first = uint16_t(first - archiveFirst);
  state0::MainFirstSlot.Set(t, first);

  // The sum can pass 65535 when the ring is nearly the whole card; it is
  // taken round the ring before it is stored back as a 16-bit slot.
  uint16_t count = state0::MainCount.Get(t);
  uint32_t last = count == 0 ? first : uint32_t(first) + count - 1;
  if (archiveFirst <= last) last -= archiveFirst;
  state0::MainLastSlot.Set(t, uint16_t(last));

  uint16_t total = state0::TotalSlots.Get(t);
  state0::ArchiveCount.Set(t, uint16_t(total - archiveFirst));

  // The checksum covers the first TotalSlots bytes of the index table; an odd
  // count takes in one more whole value, which the 65536-value table always has.
  std::vector<uint8_t> bytes(size_t(kCatalogue0Entries) * 2, 0);
  for (size_t k = 0; k < src.IndexTable.size() && k < size_t(kCatalogue0Entries); ++k) {
    PutU16(&bytes[k * 2], src.IndexTable[k]);
  }
  state0::IndexChecksum.Set(t, WordChecksum(bytes.data(), total));
}

std::atomic<uint64_t> writesMade{0};

bool WriteBothCopies(BlockDevice& dev, const uint8_t* table, int length, uint64_t first, uint64_t second) {
  writesMade.fetch_add(1, std::memory_order_relaxed);
  std::array<uint8_t, kSectorSize> sector;
  sector.fill(0xFF);
  std::memcpy(sector.data(), table, size_t(length));
  return dev.Write(first, sector.data(), sector.size()) && dev.Write(second, sector.data(), sector.size());
}

}  // namespace

bool WriteStateTables(Source& src) {
  int length = StateTableLength(src.CardFormat);
  if (!src.Card || length == 0) return false;
  if (src.CardFormat == 0) NormaliseFormat0(src);
  uint8_t* t = src.StateTable.data();
  SealRecord(t, size_t(length));
  if (src.CardFormat == 0) {
    return WriteBothCopies(*src.Card, t, length, state0::kFirstCopy, state0::kSecondCopy);
  }
  uint64_t first = uint64_t(src.StateSector) * kSectorSize;
  return WriteBothCopies(*src.Card, t, length, first, first + kSectorSize);
}

uint64_t CardWritesMade() { return writesMade.load(std::memory_order_relaxed); }

}  // namespace quovil
