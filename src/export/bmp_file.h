// Windows bitmap files of 8-bit grey pictures: BITMAPFILEHEADER, the 40-byte
// BITMAPINFOHEADER, 256 grey colour entries, rows bottom-up padded to 4 bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "decode/picture.h"

namespace quovil {

// The whole file in memory.
std::vector<uint8_t> GreyBmpBytes(const Picture8& pic);

// Writes pic to path; false with the system's error text in *error.
bool WriteGreyBmp(const std::string& path, const Picture8& pic, std::string* error = nullptr);

}  // namespace quovil
