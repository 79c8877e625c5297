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

bool Every(int every, int second) { return every > 0 && second % every == every - 1; }

// What the receiver says in one second.
enum class Fix { Good, BadChecksum, NoFix };

std::string Broken(std::string sentence) {
  char& last = sentence.back();
  last = last == '0' ? '1' : '0';
  return sentence;
}

std::string GpsText(const Shot& s, uint32_t seed, Fix fix, int clockOffset, InfoBlock& b) {
  const int sec = s.second + int(seed % 600);
  const double kmh = 30 + (sec * 7 % 400) / 10.0;
  const double course = std::fmod(45 + sec / 10.0, 360.0);
  const double rad = course * std::numbers::pi / 180;
  const double lat = 55.75 + sec * 0.00012 * std::cos(rad);
  const double lon = 37.62 + sec * 0.0002 * std::sin(rad);
  // The receiver's clock: the recorder's plus the offset set for the card.
  const quovil::TimeStamp t = AddSeconds(s.time, clockOffset);
  const std::string hms = quovil::Format("%02d%02d%02d.00", t.hour, t.minute, t.second);
  const std::string knots = quovil::Format("%05.1f", kmh / 1.852);
  b.speed = quovil::Format("%05.1f", kmh);
  const bool valid = fix != Fix::NoFix;
  const std::string rmc = quovil::Format("GPRMC,%s,%s,%s,N,%s,E,%s,%05.1f,%02d%02d%02d,,,%s", hms.c_str(),
                                         valid ? "A" : "V", LatText(lat).c_str(), LonText(lon).c_str(), knots.c_str(),
                                         course, t.day, t.month, t.year % 100, valid ? "A" : "N");
  const std::string gga = quovil::Format("GPGGA,%s,%s,N,%s,E,%d,08,0.9,150.0,M,14.0,M,,", hms.c_str(),
                                         LatText(lat).c_str(), LonText(lon).c_str(), valid ? 1 : 0);
  const std::string vtg = quovil::Format("GPVTG,%05.1f,T,%05.1f,M,%s,N,%s,K,%s", course,
                                         std::fmod(course + 349.5, 360.0), knots.c_str(), b.speed.c_str(),
                                         valid ? "A" : "N");
  const bool broken = fix == Fix::BadChecksum;
  b.position = fix == Fix::Good;
  b.speedValid = b.courseValid = valid;
  b.lat = lat, b.lon = lon, b.kmh = kmh, b.course = course;
  const auto sentence = [&](const std::string& body, bool bad) {
    return (bad ? Broken(NmeaSentence(body)) : NmeaSentence(body)) + "\r\n";
  };
  return sentence(rmc, broken) + sentence(gga, broken) + sentence(vtg, false);
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

bool CarriesInfo(const Options& o, const Shot& s) {
  if (Every(o.infoGapEvery, s.second)) return false;
  return o.lateInfo && s.second % 2 == 1 ? s.lastOfSecond : s.firstOfSecond;
}

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
    const Fix fix = Every(o.badChecksumEvery, s.second)  ? Fix::BadChecksum
                    : Every(o.invalidFixEvery, s.second) ? Fix::NoFix
                                                         : Fix::Good;
    b.gps = GpsText(s, seed, fix, o.gpsClockOffset, b);
    AppendRecord(b.bytes, 0x0B, reinterpret_cast<const uint8_t*>(b.gps.data()), b.gps.size());
  }
  if (!b.bytes.empty()) b.bytes.resize(std::size_t(quovil::RoundToSector(int64_t(b.bytes.size()))), 0);
  return b;
}

}  // namespace detail
}  // namespace mkcard
