// POSIX truncate() takes a 32-bit off_t on Windows, and a plain extension
// there writes zeros up to the new end, so Windows marks the file sparse first.
#include "sparse_file.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#include <winioctl.h>

#include "platform/utf8_file.h"
#else
#include <unistd.h>
#endif

namespace quovil::test {

bool MakeSparse(const std::string& path, uint64_t length) {
#ifdef _WIN32
  HANDLE h = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD ret = 0;
  // Not every file system has sparse files; the length is set regardless.
  DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ret, nullptr);
  LARGE_INTEGER end;
  end.QuadPart = LONGLONG(length);
  const bool ok = SetFilePointerEx(h, end, nullptr, FILE_BEGIN) && SetEndOfFile(h);
  CloseHandle(h);
  return ok;
#else
  return truncate(path.c_str(), off_t(length)) == 0;
#endif
}

void ExpectFarOffsetsRoundTrip(BlockDevice& dev) {
  const uint64_t high = (uint64_t(5) << 30) + 12345;
  const uint8_t data[4] = {9, 8, 7, 6};
  ASSERT_TRUE(dev.Write(high, data, 4));
  uint8_t back[4] = {};
  ASSERT_TRUE(dev.Read(high, back, 4));
  EXPECT_EQ(back[2], 7);
  // The same place 4 GiB lower was never written.
  ASSERT_TRUE(dev.Read(high - (uint64_t(1) << 32), back, 4));
  EXPECT_EQ(back[2], 0);
}

}  // namespace quovil::test
