// \\.\PHYSICALDRIVEn on Windows. A raw disk takes only whole sectors at
// sector offsets into sector-aligned memory, so every other request goes
// through an aligned bounce buffer (a write then reads the sectors it only
// partly covers and writes them back whole).
#ifdef _WIN32

#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>

#include "platform/block_device.h"
#include "platform/utf8_file.h"

namespace quovil {

namespace {

// The control codes and answer sizes the drive scan relies on.
static_assert(IOCTL_DISK_GET_DRIVE_GEOMETRY == 0x70000);
static_assert(IOCTL_DISK_GET_LENGTH_INFO == 0x7405C);
static_assert(FSCTL_ALLOW_EXTENDED_DASD_IO == 0x90083);
static_assert(sizeof(DISK_GEOMETRY) == 24 && sizeof(GET_LENGTH_INFORMATION) == 8);

constexpr std::size_t kDefaultSector = 512;
// Large enough for the frame groups read at a time, small enough to keep
// for the life of the device.
constexpr std::size_t kBounceBytes = std::size_t(1) << 20;
constexpr DWORD kMaxTransfer = 0x10000000;

struct AlignedFree {
  std::size_t align;
  void operator()(uint8_t* p) const { ::operator delete[](p, std::align_val_t(align)); }
};
using AlignedBuffer = std::unique_ptr<uint8_t[], AlignedFree>;

// The sector size the drive reports; 512 when it reports none that makes sense.
std::size_t SectorSizeOf(HANDLE h) {
  DISK_GEOMETRY g{};
  DWORD ret = 0;
  if (!DeviceIoControl(h, IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &g, sizeof g, &ret, nullptr)) {
    return kDefaultSector;
  }
  const std::size_t s = g.BytesPerSector;
  const bool powerOfTwo = s >= kDefaultSector && s <= 65536 && (s & (s - 1)) == 0;
  return powerOfTwo ? s : kDefaultSector;
}

class PhysicalDrive : public BlockDevice {
 public:
  PhysicalDrive(HANDLE h, std::string name) : h_(h), name_(std::move(name)), sector_(SectorSizeOf(h)) {
    DWORD ret = 0;
    // Lets reads reach past the end of the first partition; refusal is harmless.
    DeviceIoControl(h_, FSCTL_ALLOW_EXTENDED_DASD_IO, nullptr, 0, nullptr, 0, &ret, nullptr);
  }
  ~PhysicalDrive() override { CloseHandle(h_); }

  bool Read(uint64_t offset, void* buf, std::size_t n) override {
    if (n == 0) return true;
    if (Aligned(offset, buf, n)) return Raw(offset, buf, n, false);
    std::lock_guard<std::mutex> lock(bounceLock_);
    return Bounced(offset, static_cast<uint8_t*>(buf), nullptr, n);
  }
  bool Write(uint64_t offset, const void* buf, std::size_t n) override {
    if (n == 0) return true;
    if (Aligned(offset, buf, n)) return Raw(offset, const_cast<void*>(buf), n, true);
    std::lock_guard<std::mutex> lock(bounceLock_);
    return Bounced(offset, nullptr, static_cast<const uint8_t*>(buf), n);
  }
  int64_t Length() override {
    GET_LENGTH_INFORMATION info{};
    DWORD ret = 0;
    if (DeviceIoControl(h_, IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &info, sizeof info, &ret, nullptr)) {
      return int64_t(info.Length.QuadPart);
    }
    // Something that is no disk (a file opened by its path) still has a size.
    LARGE_INTEGER size;
    return GetFileSizeEx(h_, &size) ? int64_t(size.QuadPart) : -1;
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
  bool Aligned(uint64_t offset, const void* buf, std::size_t n) const {
    return offset % sector_ == 0 && n % sector_ == 0 && reinterpret_cast<uintptr_t>(buf) % sector_ == 0;
  }

  // Through the bounce buffer, one span of whole sectors at a time: into
  // `in` when reading, from `out` when writing.
  bool Bounced(uint64_t offset, uint8_t* in, const uint8_t* out, std::size_t n) {
    if (!bounce_) bounce_ = AlignedBuffer(new (std::align_val_t(sector_)) uint8_t[kBounceBytes], {sector_});
    while (n > 0) {
      const uint64_t start = offset / sector_ * sector_;
      const std::size_t skip = std::size_t(offset - start);
      const std::size_t part = std::min(n, kBounceBytes - skip);
      const std::size_t span = (skip + part + sector_ - 1) / sector_ * sector_;
      // A write keeps the bytes around its own of the sectors it touches.
      const bool whole = skip == 0 && part == span;
      if (!(out && whole) && !Raw(start, bounce_.get(), span, false)) return false;
      if (in) {
        std::memcpy(in, bounce_.get() + skip, part);
        in += part;
      } else {
        std::memcpy(bounce_.get() + skip, out, part);
        if (!Raw(start, bounce_.get(), span, true)) return false;
        out += part;
      }
      offset += part;
      n -= part;
    }
    return true;
  }

  bool Raw(uint64_t offset, void* buf, std::size_t n, bool write) {
    auto* p = static_cast<uint8_t*>(buf);
    while (n > 0) {
      OVERLAPPED ov{};
      ov.Offset = DWORD(offset);
      ov.OffsetHigh = DWORD(offset >> 32);
      DWORD chunk = n > kMaxTransfer ? kMaxTransfer : DWORD(n), done = 0;
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
  std::size_t sector_;
  AlignedBuffer bounce_{nullptr, {kDefaultSector}};
  std::mutex bounceLock_;  // one user of the bounce buffer at a time
};

}  // namespace

std::unique_ptr<BlockDevice> OpenWindowsDevice(const std::string& path) {
  const std::wstring w = WideFromUtf8(path);
  if (w.empty()) return nullptr;
  HANDLE h = CreateFileW(w.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<PhysicalDrive>(h, path);
}

std::unique_ptr<BlockDevice> OpenPhysicalDrive(int n) {
  if (n < 0) return nullptr;
  return OpenWindowsDevice("\\\\.\\PHYSICALDRIVE" + std::to_string(n));
}

}  // namespace quovil

#endif  // _WIN32
