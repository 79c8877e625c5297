#include "platform/file_guard.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/translate.h"
#include "platform/utf8_file.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace quovil {

namespace {

// A held file may be held twice (the CLI's source and the device it opened).
struct Held {
  std::mutex lock;
  std::vector<FileIdentity> ids;
};

Held& HeldFiles() {
  static Held held;
  return held;
}

bool EndsWithSeparator(const std::string& path) {
  if (path.empty()) return false;
#ifdef _WIN32
  return path.back() == '/' || path.back() == '\\';
#else
  return path.back() == '/';
#endif
}

enum class Kind { Missing, File, Folder, Other };

#ifdef _WIN32

std::optional<FileIdentity> IdentityAndKind(const std::string& path, Kind& kind) {
  kind = Kind::Missing;
  const std::wstring w = WideFromUtf8(path);
  if (w.empty()) return std::nullopt;
  // No access asked: attributes only, and folders open with backup semantics.
  HANDLE h = CreateFileW(w.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool ok = GetFileInformationByHandle(h, &info);
  const DWORD type = GetFileType(h);
  CloseHandle(h);
  if (!ok) {
    kind = type == FILE_TYPE_CHAR ? Kind::File : Kind::Other;
    return std::nullopt;
  }
  kind = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? Kind::Folder
         : type == FILE_TYPE_DISK || type == FILE_TYPE_CHAR ? Kind::File
                                                             : Kind::Other;
  return FileIdentity{info.dwVolumeSerialNumber, (uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

#else

std::optional<FileIdentity> IdentityAndKind(const std::string& path, Kind& kind) {
  kind = Kind::Missing;
  struct stat st {};
  if (path.empty() || stat(path.c_str(), &st) != 0) return std::nullopt;
  // Character devices (a terminal, /dev/null) take writes without harm.
  kind = S_ISDIR(st.st_mode) ? Kind::Folder : S_ISREG(st.st_mode) || S_ISCHR(st.st_mode) ? Kind::File : Kind::Other;
  return FileIdentity{uint64_t(st.st_dev), uint64_t(st.st_ino)};
}

#endif

}  // namespace

std::optional<FileIdentity> IdentityOfName(const std::string& path) {
  Kind kind;
  return IdentityAndKind(path, kind);
}

#ifdef _WIN32
std::optional<FileIdentity> IdentityOfHandle(void* handle) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(static_cast<HANDLE>(handle), &info)) return std::nullopt;
  return FileIdentity{info.dwVolumeSerialNumber, (uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}
#else
std::optional<FileIdentity> IdentityOfDescriptor(int fd) {
  struct stat st {};
  if (fstat(fd, &st) != 0) return std::nullopt;
  return FileIdentity{uint64_t(st.st_dev), uint64_t(st.st_ino)};
}
#endif

HeldInput::HeldInput(std::optional<FileIdentity> id) : id_(id) {
  if (!id_) return;
  Held& h = HeldFiles();
  std::lock_guard<std::mutex> guard(h.lock);
  h.ids.push_back(*id_);
}

HeldInput::~HeldInput() {
  if (!id_) return;
  Held& h = HeldFiles();
  std::lock_guard<std::mutex> guard(h.lock);
  auto it = std::find(h.ids.begin(), h.ids.end(), *id_);
  if (it != h.ids.end()) h.ids.erase(it);
}

bool IsHeldInput(const FileIdentity& id) {
  Held& h = HeldFiles();
  std::lock_guard<std::mutex> guard(h.lock);
  return std::find(h.ids.begin(), h.ids.end(), id) != h.ids.end();
}

OutputProblem CheckOutputTarget(const std::string& path) {
  if (EndsWithSeparator(path)) return OutputProblem::Folder;
  Kind kind;
  const std::optional<FileIdentity> id = IdentityAndKind(path, kind);
  if (id && IsHeldInput(*id)) return OutputProblem::OpenInput;
  switch (kind) {
    case Kind::Folder: return OutputProblem::Folder;
    case Kind::Other: return OutputProblem::NotAFile;
    default: return OutputProblem::None;
  }
}

bool NamesFolder(const std::string& path) {
  Kind kind;
  IdentityAndKind(path, kind);
  return EndsWithSeparator(path) || kind == Kind::Folder;
}

std::string OutputProblemText(OutputProblem problem) {
  switch (problem) {
    case OutputProblem::OpenInput: return Tr("Platform", "Не могу сохранить в открытый файл!");
    case OutputProblem::Folder: return Tr("Platform", "Не могу сохранить в папку!");
    case OutputProblem::NotAFile: return Tr("Platform", "Не могу сохранить: это не обычный файл!");
    default: return "";
  }
}

std::FILE* CreateOutputFile(const std::string& path, std::string& error) {
  if (const OutputProblem problem = CheckOutputTarget(path); problem != OutputProblem::None) {
    error = OutputProblemText(problem);
    return nullptr;
  }
  errno = 0;
  std::FILE* f = OpenFileUtf8(path, "wb");
  if (!f) error = path + ": " + std::strerror(errno ? errno : EIO);
  return f;
}

}  // namespace quovil
