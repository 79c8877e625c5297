// The main routine of every test program. ctest runs test programs side by
// side, and many tests write their cards and outputs under the test temporary
// folder: each process gets a folder of its own, so they never share a file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#ifndef _WIN32
#include <unistd.h>
#endif

int main(int argc, char** argv) {
#ifndef _WIN32
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/quovil_test_XXXXXX";
  if (const char* dir = mkdtemp(pattern.data())) {
    setenv("TEST_TMPDIR", dir, 1);  // ::testing::TempDir()
    setenv("TMPDIR", dir, 1);       // std::filesystem::temp_directory_path(), and the programs tests start
  }
#endif
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
