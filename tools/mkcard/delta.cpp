// Delta streams: the inverse of the viewer's byte-delta decoder.
//
// A literal code can only add an even amount, so an odd difference is encoded
// one short; the encoder always works against what the decoder rebuilt for the
// previous frame, so these rounding steps never accumulate.
#include "mkcard/mkcard.h"

namespace mkcard {

namespace {

uint8_t Half(const uint8_t* prev, const uint8_t* next, int i) { return uint8_t(uint8_t(next[i] - prev[i]) >> 1); }

}  // namespace

std::vector<uint8_t> DeltaEncode(const uint8_t* prev, const uint8_t* next, int n) {
  std::vector<uint8_t> out;
  const int last = n - 1;  // the stream rebuilds bytes 0 .. n-2
  int i = 0;
  while (i < last) {
    const uint8_t b = Half(prev, next, i);
    if (b != 0) {
      out.push_back(b);
      ++i;
      continue;
    }
    int run = 1;
    while (run < 128 && i + run < last && Half(prev, next, i + run) == 0) ++run;
    out.push_back(uint8_t(0x80 | (run & 0x7F)));
    i += run;
  }
  return out;
}

std::vector<uint8_t> DecodeResult(const uint8_t* prev, const uint8_t* next, int n) {
  std::vector<uint8_t> out(std::size_t(n > 0 ? n : 0));
  for (int i = 0; i + 1 < n; ++i) out[std::size_t(i)] = uint8_t(prev[i] + 2 * Half(prev, next, i));
  if (n > 0) out[std::size_t(n - 1)] = prev[n - 1];
  return out;
}

}  // namespace mkcard
