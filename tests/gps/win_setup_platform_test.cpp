// The Windows side of the setup wizard against the real registry and real
// programs (run under Wine): the pair tool found through its installation
// key, ports looked up in the serial-port device map, a hidden program's
// output captured as lines, and a program waited for with its outcome.
#ifdef _WIN32
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "gps/win_setup_platform.h"
#include "platform/utf8_file.h"

namespace quovil {
namespace {

constexpr const wchar_t* kToolKey = L"software\\com0com";
constexpr const wchar_t* kSerialMap = L"hardware\\devicemap\\serialcomm";

std::wstring W(const std::string& utf8) { return WideFromUtf8(utf8); }

void SetString(const wchar_t* keyPath, REGSAM view, const wchar_t* name, const std::wstring& data,
               bool terminated = true) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const DWORD bytes = DWORD((data.size() + (terminated ? 1 : 0)) * sizeof(wchar_t));
  EXPECT_EQ(RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()), bytes), ERROR_SUCCESS);
  RegCloseKey(key);
}

void DeleteValue(const wchar_t* keyPath, const wchar_t* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  RegDeleteValueW(key, name);
  RegCloseKey(key);
}

void DeleteToolKey() {
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kToolKey, KEY_WOW64_64KEY, 0);
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kToolKey, KEY_WOW64_32KEY, 0);
}

std::string SystemProgram(const char* name) {
  wchar_t dir[MAX_PATH];
  const UINT n = GetSystemDirectoryW(dir, MAX_PATH);
  return Utf8FromWide(std::wstring(dir, n) + L"\\" + W(name));
}

// A folder of the test's own whose name has blanks and Cyrillic letters.
std::string AwkwardFolder() {
  const std::string dir = ::testing::TempDir() + "пара портов тест";
  CreateDirectoryW(W(dir).c_str(), nullptr);
  return dir;
}

// The folder and what the tests left in it go when the program ends.
class AwkwardFolderRemoval : public ::testing::Environment {
 public:
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(W(::testing::TempDir() + "пара портов тест")), ec);
  }
};
[[maybe_unused]] ::testing::Environment* const awkwardFolderRemoval =
    ::testing::AddGlobalTestEnvironment(new AwkwardFolderRemoval);

void Touch(const std::string& path, size_t bytes = 0) {
  HANDLE h = CreateFileW(W(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  const std::string line = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ\r\n";
  for (size_t done = 0; done < bytes; done += line.size()) {
    DWORD n = 0;
    WriteFile(h, line.data(), DWORD(line.size()), &n, nullptr);
  }
  CloseHandle(h);
}

// ---------------------------------------------------------------- the pair tool

class PairTool : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteToolKey();
    dir_ = AwkwardFolder();
    DeleteFileW(W(dir_ + "\\setupc.exe").c_str());
  }
  void TearDown() override {
    DeleteToolKey();
    DeleteFileW(W(dir_ + "\\setupc.exe").c_str());
  }
  std::string dir_;
  WinSetupPlatform platform_;
};

TEST_F(PairTool, FoundInItsInstallationFolderOnlyWhenTheFileIsThere) {
  EXPECT_EQ(platform_.FindSetupc(), "");  // no key
  SetString(kToolKey, KEY_WOW64_64KEY, L"Install_Dir", W(dir_));
  EXPECT_EQ(platform_.FindSetupc(), "");  // key, but no tool in the folder
  Touch(dir_ + "\\setupc.exe");
  EXPECT_EQ(platform_.FindSetupc(), dir_ + "\\setupc.exe");
  EXPECT_TRUE(platform_.FileExists(platform_.FindSetupc()));
}

TEST_F(PairTool, FolderWithATrailingSeparatorOrAnEmptyOne) {
  Touch(dir_ + "\\setupc.exe");
  SetString(kToolKey, KEY_WOW64_64KEY, L"Install_Dir", W(dir_ + "\\"));
  EXPECT_EQ(platform_.FindSetupc(), dir_ + "\\setupc.exe");
  SetString(kToolKey, KEY_WOW64_64KEY, L"Install_Dir", L"");
  EXPECT_EQ(platform_.FindSetupc(), "");
}

