#include "viewer/layout.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "viewer/viewer.h"
#include "platform/translate.h"

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

namespace {

// Where a camera's picture lies in its box: the box less the edge trim at each side.
DisplayState::Rect PictureRect(const PaintBox& b, int trim) { return {b.x + trim, b.y, b.x + b.w - trim, b.y + b.h}; }

}  // namespace

void Viewer::FollowLayoutCamera() {
  const int want = disp_.ViewLayout == 1 ? 0 : disp_.ViewLayout == 5 ? 1 : -1;
  if (want < 0 || want == sel_.ActiveCamera()) return;
  sel_.SetActiveCamera(want);
  // The camera marks, the bars and the single strip of the time scale must
  // follow, or the bars would edit one camera while showing the other's values.
  actions_.Channel1 = want == 0;
  actions_.Channel2 = want == 1;
  Repaint(kRepaintBars | kRepaintActions | kRepaintTimeline);
}

DisplayState::Rect Viewer::CameraRect(int cam) const {
  const int layout = disp_.ViewLayout;
  const int trim = src_.EdgeTrim;
  const auto boxes = LayoutBoxes(layout, sel_.ActiveCamera(), disp_.AreaWidth, disp_.AreaHeight, trim);
  for (const BoxAssignment& a : LayoutOrder(layout)) {
    const PaintBox& b = boxes[size_t(a.box)];
    if (a.cam == cam && b.w != 0) return PictureRect(b, trim);
  }
  return {};
}

void Viewer::SetImageArea(int w, int h) {
  disp_.AreaWidth = w;
  disp_.AreaHeight = h;
}

namespace {

// What a camera's texts are, most needed first; the last ones go first when
// a picture is too small for all of them.
enum TextRole { kRoleTime, kRoleSpeed, kRoleVoltage, kRoleRate, kRoleCount };

struct CameraText {
  TextRole role;
  PaintText text;
};

// The texts of a camera at glyph size px. At the full size these are the
// window's own places; smaller glyphs keep the rows' bottoms and the gaps
// between them in proportion.
std::vector<CameraText> CameraTexts(const Viewer& v, int cam, const PaintBox& b, int px) {
  std::vector<CameraText> out;
  const int trim = v.source().EdgeTrim;
  const size_t c = size_t(cam);
  const auto scaled = [px](int full) { return RoundHalfEven(full * double(px) / kPictureGlyphHeight); };
  const int bottomRow = b.y + b.h - 4 - px;
  const int upperRow = bottomRow - scaled(30);
  const auto add = [&](TextRole role, PaintText t) {
    t.px = px;
    out.push_back({role, std::move(t)});
  };
  // A camera that shows no record carries no rate, speed or voltage: they
  // would belong to another record. A time asked for may still stand there.
  if (v.disp().ShownIndex[c] < 0) {
    if (!v.disp().CameraTimeText[c].empty())
      add(kRoleTime, {v.disp().CameraTimeText[c], b.x, bottomRow, kPaintRed, TextAlign::CentreSpan, b.w});
    return out;
  }
  if (v.disp().CameraFps[c] != 0)
    add(kRoleRate, {Format("%3.2f fps", v.disp().CameraFps[c]), b.x + b.w - trim - scaled(70), b.y + 10, kPaintRed});
  if (!v.info().GpsSpeedText.empty())
    add(kRoleSpeed, {v.info().GpsSpeedText + Tr("Viewer", " км/ч"), b.x + b.w - 10, bottomRow, kPaintRed, TextAlign::Right});
  add(kRoleTime, {v.disp().CameraTimeText[c], b.x, bottomRow, kPaintRed, TextAlign::CentreSpan, b.w});
  if (v.info().SensorIndex >= 0) {
    double uin = GetU16(&v.info().SensorData[1]) / 10.0;
    Rgb colour = v.info().SensorIndex == v.selection().Index() ? kPaintRed : kPaintGreen;
    add(kRoleVoltage, {Format(Tr("Viewer", "Uвх = %4.1fВ"), uin), b.x + b.w - 10, upperRow, colour, TextAlign::Right});
  }
  return out;
}

using Rect4 = std::array<int, 4>;

bool Overlap(const Rect4& a, const Rect4& b) {
  return a[0] < b[2] && b[0] < a[2] && a[1] < b[3] && b[1] < a[3];
}

// Texts side by side keep a space between them, so they read as two.
constexpr int kTextGap = 6;

bool TooClose(const Rect4& a, const Rect4& b) {
  return Overlap({a[0] - kTextGap, a[1], a[2] + kTextGap, a[3]}, b);
}

// The recorder writes the camera number into the picture's top right
// corner, a glyph about a tenth of the picture's height in size.
Rect4 NumberCorner(const DisplayState::Rect& pic) {
  const int side = (pic.bottom - pic.top) * 7 / 64 + 2;
  return {pic.right - side, pic.top, pic.right, pic.top + side};
}

// Whether the texts fit: inside the box, clear of each other, of the camera
// marks and of the corner number.
bool TextsFit(const std::vector<CameraText>& texts, const PaintBox& b, const std::vector<Rect4>& fixed,
              const TextWidthFn& width) {
  std::vector<Rect4> rects;
  for (const CameraText& t : texts) {
    const Rect4 r = TextRect(t.text, width);
    if (r[0] < b.x || r[2] > b.x + b.w || r[1] < b.y || r[3] > b.y + b.h) return false;
    for (const Rect4& o : fixed)
      if (Overlap(r, o)) return false;
    for (const Rect4& o : rects)
      if (TooClose(r, o)) return false;
    rects.push_back(r);
  }
  return true;
}

void AddCameraTexts(const Viewer& v, int cam, const PaintBox& b, const std::vector<Rect4>& marks,
                    const TextWidthFn& width, std::vector<PaintText>& out) {
  const DisplayState::Rect pic = PictureRect(b, v.source().EdgeTrim);
  const Rect4 corner = NumberCorner(pic);
  std::vector<Rect4> fixed = marks;
  fixed.push_back(corner);
  std::vector<CameraText> chosen;
  const auto tryFit = [&](int px, int dropped) {
    std::vector<CameraText> texts = CameraTexts(v, cam, b, px);
    texts.erase(std::remove_if(texts.begin(), texts.end(),
                               [&](const CameraText& t) { return t.role >= kRoleCount - dropped; }),
                texts.end());
    for (CameraText& t : texts) {
      // The frame rate moves left of the corner number it would cover.
      if (t.role != kRoleRate) continue;
      const Rect4 r = TextRect(t.text, width);
      if (Overlap(r, corner)) t.text.x -= r[2] - (corner[0] - 4);
    }
    if (!TextsFit(texts, b, fixed, width)) return false;
    chosen = std::move(texts);
    return true;
  };
  // Smaller glyphs first; fewer texts only once the smallest do not make room.
  bool fits = false;
  for (int px = kPictureGlyphHeight; px >= kPictureGlyphMinimum && !fits; --px) fits = tryFit(px, 0);
  for (int dropped = 1; dropped <= kRoleCount && !fits; ++dropped) fits = tryFit(kPictureGlyphMinimum, dropped);
  // Not even the time fits (a tiny box): the number alone is drawn.
  // Drawing order: rate, speed, time, voltage.
  for (CameraText& t : chosen) out.push_back(std::move(t.text));
}

}  // namespace

