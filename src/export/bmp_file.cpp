#include "export/bmp_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "card/korax.h"
#include "platform/checksum_file.h"
#include "platform/file_guard.h"

namespace quovil {

namespace {
constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kPaletteBytes = 256 * 4;
}  // namespace

std::vector<uint8_t> GreyBmpBytes(const Picture8& pic) {
  const uint32_t w = uint32_t(std::max(pic.width, 0)), h = uint32_t(std::max(pic.height, 0));
  const uint32_t rowBytes = (w + 3) & ~3u;
  const uint32_t bits = kFileHeaderBytes + kInfoHeaderBytes + kPaletteBytes;
  std::vector<uint8_t> f(bits + size_t(rowBytes) * h, 0);
  uint8_t* p = f.data();
  p[0] = 'B';
  p[1] = 'M';
  PutU32(p + 2, uint32_t(f.size()));
  PutU32(p + 10, bits);
  p += kFileHeaderBytes;
  PutU32(p, kInfoHeaderBytes);
  PutU32(p + 4, w);
  PutU32(p + 8, h);  // positive: bottom row first
  PutU16(p + 12, 1);
  PutU16(p + 14, 8);
  PutU32(p + 20, rowBytes * h);
  PutU32(p + 32, 256);  // colours used
  p += kInfoHeaderBytes;
  for (int i = 0; i < 256; ++i, p += 4) p[0] = p[1] = p[2] = uint8_t(i);
  for (uint32_t y = 0; y < h; ++y) std::memcpy(p + size_t(y) * rowBytes, pic.Row(int(h - 1 - y)), w);
  return f;
}

bool WriteGreyBmp(const std::string& path, const Picture8& pic, std::string* error) {
  const std::vector<uint8_t> bytes = GreyBmpBytes(pic);
  std::string why;
  FILE* f = CreateOutputFile(path, why);
  if (!f) {
    if (error) *error = why;
    return false;
  }
  errno = 0;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (std::fclose(f) != 0) ok = false;
  if (!ok && error) *error = path + ": " + std::strerror(errno ? errno : EIO);
  return ok && SealExport(path, error);
}

}  // namespace quovil
