// Card image files and plain files behind BlockDevice, and the in-memory device.
#include <cstring>

#include "platform/block_device.h"
#include "platform/file_guard.h"
#include "platform/posix_io.h"
#include "platform/utf8_file.h"

#ifdef _WIN32
#include <windows.h>

#include <optional>
#include <mutex>
#include <shared_mutex>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#endif

namespace quovil {

namespace {

#ifdef _WIN32


// The system's slim reader/writer lock: the threads library's read-write
// lock let a read through while the presence check held it exclusively.
class SlimLock {
 public:
  void lock() { AcquireSRWLockExclusive(&lock_); }
  void unlock() { ReleaseSRWLockExclusive(&lock_); }
  void lock_shared() { AcquireSRWLockShared(&lock_); }
  void unlock_shared() { ReleaseSRWLockShared(&lock_); }

 private:
  SRWLOCK lock_ = SRWLOCK_INIT;
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE OpenHandle(const std::wstring& path, bool write) {
  const DWORD access = write ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
  return CreateFileW(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

class FileDevice : public BlockDevice {
 public:
  FileDevice(HANDLE h, std::string path, bool writable, bool held)
      : h_(h), path_(std::move(path)), wpath_(WideFromUtf8(path_)), writable_(writable), heldReadOnly_(held),
        id_(IdentityOfHandle(h)), held_(id_) {}
  ~FileDevice() override {
    EndWrites();
    Drop();
  }

  bool Read(uint64_t offset, void* buf, std::size_t n) override {
    std::shared_lock<SlimLock> lock(handleLock_);
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
    if (!writable_ && wh_ == INVALID_HANDLE_VALUE) return false;
    std::shared_lock<SlimLock> lock(handleLock_);
    const HANDLE out = wh_ != INVALID_HANDLE_VALUE ? wh_ : h_;
    const auto* p = static_cast<const uint8_t*>(buf);
    while (n > 0) {
      OVERLAPPED ov{};
      ov.Offset = DWORD(offset);
      ov.OffsetHigh = DWORD(offset >> 32);
      DWORD chunk = n > 0x40000000 ? 0x40000000 : DWORD(n), put = 0;
      if (!WriteFile(out, p, chunk, &put, &ov) || put == 0) return false;
      p += put;
      offset += put;
      n -= put;
    }
    return wh_ == INVALID_HANDLE_VALUE || FlushFileBuffers(wh_);
  }
  // A file held read-only is opened for writing by its path again, and only
  // when the path still names the file that was read.
  bool BeginWrites() override {
    if (!heldReadOnly_) return writable_;
    if (wh_ != INVALID_HANDLE_VALUE) return true;
    // A file deleted meanwhile may still be opened while a handle to it is
    // held: the presence check gives it up first.
    if (!Present()) return false;
    HANDLE h = OpenHandle(wpath_, true);
    if (h == INVALID_HANDLE_VALUE) return false;
    if (!id_ || IdentityOfHandle(h) != id_) {
      CloseHandle(h);
      return false;
    }
    wh_ = h;
    return true;
  }
  void EndWrites() override {
    if (wh_ != INVALID_HANDLE_VALUE) CloseHandle(wh_);
    wh_ = INVALID_HANDLE_VALUE;
  }
  int64_t Length() override {
    std::shared_lock<SlimLock> lock(handleLock_);
    LARGE_INTEGER size;
    return GetFileSizeEx(h_, &size) ? int64_t(size.QuadPart) : -1;
  }
  bool Removable() override { return true; }
  // A deleted file lives on while a handle to it is open (under Wine with no
  // sign of the pending deletion), so the handle is given up and the path
  // opened afresh: gone when that fails or finds another file in its place.
  // Reads of other threads wait meanwhile.
  bool Present() override {
    std::unique_lock<SlimLock> lock(handleLock_);
    if (h_ == INVALID_HANDLE_VALUE || !id_) return false;
    Drop();
    h_ = OpenHandle(wpath_, writable_);
    // A path that now names another file (an image replaced while open) is another card.
    if (h_ != INVALID_HANDLE_VALUE && IdentityOfHandle(h_) == id_) return true;
    Drop();
    return false;
  }
  std::string Name() const override { return path_; }

 private:
  void Drop() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
  }

  HANDLE h_;
  HANDLE wh_ = INVALID_HANDLE_VALUE;  // while clearing a file held read-only
  std::string path_;
  std::wstring wpath_;
  bool writable_;
  bool heldReadOnly_;
  std::optional<FileIdentity> id_;
  HeldInput held_;
  SlimLock handleLock_;  // the presence check swaps the handle
};

std::unique_ptr<BlockDevice> OpenFile(const std::string& path, bool tryWrite, bool held = false) {
  const std::wstring w = WideFromUtf8(path);
  if (w.empty()) return nullptr;
  if (tryWrite) {
    HANDLE h = OpenHandle(w, true);
    if (h != INVALID_HANDLE_VALUE) return std::make_unique<FileDevice>(h, path, true, false);
  }
  HANDLE h = OpenHandle(w, false);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<FileDevice>(h, path, false, held);
}

#else

class FileDevice : public BlockDevice {
 public:
  FileDevice(int fd, std::string path, bool writable, bool held)
      : fd_(fd), path_(std::move(path)), writable_(writable), heldReadOnly_(held), held_(IdentityOfDescriptor(fd)) {
    struct stat st {};
    if (fstat(fd_, &st) == 0) {
      dev_ = st.st_dev;
      ino_ = st.st_ino;
    }
  }
  ~FileDevice() override {
    EndWrites();
    close(fd_);
  }

  bool Read(uint64_t offset, void* buf, std::size_t n) override {
    return PReadAll(fd_, offset, buf, n);
  }
  bool Write(uint64_t offset, const void* buf, std::size_t n) override {
    if (wfd_ >= 0) return PWriteAll(wfd_, offset, buf, n) && fdatasync(wfd_) == 0;
    if (!writable_) return false;
    return PWriteAll(fd_, offset, buf, n);
  }
  // A file held read-only is opened for writing by its path again, and only
  // when the path still names the file that was read.
  bool BeginWrites() override {
    if (!heldReadOnly_) return writable_;
    if (wfd_ >= 0) return true;
    const int fd = open(path_.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return false;
    struct stat st {};
    if (fstat(fd, &st) != 0 || st.st_dev != dev_ || st.st_ino != ino_) {
      close(fd);
      return false;
    }
    wfd_ = fd;
    return true;
  }
  void EndWrites() override {
    if (wfd_ >= 0) close(wfd_);
    wfd_ = -1;
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
  int wfd_ = -1;
  std::string path_;
  bool writable_;
  bool heldReadOnly_;
  dev_t dev_ = 0;
  ino_t ino_ = 0;
  HeldInput held_;
};

std::unique_ptr<BlockDevice> OpenFile(const std::string& path, bool tryWrite, bool held = false) {
  // Opened without blocking: a FIFO named as a card would otherwise wait
  // for a writer for ever. Only files and block devices are taken.
  int fd = -1;
  bool writable = false;
  if (tryWrite) {
    fd = open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    writable = fd >= 0;
  }
  if (fd < 0) fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return nullptr;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !(S_ISREG(st.st_mode) || S_ISBLK(st.st_mode))) {
    close(fd);
    errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    return nullptr;
  }
  const int flags = fcntl(fd, F_GETFL);
  if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    close(fd);
    return nullptr;
  }
  return std::make_unique<FileDevice>(fd, path, writable, held);
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

std::unique_ptr<BlockDevice> OpenCardImage(const std::string& path) { return OpenFile(path, false, true); }

std::unique_ptr<BlockDevice> MemoryDevice(std::vector<uint8_t> bytes, bool removable) {
  return std::make_unique<MemDevice>(std::move(bytes), removable);
}

}  // namespace quovil
