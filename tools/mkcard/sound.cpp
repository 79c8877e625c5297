// Recorded sound: a tone whose pitch tells the camera and the second, so that
// a test can hear whether the right block plays with the right picture.
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "mkcard/recorder.h"

namespace mkcard::detail {

namespace {

const std::array<uint8_t, 256>& SineTable() {
  static const std::array<uint8_t, 256> table = [] {
    std::array<uint8_t, 256> t{};
    for (int i = 0; i < 256; ++i) t[std::size_t(i)] = uint8_t(128 + std::lround(60 * std::sin(i * 2 * std::numbers::pi / 256)));
    return t;
  }();
  return table;
}

}  // namespace

std::vector<uint8_t> ToneGenerator::Samples(int camera, int second, int count) {
  camera &= 1;
  // Pitch step per sample in 1/65536 of a table turn: a few hundred hertz at
  // the usual rates, rising with the second's last digit.
  const uint32_t step = uint32_t((camera ? 2400 : 1600) + 160 * (second % 10)) << 8;
  const auto& table = SineTable();
  std::vector<uint8_t> out(std::size_t(std::max(0, count)));
  for (auto& v : out) {
    v = table[(phase_[camera] >> 16) & 0xFF];
    phase_[camera] += step;
  }
  return out;
}

std::vector<uint8_t> SoundBlock(const std::vector<uint8_t>& samples, std::size_t bytes) {
  std::vector<uint8_t> block(std::max(bytes, samples.size() + 2), 0);
  quovil::PutU16(block.data(), uint16_t(samples.size()));
  std::copy(samples.begin(), samples.end(), block.begin() + 2);
  return block;
}

}  // namespace mkcard::detail
