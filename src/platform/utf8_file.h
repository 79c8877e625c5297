// Files and environment variables named in UTF-8 on every platform. Windows'
// narrow calls (fopen, remove, getenv) take the ANSI code page, which cannot
// name a Cyrillic file on a system set up for another language, so there the
// wide-character calls are used instead.
#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

namespace quovil {

// fopen with a UTF-8 name. Binary formats pass "rb"/"wb": Windows would
// otherwise turn each '\n' into "\r\n". Null with errno set on failure,
// also when the name is not valid UTF-8.
std::FILE* OpenFileUtf8(const std::string& name, const char* mode);

// Removes the file of a UTF-8 name; false when it could not be removed.
bool RemoveFileUtf8(const std::string& name);

// The value of an environment variable as UTF-8; nothing when it is not set.
std::optional<std::string> GetEnvUtf8(const char* name);

// Paths of std::filesystem from and to UTF-8 names (path(std::string) and
// path::string() use the ANSI code page on Windows).
std::filesystem::path PathFromUtf8(const std::string& name);
std::string PathToUtf8(const std::filesystem::path& path);

#ifdef _WIN32
// UTF-8 to UTF-16 for the wide Windows calls; empty when the text is not
// valid UTF-8, so that a mangled name never opens some other file.
std::wstring WideFromUtf8(const std::string& utf8);
std::string Utf8FromWide(const std::wstring& wide);
#endif

}  // namespace quovil
