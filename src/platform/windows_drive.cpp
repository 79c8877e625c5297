// \\.\PHYSICALDRIVEn on Windows. Raw disks only take whole sectors at sector
// offsets, so other requests go through a sector-aligned bounce buffer.
#ifdef _WIN32

#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <vector>

#include "platform/block_device.h"

namespace quovil {

namespace {

constexpr uint64_t kSector = 512;

class PhysicalDrive : public BlockDevice {
 public:
  PhysicalDrive(HANDLE h, std::string name) : h_(h), name_(std::move(name)) {
    DWORD ret = 0;
    // Lets reads reach past the end of the first partition; refusal is harmless.
    DeviceIoControl(h_, FSCTL_ALLOW_EXTENDED_DASD_IO, nullptr, 0, nullptr, 0, &ret, nullptr);
  }
  ~PhysicalDrive() override { CloseHandle(h_); }

  bool Read(uint64_t offset, void* buf, std::size_t n) override {
    if (offset % kSector == 0 && n % kSector == 0) return Raw(offset, buf, n, false);
    uint64_t start = offset / kSector * kSector;
    uint64_t end = (offset + n + kSector - 1) / kSector * kSector;
    std::vector<uint8_t> tmp(size_t(end - start));
    if (!Raw(start, tmp.data(), tmp.size(), false)) return false;
    std::memcpy(buf, tmp.data() + (offset - start), n);
    return true;
  }
  bool Write(uint64_t offset, const void* buf, std::size_t n) override {
    if (offset % kSector != 0 || n % kSector != 0) return false;
    return Raw(offset, const_cast<void*>(buf), n, true);
  }
  int64_t Length() override {
    GET_LENGTH_INFORMATION info{};
    DWORD ret = 0;
    if (!DeviceIoControl(h_, IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &info, sizeof info, &ret, nullptr)) return -1;
    return int64_t(info.Length.QuadPart);
  }
  bool Removable() override {
    DISK_GEOMETRY g{};
    DWORD ret = 0;
    if (!DeviceIoControl(h_, IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &g, sizeof g, &ret, nullptr)) return false;
    return g.MediaType == RemovableMedia;  // 11
  }
  bool Present() override { return Removable(); }
  std::string Name() const override { return name_; }

 private:
  bool Raw(uint64_t offset, void* buf, std::size_t n, bool write) {
    auto* p = static_cast<uint8_t*>(buf);
    while (n > 0) {
      OVERLAPPED ov{};
      ov.Offset = DWORD(offset);
      ov.OffsetHigh = DWORD(offset >> 32);
      DWORD chunk = n > 0x10000000 ? 0x10000000 : DWORD(n), done = 0;
      BOOL ok = write ? WriteFile(h_, p, chunk, &done, &ov) : ReadFile(h_, p, chunk, &done, &ov);
      if (!ok || done == 0) return false;
      p += done;
      offset += done;
      n -= done;
    }
    return true;
  }

  HANDLE h_;
  std::string name_;
};

}  // namespace

std::unique_ptr<BlockDevice> OpenPhysicalDrive(int n) {
  std::string name = "\\\\.\\PHYSICALDRIVE" + std::to_string(n);
  HANDLE h = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<PhysicalDrive>(h, name);
}

}  // namespace quovil

#endif  // _WIN32
