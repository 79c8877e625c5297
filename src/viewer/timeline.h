// The time scale's geometry and colours: the window draws what these say.
#pragma once

#include <array>

#include "viewer/layout.h"

namespace quovil {

struct TimelineState;

inline constexpr Rgb kStripMarked{0, 128, 0};
inline constexpr Rgb kStripEmpty{255, 255, 255};
inline constexpr Rgb kTimelineRed{255, 0, 0};
inline constexpr Rgb kTimelineMark{255, 255, 0};

// Colour of column (minute) x of camera cam's strip.
Rgb StripColour(const TimelineState& t, int cam, int x);

struct BoxRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const BoxRect&) const = default;
};

// Where the strips go in a W x H box: one strip (the active camera's) in the
// single-camera layouts, otherwise camera 1 above camera 2 with a black line
// between them.
struct StripPlacement {
  bool single = false;
  BoxRect strip[2];       // single: strip[0] only
  int lineY = 0;          // the separating line, from x = 1 to lineRight
  int lineRight = 0;
};
StripPlacement PlaceStrips(bool singleLayout, int W, int H);

// The red lines of 06:00, 12:00 and 18:00: x of each, running from y = 1 to
// y = H - 1.
std::array<int, 3> HourLineX(int W);

// The yellow mark of minute t (black outline).
BoxRect MinuteMark(int W, int H, int t);

}  // namespace quovil
