// The recorder's byte-delta code: a delta frame is rebuilt from the frame
// before it of the same camera.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quovil {

// Decodes the n-byte delta stream delta from prev into out; both frames hold
// pictureBytes bytes and must not overlap.
//   code 0x00..0x7F: the next byte is prev's plus twice the code (mod 256);
//   code 0x80..0xFF: copy (code & 0x7F) bytes from prev, 0x80 copying 128.
// The stream covers the first pictureBytes - 1 bytes; the last byte is prev's.
// A copy run that passes that point is cut, and a stream that ends early
// leaves the rest of the frame as prev had it. Nothing is read past delta + n
// or written past out + pictureBytes.
void DecodeDelta(const uint8_t* prev, const uint8_t* delta, size_t n, uint8_t* out, int pictureBytes);

}  // namespace quovil
