// Pictures compared as plain bytes: the rows of a picture without their padding.
#pragma once

#include <cstdint>
#include <vector>

#include "decode/picture.h"

namespace quovil::test {

std::vector<uint8_t> Rows(const Picture8& pic);

}  // namespace quovil::test
