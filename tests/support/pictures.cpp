#include "pictures.h"

namespace quovil::test {

std::vector<uint8_t> Rows(const Picture8& pic) {
  std::vector<uint8_t> out;
  out.reserve(size_t(pic.width) * size_t(pic.height));
  for (int y = 0; y < pic.height; ++y) out.insert(out.end(), pic.Row(y), pic.Row(y) + pic.width);
  return out;
}

}  // namespace quovil::test
