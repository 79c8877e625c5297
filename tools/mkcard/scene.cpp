// Moving grey scenes: each camera has its own gradient and moving object, and
// every picture carries the time of day drawn in a block font, so a picture
// shown at the wrong moment is easy to spot by eye and by test.
#include <algorithm>
#include <cmath>

#include "mkcard/recorder.h"

namespace mkcard::detail {

namespace {

// 3 x 5 glyphs, one row per entry, bit 2 = left column.
constexpr uint8_t kGlyphs[11][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1}, {7, 4, 7, 1, 7},
    {7, 4, 7, 5, 7}, {7, 1, 2, 2, 2}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7}, {0, 2, 0, 2, 0},
};

void FillRect(uint8_t* out, int w, int h, int x0, int y0, int rw, int rh, uint8_t v) {
  const int x1 = std::min(w, x0 + rw), y1 = std::min(h, y0 + rh);
  for (int y = std::max(0, y0); y < y1; ++y)
    for (int x = std::max(0, x0); x < x1; ++x) out[std::size_t(y) * w + x] = v;
}

void DrawGlyph(uint8_t* out, int w, int h, int x0, int y0, int scale, int glyph) {
  for (int row = 0; row < 5; ++row)
    for (int col = 0; col < 3; ++col)
      if (kGlyphs[glyph][row] & (4 >> col)) FillRect(out, w, h, x0 + col * scale, y0 + row * scale, scale, scale, 255);
}

}  // namespace

Scene::Scene(int width, int height) : w_(width), h_(height) {
  for (auto& b : background_) b.resize(std::size_t(w_) * h_);
  for (int y = 0; y < h_; ++y) {
    for (int x = 0; x < w_; ++x) {
      const std::size_t i = std::size_t(y) * w_ + x;
      background_[0][i] = uint8_t(40 + 160 * x / std::max(1, w_ - 1) + 20 * y / std::max(1, h_));
      const int stripe = ((x + y) / 16) % 2 ? 12 : -12;
      background_[1][i] = uint8_t(200 - 150 * y / std::max(1, h_ - 1) + stripe);
    }
  }
}

void Scene::Draw(int camera, int frameNo, const quovil::TimeStamp& time, uint8_t* out) const {
  camera &= 1;
  std::copy(background_[camera].begin(), background_[camera].end(), out);
  if (camera == 0) {
    const int side = std::max(4, h_ / 6);
    const int span = std::max(1, w_ - side);
    const int t = (frameNo * 3) % (2 * span);
    const int x = t < span ? t : 2 * span - t;
    FillRect(out, w_, h_, x, h_ / 2 - side / 2, side, side, 230);
  } else {
    const int r = std::max(3, h_ / 10);
    const double a = frameNo * 0.2;
    const int cx = w_ / 2 + int(std::lround(std::cos(a) * (w_ / 4)));
    const int cy = h_ / 2 + int(std::lround(std::sin(a) * (h_ / 4)));
    for (int y = cy - r; y <= cy + r; ++y)
      for (int x = cx - r; x <= cx + r; ++x)
        if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r) FillRect(out, w_, h_, x, y, 1, 1, 20);
  }
  DrawClock(time, camera, out);
}

void Scene::DrawClock(const quovil::TimeStamp& t, int camera, uint8_t* out) const {
  const int s = std::max(1, h_ / 64);
  const int glyphs[8] = {t.hour / 10, t.hour % 10, 10, t.minute / 10, t.minute % 10, 10, t.second / 10, t.second % 10};
  FillRect(out, w_, h_, s, s, 8 * 4 * s + s, 7 * s, 0);
  for (int g = 0; g < 8; ++g) DrawGlyph(out, w_, h_, 2 * s + g * 4 * s, 2 * s, s, glyphs[g]);
  FillRect(out, w_, h_, w_ - 6 * s, s, 5 * s, 7 * s, 0);
  DrawGlyph(out, w_, h_, w_ - 5 * s, 2 * s, s, camera + 1);
}

void Interlace(const uint8_t* picture, int width, int height, uint8_t* stored) {
  uint8_t* dst = stored;
  for (int start : {1, 0})
    for (int y = start; y < height; y += 2, dst += width)
      std::copy_n(picture + std::size_t(y) * width, width, dst);
}

}  // namespace mkcard::detail
