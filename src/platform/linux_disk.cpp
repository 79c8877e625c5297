// Whole-disk block devices on Linux: the card reader's disk, read and written
// at absolute byte offsets.
#ifdef __linux__

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>

#include "platform/block_device.h"
#include "platform/file_guard.h"
#include "platform/posix_io.h"

namespace quovil {

namespace {

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// Devices that can never be a card in a reader: virtual disks, RAID and
// mapper volumes, optical drives, and the boot and RPMB areas of eMMC chips.
bool NeverACard(const std::string& name) {
  for (const char* p : {"loop", "ram", "zram", "dm-", "md", "sr", "nbd", "fd", "zd"}) {
    if (StartsWith(name, p)) return true;
  }
  return StartsWith(name, "mmcblk") &&
         (name.find("boot") != std::string::npos || name.find("rpmb") != std::string::npos);
}

bool SysRemovable(const std::string& name) {
  // An SD card in a built-in reader shows as mmcblkN, often with removable 0.
  if (StartsWith(name, "mmcblk")) return true;
  std::ifstream f("/sys/block/" + name + "/removable");
  char c = '0';
  return f.get(c) && c == '1';
}

class LinuxDisk : public BlockDevice {
 public:
  LinuxDisk(int fd, std::string name, bool writable, bool removable)
      : fd_(fd), name_(std::move(name)), writable_(writable), removable_(removable), held_(IdentityOfDescriptor(fd)) {}
  ~LinuxDisk() override { close(fd_); }

  bool Read(uint64_t offset, void* buf, std::size_t n) override {
    return PReadAll(fd_, offset, buf, n);
  }
  bool Write(uint64_t offset, const void* buf, std::size_t n) override {
    if (!writable_) return false;
    return PWriteAll(fd_, offset, buf, n) && fdatasync(fd_) == 0;
  }
  int64_t Length() override {
    uint64_t size = 0;
    if (ioctl(fd_, BLKGETSIZE64, &size) != 0 || size > uint64_t(INT64_MAX)) return -1;
    return int64_t(size);
  }
  bool Removable() override { return removable_; }
  // A reader whose card was pulled reports a size of 0.
  bool Present() override { return Length() > 0; }
  std::string Name() const override { return "/dev/" + name_; }

 private:
  int fd_;
  std::string name_;
  bool writable_;
  bool removable_;
  HeldInput held_;
};

}  // namespace

std::vector<std::string> LinuxWholeDisks(const std::string& sysBlock) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(sysBlock, ec)) {
    std::string name = e.path().filename().string();
    if (!NeverACard(name)) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::unique_ptr<BlockDevice> OpenLinuxDisk(const std::string& name) {
  if (name.empty() || name.find('/') != std::string::npos) return nullptr;
  std::string path = "/dev/" + name;
  bool writable = true;
  int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) {
    writable = false;
    fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  }
  if (fd < 0) return nullptr;
  return std::make_unique<LinuxDisk>(fd, name, writable, SysRemovable(name));
}

}  // namespace quovil

#endif  // __linux__
