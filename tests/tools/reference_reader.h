// A deliberately plain reader of the recorder's layout, written from the
// format description alone, to check the synthetic recorder against.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "card/korax.h"

namespace reference {

using Bytes = std::vector<uint8_t>;

inline const uint8_t* At(const Bytes& img, uint64_t offset) { return img.data() + offset; }

inline bool Sealed(const uint8_t* p, std::size_t n) { return quovil::ByteChecksum(p, n) == 0; }

// The viewer's delta decoder: literal codes add twice their value, run codes
// copy; stops once n - 1 bytes are produced. out starts as a copy of prev so
// that its last byte is the previous frame's.
inline Bytes DecodeDelta(const Bytes& prev, const uint8_t* codes, std::size_t codeBytes) {
  Bytes out = prev;
  out.resize(prev.size() + 128);
  long remaining = long(prev.size()) - 1;
  std::size_t p = 0, k = 0;
  while (remaining > 0 && k < codeBytes) {
    const uint8_t b = codes[k++];
    if (b < 0x80) {
      out[p] = uint8_t(prev[p] + 2 * b);
      ++p;
      --remaining;
    } else {
      const int run = (b & 0x7F) ? (b & 0x7F) : 128;
      for (int r = 0; r < run; ++r, ++p) out[p] = p < prev.size() ? prev[p] : 0;
      remaining -= run;
    }
  }
  out.resize(prev.size());
  return out;
}

// Rows stored odd first, then even, back to display order.
inline Bytes Deinterlace(const uint8_t* stored, int w, int h) {
  Bytes out(std::size_t(w) * h);
  const uint8_t* src = stored;
  for (int start : {1, 0})
    for (int y = start; y < h; y += 2, src += w)
      std::copy_n(src, w, out.begin() + std::ptrdiff_t(y) * w);
  return out;
}

struct Long {
  uint32_t first;
  uint8_t flag, interval, pic, snd, info, byte9;
  quovil::TimeStamp time;
};

inline Long LongAt(const Bytes& img, uint32_t catSector, uint32_t i) {
  const uint8_t* e = At(img, uint64_t(catSector) * 512 + uint64_t(i) * 16);
  return {quovil::GetU32(e), e[4], e[5], e[6], e[7], e[8], e[9], quovil::TimeStamp::From(e + 10)};
}

// Where the format-2 loader starts: the wrap scan from the tail, then 128 on.
inline uint32_t FirstLoaded(const Bytes& img, uint32_t catSector, const uint8_t* st) {
  const uint32_t cap = quovil::GetU32(st + 12), steps = quovil::GetU32(st + 16);
  const uint32_t limit = quovil::GetU32(st + 38), tail = quovil::GetU32(st + 46);
  if (st[50] == 0) return 0;
  uint32_t i = tail;
  if (limit != 0) {
    for (uint32_t step = 0; step < steps; ++step) {
      i = (i + 1) % cap;
      const uint32_t fs = LongAt(img, catSector, i).first;
      if (fs == 0 || fs >= limit) break;
    }
  }
  return (i + 128) % cap;
}

// Records of a frame information block: (type, payload).
inline std::vector<std::pair<int, std::string>> InfoRecords(const uint8_t* block, std::size_t n) {
  std::vector<std::pair<int, std::string>> out;
  std::size_t at = 0;
  while (at + 3 <= n) {
    const uint16_t len = quovil::GetU16(block + at);
    const uint8_t type = block[at + 2];
    if (len < 4 || (type != 0x0A && type != 0x0B) || at + len > n) break;
    out.emplace_back(type, std::string(reinterpret_cast<const char*>(block + at + 3), len - 4));
    at += len;
  }
  return out;
}

}  // namespace reference
