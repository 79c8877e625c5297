#ifdef _WIN32

#include "gps/win_setup_platform.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <algorithm>

#include "platform/utf8_file.h"

namespace quovil {

namespace {

// The folder part of a path, without the separator; empty for a bare name.
std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return {};
  // "C:\tool.exe" lives in "C:\", not in the drive's current folder "C:".
  if (slash == 2 && path[1] == L':') return path.substr(0, 3);
  return path.substr(0, slash);
}

// Registry strings need not end in a terminator, and may carry several.
std::wstring TrimNuls(std::wstring s) {
  const size_t end = s.find(L'\0');
  if (end != std::wstring::npos) s.resize(end);
  return s;
}

// The com0com installer writes its key into the registry view of its own
// bitness, which on 64-bit Windows need not be ours: both views are asked.
std::wstring InstallDir(REGSAM view) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"software\\com0com", 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS)
    return {};
  std::wstring value(MAX_PATH, L'\0');
  LSTATUS rc = ERROR_MORE_DATA;
  // The value may change between the calls; a few rounds are enough for any honest one.
  for (int round = 0; round < 4 && rc == ERROR_MORE_DATA; ++round) {
    DWORD bytes = DWORD(value.size() * sizeof(wchar_t));
    rc = RegGetValueW(key, nullptr, L"Install_Dir", RRF_RT_REG_SZ, nullptr, value.data(), &bytes);
    if (rc == ERROR_MORE_DATA) value.assign(bytes / sizeof(wchar_t) + 2, L'\0');
  }
  RegCloseKey(key);
  return rc == ERROR_SUCCESS ? TrimNuls(value) : std::wstring();
}

bool IsFile(const std::wstring& path) {
  if (path.empty()) return false;
  const DWORD attr = GetFileAttributesW(path.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

// One value of the open key into data (grown as needed); false at the end of
// the list or on an error that retrying does not mend.
bool SerialPortValue(HKEY key, DWORD index, std::vector<wchar_t>& name, std::vector<wchar_t>& data, DWORD& type) {
  for (int round = 0; round < 4; ++round) {
    DWORD nameLen = DWORD(name.size());
    DWORD dataBytes = DWORD(data.size() * sizeof(wchar_t));
    const LSTATUS rc = RegEnumValueW(key, index, name.data(), &nameLen, nullptr, &type,
                                     reinterpret_cast<BYTE*>(data.data()), &dataBytes);
    if (rc == ERROR_SUCCESS) {
      data.resize(dataBytes / sizeof(wchar_t));
      return true;
    }
    if (rc != ERROR_MORE_DATA) return false;
    name.resize(name.size() * 2);
    data.resize(std::max<size_t>(data.size() * 2, dataBytes / sizeof(wchar_t) + 1));
  }
  return false;
}

// The bytes a program writes into the pipe until every writer has closed it.
// Zero-byte reads are a writer's empty write, not the end.
std::string ReadAll(HANDLE pipe) {
  std::string out;
  char block[256];
  DWORD n = 0;
  while (ReadFile(pipe, block, sizeof block, &n, nullptr)) {
    if (out.size() < kMaxCapturedBytes) out.append(block, std::min<size_t>(n, kMaxCapturedBytes - out.size()));
  }
  return out;
}

// Starts program (a path, never searched for) hidden in a console of its own,
// its standard output the given pipe end; the handles the caller must close.
bool StartCaptured(const std::wstring& program, const std::wstring& params, HANDLE out, PROCESS_INFORMATION& pi) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  // Input and errors go nowhere: a tool that asks a question reads its end at once.
  HANDLE nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                           OPEN_EXISTING, 0, nullptr);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_HIDE;
  si.hStdInput = nul == INVALID_HANDLE_VALUE ? nullptr : nul;
  si.hStdOutput = out;
  si.hStdError = si.hStdInput;
  // Quoted, so that a folder with blanks ("C:\Program Files\...") is not cut
  // at the first blank into another program's name.
  std::wstring command = L"\"" + program + L"\"" + params;
  const std::wstring dir = FolderOf(program);
  const BOOL ok = CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, TRUE, CREATE_NEW_CONSOLE, nullptr,
                                 dir.empty() ? nullptr : dir.c_str(), &si, &pi);
  if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
  return ok != FALSE;
}

}  // namespace

std::vector<std::string> SplitOutputLines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t from = 0;
  while (from < bytes.size()) {
    size_t end = bytes.find('\n', from);
    const bool last = end == std::string::npos;
    if (last) end = bytes.size();
    size_t stop = end;
    if (stop > from && bytes[stop - 1] == '\r') --stop;
    lines.push_back(bytes.substr(from, stop - from));
    from = last ? end : end + 1;
  }
  return lines;
}