int EstimatedTextWidth(const std::string& text, int px) {
  int chars = 0;
  for (unsigned char ch : text)
    if ((ch & 0xC0) != 0x80) ++chars;  // one per UTF-8 character
  return RoundHalfEven(chars * px * 0.62);
}

std::array<int, 4> TextRect(const PaintText& t, const TextWidthFn& width) {
  const int w = width ? width(t.text, t.px) : EstimatedTextWidth(t.text, t.px);
  int x = t.x;
  if (t.align == TextAlign::Right) x -= w;
  if (t.align == TextAlign::CentreSpan) x += (t.span - w) / 2;
  return {x, t.y, x + w, t.y + t.px};
}

namespace {

PaintCamera PlanCamera(const Viewer& v, int cam, const PaintBox& b, bool texts, const TextWidthFn& width) {
  PaintCamera pc;
  pc.cam = cam;
  pc.box = b;
  const DisplayState::Rect r = PictureRect(b, v.source().EdgeTrim);
  pc.left = r.left;
  pc.top = r.top;
  pc.right = r.right;
  pc.bottom = r.bottom;
  const bool active = cam == v.selection().ActiveCamera();
  const int layout = v.disp().ViewLayout;
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
  // The number (with its shadow) stays; the other texts keep clear of it.
  const Rect4 shadow = TextRect(pc.texts[0], width), own = TextRect(pc.texts[1], width);
  const Rect4 numberRect{shadow[0], shadow[1], own[2], own[3]};
  if (texts) AddCameraTexts(v, cam, b, {numberRect}, width, pc.texts);
  return pc;
}

// An empty mark is no mark: it must not match a camera that shows nothing.
bool MarkShown(const std::string& mark, const std::string& text) { return !mark.empty() && mark == text; }

void PlanMarks(const Viewer& v, int W, std::vector<PaintImage>& out) {
  const auto& t = v.disp().CameraTimeText;
  bool start, end;
  if (v.SingleCameraLayout()) {
    const std::string& shown = t[size_t(v.selection().ActiveCamera() & 1)];
    start = MarkShown(v.fragStart(), shown);
    end = MarkShown(v.fragEnd(), shown);
  } else {
    start = MarkShown(v.fragStart(), t[0]) || MarkShown(v.fragStart(), t[1]);
    end = MarkShown(v.fragEnd(), t[0]) || MarkShown(v.fragEnd(), t[1]);
  }
  if (start) out.push_back({kImageFragStart, 25, 25});
  if (end) out.push_back({kImageFragEnd, W - 45, 25});
}

}  // namespace

PaintPlan ImagePaintPlan(const Viewer& v, int W, int H, const TextWidthFn& width) {
  PaintPlan plan;
  if ((!v.source().CardOpen && !v.source().ArchiveOpen) || v.selection().Count() <= 0) {
    plan.noSource = !v.noSourceText().empty();
    plan.noSourceText = v.noSourceText();
    plan.textTop = (H - 2 * kPictureFontHeight) / 2;
    return plan;
  }
  const int layout = v.disp().ViewLayout;
  const auto boxes = LayoutBoxes(layout, v.selection().ActiveCamera(), W, H, v.source().EdgeTrim);
  for (const BoxAssignment& a : LayoutOrder(layout)) {
    const PaintBox& b = boxes[size_t(a.box)];
    if (b.w == 0) continue;
    plan.cameras.push_back(PlanCamera(v, a.cam, b, a.texts, width));
  }
  PlanMarks(v, W, plan.marks);
  if (v.play().PlayTimerEnabled) {
    const int speed = v.play().PlaySpeed;
    plan.playback = PaintText{Format("%s %dX", speed > 0 ? ">>" : "<<", std::abs(speed)), 15, H - 25, kPaintRed};
  }
  return plan;
}

}  // namespace quovil
