#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "decode/delta_decoder.h"

using quovil::DecodeDelta;

namespace {

// The code as the format describes it, one byte at a time.
std::vector<uint8_t> ReferenceDecode(const std::vector<uint8_t>& prev, const std::vector<uint8_t>& d) {
  std::vector<uint8_t> out(prev);  // untouched bytes stay as prev had them
  const size_t end = prev.size() - 1;
  size_t o = 0;
  for (size_t i = 0; i < d.size() && o < end; ++i) {
    if (d[i] < 0x80) {
      out[o] = uint8_t(prev[o] + 2 * d[i]);
      ++o;
    } else {
      size_t run = (d[i] & 0x7F) ? (d[i] & 0x7F) : 128;
      o += run;  // copies of prev
    }
  }
  return out;
}

// Frames of exactly pictureBytes bytes, so that the sanitizer catches any
// write past their end.
struct Frames {
  explicit Frames(int n) : prev(size_t(n)), out(size_t(n), 0x55) {
    for (int i = 0; i < n; ++i) prev[size_t(i)] = uint8_t(i * 7 + 3);
  }
  void Decode(const std::vector<uint8_t>& stream) {
    DecodeDelta(prev.data(), stream.data(), stream.size(), out.data(), int(prev.size()));
  }
  std::vector<uint8_t> prev, out;
};

TEST(DeltaCodes, CopyRunLengths) {
  Frames f(300);
  f.Decode({0x80, 0x01, 0xFF, 0x01});  // 128 copied, +2, 127 copied, +2
  for (int i = 0; i < 128; ++i) EXPECT_EQ(f.out[size_t(i)], f.prev[size_t(i)]) << i;
  EXPECT_EQ(f.out[128], uint8_t(f.prev[128] + 2));
  for (int i = 129; i < 256; ++i) EXPECT_EQ(f.out[size_t(i)], f.prev[size_t(i)]) << i;
  EXPECT_EQ(f.out[256], uint8_t(f.prev[256] + 2));
}

TEST(DeltaCodes, LiteralsAddTwiceTheCodeModulo256) {
  Frames f(4);
  f.prev = {10, 1, 255, 99};
  f.Decode({0x01, 0x7F, 0x01});
  EXPECT_EQ(f.out[0], 12);   // +2
  EXPECT_EQ(f.out[1], 255);  // +254, that is -2
  EXPECT_EQ(f.out[2], 1);    // wraps
  EXPECT_EQ(f.out[3], 99);   // last byte: the previous frame's
}

TEST(DeltaCodes, LastByteIsThePreviousFramesLastByte) {
  Frames f(10);
  f.Decode(std::vector<uint8_t>(20, 0x05));  // more codes than bytes
  for (int i = 0; i < 9; ++i) EXPECT_EQ(f.out[size_t(i)], uint8_t(f.prev[size_t(i)] + 10));
  EXPECT_EQ(f.out[9], f.prev[9]);
}

TEST(DeltaCodes, StreamEndingEarlyLeavesTheRestAsBefore) {
  Frames f(200);
  const std::vector<uint8_t> stream{0x03, 0x03, 0x03};
  f.Decode(stream);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(f.out[size_t(i)], uint8_t(f.prev[size_t(i)] + 6));
  for (int i = 3; i < 200; ++i) EXPECT_EQ(f.out[size_t(i)], f.prev[size_t(i)]) << i;
  DecodeDelta(f.prev.data(), nullptr, 0, f.out.data(), 200);
  EXPECT_EQ(f.out, f.prev);
}

TEST(DeltaCodes, CopyRunPastTheEndIsCut) {
  for (int n : {5, 100, 128, 129, 130, 200}) {
    Frames f(n);
    f.Decode({0x02, 0x80, 0x80, 0x80});
    EXPECT_EQ(f.out[0], uint8_t(f.prev[0] + 4)) << n;
    for (int i = 1; i < n; ++i) EXPECT_EQ(f.out[size_t(i)], f.prev[size_t(i)]) << n << " at " << i;
  }
}

TEST(DeltaCodes, MatchesTheReferenceOnRandomStreams) {
  std::mt19937 rng(7);
  for (int round = 0; round < 300; ++round) {
    const int n = 1 + int(rng() % 700);
    std::vector<uint8_t> prev(static_cast<size_t>(n));
    for (auto& b : prev) b = uint8_t(rng());
    // Long literal stretches exercise the eight-at-a-time path; copies of
    // every length the short one.
    std::vector<uint8_t> stream;
    const size_t len = rng() % 400;
    while (stream.size() < len) {
      if (rng() % 3) {
        for (int k = int(rng() % 20); k > 0; --k) stream.push_back(uint8_t(rng() & 0x7F));
      } else {
        stream.push_back(uint8_t(0x80 | rng()));
      }
    }
    std::vector<uint8_t> out(size_t(n), 0xA5);
    DecodeDelta(prev.data(), stream.data(), stream.size(), out.data(), n);
    ASSERT_EQ(out, ReferenceDecode(prev, stream)) << "round " << round;
  }
}

}  // namespace
