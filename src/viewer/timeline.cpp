// The time scale: which minutes of the shown day hold records, and jumping
// to them with the pointer.
#include "viewer/timeline.h"

#include <algorithm>

#include "viewer/viewer.h"

namespace quovil {

void Viewer::BuildDayMap(int d, int m, int y) {
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
  const int t = int((int64_t(x - 1) * 1440) / (w - 2));
  timeline_.Tag = t;
  statusPanels_[3] = Format("   %.2d:%.2d", t / 60, t % 60);
  Repaint(kRepaintStatus);
  if (timeline_.TimelineDragging) UseBoxClick();
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

}  // namespace quovil
