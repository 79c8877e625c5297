#include "journal/journal_header.h"

#include <algorithm>

#include "card/korax.h"

namespace quovil {

namespace {

constexpr int kLengthOffset = 0;
constexpr int kSizeOffset = 75;
constexpr int kHeadOffset = 79;
constexpr int kTextBytes = 16;

// Code points of Windows-1251 bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F.
constexpr uint16_t kCp1251High[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

}  // namespace

JournalHeader JournalHeader::From(const uint8_t* p) {
  JournalHeader h;
  std::copy(p, p + kJournalHeaderBytes, h.b.begin());
  return h;
}

uint16_t JournalHeader::HeaderLength() const { return GetU16(&b[kLengthOffset]); }
uint32_t JournalHeader::JournalSize() const { return GetU32(&b[kSizeOffset]); }
uint32_t JournalHeader::JournalHead() const { return GetU32(&b[kHeadOffset]); }

std::string JournalHeader::Text(int offset) const {
  size_t n = 0;
  while (n < size_t(kTextBytes) && b[size_t(offset) + n] != 0) ++n;
  return Cp1251ToUtf8(&b[size_t(offset)], n);
}

HeaderCheck CheckHeaderBytes(const uint8_t* bytes) {
  const JournalHeader h = JournalHeader::From(bytes);
  if (h.HeaderLength() != kJournalHeaderBytes || ByteChecksum(bytes, kJournalHeaderBytes) != 0)
    return HeaderCheck::Damaged;
  if (h.Version() != kJournalVersion) return HeaderCheck::WrongVersion;
  if (h.JournalSize() > kMaxJournalBytes) return HeaderCheck::TooLarge;
  return HeaderCheck::Ok;
}

const char* HeaderCheckText(HeaderCheck c) {
  switch (c) {
    case HeaderCheck::Ok: return "";
    case HeaderCheck::WrongVersion: return "Invalid version";
    case HeaderCheck::Damaged:
    case HeaderCheck::TooLarge: break;
  }
  return "Journal error";
}

std::string Cp1251ToUtf8(const uint8_t* bytes, size_t n) {
  std::string out;
  out.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    const uint8_t c = bytes[i];
    if (c < 0x80) out += char(c);
    else if (c < 0xC0) AppendUtf8(out, kCp1251High[c - 0x80]);
    else AppendUtf8(out, 0x0410u + (c - 0xC0u));
  }
  return out;
}

}  // namespace quovil
