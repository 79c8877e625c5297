// Turns a decoded frame into the camera's picture with brightness and contrast.
#pragma once

#include <cstdint>

#include "decode/picture.h"

namespace quovil {

// Converts frame (width x height bytes, stored order of the card format) into
// pic. brightness and contrast are bar positions 0..200 (centre 100).
// format 0 and 1: odd rows stored first; 2: rows in order; other: unchanged.
void ConvertFrame(const uint8_t* frame, int width, int height, int format, int brightness, int contrast,
                  Picture8& pic);

}  // namespace quovil
