// The state tables of the three card formats: their fields, and writing both
// copies back when the card is cleared.
#pragma once

#include <cstdint>

#include "card/korax.h"
#include "card/source.h"

namespace quovil {

// A field of a packed little-endian record, by its byte offset.
struct U8Field {
  int off;
  uint8_t Get(const uint8_t* t) const { return t[off]; }
  void Set(uint8_t* t, uint8_t v) const { t[off] = v; }
};
struct U16Field {
  int off;
  uint16_t Get(const uint8_t* t) const { return GetU16(t + off); }
  void Set(uint8_t* t, uint16_t v) const { PutU16(t + off, v); }
};
struct U32Field {
  int off;
  uint32_t Get(const uint8_t* t) const { return GetU32(t + off); }
  void Set(uint8_t* t, uint32_t v) const { PutU32(t + off, v); }
};

// Card format 0 (16 bytes). Slots are positions in IndexTable.
namespace state0 {
inline constexpr int kLength = 16;
inline constexpr U16Field MainFirstSlot{0}, MainLastSlot{2}, MainCount{4}, ArchiveFirstSlot{6}, ArchiveCount{8},
    TotalSlots{10}, IndexChecksum{12};
inline constexpr U8Field ResolutionIndex{14}, Checksum{15};
inline constexpr uint64_t kFirstCopy = 0x100000;
inline constexpr uint64_t kSecondCopy = 0x120200;
inline constexpr uint64_t kIndexTable = 0x100200;
inline constexpr uint64_t kCatalogue = 0x140400;
inline constexpr uint32_t kDataFirstSector = 3586;
}  // namespace state0

// Card format 1 (34 bytes).
namespace state1 {
inline constexpr int kLength = 34;
inline constexpr U32Field DataFirstSector{2}, SlotCount{6}, RecordCount{10}, WriteSlot{14}, FrameStride{23},
    SoundBytes{27};
inline constexpr U8Field ResolutionIndex{18}, Checksum{33};
inline constexpr U16Field Width{19}, Height{21}, SampleRate{31};
// The recorder's format-1 sound block always holds this many bytes, whatever
// the table stores.
inline constexpr uint32_t kSoundBytes = 11264;
}  // namespace state1

// Card format 2 (87 bytes).
namespace state2 {
inline constexpr int kLength = 87;
inline constexpr U16Field TableLength{0}, Width{20}, Height{22}, SampleRate{32};
inline constexpr U8Field TableVersion{2}, RingWrapped{50}, ClearedFlag{59}, Checksum{86};
inline constexpr U32Field DataBaseSector{4}, DataAreaSectors{8}, RingCapacity{12}, ScanSteps{16},
    PictureBlockBytes{24}, SoundBytes{28}, RingHead{34}, DataWriteSector{38}, Reserved42{42}, RingTail{46},
    Reserved51{51}, Reserved55{55};
}  // namespace state2

// Bytes of the held state table used by a card format (0 for none).
int StateTableLength(int cardFormat);

// Changes the held state table as clearing the card does. archiveArea: a
// format-0 card whose archive area is being viewed. Format 2 also drops
// EntryCount to 0.
void ApplyClearing(Source& src, bool archiveArea);

// Seals the held state table of the current format and writes both copies
// (each a whole sector: the table, then 0xFF). False when a write failed; a
// failed first write leaves the second copy unwritten.
bool WriteStateTables(Source& src);

// How many state-table writes this process has sent to cards: the only
// writes the program ever makes to a card. The test programs check it after
// every test that is not about clearing.
uint64_t CardWritesMade();

}  // namespace quovil
