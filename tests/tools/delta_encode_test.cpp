#include <gtest/gtest.h>

#include <random>

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

TEST(DeltaEncode, OddDifferencesLandOneShortAndDecodeResultSaysSo) {
  std::mt19937 rng(9);
  const Bytes prev = Random(rng, 4096), next = Random(rng, 4096);
  const Bytes out = Decode(prev, mkcard::DeltaEncode(prev.data(), next.data(), 4096));
  EXPECT_EQ(out, mkcard::DecodeResult(prev.data(), next.data(), 4096));
  for (std::size_t i = 0; i + 1 < out.size(); ++i) ASSERT_EQ(uint8_t(next[i] - out[i]), (next[i] - prev[i]) & 1) << i;
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
