#include "mkcard/mkcard.h"

#include <cstdio>

#include "mkcard/recorder.h"

namespace mkcard {

std::vector<uint8_t> MakeCard(const Options& options, Recorded* truth) {
  Recorded local;
  Recorded& t = truth ? *truth : local;
  t = Recorded{};
  t.format = options.format;
  detail::Image img;
  switch (options.format) {
    case 0: detail::MakeFormat0(options, img, t); break;
    case 1: detail::MakeFormat1(options, img, t); break;
    default:
      t.format = 2;
      detail::MakeFormat2(options, img, t);
      break;
  }
  t.pictureBytes = t.width * t.height;
  // Whole sectors, as a device would have.
  std::vector<uint8_t> bytes = img.Take();
  bytes.resize(std::size_t(quovil::RoundToSector(int64_t(bytes.size()))), 0);
  return bytes;
}

Recorded WriteCard(const Options& options, const std::string& path) {
  Recorded truth;
  const std::vector<uint8_t> bytes = MakeCard(options, &truth);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  bool ok = f != nullptr;
  if (ok) ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (f && std::fclose(f) != 0) ok = false;
  if (!ok) truth.format = -1;
  return truth;
}

}  // namespace mkcard
