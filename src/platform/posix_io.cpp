#include "platform/posix_io.h"

#ifndef _WIN32
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace quovil {

bool PReadAll(int fd, uint64_t offset, void* buf, std::size_t n) {
  auto* p = static_cast<uint8_t*>(buf);
  while (n > 0) {
    if (offset > uint64_t(INT64_MAX)) return false;
    ssize_t got = pread(fd, p, n, off_t(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    p += got;
    offset += uint64_t(got);
    n -= size_t(got);
  }
  return true;
}

bool PWriteAll(int fd, uint64_t offset, const void* buf, std::size_t n) {
  const auto* p = static_cast<const uint8_t*>(buf);
  while (n > 0) {
    if (offset > uint64_t(INT64_MAX)) return false;
    ssize_t put = pwrite(fd, p, n, off_t(offset));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    p += put;
    offset += uint64_t(put);
    n -= size_t(put);
  }
  return true;
}

}  // namespace quovil
#endif
