#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "decode/delta_decoder.h"
#include "mkcard/mkcard.h"
#include "reference_reader.h"

namespace {

using reference::Bytes;

Bytes Random(std::mt19937& rng, std::size_t n) {
  Bytes b(n);
  for (auto& v : b) v = uint8_t(rng());
  return b;
}

Bytes Decode(const Bytes& prev, const Bytes& codes) { return reference::DecodeDelta(prev, codes.data(), codes.size()); }

TEST(DeltaEncode, EvenDifferencesComeBackExactlyExceptTheLastByte) {
  std::mt19937 rng(5);
  for (std::size_t n : {2u, 3u, 129u, 130u, 1000u, 19200u}) {
    const Bytes prev = Random(rng, n);
    Bytes next = prev;
    for (std::size_t i = 0; i < n; ++i)
      if (rng() % 3 == 0) next[i] = uint8_t(prev[i] + 2 * (rng() % 128));
    const Bytes codes = mkcard::DeltaEncode(prev.data(), next.data(), int(n));
    const Bytes out = Decode(prev, codes);
    EXPECT_TRUE(std::equal(out.begin(), out.end() - 1, next.begin())) << n;
    EXPECT_EQ(out.back(), prev.back()) << "the stream never produces the last byte";
    EXPECT_EQ(out, mkcard::DecodeResult(prev.data(), next.data(), int(n)));
  }
}

TEST(DeltaEncode, OddDifferencesLandOneBelowOrAt1ForBlackAndDecodeResultSaysSo) {
  std::mt19937 rng(9);
  const Bytes prev = Random(rng, 4096), next = Random(rng, 4096);
  const Bytes out = Decode(prev, mkcard::DeltaEncode(prev.data(), next.data(), 4096));
  EXPECT_EQ(out, mkcard::DecodeResult(prev.data(), next.data(), 4096));
  int black = 0;
  for (std::size_t i = 0; i + 1 < out.size(); ++i) {
    const bool odd = (next[i] - prev[i]) & 1;
    const int want = !odd ? next[i] : next[i] > 0 ? next[i] - 1 : 1;
    ASSERT_EQ(out[i], want) << i << ": " << int(prev[i]) << " -> " << int(next[i]);
    black += odd && next[i] == 0;
  }
  EXPECT_GT(black, 0) << "the random pictures should hold odd steps to 0";
}

// Every step from any byte value to any other, decoded by the viewer's own
// decoder: position i goes from i / 256 to i % 256, so 255 -> 0, 0 -> 255,
// 254 -> 1 and 1 -> 254 are among them. Each rebuilt byte is within 1 of the
// drawn one in plain distance, and DecodeResult is exactly what came out.
TEST(DeltaEncode, EveryStepComesBackWithin1ThroughTheViewersDecoder) {
  const int n = 65536 + 1;  // the last byte is never produced by the stream
  Bytes prev(n, 0), next(n, 0);
  for (int i = 0; i < 65536; ++i) prev[std::size_t(i)] = uint8_t(i / 256), next[std::size_t(i)] = uint8_t(i % 256);
  const Bytes codes = mkcard::DeltaEncode(prev.data(), next.data(), n);
  for (uint8_t b : codes) ASSERT_NE(b, 0x00) << "a literal 0 is never written: unchanged bytes are runs";
  Bytes out(n + 128, 0xAA);
  quovil::DecodeDelta(prev.data(), codes.data(), codes.size(), out.data(), n);
  out.resize(n);
  EXPECT_EQ(out, mkcard::DecodeResult(prev.data(), next.data(), n));
  EXPECT_EQ(out, Decode(prev, codes));
  for (int i = 0; i < 65536; ++i)
    ASSERT_LE(std::abs(int(out[std::size_t(i)]) - int(next[std::size_t(i)])), 1)
        << int(prev[std::size_t(i)]) << " -> " << int(next[std::size_t(i)]) << " came back as " << int(out[std::size_t(i)]);
  auto step = [&](int from, int to) { return int(out[std::size_t(from * 256 + to)]); };
  EXPECT_EQ(step(255, 0), 1);
  EXPECT_EQ(step(0, 255), 254);
  EXPECT_EQ(step(254, 1), 0);
  EXPECT_EQ(step(1, 254), 253);
  EXPECT_EQ(step(255, 255), 255);
  EXPECT_EQ(step(0, 254), 254);  // code 0x7F
  EXPECT_EQ(step(254, 0), 0);    // code 0x01: 254 + 2 wraps to 0
}

// A white clock digit drawn black in the next frame, and back, over a group:
// the rebuilt pictures follow the drawn ones instead of staying white.
TEST(DeltaEncode, WhiteToBlackAndBackOverAGroup) {
  const int n = 64;
  Bytes drawn(n, 255), rebuilt(n, 255);
  std::mt19937 rng(4);
  for (int frame = 1; frame < 64; ++frame) {
    for (auto& v : drawn) v = (rng() & 1) ? 255 : 0;
    drawn[0] = frame & 1 ? 0 : 255;
    const Bytes codes = mkcard::DeltaEncode(rebuilt.data(), drawn.data(), n);
    const Bytes predicted = mkcard::DecodeResult(rebuilt.data(), drawn.data(), n);
    Bytes out(n + 128, 0);
    quovil::DecodeDelta(rebuilt.data(), codes.data(), codes.size(), out.data(), n);
    out.resize(n);
    ASSERT_EQ(out, predicted) << "frame " << frame;
    for (int i = 0; i + 1 < n; ++i)
      ASSERT_LE(std::abs(int(out[std::size_t(i)]) - int(drawn[std::size_t(i)])), 1) << "frame " << frame << ", byte " << i;
    rebuilt = out;
  }
}

TEST(DeltaEncode, RunsAreAtMost128AndTheStreamEndsExactlyAtTheLastButOneByte) {
  const Bytes same(1000, 77);
  const Bytes codes = mkcard::DeltaEncode(same.data(), same.data(), 1000);
  // 999 bytes: seven runs of 128 (code 0x80) and one of 103.
  ASSERT_EQ(codes.size(), 8u);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(codes[std::size_t(i)], 0x80);
  EXPECT_EQ(codes[7], 0x80 | 103);

  Bytes next = same;
  next[127] = 79;  // +2 after a run of 127
  const Bytes c2 = mkcard::DeltaEncode(same.data(), next.data(), 1000);
  EXPECT_EQ(c2[0], 0xFF);
  EXPECT_EQ(c2[1], 0x01);
  int produced = 0;
  for (uint8_t b : c2) produced += b < 0x80 ? 1 : ((b & 0x7F) ? (b & 0x7F) : 128);
  EXPECT_EQ(produced, 999);
}

TEST(DeltaEncode, TinyPicturesNeedNoCodes) {
  const uint8_t a = 3, b = 9;
  EXPECT_TRUE(mkcard::DeltaEncode(&a, &b, 1).empty());
  EXPECT_EQ(mkcard::DecodeResult(&a, &b, 1), Bytes{3});
  const uint8_t p2[2] = {0, 0}, n2[2] = {254, 1};
  EXPECT_EQ(mkcard::DeltaEncode(p2, n2, 2), Bytes{0x7F});  // 0x7F adds 254
}

TEST(Nmea, ChecksumIsTheXorBetweenDollarAndStar) {
  EXPECT_EQ(mkcard::NmeaSentence("GPVTG,054.7,T,034.4,M,005.5,N,010.2,K"), "$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48");
}

}  // namespace
