// Catalogue entries: the 8-byte short entry of card formats 0 and 1 and the
// 16-byte long entry of card format 2 and archive files.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "card/korax.h"

namespace quovil {

// Record kind bits of a FlagByte.
enum : uint8_t {
  kFlagManual = 0x02,    // short entries only
  kFlagExternal = 0x04,  // "по звонку"
  kFlagMotion = 0x08,
  kFlagTimer = 0x10,
  kFlagMarked = 0x20,    // short entries: marked record
  kFlagSound = 0x20,     // long entries: sound trigger
  kFlagDelta = 0x80,     // long entries: delta frame
};

struct ShortEntry {
  std::array<uint8_t, 8> b{};

  uint8_t Flag() const { return b[0]; }
  int Camera() const { return b[0] & 1; }
  TimeStamp Time() const { return TimeStamp::From(&b[1]); }
  const uint8_t* TimeBytes() const { return &b[1]; }
};
static_assert(sizeof(ShortEntry) == 8);

struct LongEntry {
  std::array<uint8_t, 16> b{};

  uint32_t FirstSector() const { return GetU32(&b[0]); }
  void SetFirstSector(uint32_t s) { PutU32(&b[0], s); }
  uint8_t Flag() const { return b[4]; }
  int Camera() const { return b[4] & 3; }
  bool IsDelta() const { return (b[4] & kFlagDelta) != 0; }
  uint8_t FrameInterval() const { return b[5]; }
  uint8_t PictureSectors() const { return b[6]; }
  uint8_t SoundSectors() const { return b[7]; }
  uint8_t InfoSectors() const { return b[8]; }
  uint8_t Byte9() const { return b[9]; }
  TimeStamp Time() const { return TimeStamp::From(&b[10]); }
  const uint8_t* TimeBytes() const { return &b[10]; }
  uint32_t RecordSectors() const { return uint32_t(PictureSectors()) + SoundSectors() + InfoSectors(); }
};
static_assert(sizeof(LongEntry) == 16);

// The kinds of records, as the recorder tells why it took them.
enum class RecordKind : uint8_t { Manual, External, Motion, Timer, Sound, Error };
inline constexpr int kRecordKindCount = 6;

// The kind of a flag byte. longRule: the long-entry rule (card format 2);
// otherwise the short-entry rule of card formats 0 and 1.
RecordKind KindOfFlag(uint8_t flag, bool longRule);
// Its text ("ручная запись", "по звонку", ...).
const char* KindName(RecordKind kind);
// Text of the record kind of a flag byte, by the same rules.
const char* KindText(uint8_t flag, bool longRule);

}  // namespace quovil
