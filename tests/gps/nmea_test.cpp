// NMEA checksums and the fields the route export takes from recorded text.
#include <gtest/gtest.h>

#include "gps/nmea.h"

namespace quovil {
namespace {

TEST(NmeaChecksum, XorBetweenDollarAndStar) {
  EXPECT_EQ(NmeaWithChecksum("GPVTG,,,,,,,,,N"), "$GPVTG,,,,,,,,,N*30");
  EXPECT_TRUE(NmeaChecksumOk("$GPVTG,,,,,,,,,N*30"));
  EXPECT_TRUE(NmeaChecksumOk("$GPVTG,,,,,,,,,A*3F"));
  EXPECT_TRUE(NmeaChecksumOk("$GPVTG,,,,,,,,,A*3f"));  // hex digits of either case
}

TEST(NmeaChecksum, RejectsWrongMissingOrTrailing) {
  EXPECT_FALSE(NmeaChecksumOk("$GPVTG,,,,,,,,,N*31"));
  EXPECT_FALSE(NmeaChecksumOk("$GPVTG,,,,,,,,,A*30"));  // one changed character
  EXPECT_FALSE(NmeaChecksumOk("$GPVTG,,,,,,,,,N"));
  EXPECT_FALSE(NmeaChecksumOk("$GPVTG,,,,,,,,,N*3"));
  EXPECT_FALSE(NmeaChecksumOk("$GPVTG,,,,,,,,,N*30X"));
  EXPECT_FALSE(NmeaChecksumOk("$GPVTG,,,,,,,,,N*G0"));
  EXPECT_FALSE(NmeaChecksumOk("GPVTG,,,,,,,,,N*30"));
  EXPECT_FALSE(NmeaChecksumOk("$*"));
}

TEST(NmeaSentences, SplitsAtLineEndsAndDollars) {
  const auto s = NmeaSentences("junk$A*00\r\n$B*00$C*00\n");
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(s[0], "$A*00");
  EXPECT_EQ(s[1], "$B*00");
  EXPECT_EQ(s[2], "$C*00");
  EXPECT_TRUE(NmeaSentences("no sentence").empty());
}

TEST(ParseGpsText, RmcGgaVtg) {
  const std::string text = NmeaWithChecksum("GPRMC,123456.00,A,5545.0000,N,03737.2000,E,010.0,045.0,150624,,,A") +
                           "\r\n" + NmeaWithChecksum("GPVTG,045.0,T,034.5,M,010.0,N,018.5,K,A") + "\r\n";
  const GpsFix f = ParseGpsText(text);
  ASSERT_TRUE(f.hasPosition);
  EXPECT_NEAR(f.lat, 55.75, 1e-9);
  EXPECT_NEAR(f.lon, 37.62, 1e-9);
  EXPECT_TRUE(f.hasTime && f.hasDate);
  EXPECT_EQ(f.hour * 10000 + f.minute * 100 + int(f.second), 123456);
  EXPECT_EQ(f.year * 10000 + f.month * 100 + f.day, 20240615);
  ASSERT_TRUE(f.hasSpeed);
  EXPECT_DOUBLE_EQ(f.speedKmh, 18.5);  // VTG's km/h rather than RMC's knots
}

TEST(ParseGpsText, IgnoresBadChecksumsInvalidFixesAndSouthWest) {
  std::string bad = NmeaWithChecksum("GPRMC,123456.00,A,5545.0000,N,03737.2000,E,010.0,045.0,150624,,,A");
  bad[bad.size() - 1] = bad[bad.size() - 1] == '0' ? '1' : '0';
  EXPECT_FALSE(ParseGpsText(bad).hasPosition);
  EXPECT_FALSE(ParseGpsText(NmeaWithChecksum("GPRMC,123456.00,V,5545.0000,N,03737.2000,E,,,150624,,,N")).hasPosition);
  EXPECT_FALSE(ParseGpsText(NmeaWithChecksum("GPGGA,123456.00,5545.0000,N,03737.2000,E,0,00,,,M,,M,,")).hasPosition);
  EXPECT_FALSE(ParseGpsText("$GPVTG,,,,,,,,,N*30").hasSpeed);
  EXPECT_FALSE(ParseGpsText(NmeaWithChecksum("GPGGA,123456.00,5599.0000,N,03737.2000,E,1,08,,,M,,M,,")).hasPosition);
  const GpsFix sw = ParseGpsText(NmeaWithChecksum("GPGGA,000000,3330.0000,S,07030.0000,W,1,08,,,M,,M,,"));
  ASSERT_TRUE(sw.hasPosition);
  EXPECT_NEAR(sw.lat, -33.5, 1e-9);
  EXPECT_NEAR(sw.lon, -70.5, 1e-9);
  EXPECT_FALSE(sw.hasDate);
}

}  // namespace
}  // namespace quovil
