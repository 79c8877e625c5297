// The main routine of every test program. ctest runs test programs side by
// side, and many tests write their cards and outputs under the test temporary
// folder: each process gets a folder of its own, so they never share a file.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/card_writes.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

// The viewer never changes a card except when the user clears it: a test
// fails when it made the program write to a card outside an AllowCardWrites
// span.
class CardWriteGuard : public testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo&) override { before_ = quovil::test::CardWritesNotAllowed(); }
  void OnTestEnd(const testing::TestInfo& info) override {
    if (quovil::test::CardWritesNotAllowed() != before_) {
      ADD_FAILURE() << info.test_suite_name() << "." << info.name()
                    << " wrote to a card outside an AllowCardWrites span";
    }
  }
  uint64_t before_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  std::string ownFolder;
#ifndef _WIN32
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/quovil_test_XXXXXX";
  if (const char* dir = mkdtemp(pattern.data())) {
    ownFolder = dir;
    setenv("TEST_TMPDIR", dir, 1);  // ::testing::TempDir()
    setenv("TMPDIR", dir, 1);       // std::filesystem::temp_directory_path(), and the programs tests start
  }
#endif
  testing::InitGoogleTest(&argc, argv);
  // Ahead of the result printer, so that a write shows as this test's failure.
  testing::TestEventListeners& listeners = testing::UnitTest::GetInstance()->listeners();
  testing::TestEventListener* printer = listeners.Release(listeners.default_result_printer());
  listeners.Append(new CardWriteGuard);
  if (printer) listeners.Append(printer);
  const int result = RUN_ALL_TESTS();
  // The folder goes with a passing run; a failing one leaves it to look into.
  if (!ownFolder.empty()) {
    std::error_code ec;
    if (result == 0) std::filesystem::remove_all(ownFolder, ec);
    else std::fprintf(stderr, "test files kept in %s\n", ownFolder.c_str());
  }
  return result;
}
