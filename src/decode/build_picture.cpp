#include "decode/build_picture.h"

#include <algorithm>
#include <cstring>

namespace quovil {

namespace {

// Settings far outside the bars' range give black or white pictures alike;
// bounding them keeps the arithmetic from overflowing.
int Bounded(int v) { return v < -100000 ? -100000 : (v > 100000 ? 100000 : v); }

}  // namespace

std::array<uint8_t, 256> LevelTable(int brightness, int contrast) {
  const int offset = 100 - Bounded(brightness);
  const int factor = 200 - Bounded(contrast);
  std::array<uint8_t, 256> t{};
  for (int x = 0; x < 256; ++x) {
    const int y = factor * x / 100 + offset;
    t[size_t(x)] = uint8_t(y < 0 ? 0 : (y > 255 ? 255 : y));
  }
  return t;
}

namespace {

// y = factor * x div 100 + offset, clamped, in 16-bit lanes. While factor *
// 255 fits 16 bits the compiler turns this loop into vector multiplies (the
// division by a constant becomes a multiply-high); other settings go through
// the table. An offset beyond +-1024 clamps every pixel alike (the quotient
// stays below 656), so it is bounded to keep the sum within 16 bits.
void LevelRow(const uint8_t* __restrict src, uint8_t* __restrict dst, int n, int factor, int offset) {
  const uint16_t f = uint16_t(factor);
  const int16_t o = int16_t(offset < -1024 ? -1024 : (offset > 1024 ? 1024 : offset));
  for (int x = 0; x < n; ++x) {
    const uint16_t q = uint16_t(uint16_t(f * src[x]) / 100);
    int16_t y = int16_t(q + o);
    y = std::max<int16_t>(y, 0);
    y = std::min<int16_t>(y, 255);
    dst[x] = uint8_t(y);
  }
}

class RowWriter {
 public:
  RowWriter(int brightness, int contrast, int width, Picture8& pic)
      : offset_(100 - Bounded(brightness)), factor_(200 - Bounded(contrast)), width_(width), pic_(pic) {
    identity_ = offset_ == 0 && factor_ == 100;
    arithmetic_ = factor_ >= 0 && factor_ * 255 <= 0xFFFF;
    if (!identity_ && !arithmetic_) levels_ = LevelTable(brightness, contrast);
  }

  // Fills row y from src; false when the picture has no such row.
  bool Put(int y, const uint8_t* src) {
    if (y >= pic_.height || width_ > pic_.width) return false;
    uint8_t* dst = pic_.Row(y);
    if (identity_) {
      std::memcpy(dst, src, size_t(width_));
    } else if (arithmetic_) {
      LevelRow(src, dst, width_, factor_, offset_);
    } else {
      for (int x = 0; x < width_; ++x) dst[x] = levels_[src[x]];
    }
    return true;
  }

 private:
  int offset_, factor_;
  bool identity_ = false, arithmetic_ = false;
  std::array<uint8_t, 256> levels_{};
  int width_;
  Picture8& pic_;
};

}  // namespace

void ConvertFrame(const uint8_t* frame, int width, int height, int format, int brightness, int contrast,
                  Picture8& pic) {
  if (!frame || width <= 0 || height <= 0 || format < 0 || format > 2) return;
  RowWriter rows(brightness, contrast, width, pic);
  const uint8_t* src = frame;
  if (format == 2) {
    for (int y = 0; y < height; ++y, src += width)
      if (!rows.Put(y, src)) return;
    return;
  }
  // Interlaced storage: the odd rows come first, then the even ones.
  for (int y = 1; y < height; y += 2, src += width)
    if (!rows.Put(y, src)) return;
  for (int y = 0; y < height; y += 2, src += width)
    if (!rows.Put(y, src)) return;
}

}  // namespace quovil
