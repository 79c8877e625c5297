// The time scale: which minutes of the shown day hold records, jumping to
// them with the pointer, and the part of the day it shows.
#include "viewer/timeline.h"

#include <algorithm>
#include <iterator>

#include "viewer/viewer.h"

namespace quovil {

namespace {

// The spans the zoom steps through, widest first.
constexpr int kSpanLevels[] = {24 * 3600, 12 * 3600, 6 * 3600, 3 * 3600, 2 * 3600, 3600, 1800, 1200, kNarrowestSpan};

// Rounds towards minus infinity (times left of the span give negative columns).
int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// A span as the zoom leaves it: within the day, no narrower than the narrowest.
TimeSpan WithinDay(const TimeSpan& s) {
  TimeSpan out;
  out.length = std::clamp(s.length, kNarrowestSpan, kDaySeconds);
  out.start = std::clamp(s.start, 0, kDaySeconds - out.length);
  return out;
}

int NarrowerLevel(int length) {
  for (int level : kSpanLevels)
    if (level < length) return level;
  return length;
}

int WiderLevel(int length) {
  for (auto it = std::rbegin(kSpanLevels); it != std::rend(kSpanLevels); ++it)
    if (*it > length) return *it;
  return length;
}

// The step of the short ticks of a zoomed span.
int TickStep(int length) {
  if (length > 3 * 3600) return 1800;
  if (length > 3600) return 600;
  if (length > 1200) return 300;
  return 60;
}

std::string ClockText(int t, bool seconds) {
  return seconds ? Format("%.2d:%.2d:%.2d", t / 3600, t / 60 % 60, t % 60) : Format("%.2d:%.2d", t / 3600, t / 60 % 60);
}

}  // namespace

void Viewer::BuildDayMap(int d, int m, int y) {
  // The zoom belongs to the day it was made on.
  const int day = y * 10000 + m * 100 + d;
  if (day != timeline_.MapDay) {
    timeline_.MapDay = day;
    timeline_.Span = TimeSpan{};
  }
  for (auto& row : timeline_.DayMap) row.fill(-1);
  for (int32_t p = 0; p < sel_.Count(); ++p) {
    int32_t i = IndexAtPos(p);
    TimeStamp t = src_.TimeOf(i);
    if (t.day != d || t.month != m || t.year != y) continue;
    int minute = t.hour * 60 + t.minute;
    int cam = src_.CameraOf(i);
    if (minute >= 1440 || cam < 0) continue;
    int32_t& slot = timeline_.DayMap[size_t(cam)][size_t(minute)];
    if (slot == -1) slot = p;
  }
  ++timeline_.DayMapVersion;
  Repaint(kRepaintTimeline);
}

void Viewer::UseBoxMouseMove(int x, int y, int w, int h) {
  // A box too narrow to hold a column per pixel has no minutes to point at.
  if (x < 1 || x >= w || w < 3) return;
  if (!timeline_.TimelineDragging) timeline_.ClickCamera = y >= h / 2 ? 1 : 0;
  const int t = SecondAtX(timeline_.Span, x, w) / 60;
  timeline_.Tag = t;
  statusPanels_[3] = Format("   %.2d:%.2d", t / 60, t % 60);
  Repaint(kRepaintStatus);
  if (timeline_.TimelineDragging) UseBoxClick();
}

void Viewer::TimeScaleJump(int second) {
  if (sel_.Count() <= 0) return;
  timeline_.Tag = std::clamp(second, 0, kDaySeconds - 1) / 60;
  timeline_.ClickCamera = sel_.ActiveCamera() & 1;
  UseBoxClick();
}

void Viewer::UseBoxMouseDown() { timeline_.TimelineDragging = true; }

void Viewer::UseBoxMouseUp() { timeline_.TimelineDragging = false; }

void Viewer::UseBoxClick() {
  ResetGpsOutput();
  const bool two = !SingleCameraLayout();
  if (two && sel_.ActiveCamera() != timeline_.ClickCamera) {
    if (timeline_.ClickCamera == 0) {
      ActionChannel1Execute();
    } else {
      ActionChannel2Execute();
    }
  }
  const int cam = sel_.ActiveCamera() & 1;
  const auto& row = timeline_.DayMap[size_t(cam)];
  const int t = std::clamp(timeline_.Tag, 0, 1440);
  int f = -1, b = -1;
  for (int k = t; k < 1440 && f < 0; ++k)
    if (row[size_t(k)] >= 0) f = k;
  for (int k = std::min(t, 1439); k >= 0 && b < 0; --k)
    if (row[size_t(k)] >= 0) b = k;
  if (f < 0 && b < 0) return;
  int chosen = f < 0 ? b : b < 0 ? f : (f - t < t - b ? f : b);
  ShowPosition(row[size_t(chosen)]);
  if (two) {
    int32_t other = timeline_.DayMap[size_t(1 - cam)][size_t(chosen)];
    if (other >= 0) ShowPosition(other);
  }
}

void Viewer::UseBoxDblClick() {
  if (!play_.PlayTimerEnabled) PlayBtnClick();
}

void Viewer::UseBoxZoom(int steps, int x, int w) {
  if (sel_.Count() <= 0 || w < 3 || x < 1 || x >= w) return;
  const TimeSpan span = ZoomSpan(timeline_.Span, steps, SecondAtX(timeline_.Span, x, w));
  if (span == timeline_.Span) return;
  timeline_.Span = span;
  Repaint(kRepaintTimeline);
}

void Viewer::UseBoxZoomAtMark(int steps) {
  const int32_t pos = sel_.Pos();
  if (pos < 0 || pos >= sel_.Count()) return;
  const TimeStamp t = src_.TimeOf(IndexAtPos(pos));
  const TimeSpan span = ZoomSpan(timeline_.Span, steps, t.hour * 3600 + t.minute * 60 + t.second);
  if (span == timeline_.Span) return;
  timeline_.Span = span;
  Repaint(kRepaintTimeline);
}

Rgb StripColour(const TimelineState& t, int cam, int x) {
  if (cam < 0 || cam > 1 || x < 0 || x >= 1440) return kStripEmpty;
  return t.DayMap[size_t(cam)][size_t(x)] >= 0 ? kStripMarked : kStripEmpty;
}

StripPlacement PlaceStrips(bool singleLayout, int W, int H) {
  StripPlacement s;
  const int w = W - 2, h = H - 2;
  s.single = singleLayout;
  if (singleLayout) {
    s.strip[0] = {2, 2, w + 1, h};
    return s;
  }
  const int k = h / 2;
  s.strip[0] = {2, 2, w + 1, k};
  s.strip[1] = {2, k + 3, w + 1, h};
  s.lineY = k + 1;
  s.lineRight = w + 1;
  return s;
}

std::array<int, 3> HourLineX(int W) {
  const int w = W - 2;
  return {(w * 6) / 24 + 1, (w * 12) / 24 + 1, (w * 18) / 24 + 1};
}

BoxRect MinuteMark(int W, int H, int t) {
  const int w = W - 2, h = H - 2;
  const int x = int((int64_t(w) * t) / 1440);
  return {x, 2, x + 3, h};
}

TimeSpan ZoomSpan(const TimeSpan& span, int steps, int at) {
  const TimeSpan s = WithinDay(span);
  int length = s.length;
  // More steps than levels lead to the same end.
  const int levels = int(std::size(kSpanLevels));
  for (int k = std::clamp(steps, -levels, levels); k != 0; k += k > 0 ? -1 : 1)
    length = k > 0 ? NarrowerLevel(length) : WiderLevel(length);
  at = std::clamp(at, 0, kDaySeconds);
  int64_t start = at - int64_t(length) / 2;
  if (at >= s.start && at <= s.End()) start = at - (int64_t(at - s.start) * length + s.length / 2) / s.length;
  // On a whole minute, as the minutes of the strips and the label go; the
  // time moves by half a minute at most.
  start = (std::clamp<int64_t>(start, 0, kDaySeconds) + 30) / 60 * 60;
  return WithinDay({int(start), length});
}

int SecondAtX(const TimeSpan& span, int x, int W) {
  if (W < 3 || span.length <= 0) return span.start;
  x = std::clamp(x, 1, W - 1);
  return span.start + int((int64_t(x - 1) * span.length) / (W - 2));
}

int XOfSecond(const TimeSpan& span, int W, int t) {
  if (span.length <= 0) return 1;
  return 1 + int(FloorDiv((int64_t(t) - span.start) * (W - 2), span.length));
}

MinuteRange MinutesOfColumn(const TimeSpan& span, int n, int x) {
  if (n <= 0 || span.length <= 0) return {};
  const int64_t base = int64_t(span.start) * n, per = 60 * int64_t(n);
  const int first = int(std::clamp<int64_t>(FloorDiv(base + int64_t(x) * span.length, per), 0, 1439));
  const int last = int(std::clamp<int64_t>(FloorDiv(base + int64_t(x + 1) * span.length, per), first + 1, 1440));
  return {first, last};
}

std::vector<ScaleLine> ScaleLines(const TimeSpan& span, int W) {
  std::vector<ScaleLine> lines;
  if (span.WholeDay()) {
    for (int x : HourLineX(W)) lines.push_back({x, true});
    return lines;
  }
  const TimeSpan s = WithinDay(span);
  const int step = TickStep(s.length);
  // Only the lines strictly inside: the ends lie on the border.
  for (int t = (s.start / step + 1) * step; t < s.End(); t += step)
    lines.push_back({XOfSecond(s, W, t), t % 3600 == 0});
  return lines;
}

std::optional<BoxRect> ShownMark(const TimeSpan& span, int W, int H, int t) {
  if (span.WholeDay()) return MinuteMark(W, H, t / 60);
  if (t < span.start || t > span.End()) return std::nullopt;
  const int x = XOfSecond(span, W, t) - 1;
  return BoxRect{x, 2, x + 3, H - 2};
}

std::string SpanLabel(const TimeSpan& span) {
  const bool seconds = span.start % 60 != 0 || span.End() % 60 != 0;
  return ClockText(span.start, seconds) + " – " + ClockText(span.End(), seconds);
}

}  // namespace quovil
