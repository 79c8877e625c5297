// Card image files and plain files behind BlockDevice, and the in-memory device.
#include <cstring>

#include "platform/block_device.h"
#include "platform/posix_io.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#endif

namespace quovil {

namespace {

#ifdef _WIN32

std::wstring Widen(const std::string& utf8) {
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
  if (n <= 0) return {};
  std::wstring w(size_t(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, w.data(), n);
  w.resize(size_t(n - 1));
  return w;
}

class FileDevice : public BlockDevice {
 public:
  FileDevice(HANDLE h, std::string path, bool writable) : h_(h), path_(std::move(path)), writable_(writable) {}
  ~FileDevice() override { CloseHandle(h_); }

  bool Read(uint64_t offset, void* buf, std::size_t n) override {
    auto* p = static_cast<uint8_t*>(buf);
    while (n > 0) {
      OVERLAPPED ov{};
      ov.Offset = DWORD(offset);
      ov.OffsetHigh = DWORD(offset >> 32);
      DWORD chunk = n > 0x40000000 ? 0x40000000 : DWORD(n), got = 0;
      if (!ReadFile(h_, p, chunk, &got, &ov) || got == 0) return false;
      p += got;
      offset += got;
      n -= got;
    }
    return true;
  }
  bool Write(uint64_t offset, const void* buf, std::size_t n) override {
    if (!writable_) return false;
    const auto* p = static_cast<const uint8_t*>(buf);
    while (n > 0) {
      OVERLAPPED ov{};
      ov.Offset = DWORD(offset);
      ov.OffsetHigh = DWORD(offset >> 32);
      DWORD chunk = n > 0x40000000 ? 0x40000000 : DWORD(n), put = 0;
      if (!WriteFile(h_, p, chunk, &put, &ov) || put == 0) return false;
      p += put;
      offset += put;
      n -= put;
    }
    return true;
  }
  int64_t Length() override {
    LARGE_INTEGER size;
    return GetFileSizeEx(h_, &size) ? int64_t(size.QuadPart) : -1;
  }
  bool Removable() override { return true; }
  bool Present() override { return GetFileAttributesW(Widen(path_).c_str()) != INVALID_FILE_ATTRIBUTES; }
  std::string Name() const override { return path_; }

 private:
  HANDLE h_;
  std::string path_;
  bool writable_;
};

std::unique_ptr<BlockDevice> OpenFile(const std::string& path, bool tryWrite) {
  std::wstring w = Widen(path);
  DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  if (tryWrite) {
    HANDLE h = CreateFileW(w.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) return std::make_unique<FileDevice>(h, path, true);
  }
  HANDLE h = CreateFileW(w.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<FileDevice>(h, path, false);
}

#else

class FileDevice : public BlockDevice {
 public:
  FileDevice(int fd, std::string path, bool writable) : fd_(fd), path_(std::move(path)), writable_(writable) {
    struct stat st {};
    if (fstat(fd_, &st) == 0) {
      dev_ = st.st_dev;
      ino_ = st.st_ino;
    }
  }
  ~FileDevice() override { close(fd_); }

  bool Read(uint64_t offset, void* buf, std::size_t n) override {
    return PReadAll(fd_, offset, buf, n);
  }
  bool Write(uint64_t offset, const void* buf, std::size_t n) override {
    if (!writable_) return false;
    return PWriteAll(fd_, offset, buf, n);
  }
  int64_t Length() override {
    struct stat st {};
    if (fstat(fd_, &st) != 0) return -1;
    if (S_ISREG(st.st_mode)) return int64_t(st.st_size);
    // A block device named in QUOVIL_DRIVES: its size is where the end lies.
    off_t end = lseek(fd_, 0, SEEK_END);
    return end < 0 ? -1 : int64_t(end);
  }
  bool Removable() override { return true; }
  // The file is gone once its last name is removed or the path now names
  // another file (an image replaced while open is a different card).
  bool Present() override {
    struct stat own {}, named {};
    if (fstat(fd_, &own) != 0 || own.st_nlink == 0) return false;
    if (stat(path_.c_str(), &named) != 0) return false;
    return named.st_dev == dev_ && named.st_ino == ino_;
  }
  std::string Name() const override { return path_; }

 private:
  int fd_;
  std::string path_;
  bool writable_;
  dev_t dev_ = 0;
  ino_t ino_ = 0;
};

std::unique_ptr<BlockDevice> OpenFile(const std::string& path, bool tryWrite) {
  int fd = -1;
  bool writable = false;
  if (tryWrite) {
    fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
    writable = fd >= 0;
  }
  if (fd < 0) fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st {};
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    close(fd);
    return nullptr;
  }
  return std::make_unique<FileDevice>(fd, path, writable);
}

#endif

class MemDevice : public BlockDevice {
 public:
  MemDevice(std::vector<uint8_t> bytes, bool removable) : bytes_(std::move(bytes)), removable_(removable) {}

  bool Read(uint64_t offset, void* buf, std::size_t n) override {
    if (!Fits(offset, n)) return false;
    if (n > 0) std::memcpy(buf, bytes_.data() + offset, n);
    return true;
  }
  bool Write(uint64_t offset, const void* buf, std::size_t n) override {
    if (!Fits(offset, n)) return false;
    if (n > 0) std::memcpy(bytes_.data() + offset, buf, n);
    return true;
  }
  int64_t Length() override { return int64_t(bytes_.size()); }
  bool Removable() override { return removable_; }
  std::string Name() const override { return "memory"; }

 private:
  bool Fits(uint64_t offset, std::size_t n) const { return offset <= bytes_.size() && n <= bytes_.size() - offset; }

  std::vector<uint8_t> bytes_;
  bool removable_;
};

}  // namespace

std::unique_ptr<BlockDevice> OpenImageFile(const std::string& path) { return OpenFile(path, true); }

std::unique_ptr<BlockDevice> OpenReadOnlyFile(const std::string& path) { return OpenFile(path, false); }

std::unique_ptr<BlockDevice> MemoryDevice(std::vector<uint8_t> bytes, bool removable) {
  return std::make_unique<MemDevice>(std::move(bytes), removable);
}

}  // namespace quovil
