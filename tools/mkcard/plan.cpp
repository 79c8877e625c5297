// Recording plan: which camera takes each picture, why and when.
#include <algorithm>

#include "mkcard/recorder.h"

namespace mkcard::detail {

uint32_t Rng::Next() {
  uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return uint32_t((z ^ (z >> 31)) >> 16);
}

uint8_t* Image::At(uint64_t offset, std::size_t n) {
  if (offset + n > bytes_.size()) bytes_.resize(offset + n, 0);
  return bytes_.data() + offset;
}

void Image::Fill(uint64_t offset, std::size_t n, uint8_t value) {
  std::fill_n(At(offset, n), n, value);
}

namespace {

// Days since 2000-01-01 of a civil date (proleptic Gregorian).
int64_t DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468 - 10957;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468 + 10957;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = int(doy - (153 * mp + 2) / 5 + 1);
  m = int(mp < 10 ? mp + 3 : mp - 9);
  y = int(yoe + era * 400 + (m <= 2));
}

}  // namespace

quovil::TimeStamp AddSeconds(const quovil::TimeStamp& t, int64_t seconds) {
  int64_t total = DaysFromCivil(2000 + t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
  total += seconds;
  int64_t days = total >= 0 ? total / 86400 : -((-total + 86399) / 86400);
  const int64_t rest = total - days * 86400;
  int y, m, d;
  CivilFromDays(days, y, m, d);
  quovil::TimeStamp r;
  r.day = uint8_t(d);
  r.month = uint8_t(m);
  r.year = uint8_t(std::clamp(y - 2000, 0, 255));
  r.hour = uint8_t(rest / 3600);
  r.minute = uint8_t(rest / 60 % 60);
  r.second = uint8_t(rest % 60);
  return r;
}

std::vector<Shot> PlanShots(const Options& o, int count, const quovil::TimeStamp& start, bool longKinds) {
  static constexpr uint8_t kShortKinds[] = {0x02, 0x04, 0x08, 0x10};
  static constexpr uint8_t kLongKinds[] = {0x00, 0x04, 0x08, 0x10, 0x20};
  Rng rng(o.seed * 31u + 7u);
  const int fps = std::max(1, o.framesPerSecond);
  const int cams = o.bothCameras ? 2 : 1;
  const int base = std::clamp((100 * cams + fps / 2) / fps, 1, 255);

  std::vector<Shot> shots(std::size_t(std::max(0, count)));
  int camera = o.bothCameras ? 0 : (o.camera & 1);
  int runLeft = 1 + rng.Below(3);
  int segmentLeft = 0;
  int segment = 0;
  uint8_t kind = o.kind;
  for (int k = 0; k < count; ++k) {
    if (segmentLeft == 0) {
      segmentLeft = 8 + rng.Below(24);
      if (o.allKinds) {
        kind = longKinds ? kLongKinds[segment % 5] : kShortKinds[segment % 4];
        if (!longKinds && segment % 3 == 2) kind |= 0x20;
      }
      ++segment;
    }
    --segmentLeft;
    Shot& s = shots[std::size_t(k)];
    s.camera = camera;
    s.kind = kind;
    s.second = k / fps;
    s.time = AddSeconds(start, s.second);
    s.firstOfSecond = k % fps == 0;
    s.lastOfSecond = k % fps == fps - 1 || k == count - 1;
    s.interval = std::clamp(base + rng.Below(5) - 2, 1, 255);
    if (o.bothCameras && --runLeft == 0) {
      camera ^= 1;
      runLeft = 1 + rng.Below(3);
    }
  }
  return shots;
}

void FillFrame(Frame& f, const Shot& s, uint8_t flag) {
  f.camera = s.camera;
  f.flag = flag;
  f.time = s.time;
  f.frameInterval = uint8_t(s.interval);
}

}  // namespace mkcard::detail
