// Small helpers shared by every part of the viewer: checksums, rounding,
// little-endian field access, time stamps and the fixed name tables.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace quovil {

// 8-bit sum seeded 0xAA. A sealed record is valid when the sum over the whole
// record, its checksum byte included, is 0.
uint8_t ByteChecksum(const void* bytes, std::size_t n);

// Seals a record of n bytes whose last byte is the checksum.
void SealRecord(void* bytes, std::size_t n);

// 16-bit sum of little-endian words seeded 0xAACC. nbytes counts bytes; an odd
// count takes in one more whole word (the caller's buffer must hold it).
uint16_t WordChecksum(const void* data, int64_t nbytes);

// (a + b - 1) rounded down to a multiple of b; b is a power of two.
constexpr int64_t AlignUp(int64_t a, int64_t b) { return (a + b - 1) & ~(b - 1); }
constexpr int64_t RoundToSector(int64_t a) { return AlignUp(a, 512); }

constexpr int kSectorSize = 512;
// The most catalogue entries a card or archive may claim (256 MiB of long
// entries). Counts come from the card; only a huge, mostly empty image could
// hold more, and the catalogue index is a signed 32-bit value.
constexpr uint32_t kMaxCatalogueEntries = 16u * 1024 * 1024;

// Little-endian field access on byte buffers. Formats are described once, as
// offsets into packed records, and read through these helpers.
inline uint16_t GetU16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t GetU32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline void PutU16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
inline void PutU32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}

// Time stamp of a catalogue entry: day, month, year - 2000, hour, minute, second.
struct TimeStamp {
  uint8_t day = 0, month = 0, year = 0, hour = 0, minute = 0, second = 0;

  static TimeStamp From(const uint8_t* p) { return {p[0], p[1], p[2], p[3], p[4], p[5]}; }
  void To(uint8_t* p) const {
    p[0] = day; p[1] = month; p[2] = year; p[3] = hour; p[4] = minute; p[5] = second;
  }
  bool operator==(const TimeStamp&) const = default;
};

// True when all six bytes of the two time stamps are equal.
inline bool SameTimeStamp(const uint8_t* t1, const uint8_t* t2) { return std::memcmp(t1, t2, 6) == 0; }
inline bool SameTimeStamp(const TimeStamp& a, const TimeStamp& b) { return a == b; }

// "dd.mm.yyyy hh:mm:ss" of a time stamp.
std::string TimeStampText(const TimeStamp& t);

// A time stamp's minute as one number: equal for stamps of the same minute,
// in time order for valid stamps.
inline int64_t MinuteKey(const TimeStamp& t) {
  return (((int64_t(t.year) * 256 + t.month) * 256 + t.day) * 256 + t.hour) * 256 + t.minute;
}

struct Resolution {
  const char* name;
  int width;
  int edgeTrim;
};
inline constexpr std::array<Resolution, 3> ResolutionTable{{
    {"420x256", 420, 0},
    {"320x256", 320, 10},
    {"240x256", 240, 10},
}};

inline constexpr std::array<const char*, 4> ModuleNames{"KORAX-UPS", "KORAX-GPS", "KORAX-I/O", "KORAX-GSM"};

// Caption of the main window and of every message box.
inline constexpr const char* kAppCaption = "KORAX-X CARD VIEWER";
inline constexpr const char* kAppVersion = "V.3.19";

// printf-style formatting into a std::string (the display formats are printf formats).
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

}  // namespace quovil