TEST_F(PairTool, FoundWhenTheInstallerWroteThe32BitView) {
  Touch(dir_ + "\\setupc.exe");
  SetString(kToolKey, KEY_WOW64_32KEY, L"Install_Dir", W(dir_));
  EXPECT_EQ(platform_.FindSetupc(), dir_ + "\\setupc.exe");
}

// ---------------------------------------------------------------- the serial ports

class SerialMap : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const wchar_t* v : {L"\\Device\\QuovilTestA", L"\\Device\\QuovilTestB", L"\\Device\\QuovilTestC"})
      DeleteValue(kSerialMap, v);
  }
  WinSetupPlatform platform_;
};

TEST_F(SerialMap, APortExistsWhenAValueCarriesExactlyItsName) {
  EXPECT_FALSE(platform_.PortExists("QVGPS7"));
  SetString(kSerialMap, 0, L"\\Device\\QuovilTestA", L"QVGPS7");
  EXPECT_TRUE(platform_.PortExists("QVGPS7"));
  EXPECT_FALSE(platform_.PortExists("qvgps7"));  // case counts
  EXPECT_FALSE(platform_.PortExists("QVGPS"));
  EXPECT_FALSE(platform_.PortExists("QVGPS77"));
  EXPECT_FALSE(platform_.PortExists(""));
  // Value names are not port names.
  EXPECT_FALSE(platform_.PortExists("\\Device\\QuovilTestA"));
  DeleteValue(kSerialMap, L"\\Device\\QuovilTestA");
  EXPECT_FALSE(platform_.PortExists("QVGPS7"));
}

TEST_F(SerialMap, DataWithoutATerminatorOrWithALongName) {
  SetString(kSerialMap, 0, L"\\Device\\QuovilTestB", L"QVGPS8", false);
  EXPECT_TRUE(platform_.PortExists("QVGPS8"));
  const std::wstring longName(3000, L'Q');
  SetString(kSerialMap, 0, L"\\Device\\QuovilTestC", longName);
  EXPECT_TRUE(platform_.PortExists(std::string(3000, 'Q')));
  EXPECT_TRUE(platform_.PortExists("QVGPS8"));
}

TEST_F(SerialMap, TheFreeMapPortIsOneTheMapDoesNotHold) {
  const std::string free = platform_.FreeMapPort();
  ASSERT_FALSE(free.empty());
  EXPECT_FALSE(platform_.PortExists(free));
  SetString(kSerialMap, 0, L"\\Device\\QuovilTestA", W(free));
  EXPECT_TRUE(platform_.PortExists(free));
  EXPECT_NE(platform_.FreeMapPort(), free);
}

// ---------------------------------------------------------------- running programs

TEST(RunAndCapture, LinesOfAHiddenProgramsOutput) {
  WinSetupPlatform platform;
  std::vector<std::string> lines{"stale"};
  ASSERT_TRUE(platform.RunAndCapture(SystemProgram("cmd.exe"), " /c echo one& echo two words& echo three", lines));
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "two words", "three"}));

  ASSERT_TRUE(platform.RunAndCapture(SystemProgram("cmd.exe"), " /c rem nothing", lines));
  EXPECT_TRUE(lines.empty());
}

TEST(RunAndCapture, RunsInTheProgramsFolderEvenWithBlanksAndCyrillicInIt) {
  const std::string dir = AwkwardFolder();
  const std::string cmd = dir + "\\cmd.exe";
  ASSERT_TRUE(CopyFileW(W(SystemProgram("cmd.exe")).c_str(), W(cmd).c_str(), FALSE));
  Touch(dir + "\\marker.txt");
  WinSetupPlatform platform;
  std::vector<std::string> lines;
  ASSERT_TRUE(platform.RunAndCapture(cmd, " /c if exist marker.txt (echo here) else (echo elsewhere)", lines));
  EXPECT_EQ(lines, std::vector<std::string>{"here"});
  DeleteFileW(W(cmd).c_str());
}

