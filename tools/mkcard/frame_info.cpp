// Frame information blocks: sensor readings and GPS sentences of one second,
// along a route driven at changing speed.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "mkcard/recorder.h"

namespace mkcard {

std::string NmeaSentence(const std::string& body) {
  uint8_t x = 0;
  for (char c : body) x ^= uint8_t(c);
  return "$" + body + quovil::Format("*%02X", x);
}

namespace detail {

namespace {

std::string LatText(double deg) {
  const int d = int(deg);
  return quovil::Format("%02d%07.4f", d, (deg - d) * 60);
}

std::string LonText(double deg) {
  const int d = int(deg);
  return quovil::Format("%03d%07.4f", d, (deg - d) * 60);
}

std::string GpsText(const Shot& s, uint32_t seed, std::string* speedField) {
  const int sec = s.second + int(seed % 600);
  const double kmh = 30 + (sec * 7 % 400) / 10.0;
  const double course = std::fmod(45 + sec / 10.0, 360.0);
  const double rad = course * std::numbers::pi / 180;
  const double lat = 55.75 + sec * 0.00012 * std::cos(rad);
  const double lon = 37.62 + sec * 0.0002 * std::sin(rad);
  const auto& t = s.time;
  const std::string hms = quovil::Format("%02d%02d%02d.00", t.hour, t.minute, t.second);
  const std::string knots = quovil::Format("%05.1f", kmh / 1.852);
  *speedField = quovil::Format("%05.1f", kmh);
  const std::string rmc = quovil::Format("GPRMC,%s,A,%s,N,%s,E,%s,%05.1f,%02d%02d%02d,,,A", hms.c_str(),
                                         LatText(lat).c_str(), LonText(lon).c_str(), knots.c_str(), course, t.day,
                                         t.month, t.year % 100);
  const std::string gga = quovil::Format("GPGGA,%s,%s,N,%s,E,1,08,0.9,150.0,M,14.0,M,,", hms.c_str(),
                                         LatText(lat).c_str(), LonText(lon).c_str());
  const std::string vtg = quovil::Format("GPVTG,%05.1f,T,%05.1f,M,%s,N,%s,K,A", course, std::fmod(course + 349.5, 360.0),
                                         knots.c_str(), speedField->c_str());
  return NmeaSentence(rmc) + "\r\n" + NmeaSentence(gga) + "\r\n" + NmeaSentence(vtg) + "\r\n";
}

// Appends one record: [u16 length][type][payload][one trailing byte].
void AppendRecord(std::vector<uint8_t>& out, uint8_t type, const uint8_t* payload, std::size_t n) {
  const std::size_t at = out.size();
  out.resize(at + n + 4, 0);
  quovil::PutU16(&out[at], uint16_t(n + 4));
  out[at + 2] = type;
  std::copy_n(payload, n, &out[at + 3]);
}

}  // namespace

InfoBlock MakeInfoBlock(const Options& o, const Shot& s, uint32_t seed) {
  InfoBlock b;
  if (o.sensors) {
    const int sec = s.second;
    b.hasSensor = true;
    const bool inputOff = (sec / 45) % 7 == 6;
    b.uin = inputOff ? 0 : uint16_t(133 + (sec + int(seed)) % 11);
    b.uakb = uint16_t(36 + (sec / 20 + int(seed)) % 8);
    b.status = uint8_t((b.uakb < 38 ? 0x02 : 0) | (inputOff ? 0x04 : 0) | ((sec / 60) % 4 != 3 ? 0x08 : 0));
    uint8_t payload[9] = {b.status, 0, 0, 0x5A, 0x00, 0, 0, 0x00, 0x00};
    quovil::PutU16(&payload[1], b.uin);
    quovil::PutU16(&payload[5], b.uakb);
    AppendRecord(b.bytes, 0x0A, payload, sizeof payload);
  }
  if (o.gps) {
    b.gps = GpsText(s, seed, &b.speed);
    AppendRecord(b.bytes, 0x0B, reinterpret_cast<const uint8_t*>(b.gps.data()), b.gps.size());
  }
  if (!b.bytes.empty()) b.bytes.resize(std::size_t(quovil::RoundToSector(int64_t(b.bytes.size()))), 0);
  return b;
}

}  // namespace detail
}  // namespace mkcard
