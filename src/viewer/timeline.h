// The time scale's geometry and colours, and the part of the day it shows:
// the window draws what these say.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "viewer/layout.h"

namespace quovil {

struct TimelineState;

struct BoxRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const BoxRect&) const = default;
};

inline constexpr Rgb kStripMarked{0, 128, 0};
inline constexpr Rgb kStripEmpty{255, 255, 255};
inline constexpr Rgb kTimelineRed{255, 0, 0};
inline constexpr Rgb kTimelineTick{240, 96, 96};
inline constexpr Rgb kTimelineMark{255, 255, 0};

inline constexpr int kDaySeconds = 24 * 3600;
// The narrowest span the scale zooms to.
inline constexpr int kNarrowestSpan = 10 * 60;

// The part of the day the scale shows, in seconds from 00:00; the whole day
// unless zoomed.
struct TimeSpan {
  int start = 0;
  int length = kDaySeconds;
  int End() const { return start + length; }
  bool WholeDay() const { return start == 0 && length == kDaySeconds; }
  bool operator==(const TimeSpan&) const = default;
};

// The span narrowed (steps > 0) or widened (steps < 0) by that many levels
// (24 h, 12 h, 6 h, 3 h, 2 h, 1 h, 30, 20 and 10 minutes) around the second
// `at`: a time inside the span keeps its place in the box (to half a minute:
// a zoomed span starts on a whole minute), one outside it becomes the middle.
// The result lies within the day.
TimeSpan ZoomSpan(const TimeSpan& span, int steps, int at);

// The second under column x of a box W wide (x from 1 to W - 1), the rule of
// the pointer and the click.
int SecondAtX(const TimeSpan& span, int x, int W);
// The column of second t in a box W wide, where its line or its mark's middle
// is drawn; beyond the box for a time outside the span.
int XOfSecond(const TimeSpan& span, int W, int t);

// The minutes [first, last) that column x of a strip n columns wide covers;
// a column shows a record when any of its minutes holds one.
struct MinuteRange {
  int first = 0, last = 0;
  bool operator==(const MinuteRange&) const = default;
};
MinuteRange MinutesOfColumn(const TimeSpan& span, int n, int x);

// The lines across the scale: red hour lines (on the whole day those of
// 06:00, 12:00 and 18:00, zoomed every hour inside the span) and, zoomed,
// short ticks between them (every 30, 10, 5 or 1 minutes as the span narrows).
struct ScaleLine {
  int x = 0;
  bool hour = false;
  bool operator==(const ScaleLine&) const = default;
};
std::vector<ScaleLine> ScaleLines(const TimeSpan& span, int W);

// The yellow mark of the record shown at second t of its day, nothing when
// the zoomed span leaves it out. The whole day places it by its minute.
std::optional<BoxRect> ShownMark(const TimeSpan& span, int W, int H, int t);

// The zoomed span's label, "12:00 – 12:10" (seconds too where the ends fall
// between minutes).
std::string SpanLabel(const TimeSpan& span);

// Colour of column (minute) x of camera cam's strip.
Rgb StripColour(const TimelineState& t, int cam, int x);

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
