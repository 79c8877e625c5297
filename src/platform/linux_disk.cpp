// Whole-disk block devices on Linux: the card reader's disk, read and written
// at absolute byte offsets.
#ifdef __linux__

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>

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

// A reader with no card in it has a size of 0 sectors.
bool SysHoldsMedia(const std::string& name) {
  std::ifstream f("/sys/block/" + name + "/size");
  unsigned long long sectors = 0;
  return bool(f >> sectors) && sectors > 0;
}

// Read through a read-only descriptor; writes only between BeginWrites and
// EndWrites, through a second descriptor opened for them.
class LinuxDisk : public BlockDevice {
 public:
  LinuxDisk(int fd, std::string device, bool removable, std::function<int()> reopen)
      : fd_(fd), device_(std::move(device)), removable_(removable), reopen_(std::move(reopen)),
        held_(IdentityOfDescriptor(fd)) {}
  ~LinuxDisk() override {
    EndWrites();
    close(fd_);
  }

  bool Read(uint64_t offset, void* buf, std::size_t n) override {
    return PReadAll(fd_, offset, buf, n);
  }
  bool Write(uint64_t offset, const void* buf, std::size_t n) override {
    if (wfd_ < 0) return false;
    return PWriteAll(wfd_, offset, buf, n) && fdatasync(wfd_) == 0;
  }
  bool BeginWrites() override {
    if (wfd_ < 0 && reopen_) wfd_ = reopen_();
    return wfd_ >= 0;
  }
  void EndWrites() override {
    if (wfd_ >= 0) close(wfd_);
    wfd_ = -1;
  }
  int64_t Length() override {
    // A disk service may hand over a file standing in for the disk.
    struct stat st {};
    if (fstat(fd_, &st) == 0 && S_ISREG(st.st_mode)) return int64_t(st.st_size);
    uint64_t size = 0;
    if (ioctl(fd_, BLKGETSIZE64, &size) != 0 || size > uint64_t(INT64_MAX)) return -1;
    return int64_t(size);
  }
  bool Removable() override { return removable_; }
  // A reader whose card was pulled reports a size of 0.
  bool Present() override { return Length() > 0; }
  std::string Name() const override { return device_; }

 private:
  int fd_;
  int wfd_ = -1;
  std::string device_;
  bool removable_;
  std::function<int()> reopen_;
  HeldInput held_;
};

// The group that owns a device node, by name ("disk"); its number when it has none.
std::string GroupOf(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return "disk";
  if (const struct group* g = getgrgid(st.st_gid)) return g->gr_name;
  return std::to_string(st.st_gid);
}

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

std::unique_ptr<BlockDevice> OpenLinuxDisk(const std::string& name, std::string* refusal) {
  if (name.empty() || name.find('/') != std::string::npos) return nullptr;
  const std::string path = "/dev/" + name;
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    const int why = errno;
    // A card reader's disk that only its group may read: say how to get in.
    if ((why == EACCES || why == EPERM) && refusal && SysRemovable(name) && SysHoldsMedia(name))
      *refusal = NoPermissionText(path, GroupOf(path));
    return nullptr;
  }
  auto reopen = [path] { return open(path.c_str(), O_RDWR | O_CLOEXEC); };
  return std::make_unique<LinuxDisk>(fd, path, SysRemovable(name), reopen);
}

std::unique_ptr<BlockDevice> LinuxDiskFromDescriptor(int fd, const std::string& device, bool removable,
                                                     std::function<int()> reopen) {
  if (fd < 0) return nullptr;
  return std::make_unique<LinuxDisk>(fd, device, removable, std::move(reopen));
}

}  // namespace quovil

#endif  // __linux__
