// Delta streams: the inverse of the viewer's byte-delta decoder.
//
// A literal code b (0x01 .. 0x7F; 0x00 would add nothing and is written as a
// run instead) adds 2 * b modulo 256, so from a previous byte p the decoder can
// reach exactly the values of p's parity. An even difference is encoded
// exactly. An odd one cannot be: the encoder aims at the nearest value of the
// right parity in plain distance, next - 1, or next + 1 when next is 0 (the
// modular "one below" of 0 would be 255, a white pixel on black). So every
// byte the stream rebuilds is within 1 of the drawn one. The encoder always
// works against what the decoder rebuilt for the previous frame, so these
// steps never accumulate.
#include "mkcard/mkcard.h"

namespace mkcard {

namespace {

// The value the stream gives position i: next[i] if prev[i] has its parity,
// else the neighbour of next[i] within 0 .. 255 that has prev[i]'s parity.
uint8_t Target(const uint8_t* prev, const uint8_t* next, int i) {
  const int p = prev[i], n = next[i];
  if (((n - p) & 1) == 0) return uint8_t(n);
  return uint8_t(n > 0 ? n - 1 : 1);
}

// The literal code that turns prev[i] into Target: (t - p) is even modulo 256,
// so half of it is 0 .. 127, and 0 means "unchanged".
uint8_t Code(const uint8_t* prev, const uint8_t* next, int i) {
  return uint8_t(uint8_t(Target(prev, next, i) - prev[i]) >> 1);
}

}  // namespace

std::vector<uint8_t> DeltaEncode(const uint8_t* prev, const uint8_t* next, int n) {
  std::vector<uint8_t> out;
  const int last = n - 1;  // the stream rebuilds bytes 0 .. n-2
  int i = 0;
  while (i < last) {
    const uint8_t b = Code(prev, next, i);
    if (b != 0) {
      out.push_back(b);  // 0x01 .. 0x7F
      ++i;
      continue;
    }
    int run = 1;
    while (run < 128 && i + run < last && Code(prev, next, i + run) == 0) ++run;
    out.push_back(uint8_t(0x80 | (run & 0x7F)));  // 0x81 .. 0xFF, or 0x80 for 128
    i += run;
  }
  return out;
}

std::vector<uint8_t> DecodeResult(const uint8_t* prev, const uint8_t* next, int n) {
  std::vector<uint8_t> out(std::size_t(n > 0 ? n : 0));
  // prev + 2 * Code is Target exactly (modulo 256, and Target is in 0 .. 255).
  for (int i = 0; i + 1 < n; ++i) out[std::size_t(i)] = uint8_t(prev[i] + 2 * Code(prev, next, i));
  if (n > 0) out[std::size_t(n - 1)] = prev[n - 1];
  return out;
}

}  // namespace mkcard
