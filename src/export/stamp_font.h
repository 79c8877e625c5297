// The stamp text of exported frames and snapshots: a fixed 8 x 13 bitmap font
// of the characters a time stamp and its readings need (digits, '.', ':', '-',
// '/', blank and the unit letters of "km/h" and "V"), so the core draws it
// without a window system. Other characters advance like a blank.
#pragma once

#include <string>

#include "decode/picture.h"

namespace quovil {

inline constexpr int kStampCharWidth = 8;
inline constexpr int kStampCharHeight = 13;

// Draws text with its cell's top left at (x, y) in grey level `level`;
// background pixels are left as they are, and parts outside pic are clipped.
void DrawStampText(Picture8& pic, int x, int y, const std::string& text, uint8_t level);

// The stamp as frames and snapshots carry it: black at (11, 11), then white at
// (10, 10), a white text with a one-pixel dark shadow.
void DrawShadowedStamp(Picture8& pic, const std::string& text);

}  // namespace quovil
