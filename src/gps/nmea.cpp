#include "gps/nmea.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <system_error>

namespace quovil {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The comma-separated fields between '$' and '*', in place. Fields past the
// last one any sentence read here needs are not kept.
struct Fields {
  static constexpr size_t kMax = 24;
  std::array<std::string_view, kMax> f;
  size_t count = 0;

  explicit Fields(std::string_view sentence) {
    const size_t star = sentence.find('*');
    const std::string_view body =
        sentence.substr(1, star == std::string_view::npos ? std::string_view::npos : star - 1);
    size_t at = 0;
    for (size_t i = 0; i < body.size() && count + 1 < kMax; ++i) {
      if (body[i] != ',') continue;
      f[count++] = body.substr(at, i - at);
      at = i + 1;
    }
    f[count++] = body.substr(at, body.find(',', at) - at);
  }
  size_t size() const { return count; }
  std::string_view operator[](size_t i) const { return f[i]; }
};

// A number field; false when empty or not wholly a number. from_chars reads
// "12.5" alike in every locale, where strtod would stop at the point under a
// locale whose decimal separator is a comma.
bool Number(std::string_view field, double& out) {
  if (field.empty() || field.size() > 32) return false;
  // Plain decimals of up to 15 digits, as NMEA writes them: the digits as a
  // whole number divided by a power of ten is the nearest double, the same
  // as from_chars gives, in a fraction of its time.
  static constexpr double kTens[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  uint64_t digits = 0;
  int count = 0, decimals = -1;
  for (const char c : field) {
    if (c >= '0' && c <= '9') {
      digits = digits * 10 + uint64_t(c - '0');
      ++count;
      if (decimals >= 0) ++decimals;
    } else if (c == '.' && decimals < 0) {
      decimals = 0;
    } else {
      count = 99;  // anything else: the general reading below
      break;
    }
  }
  if (count >= 1 && count <= 15) {
    out = double(digits) / kTens[decimals < 0 ? 0 : decimals];
    return true;
  }
  const char* end = field.data() + field.size();
  const auto [ptr, ec] = std::from_chars(field.data(), end, out);
  return ec == std::errc() && ptr == end && std::isfinite(out);
}

// "ddmm.mmmm" with its hemisphere letter.
bool Coordinate(std::string_view value, std::string_view hemi, int degreeDigits, double limit, double& out) {
  double v = 0;
  if (!Number(value, v) || v < 0 || hemi.size() != 1) return false;
  const size_t dot = value.find('.');
  if ((dot == std::string_view::npos ? value.size() : dot) != size_t(degreeDigits + 2)) return false;
  const double deg = std::floor(v / 100);
  const double min = v - deg * 100;
  if (min >= 60) return false;
  out = deg + min / 60;
  if (out > limit) return false;
  if (hemi == "S" || hemi == "W") out = -out;
  else if (hemi != "N" && hemi != "E") return false;
  return true;
}

bool Time(std::string_view f, GpsFix& fix) {
  double v = 0;
  if (f.size() < 6 || !Number(f, v) || v < 0 || v >= 240000) return false;
  const int hms = int(v);
  const int h = hms / 10000, m = hms / 100 % 100;
  const double s = v - hms / 100 * 100;
  if (h > 23 || m > 59 || s >= 61) return false;
  fix.hour = h, fix.minute = m, fix.second = s, fix.hasTime = true;
  return true;
}

void Position(std::string_view lat, std::string_view ns, std::string_view lon, std::string_view ew, GpsFix& fix) {
  double a = 0, b = 0;
  if (Coordinate(lat, ns, 2, 90, a) && Coordinate(lon, ew, 3, 180, b)) fix.lat = a, fix.lon = b, fix.hasPosition = true;
}

// A course over ground in degrees; 360 is north as well.
bool Course(std::string_view field, double& out) {
  if (!Number(field, out) || out < 0 || out > 360) return false;
  if (out == 360) out = 0;
  return true;
}

void Rmc(const Fields& f, GpsFix& fix) {
  if (f.size() < 10 || f[2] != "A") return;
  Time(f[1], fix);
  Position(f[3], f[4], f[5], f[6], fix);
  double knots = 0;
  if (!fix.hasSpeed && Number(f[7], knots) && knots >= 0) fix.speedKmh = knots * 1.852, fix.hasSpeed = true;
  double course = 0;
  if (!fix.hasCourse && Course(f[8], course)) fix.course = course, fix.hasCourse = true;
  double date = 0;
  if (f[9].size() == 6 && Number(f[9], date)) {
    const int d = int(date) / 10000, m = int(date) / 100 % 100, y = int(date) % 100;
    if (d >= 1 && d <= 31 && m >= 1 && m <= 12) fix.day = d, fix.month = m, fix.year = 2000 + y, fix.hasDate = true;
  }
}

void Gga(const Fields& f, GpsFix& fix) {
  double quality = 0;
  if (f.size() < 7 || !Number(f[6], quality) || quality <= 0) return;
  if (!fix.hasTime) Time(f[1], fix);
  if (!fix.hasPosition) Position(f[2], f[3], f[4], f[5], fix);
}

void Vtg(const Fields& f, GpsFix& fix) {
  if (f.size() > 9 && f[9] == "N") return;  // mode indicator: data not valid
  double course = 0;
  if (f.size() > 1 && Course(f[1], course)) fix.course = course, fix.hasCourse = true;
  double kmh = 0;
  if (f.size() >= 8 && Number(f[7], kmh) && kmh >= 0) fix.speedKmh = kmh, fix.hasSpeed = true;
}

// Calls visit for each sentence of text, as NmeaSentences splits it: from a
// '$' to the first CR, LF or '$' after it. Found with memchr over the part up
// to the next '$' rather than a look at every character.
template <class Visit>
void ForEachSentence(std::string_view text, Visit&& visit) {
  size_t at = text.find('$');
  while (at != std::string_view::npos) {
    const size_t next = text.find('$', at + 1);
    const char* body = text.data() + at + 1;
    size_t len = (next == std::string_view::npos ? text.size() : next) - at - 1;
    if (const void* cr = std::memchr(body, '\r', len)) len = size_t(static_cast<const char*>(cr) - body);
    if (const void* lf = std::memchr(body, '\n', len)) len = size_t(static_cast<const char*>(lf) - body);
    visit(text.substr(at, len + 1));
    at = next;
  }
}

}  // namespace

uint8_t NmeaChecksum(std::string_view body) {
  // Eight characters at a time, folded at the end.
  uint64_t wide = 0;
  size_t i = 0;
  for (; i + 8 <= body.size(); i += 8) {
    uint64_t w;
    std::memcpy(&w, body.data() + i, 8);
    wide ^= w;
  }
  uint8_t sum = 0;
  for (int k = 0; k < 8; ++k) sum ^= uint8_t(wide >> (8 * k));
  for (; i < body.size(); ++i) sum ^= uint8_t(body[i]);
  return sum;
}

std::string NmeaWithChecksum(std::string_view body) {
  char tail[8];
  std::snprintf(tail, sizeof tail, "*%02X", NmeaChecksum(body));
  return "$" + std::string(body) + tail;
}

bool NmeaChecksumOk(std::string_view s) {
  // "$" body "*hh", the star the only one.
  if (s.size() < 4 || s[0] != '$' || s[s.size() - 3] != '*') return false;
  const std::string_view body = s.substr(1, s.size() - 4);
  if (body.find('*') != std::string_view::npos) return false;
  const int hi = HexDigit(s[s.size() - 2]), lo = HexDigit(s[s.size() - 1]);
  return hi >= 0 && lo >= 0 && NmeaChecksum(body) == hi * 16 + lo;
}

std::vector<std::string_view> NmeaSentences(std::string_view text) {
  std::vector<std::string_view> out;
  ForEachSentence(text, [&](std::string_view s) { out.push_back(s); });
  return out;
}

GpsFix ParseGpsText(std::string_view text) {
  GpsFix fix;
  // The sentences of the three kinds, found in one scan; a text of very many
  // sentences is scanned once a kind instead.
  constexpr size_t kKept = 8;
  std::array<std::string_view, kKept> kept;
  size_t count = 0;
  bool overflow = false;
  ForEachSentence(text, [&](std::string_view s) {
    if (s.size() < 6) return;
    const std::string_view kind = s.substr(3, 3);
    if (kind != "RMC" && kind != "GGA" && kind != "VTG") return;
    if (count < kKept) kept[count++] = s;
    else overflow = true;
  });
  // RMC first, so that its time and position are the ones kept, then GGA for
  // what RMC left open, then VTG's speed and course.
  const auto pass = [&](std::string_view kind, void (*apply)(const Fields&, GpsFix&)) {
    const auto one = [&](std::string_view s) {
      if (s.size() >= 6 && s.substr(3, 3) == kind && NmeaChecksumOk(s)) apply(Fields(s), fix);
    };
    if (overflow) ForEachSentence(text, one);
    else for (size_t i = 0; i < count; ++i) one(kept[i]);
  };
  pass("RMC", Rmc);
  if (!fix.hasTime || !fix.hasPosition) pass("GGA", Gga);
  pass("VTG", Vtg);
  return fix;
}

}  // namespace quovil
