// The candidates of the drive scan: the paths of QUOVIL_DRIVES, or the
// platform's physical drives.
#include <cstdio>

#include "platform/block_device.h"
#include "platform/utf8_file.h"
#include "platform/translate.h"

namespace quovil {

namespace {

#ifdef _WIN32
constexpr char kPathSeparator = ';';
#else
constexpr char kPathSeparator = ':';
#endif

// Named devices (image files or device nodes) stand for cards in a reader.
class PathEnumerator : public DriveEnumerator {
 public:
  explicit PathEnumerator(std::vector<std::string> paths) : paths_(std::move(paths)) {}
  std::unique_ptr<BlockDevice> Open(int n) override {
    if (n < 0 || size_t(n) >= paths_.size()) return nullptr;
    const std::string& path = paths_[size_t(n)];
#ifdef _WIN32
    // A drive named here (\\.\PHYSICALDRIVE3) is read only in whole sectors
    // and has no file size: it needs the drive class.
    if (path.rfind("\\\\.\\", 0) == 0) return OpenWindowsDevice(path);
#endif
    return OpenCardImage(path);
  }
  int Count() override { return int(paths_.size()); }

 private:
  std::vector<std::string> paths_;
};

#if defined(_WIN32)
// \\.\PHYSICALDRIVE1, 2, ...: drive 0 (the system disk) is never looked at,
// and the first number that cannot be opened ends the scan.
class PhysicalDriveEnumerator : public DriveEnumerator {
 public:
  std::unique_ptr<BlockDevice> Open(int n) override { return OpenPhysicalDrive(n + 1); }
  int Count() override { return -1; }
};
#elif defined(__linux__)
// The whole disks are listed afresh on every scan, so a reader plugged in
// later is found.
class LinuxDiskEnumerator : public DriveEnumerator {
 public:
  std::unique_ptr<BlockDevice> Open(int n) override {
    if (n < 0 || size_t(n) >= names_.size()) return nullptr;
    std::string refusal;
    auto dev = OpenLinuxDisk(names_[size_t(n)], &refusal);
    if (!refusal.empty() && problem_.empty()) problem_ = refusal;
    return dev;
  }
  int Count() override {
    names_ = LinuxWholeDisks();
    problem_.clear();
    return int(names_.size());
  }
  std::string Problem() const override { return problem_; }

 private:
  std::vector<std::string> names_;
  std::string problem_;
};
#else
class NoDrives : public DriveEnumerator {
 public:
  std::unique_ptr<BlockDevice> Open(int) override { return nullptr; }
  int Count() override { return 0; }
};
#endif

std::vector<std::string> SplitPaths(const std::string& list) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(kPathSeparator, start);
    if (end == std::string::npos) end = list.size();
    if (end > start) out.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

}  // namespace

// The printf format with the names put in (the texts' formats have only %s).
static std::string Fill(const char* format, const std::string& a, const std::string& b = {}) {
  const int n = std::snprintf(nullptr, 0, format, a.c_str(), b.c_str());
  if (n <= 0) return format;
  std::string out(size_t(n) + 1, '\0');
  std::snprintf(out.data(), out.size(), format, a.c_str(), b.c_str());
  out.resize(size_t(n));
  return out;
}

std::string NoPermissionText(const std::string& device, const std::string& group) {
  return Fill(Tr("Platform", "Нет доступа к карте памяти %s!\rДобавьте пользователя в группу \"%s\" и войдите в систему снова."),
              device, group);
}

std::string DeclinedText(const std::string& device) {
  return Fill(Tr("Platform", "Нет доступа к карте памяти %s!\rЧтобы открыть её, нажмите \"Карта SD\" и ответьте на запрос пароля."),
              device);
}

std::unique_ptr<DriveEnumerator> PathDriveEnumerator(std::vector<std::string> paths) {
  return std::make_unique<PathEnumerator>(std::move(paths));
}

std::unique_ptr<DriveEnumerator> SystemDriveEnumerator() {
  if (const auto list = GetEnvUtf8("QUOVIL_DRIVES")) return PathDriveEnumerator(SplitPaths(*list));
#if defined(_WIN32)
  return std::make_unique<PhysicalDriveEnumerator>();
#elif defined(__linux__)
  return std::make_unique<LinuxDiskEnumerator>();
#else
  return std::make_unique<NoDrives>();
#endif
}

}  // namespace quovil
