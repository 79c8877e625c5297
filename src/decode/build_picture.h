// Turns a decoded frame into the camera's picture with brightness and contrast.
#pragma once

#include <array>
#include <cstdint>

#include "decode/picture.h"

namespace quovil {

// Grey level map of the bar positions (0..200, centre 100): offset 100 - B,
// factor 200 - C, y = factor * x div 100 + offset, clamped to 0..255.
std::array<uint8_t, 256> LevelTable(int brightness, int contrast);

// Converts frame (width x height bytes, stored order of the card format) into
// pic. brightness and contrast are bar positions 0..200 (centre 100).
// format 0 and 1: odd rows stored first; 2: rows in order; other: unchanged.
// Filling stops at the first row pic cannot supply (too few rows, or rows
// narrower than width); the rows written stay.
void ConvertFrame(const uint8_t* frame, int width, int height, int format, int brightness, int contrast,
                  Picture8& pic);

}  // namespace quovil
