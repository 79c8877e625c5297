#include "viewer/layout.h"

#include <cmath>
#include <cstdlib>

#include "viewer/viewer.h"

namespace quovil {

int RoundHalfEven(double v) { return int(std::nearbyint(v)); }

void Fit(int& w, int& h, int limit) {
  if (w == 0) {
    h = 0;
    return;
  }
  h = RoundHalfEven(w / 420.0 * 276.0);
  if (h > limit) {
    h = limit;
    w = RoundHalfEven(limit / 276.0 * 420.0);
  }
}

std::array<PaintBox, 2> LayoutBoxes(int layout, int activeCamera, int W, int H, int edgeTrim) {
  std::array<PaintBox, 2> b{};
  const int M = H - 10;
  const int A = W - 10 + edgeTrim;
  switch (layout & 3) {
    case 0:
      b[0].w = (A - 10) / 2;
      Fit(b[0].w, b[0].h, M);
      b[1].w = b[0].w;
      b[1].h = b[0].h;
      b[0].x = (W - b[0].w - b[1].w - 10) / 2;
      b[0].y = (H - b[0].h) / 2;
      b[1].x = b[0].x + b[0].w + 10;
      b[1].y = b[0].y;
      break;
    case 1:
      for (int k = 0; k < 2; ++k) {
        b[size_t(k)].w = k == activeCamera ? A : 0;
        Fit(b[size_t(k)].w, b[size_t(k)].h, M);
        b[size_t(k)].x = (W - b[size_t(k)].w) / 2;
        b[size_t(k)].y = (H - b[size_t(k)].h) / 2;
      }
      break;
    case 2:
      b[0].w = A;
      Fit(b[0].w, b[0].h, M);
      b[0].x = (W - b[0].w) / 2;
      b[0].y = (H - b[0].h) / 2;
      b[1].w = b[0].w / 3;
      Fit(b[1].w, b[1].h, M);
      b[1].x = b[0].x + b[0].w - b[1].w - 10;
      b[1].y = b[0].y + 10;
      break;
    default:
      b[0].w = A;
      Fit(b[0].w, b[0].h, (M - 10) / 2);
      b[0].x = (W - b[0].w) / 2;
      b[0].y = (H - 2 * b[0].h - 10) / 2;
      b[1] = b[0];
      b[1].y = b[0].y + b[0].h + 10;
      break;
  }
  return b;
}

std::array<BoxAssignment, 2> LayoutOrder(int layout) {
  const bool swapped = layout == 4 || layout == 6 || layout == 7;
  const bool pip = layout == 2 || layout == 6;
  const int first = swapped ? 1 : 0;
  return {{{first, 0, true}, {1 - first, 1, !pip}}};
}

void ApplyLayoutCamera(Viewer& v) {
  const int want = v.disp.ViewLayout == 1 ? 0 : v.disp.ViewLayout == 5 ? 1 : -1;
  if (want < 0 || want == v.ActiveCamera) return;
  v.ActiveCamera = want;
  // The camera marks, the bars and the single strip of the time scale must
  // follow, or the bars would edit one camera while showing the other's values.
  v.actions.Channel1 = want == 0;
  v.actions.Channel2 = want == 1;
  v.Repaint(kRepaintBars | kRepaintActions | kRepaintTimeline);
}

namespace {

void AddCameraTexts(const Viewer& v, int cam, const PaintBox& b, std::vector<PaintText>& out) {
  const int trim = v.src.EdgeTrim;
  const size_t c = size_t(cam);
  if (v.disp.CameraFps[c] != 0)
    out.push_back({Format("%3.2f fps", v.disp.CameraFps[c]), b.x + b.w - trim - 70, b.y + 10, kPaintRed});
  if (!v.info.GpsSpeedText.empty())
    out.push_back({v.info.GpsSpeedText + " км/ч", b.x + b.w - 10, b.y + b.h - 20, kPaintRed, TextAlign::Right});
  out.push_back(
      {v.disp.CameraTimeText[c], b.x, b.y + b.h - 20, kPaintRed, TextAlign::CentreSpan, b.w});
  if (v.info.SensorIndex >= 0) {
    double uin = GetU16(&v.info.SensorData[1]) / 10.0;
    Rgb colour = v.info.SensorIndex == v.CurIndex ? kPaintRed : kPaintGreen;
    out.push_back({Format("Uвх = %4.1fВ", uin), b.x + b.w - 10, b.y + b.h - 50, colour, TextAlign::Right});
  }
}

PaintCamera PlanCamera(Viewer& v, int cam, const PaintBox& b, bool texts) {
  PaintCamera pc;
  pc.cam = cam;
  pc.box = b;
  const int trim = v.src.EdgeTrim;
  pc.left = b.x + trim;
  pc.top = b.y;
  pc.right = b.x + b.w - trim;
  pc.bottom = b.y + b.h;
  v.disp.CameraRect[size_t(cam)] = {pc.left, pc.top, pc.right, pc.bottom};
  const bool active = cam == v.ActiveCamera;
  const int layout = v.disp.ViewLayout;
  if (active || layout == 2 || layout == 6) {
    pc.outline = true;
    pc.outlineColour = active ? kPaintRed : kPaintGreen;
    pc.outlineLeft = b.x - 2;
    pc.outlineTop = b.y - 2;
    pc.outlineRight = b.x + b.w + 2;
    pc.outlineBottom = b.y + b.h + 2;
  }
  const std::string number = std::to_string(cam + 1);
  pc.texts.push_back({number, b.x + 9, b.y + b.h - 26, kPaintBlack});
  pc.texts.push_back({number, b.x + 10, b.y + b.h - 25, active ? kPaintRed : kPaintGreen});
  if (texts) AddCameraTexts(v, cam, b, pc.texts);
  return pc;
}

// An empty mark is no mark: it must not match a camera that shows nothing.
bool MarkShown(const std::string& mark, const std::string& text) { return !mark.empty() && mark == text; }

void PlanMarks(const Viewer& v, int W, std::vector<PaintImage>& out) {
  const auto& t = v.disp.CameraTimeText;
  bool start, end;
  if (v.SingleCameraLayout()) {
    const std::string& shown = t[size_t(v.ActiveCamera & 1)];
    start = MarkShown(v.FragStart, shown);
    end = MarkShown(v.FragEnd, shown);
  } else {
    start = MarkShown(v.FragStart, t[0]) || MarkShown(v.FragStart, t[1]);
    end = MarkShown(v.FragEnd, t[0]) || MarkShown(v.FragEnd, t[1]);
  }
  if (start) out.push_back({kImageFragStart, 25, 25});
  if (end) out.push_back({kImageFragEnd, W - 45, 25});
}

}  // namespace

PaintPlan ImagePaintPlan(Viewer& v, int W, int H) {
  PaintPlan plan;
  if ((!v.src.CardOpen && !v.src.ArchiveOpen) || v.SelCount <= 0) {
    plan.noSource = !v.NoSourceText.empty();
    plan.noSourceText = v.NoSourceText;
    plan.textTop = (H - 2 * kPictureFontHeight) / 2;
    return plan;
  }
  ApplyLayoutCamera(v);
  const int layout = v.disp.ViewLayout;
  const auto boxes = LayoutBoxes(layout, v.ActiveCamera, W, H, v.src.EdgeTrim);
  for (const BoxAssignment& a : LayoutOrder(layout)) {
    const PaintBox& b = boxes[size_t(a.box)];
    if (b.w == 0) continue;
    plan.cameras.push_back(PlanCamera(v, a.cam, b, a.texts));
  }
  PlanMarks(v, W, plan.marks);
  if (v.play.PlayTimerEnabled) {
    const int speed = v.play.PlaySpeed;
    plan.playback = PaintText{Format("%s %dX", speed > 0 ? ">>" : "<<", std::abs(speed)), 15, H - 25, kPaintRed};
  }
  return plan;
}

}  // namespace quovil
