#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/block_device.h"
#include "sparse_file.h"
#include "test_env.h"

using namespace quovil;
namespace fs = std::filesystem;

namespace {

class TempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("quovil-platform-" + std::to_string(getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(dir_, fs::perms::owner_all, ec);
    // Windows does not delete a read-only file.
    for (const auto& e : fs::recursive_directory_iterator(dir_, ec)) fs::permissions(e.path(), fs::perms::owner_all, ec);
    fs::remove_all(dir_, ec);
  }
  std::string Make(const std::string& name, size_t size, uint8_t fill = 0) {
    std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << std::string(size, char(fill));
    return path;
  }
  fs::path dir_;
};

using ImageFile = TempDir;

TEST_F(ImageFile, ReadsAndWritesAtByteOffsets) {
  std::string path = Make("card.img", 4096, 0x11);
  auto dev = OpenImageFile(path);
  ASSERT_TRUE(dev);
  EXPECT_EQ(dev->Length(), 4096);
  EXPECT_TRUE(dev->Removable());
  EXPECT_TRUE(dev->Present());
  const uint8_t data[3] = {1, 2, 3};
  ASSERT_TRUE(dev->Write(1000, data, 3));
  uint8_t back[8] = {};
  ASSERT_TRUE(dev->Read(999, back, 5));
  EXPECT_EQ(back[0], 0x11);
  EXPECT_EQ(back[1], 1);
  EXPECT_EQ(back[3], 3);
  EXPECT_EQ(back[4], 0x11);
  // Short at the end: the whole read fails.
  EXPECT_FALSE(dev->Read(4090, back, 8));
  EXPECT_EQ(OpenImageFile((dir_ / "missing").string()), nullptr);
  EXPECT_EQ(OpenImageFile(dir_.string()), nullptr);
}

TEST_F(ImageFile, OffsetsBeyondFourGigabytes) {
  std::string path = Make("sparse.img", 0);
  ASSERT_TRUE(test::MakeSparse(path, uint64_t(6) << 30));
  auto dev = OpenImageFile(path);
  ASSERT_TRUE(dev);
  test::ExpectFarOffsetsRoundTrip(*dev);
}

TEST_F(ImageFile, FallsBackToReadOnlyWhenWritingIsRefused) {
  std::string path = Make("ro.img", 1024, 0x22);
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  if (std::FILE* f = std::fopen(path.c_str(), "r+b")) {
    std::fclose(f);
    GTEST_SKIP() << "a read-only file is still writable here (run as root, or Wine run as root)";
  }
  auto dev = OpenImageFile(path);
  ASSERT_TRUE(dev);
  uint8_t b = 0;
  EXPECT_TRUE(dev->Read(10, &b, 1));
  EXPECT_EQ(b, 0x22);
  EXPECT_FALSE(dev->Write(10, &b, 1));
}

TEST_F(ImageFile, ReadOnlyFileNeverWrites) {
  std::string path = Make("archive.kif", 100, 0x33);
  auto dev = OpenReadOnlyFile(path);
  ASSERT_TRUE(dev);
  uint8_t b = 0;
  EXPECT_FALSE(dev->Write(0, &b, 1));
  EXPECT_TRUE(dev->Read(99, &b, 1));
}

TEST_F(ImageFile, GoneOnceRemovedOrReplaced) {
  std::string path = Make("card.img", 1024);
  auto dev = OpenImageFile(path);
  ASSERT_TRUE(dev);
  ASSERT_TRUE(dev->Present());
  ASSERT_EQ(std::remove(path.c_str()), 0);
  EXPECT_FALSE(dev->Present());
  // Another image put in its place is another card.
  Make("card.img", 1024);
  EXPECT_FALSE(dev->Present());
}

// A card image is held the way a card is: nothing can be written to it
// until clearing opens it for writing, and only while the path still names
// the file that was read.
TEST_F(ImageFile, ACardImageIsWrittenOnlyBetweenBeginAndEndWrites) {
  std::string path = Make("card.img", 2048, 0x44);
  auto dev = OpenCardImage(path);
  ASSERT_TRUE(dev);
  const uint8_t one = 1;
  EXPECT_FALSE(dev->Write(100, &one, 1));
  ASSERT_TRUE(dev->BeginWrites());
  EXPECT_TRUE(dev->BeginWrites());  // asked twice, still one opening
  EXPECT_TRUE(dev->Write(100, &one, 1));
  dev->EndWrites();
  EXPECT_FALSE(dev->Write(101, &one, 1));
  uint8_t back[2] = {};
  ASSERT_TRUE(dev->Read(100, back, 2));
  EXPECT_EQ(back[0], 1);
  EXPECT_EQ(back[1], 0x44);

  // Another file put in its place is not written through the old name.
  ASSERT_EQ(std::remove(path.c_str()), 0);
  Make("card.img", 2048, 0x55);
  EXPECT_FALSE(dev->BeginWrites());
  EXPECT_FALSE(dev->Write(0, &one, 1));
  dev.reset();
  // Windows makes no new file while the old one is open: then there is none.
  if (std::ifstream in(path, std::ios::binary); in) {
    EXPECT_EQ(in.get(), 0x55);
  }
}

TEST_F(ImageFile, ACardImageThatMayNotBeWrittenIsStillRead) {
  std::string path = Make("ro.img", 1024, 0x22);
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  auto dev = OpenCardImage(path);
  ASSERT_TRUE(dev);
  uint8_t b = 0;
  EXPECT_TRUE(dev->Read(10, &b, 1));
  EXPECT_EQ(b, 0x22);
  if (std::FILE* f = std::fopen(path.c_str(), "r+b")) {
    std::fclose(f);
    GTEST_SKIP() << "a read-only file is still writable here (run as root, or Wine run as root)";
  }
  EXPECT_FALSE(dev->BeginWrites());
}

// The window and a worker read one open source at the same time, while the
// card watch asks whether it is still there: every read gets its own bytes.
TEST_F(ImageFile, ReadsFromSeveralThreadsWhileThePresenceIsChecked) {
  std::string path = (dir_ / "card.img").string();
  {
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < 4096; ++i) out.put(char(i * 7 + i / 256));
  }
  auto dev = OpenImageFile(path);
  ASSERT_TRUE(dev);
  std::atomic<int> wrong{0};
  auto reader = [&](int seed) {
    uint8_t buf[64];
    for (int k = 0; k < 2000; ++k) {
      const uint64_t off = uint64_t((k * 131 + seed * 17) % (4096 - 64));
      if (!dev->Read(off, buf, sizeof buf)) {
        ++wrong;
        continue;
      }
      for (int j = 0; j < 64; ++j) {
        const int i = int(off) + j;
        if (buf[j] != uint8_t(i * 7 + i / 256)) {
          ++wrong;
          break;
        }
      }
    }
  };
  std::thread a(reader, 1), b(reader, 2);
  bool alwaysPresent = true;
  for (int k = 0; k < 200; ++k) alwaysPresent = dev->Present() && alwaysPresent;
  a.join();
  b.join();
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_TRUE(alwaysPresent);
}

