// Environment variables set and cleared by tests on every platform. Values
// are UTF-8; Windows keeps its environment in wide characters.
#pragma once

#include <cstdlib>
#include <string>

#include "platform/utf8_file.h"

namespace quovil::test {

inline void SetEnv(const char* name, const std::string& value) {
#ifdef _WIN32
  _wputenv_s(WideFromUtf8(name).c_str(), WideFromUtf8(value).c_str());
#else
  setenv(name, value.c_str(), 1);
#endif
}

inline void UnsetEnv(const char* name) {
#ifdef _WIN32
  _wputenv_s(WideFromUtf8(name).c_str(), L"");  // an empty value removes it there
#else
  unsetenv(name);
#endif
}

// The separator of path lists such as QUOVIL_DRIVES.
#ifdef _WIN32
inline constexpr char kPathListSeparator = ';';
#else
inline constexpr char kPathListSeparator = ':';
#endif

}  // namespace quovil::test
