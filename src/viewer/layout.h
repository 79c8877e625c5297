// The geometry of the picture box: where each camera's picture goes in each
// window layout, and everything drawn over it. The window only executes the
// paint plan; every rule lives here.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quovil {

class Viewer;

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};
inline constexpr Rgb kPaintRed{255, 0, 0};
inline constexpr Rgb kPaintGreen{0, 128, 0};
inline constexpr Rgb kPaintBlack{0, 0, 0};

// Picture box font: "System", bold, 21 pixels high.
inline constexpr int kPictureFontHeight = 21;
// Pixel size the overlay glyphs are drawn at (the raster font's real size).
inline constexpr int kPictureGlyphHeight = 16;
// The smallest overlay glyphs still read easily: a picture too small for
// its texts at this size drops the least needed ones.
inline constexpr int kPictureGlyphMinimum = 10;

// The drawn width of a text in the overlay font at glyph size px.
using TextWidthFn = std::function<int(const std::string& text, int px)>;
// An estimate for where no font is at hand: the condensed bold font's
// average advance, about 0.62 of the glyph size per character.
int EstimatedTextWidth(const std::string& text, int px);

// Toolbar images of the fragment marks.
inline constexpr int kImageFragStart = 32;
inline constexpr int kImageFragEnd = 33;

// Rounds to the nearest integer, halves to even.
int RoundHalfEven(double v);

// Fits w x h to the 420:276 shape of the pictures, limited to limit rows.
void Fit(int& w, int& h, int limit);

struct PaintBox {
  int x = 0, y = 0, w = 0, h = 0;
  bool operator==(const PaintBox&) const = default;
};

// The two boxes of a layout (box 0 and box 1) in a W x H picture box.
std::array<PaintBox, 2> LayoutBoxes(int layout, int activeCamera, int W, int H, int edgeTrim);

// Which camera goes into which box, in drawing order, and whether it carries
// its texts (the small window of window-in-window carries none).
struct BoxAssignment {
  int cam = 0;
  int box = 0;
  bool texts = true;
};
std::array<BoxAssignment, 2> LayoutOrder(int layout);

enum class TextAlign {
  Left,        // starts at x
  Right,       // ends at x
  CentreSpan,  // centred between x and x + span
};

struct PaintText {
  std::string text;
  int x = 0, y = 0;
  Rgb colour;
  TextAlign align = TextAlign::Left;
  int span = 0;
  int px = kPictureGlyphHeight;  // glyph size it is drawn at
};

struct PaintCamera {
  int cam = 0;
  PaintBox box;
  // Where the picture is stretched (the box less EdgeTrim at each side).
  int left = 0, top = 0, right = 0, bottom = 0;
  bool outline = false;  // pen width 2, unfilled
  Rgb outlineColour;
  int outlineLeft = 0, outlineTop = 0, outlineRight = 0, outlineBottom = 0;
  std::vector<PaintText> texts;  // in drawing order
};

struct PaintImage {
  int image = 0;
  int x = 0, y = 0;
};

struct PaintPlan {
  // Nothing to show: the text centred horizontally with its top at textTop.
  bool noSource = false;
  std::string noSourceText;
  int textTop = 0;
  std::vector<PaintCamera> cameras;  // in drawing order
  std::vector<PaintImage> marks;
  std::optional<PaintText> playback;
};

// The whole picture-box paint for a W x H box. The camera texts keep their
// places where they fit; in a picture too small for them the overlay font
// shrinks (to kPictureGlyphMinimum) and then the least needed texts go
// (frame rate, voltage, speed), so that no two texts overlap and none runs
// over the recorder's own camera number in the picture's top right corner.
PaintPlan ImagePaintPlan(const Viewer& v, int W, int H, const TextWidthFn& width = EstimatedTextWidth);

// Where text t lies, measured with width: left, top, right, bottom.
std::array<int, 4> TextRect(const PaintText& t, const TextWidthFn& width);

}  // namespace quovil
