// The 84-byte header of the recorder's event journal, on the card and at the
// start of a journal file, and the check that accepts it.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace quovil {

inline constexpr int kJournalHeaderBytes = 84;
inline constexpr int kJournalVersion = 1;

// A record area larger than this is a damaged header, not a journal: the
// recorder's ring holds far fewer events, and the list would not cope anyway.
inline constexpr uint32_t kMaxJournalBytes = 8u << 20;

struct JournalHeader {
  std::array<uint8_t, kJournalHeaderBytes> b{};

  static JournalHeader From(const uint8_t* p);

  uint16_t HeaderLength() const;
  uint8_t Version() const { return b[2]; }
  // The texts end at the first zero byte; the recorder writes them in the
  // Windows Cyrillic code page, returned here as UTF-8.
  std::string SoftwareVersion() const { return Text(4); }
  std::string SoftwareDate() const { return Text(20); }
  std::string HardwareVersion() const { return Text(36); }
  std::string DeviceId() const { return Text(52); }
  // Size of the record area in bytes and the index of the record written next.
  uint32_t JournalSize() const;
  uint32_t JournalHead() const;
  // Whole records in the area; a trailing partial record is ignored.
  uint32_t RecordCount() const { return JournalSize() / 8; }

 private:
  std::string Text(int offset) const;
};

enum class HeaderCheck {
  Ok,
  Damaged,       // wrong length or checksum: "Journal error"
  WrongVersion,  // "Invalid version"
  TooLarge,      // JournalSize beyond kMaxJournalBytes: "Journal error"
};

HeaderCheck CheckHeaderBytes(const uint8_t* bytes);

// The status text of a refused header ("" for Ok).
const char* HeaderCheckText(HeaderCheck c);

// Windows-1251 bytes as UTF-8 (ASCII passes through unchanged).
std::string Cp1251ToUtf8(const uint8_t* bytes, size_t n);

}  // namespace quovil
