// The delta decoder alone: a picture size, a previous frame and a stream.
#include <cstring>
#include <vector>

#include "card/korax.h"
#include "decode/delta_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int pictureBytes = int(quovil::GetU16(data) % 4097);
  data += 2;
  size -= 2;
  // Separate allocations, so that any read or write past a frame is caught.
  std::vector<uint8_t> prev(static_cast<size_t>(pictureBytes)), out(static_cast<size_t>(pictureBytes));
  const size_t take = std::min(size, prev.size());
  if (take) std::memcpy(prev.data(), data, take);
  std::vector<uint8_t> delta(data + take, data + size);
  quovil::DecodeDelta(prev.data(), delta.data(), delta.size(), out.data(), pictureBytes);
  return 0;
}