std::string WinSetupPlatform::FindSetupc() {
  for (REGSAM view : {REGSAM(KEY_WOW64_64KEY), REGSAM(KEY_WOW64_32KEY)}) {
    std::wstring dir = InstallDir(view);
    while (!dir.empty() && (dir.back() == L'\\' || dir.back() == L'/')) dir.pop_back();
    // An empty folder would name "\setupc.exe" at the root of whatever drive is current.
    if (dir.empty()) continue;
    const std::wstring tool = dir + L"\\setupc.exe";
    if (IsFile(tool)) return Utf8FromWide(tool);
  }
  return {};
}

bool WinSetupPlatform::PortExists(const std::string& name) {
  const std::wstring wanted = WideFromUtf8(name);
  if (wanted.empty()) return false;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"hardware\\devicemap\\serialcomm", 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return false;
  DWORD maxName = 0, maxData = 0;
  RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName, &maxData, nullptr,
                   nullptr);
  std::vector<wchar_t> valueName(std::max<DWORD>(maxName, 255) + 1);
  const size_t dataChars = std::max<DWORD>(maxData, 64) / sizeof(wchar_t) + 1;
  std::vector<wchar_t> data;
  bool found = false;
  DWORD type = 0;
  for (DWORD i = 0; !found; ++i) {
    data.assign(dataChars, L'\0');
    if (!SerialPortValue(key, i, valueName, data, type)) break;
    found = type == REG_SZ && TrimNuls(std::wstring(data.begin(), data.end())) == wanted;
  }
  RegCloseKey(key);
  return found;
}

bool WinSetupPlatform::FileExists(const std::string& path) { return IsFile(WideFromUtf8(path)); }

std::string WinSetupPlatform::InstallerPath() {
  std::wstring self(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, self.data(), DWORD(self.size()));
    if (n == 0) return {};
    if (n < self.size()) {
      self.resize(n);
      break;
    }
    if (self.size() >= 32768) return {};
    self.resize(self.size() * 2);
  }
  const std::wstring dir = FolderOf(self);
  return Utf8FromWide(dir.empty() || dir.back() == L'\\' ? dir + L"setup_com.exe" : dir + L"\\setup_com.exe");
}

bool WinSetupPlatform::RunAndCapture(const std::string& program, const std::string& params,
                                     std::vector<std::string>& lines) {
  lines.clear();
  const std::wstring file = WideFromUtf8(program);
  if (file.empty()) return false;
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return false;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  PROCESS_INFORMATION pi{};
  const bool started = StartCaptured(file, WideFromUtf8(params), writeEnd, pi);
  // Only the child may hold the writing end, or the pipe never reports its end.
  CloseHandle(writeEnd);
  if (!started) {
    CloseHandle(readEnd);
    return false;
  }
  CloseHandle(pi.hThread);
  const std::string out = ReadAll(readEnd);
  CloseHandle(readEnd);
  WaitForSingleObject(pi.hProcess, INFINITE);
  CloseHandle(pi.hProcess);
  lines = SplitOutputLines(out);
  return true;
}

int WinSetupPlatform::RunAndWait(const std::string& program, const std::string& params) {
  const std::wstring file = WideFromUtf8(program), args = WideFromUtf8(params), dir = FolderOf(file);
  if (file.empty()) return kRunFailed;
  // Through the shell, so that an installer asking for administrator rights
  // gets the system's consent prompt instead of failing to start.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  info.lpFile = file.c_str();
  info.lpParameters = args.empty() ? nullptr : args.c_str();
  info.lpDirectory = dir.empty() ? nullptr : dir.c_str();
  info.nShow = SW_HIDE;
  const BOOL started = ShellExecuteExW(&info);
  if (SUCCEEDED(com)) CoUninitialize();
  if (!started) return kRunFailed;
  // Handed to a program that was already running: nothing to wait for; the
  // wizard learns the outcome from the ports that appear.
  if (!info.hProcess) return kRunSucceeded;
  DWORD wait = WAIT_TIMEOUT;
  if (!pump_) {
    wait = WaitForSingleObject(info.hProcess, INFINITE);
  } else {
    while ((wait = WaitForSingleObject(info.hProcess, 200)) == WAIT_TIMEOUT && pump_()) {
    }
  }
  DWORD code = 1;
  const bool succeeded = wait == WAIT_OBJECT_0 && GetExitCodeProcess(info.hProcess, &code) && code == 0;
  CloseHandle(info.hProcess);
  return succeeded ? kRunSucceeded : kRunFailed;
}

}  // namespace quovil

#endif  // _WIN32