TEST(MemoryDeviceTest, StaysInsideItsBytes) {
  auto dev = MemoryDevice(std::vector<uint8_t>(100, 5), false);
  EXPECT_FALSE(dev->Removable());
  EXPECT_EQ(dev->Length(), 100);
  uint8_t b[10];
  EXPECT_TRUE(dev->Read(90, b, 10));
  EXPECT_FALSE(dev->Read(91, b, 10));
  EXPECT_FALSE(dev->Read(uint64_t(-5), b, 10));
  EXPECT_FALSE(dev->Write(95, b, 10));
  EXPECT_TRUE(dev->Write(0, b, 0));
}

using DriveList = TempDir;

TEST_F(DriveList, NamedPathsAreTheCandidatesInOrder) {
  std::string a = Make("a.img", 512, 1), b = Make("b.img", 512, 2);
  std::string missing = (dir_ / "none.img").string();
  const std::string sep(1, test::kPathListSeparator);
  test::SetEnv("QUOVIL_DRIVES", a + sep + sep + missing + sep + b);
  auto drives = SystemDriveEnumerator();
  test::UnsetEnv("QUOVIL_DRIVES");
  ASSERT_EQ(drives->Count(), 3);
  auto first = drives->Open(0);
  ASSERT_TRUE(first);
  EXPECT_TRUE(first->Removable());
  EXPECT_EQ(first->Name(), a);
  EXPECT_EQ(drives->Open(1), nullptr);
  ASSERT_TRUE(drives->Open(2));
  EXPECT_EQ(drives->Open(3), nullptr);
  EXPECT_EQ(drives->Open(-1), nullptr);
}

#ifdef __linux__
TEST_F(DriveList, LinuxWholeDisksSkipVirtualDevicesAndSortByName) {
  for (const char* name : {"sdb", "loop0", "mmcblk0", "ram1", "dm-0", "sda", "mmcblk0boot0", "sr0", "zram0"}) {
    fs::create_directories(dir_ / name);
  }
  EXPECT_EQ(LinuxWholeDisks(dir_.string()), (std::vector<std::string>{"mmcblk0", "sda", "sdb"}));
  EXPECT_TRUE(LinuxWholeDisks((dir_ / "nothing").string()).empty());
  EXPECT_EQ(OpenLinuxDisk("../etc/passwd"), nullptr);
  EXPECT_EQ(OpenLinuxDisk("quovil-no-such-disk"), nullptr);
}
#endif

}  // namespace
