#include "platform/utf8_file.h"

#include <cerrno>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#endif

namespace quovil {

#ifdef _WIN32

std::wstring WideFromUtf8(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), int(utf8.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring w(size_t(n), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), int(utf8.size()), w.data(), n);
  return w;
}

std::string Utf8FromWide(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string s(size_t(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), s.data(), n, nullptr, nullptr);
  return s;
}

std::FILE* OpenFileUtf8(const std::string& name, const char* mode) {
  const std::wstring w = WideFromUtf8(name);
  if (w.empty() || w.find(L'\0') != std::wstring::npos) {
    errno = name.empty() ? ENOENT : EINVAL;
    return nullptr;
  }
  std::wstring m;
  for (const char* p = mode; *p; ++p) m += wchar_t(static_cast<unsigned char>(*p));
  return _wfopen(w.c_str(), m.c_str());
}

bool RemoveFileUtf8(const std::string& name) {
  const std::wstring w = WideFromUtf8(name);
  return !w.empty() && _wremove(w.c_str()) == 0;
}

std::optional<std::string> GetEnvUtf8(const char* name) {
  // The process environment itself: the C runtime's copies are not always
  // brought up to date by the other runtime's _putenv.
  const std::wstring w = WideFromUtf8(name);
  std::wstring value(1, L'\0');
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    const DWORD n = GetEnvironmentVariableW(w.c_str(), value.data(), DWORD(value.size()));
    if (n == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
    // A larger answer is the size needed, the NUL included (the value may
    // have grown in between, hence the loop).
    if (n < value.size()) {
      value.resize(n);
      return Utf8FromWide(value);
    }
    value.assign(n, L'\0');
  }
}

#else

std::FILE* OpenFileUtf8(const std::string& name, const char* mode) { return std::fopen(name.c_str(), mode); }

bool RemoveFileUtf8(const std::string& name) { return std::remove(name.c_str()) == 0; }

std::optional<std::string> GetEnvUtf8(const char* name) {
  const char* v = std::getenv(name);
  if (!v) return std::nullopt;
  return std::string(v);
}

#endif

std::filesystem::path PathFromUtf8(const std::string& name) {
  return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

std::string PathToUtf8(const std::filesystem::path& path) {
  const std::u8string s = path.u8string();
  return std::string(s.begin(), s.end());
}

}  // namespace quovil
