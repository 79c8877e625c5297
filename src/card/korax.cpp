#include "card/korax.h"

#include <cstdarg>
#include <cstdio>

namespace quovil {

uint8_t ByteChecksum(const void* bytes, std::size_t n) {
  const auto* p = static_cast<const uint8_t*>(bytes);
  uint8_t sum = 0xAA;
  for (std::size_t i = 0; i < n; ++i) sum = uint8_t(sum + p[i]);
  return sum;
}

void SealRecord(void* bytes, std::size_t n) {
  if (n == 0) return;
  auto* p = static_cast<uint8_t*>(bytes);
  p[n - 1] = uint8_t(256 - ByteChecksum(p, n - 1));
}

uint16_t WordChecksum(const void* data, int64_t nbytes) {
  const auto* p = static_cast<const uint8_t*>(data);
  uint16_t sum = 0xAACC;
  while (nbytes > 0) {
    sum = uint16_t(sum + GetU16(p));
    p += 2;
    nbytes -= 2;
  }
  return sum;
}

std::string TimeStampText(const TimeStamp& t) {
  return Format("%.2d.%.2d.%.4d %.2d:%.2d:%.2d", t.day, t.month, 2000 + t.year, t.hour, t.minute, t.second);
}

std::string Format(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  char small[256];
  va_list ap2;
  va_copy(ap2, ap);
  int n = std::vsnprintf(small, sizeof small, fmt, ap);
  va_end(ap);
  std::string out;
  if (n < 0) {
    va_end(ap2);
    return out;
  }
  if (std::size_t(n) < sizeof small) {
    out.assign(small, std::size_t(n));
  } else {
    out.resize(std::size_t(n));
    std::vsnprintf(out.data(), out.size() + 1, fmt, ap2);
  }
  va_end(ap2);
  return out;
}

}  // namespace quovil