TEST(RunAndCapture, AProgramThatDoesNotStartIsTheOnlyFailure) {
  WinSetupPlatform platform;
  std::vector<std::string> lines{"stale"};
  EXPECT_FALSE(platform.RunAndCapture(AwkwardFolder() + "\\missing.exe", " list", lines));
  EXPECT_TRUE(lines.empty());
  // A program that fails still ran: its output counts.
  EXPECT_TRUE(platform.RunAndCapture(SystemProgram("cmd.exe"), " /c echo failing& exit 7", lines));
  EXPECT_EQ(lines, std::vector<std::string>{"failing"});
}

TEST(RunAndCapture, OutputBeyondTheLimitIsDroppedWithoutBlockingTheProgram) {
  const std::string big = AwkwardFolder() + "\\big.txt";
  Touch(big, 3 * kMaxCapturedBytes);
  WinSetupPlatform platform;
  std::vector<std::string> lines;
  ASSERT_TRUE(platform.RunAndCapture(SystemProgram("cmd.exe"), " /c type \"" + big + "\"", lines));
  size_t bytes = 0;
  for (const std::string& l : lines) bytes += l.size() + 2;
  EXPECT_LE(bytes, kMaxCapturedBytes + 2);
  EXPECT_GT(bytes, kMaxCapturedBytes / 2);
  EXPECT_EQ(lines.front(), "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
  DeleteFileW(W(big).c_str());
}

TEST(RunAndCapture, OutputSplitIntoLines) {
  EXPECT_EQ(SplitOutputLines("a\r\nb\nc"), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(SplitOutputLines("\r\n\r\nx\r\n"), (std::vector<std::string>{"", "", "x"}));
  EXPECT_EQ(SplitOutputLines("cr\ronly"), std::vector<std::string>{"cr\ronly"});
  EXPECT_TRUE(SplitOutputLines("").empty());
}

TEST(RunAndWait, TheExitCodeDecidesTheOutcome) {
  WinSetupPlatform platform;
  EXPECT_EQ(platform.RunAndWait(SystemProgram("cmd.exe"), " /c exit 0"), WinSetupPlatform::kRunSucceeded);
  EXPECT_EQ(platform.RunAndWait(SystemProgram("cmd.exe"), " /c exit 3"), WinSetupPlatform::kRunFailed);
  EXPECT_EQ(platform.RunAndWait(AwkwardFolder() + "\\missing.exe", "/S"), WinSetupPlatform::kRunFailed);
  // The wizard's reading of the outcome: above 64 goes on, below 64 is an error.
  EXPECT_GT(WinSetupPlatform::kRunSucceeded, 64);
  EXPECT_LT(WinSetupPlatform::kRunFailed, 64);
}

TEST(RunAndWait, RunsInTheProgramsFolderAndKeepsTheWindowResponsive) {
  const std::string dir = AwkwardFolder();
  const std::string cmd = dir + "\\cmd.exe";
  ASSERT_TRUE(CopyFileW(W(SystemProgram("cmd.exe")).c_str(), W(cmd).c_str(), FALSE));
  Touch(dir + "\\marker.txt");
  int pumped = 0;
  WinSetupPlatform platform([&pumped] {
    ++pumped;
    return true;
  });
  EXPECT_EQ(platform.RunAndWait(cmd, " /c if exist marker.txt (exit 0) else (exit 5)"), WinSetupPlatform::kRunSucceeded);
  // A run that outlasts one wait slice lets the window's events through.
  EXPECT_EQ(platform.RunAndWait(SystemProgram("ping.exe"), " -n 2 127.0.0.1"), WinSetupPlatform::kRunSucceeded);
  EXPECT_GT(pumped, 0);
  DeleteFileW(W(cmd).c_str());
}

TEST(RunAndWait, AViewerThatIsEndingStopsWaiting) {
  WinSetupPlatform platform([] { return false; });
  EXPECT_EQ(platform.RunAndWait(SystemProgram("ping.exe"), " -n 2 127.0.0.1"), WinSetupPlatform::kRunFailed);
}

}  // namespace
}  // namespace quovil

#endif  // _WIN32
