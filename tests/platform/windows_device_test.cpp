// The device class of \\.\PHYSICALDRIVEn, exercised on files opened the same
// way (Wine has no physical drives): whole-sector transfers through the
// bounce buffer, lengths, offsets past 4 GiB, and the end of the drive scan.
#ifdef _WIN32

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/block_device.h"
#include "platform/utf8_file.h"
#include "sparse_file.h"
#include "test_env.h"

using namespace quovil;
namespace fs = std::filesystem;

namespace {

uint8_t Pattern(uint64_t at) { return uint8_t((at * 7 + (at >> 9)) & 0xFF); }

class WindowsDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("quovil-windev-" + std::to_string(getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  std::string MakePattern(const std::string& name, size_t size) {
    std::vector<char> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = char(Pattern(i));
    const std::string path = PathToUtf8(dir_ / name);
    std::ofstream(dir_ / name, std::ios::binary).write(bytes.data(), std::streamsize(size));
    return path;
  }
  static bool MatchesPattern(const std::vector<uint8_t>& got, uint64_t from) {
    for (size_t i = 0; i < got.size(); ++i)
      if (got[i] != Pattern(from + i)) return false;
    return true;
  }
  fs::path dir_;
};

TEST_F(WindowsDevice, FileOpenedLikeADriveTakesAnyBytesAndKeepsTheirNeighbours) {
  const std::string path = MakePattern("drive.img", 8192);
  auto dev = OpenWindowsDevice(path);
  ASSERT_TRUE(dev);
  EXPECT_EQ(dev->Name(), path);
  EXPECT_EQ(dev->Length(), 8192);    // no disk length: the file's size
  EXPECT_FALSE(dev->Removable());    // no drive geometry: never taken for a card reader
  EXPECT_FALSE(dev->Present());

  std::vector<uint8_t> got(1000);
  ASSERT_TRUE(dev->Read(300, got.data(), got.size()));
  EXPECT_TRUE(MatchesPattern(got, 300));
  // Whole sectors into memory that is not sector-aligned.
  std::vector<uint8_t> odd(1024 + 1);
  ASSERT_TRUE(dev->Read(512, odd.data() + 1, 1024));
  EXPECT_TRUE(MatchesPattern({odd.begin() + 1, odd.end()}, 512));

  const uint8_t three[3] = {0xA1, 0xA2, 0xA3};
  ASSERT_TRUE(dev->Write(510, three, 3));  // across a sector boundary
  std::vector<uint8_t> around(8);
  ASSERT_TRUE(dev->Read(506, around.data(), around.size()));
  EXPECT_EQ(around, (std::vector<uint8_t>{Pattern(506), Pattern(507), Pattern(508), Pattern(509), 0xA1, 0xA2, 0xA3,
                                           Pattern(513)}));
  std::vector<uint8_t> rest(512);
  ASSERT_TRUE(dev->Read(1024, rest.data(), rest.size()));
  EXPECT_TRUE(MatchesPattern(rest, 1024));

  EXPECT_FALSE(dev->Read(8000, got.data(), 500));  // past the end
  EXPECT_TRUE(dev->Read(0, got.data(), 0));
}

TEST_F(WindowsDevice, ReadsLongerThanTheBounceBufferArriveWhole) {
  const size_t size = size_t(3) << 20;
  const std::string path = MakePattern("long.img", size);
  auto dev = OpenWindowsDevice(path);
  ASSERT_TRUE(dev);
  std::vector<uint8_t> got(size - 1000);
  ASSERT_TRUE(dev->Read(777, got.data(), got.size()));
  EXPECT_TRUE(MatchesPattern(got, 777));
  std::vector<uint8_t> ones(size_t(1) << 21, 0x5A);
  ASSERT_TRUE(dev->Write(100, ones.data(), ones.size()));
  std::vector<uint8_t> edge(4);
  ASSERT_TRUE(dev->Read(98, edge.data(), 4));
  EXPECT_EQ(edge, (std::vector<uint8_t>{Pattern(98), Pattern(99), 0x5A, 0x5A}));
  ASSERT_TRUE(dev->Read(100 + ones.size() - 2, edge.data(), 4));
  EXPECT_EQ(edge, (std::vector<uint8_t>{0x5A, 0x5A, Pattern(100 + ones.size()), Pattern(101 + ones.size())}));
}

TEST_F(WindowsDevice, OffsetsBeyondFourGigabytes) {
  const std::string path = MakePattern("sparse.img", 0);
  ASSERT_TRUE(test::MakeSparse(path, uint64_t(6) << 30));
  auto dev = OpenWindowsDevice(path);
  ASSERT_TRUE(dev);
  EXPECT_EQ(dev->Length(), int64_t(6) << 30);
  test::ExpectFarOffsetsRoundTrip(*dev);
}

TEST_F(WindowsDevice, MissingPathOrNameThatIsNoUtf8OpensNothing) {
  EXPECT_EQ(OpenWindowsDevice(PathToUtf8(dir_ / "none.img")), nullptr);
  EXPECT_EQ(OpenWindowsDevice(""), nullptr);
  EXPECT_EQ(OpenWindowsDevice("\xC3("), nullptr);
  EXPECT_EQ(OpenPhysicalDrive(-1), nullptr);
}

// The scan opens \\.\PHYSICALDRIVE1, 2, ... and ends at the first that cannot
// be opened; without the right to open drives (or under Wine) that is the first.
TEST(PhysicalDrives, ScanEndsAtTheFirstDriveThatCannotBeOpened) {
  test::UnsetEnv("QUOVIL_DRIVES");
  auto drives = SystemDriveEnumerator();
  EXPECT_EQ(drives->Count(), -1);
  int n = 0;
  while (n < 64) {
    auto dev = drives->Open(n);
    if (!dev) break;
    EXPECT_EQ(dev->Name(), "\\\\.\\PHYSICALDRIVE" + std::to_string(n + 1));
    ++n;
  }
  EXPECT_LT(n, 64);
}

// Drive 0 (the system disk; Wine offers one with a geometry and nothing to
// read) answers every question without harm. Nothing is written.
TEST(PhysicalDrives, SystemDiskAnswersWithoutHarm) {
  auto dev = OpenPhysicalDrive(0);
  if (!dev) GTEST_SKIP() << "\\\\.\\PHYSICALDRIVE0 cannot be opened for reading and writing here";
  EXPECT_EQ(dev->Name(), "\\\\.\\PHYSICALDRIVE0");
  EXPECT_EQ(dev->Present(), dev->Removable());
  EXPECT_GE(dev->Length(), -1);
  std::vector<uint8_t> sector(512), part(20);
  if (dev->Read(0, sector.data(), sector.size())) {
    ASSERT_TRUE(dev->Read(100, part.data(), part.size()));
    EXPECT_TRUE(std::equal(part.begin(), part.end(), sector.begin() + 100));
  } else {
    EXPECT_FALSE(dev->Read(100, part.data(), part.size()));
  }
}

}  // namespace

#endif  // _WIN32
