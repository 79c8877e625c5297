// An 8-bit grey picture with row access; the window shows it through the grey
// palette (index i = grey level i).
#pragma once

#include <cstdint>
#include <algorithm>
#include <vector>

namespace quovil {

struct Picture8 {
  int width = 0;
  int height = 0;
  int stride = 0;  // bytes per row, a multiple of 4
  std::vector<uint8_t> pixels;

  bool Empty() const { return width <= 0 || height <= 0; }
  void Resize(int w, int h) {
    width = w;
    height = h;
    stride = (w + 3) & ~3;
    pixels.assign(size_t(stride) * size_t(h > 0 ? h : 0), 0);
  }
  void Free() { *this = Picture8{}; }
  uint8_t* Row(int y) { return pixels.data() + size_t(y) * size_t(stride); }
  const uint8_t* Row(int y) const { return pixels.data() + size_t(y) * size_t(stride); }
  void Fill(uint8_t v) { std::fill(pixels.begin(), pixels.end(), v); }
};

}  // namespace quovil
