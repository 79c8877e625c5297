#include "decode/delta_decoder.h"

#include <cstring>

namespace quovil {

namespace {

constexpr uint64_t kHighBits = 0x8080808080808080ull;

// Eight literal codes at once, within one 64-bit word. No code has its high
// bit set, so shifting the word left doubles every byte without spilling into
// its neighbour; the bytewise addition keeps carries inside each byte.
inline void EightLiterals(const uint8_t* prev, uint64_t codes, uint8_t* out) {
  constexpr uint64_t kLow7 = ~kHighBits;
  uint64_t a;
  std::memcpy(&a, prev, 8);
  const uint64_t b = codes << 1;
  const uint64_t sum = ((a & kLow7) + (b & kLow7)) ^ ((a ^ b) & kHighBits);
  std::memcpy(out, &sum, 8);
}

}  // namespace

void DecodeDelta(const uint8_t* prev, const uint8_t* delta, size_t n, uint8_t* out, int pictureBytes) {
  if (pictureBytes <= 0) return;
  const size_t total = size_t(pictureBytes);
  const size_t end = total - 1;  // the stream never produces the last byte
  size_t o = 0;
  size_t i = 0;
  while (o < end && i < n) {
    // Runs of literal codes: take eight at a time while no high bit shows.
    while (i + 8 <= n && o + 8 <= end) {
      uint64_t word;
      std::memcpy(&word, delta + i, 8);
      if (word & kHighBits) break;
      EightLiterals(prev + o, word, out + o);
      i += 8;
      o += 8;
    }
    if (o >= end || i >= n) break;
    const uint8_t b = delta[i++];
    if (b < 0x80) {
      out[o] = uint8_t(prev[o] + 2 * b);
      ++o;
      continue;
    }
    size_t run = (b & 0x7F) ? (b & 0x7F) : 128;
    if (o + 128 <= total) {
      // A fixed-size copy compiles to a few vector moves. Bytes past the run
      // are rewritten by the codes that follow, or by the tail below.
      std::memcpy(out + o, prev + o, 128);
    } else {
      if (run > end - o) run = end - o;
      std::memcpy(out + o, prev + o, run);
    }
    o += run;
  }
  if (o < end) std::memcpy(out + o, prev + o, end - o);
  out[end] = prev[end];
}

}  // namespace quovil
