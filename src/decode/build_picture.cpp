#include "decode/build_picture.h"

#include <cstring>

namespace quovil {

std::array<uint8_t, 256> LevelTable(int brightness, int contrast) {
  const int offset = 100 - brightness;
  const int factor = 200 - contrast;
  std::array<uint8_t, 256> t{};
  for (int x = 0; x < 256; ++x) {
    const int y = factor * x / 100 + offset;
    t[size_t(x)] = uint8_t(y < 0 ? 0 : (y > 255 ? 255 : y));
  }
  return t;
}

namespace {

class RowWriter {
 public:
  RowWriter(const std::array<uint8_t, 256>& levels, bool identity, int width, Picture8& pic)
      : levels_(levels), identity_(identity), width_(width), pic_(pic) {}

  // Fills row y from src; false when the picture has no such row.
  bool Put(int y, const uint8_t* src) {
    if (y >= pic_.height || width_ > pic_.width) return false;
    uint8_t* dst = pic_.Row(y);
    if (identity_) {
      std::memcpy(dst, src, size_t(width_));
      return true;
    }
    const uint8_t* t = levels_.data();
    for (int x = 0; x < width_; ++x) dst[x] = t[src[x]];
    return true;
  }

 private:
  const std::array<uint8_t, 256>& levels_;
  bool identity_;
  int width_;
  Picture8& pic_;
};

}  // namespace

void ConvertFrame(const uint8_t* frame, int width, int height, int format, int brightness, int contrast,
                  Picture8& pic) {
  if (!frame || width <= 0 || height <= 0 || format < 0 || format > 2) return;
  const std::array<uint8_t, 256> levels = LevelTable(brightness, contrast);
  RowWriter rows(levels, brightness == 100 && contrast == 100, width, pic);
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
