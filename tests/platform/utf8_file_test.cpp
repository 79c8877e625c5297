// File names and environment values in UTF-8, Cyrillic included, on every
// platform: written, found under the same name, read back, removed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/block_device.h"
#include "platform/utf8_file.h"
#include "test_env.h"

using namespace quovil;
namespace fs = std::filesystem;

namespace {

class Utf8Names : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = PathToUtf8(fs::temp_directory_path()) + "/quovil-имена-" + std::to_string(getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::create_directories(PathFromUtf8(dir_));
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(PathFromUtf8(dir_), ec);
  }
  std::string dir_;
};

TEST_F(Utf8Names, CyrillicFileNameRoundTrips) {
  const std::string name = dir_ + "/архив_тест.kif";
  const std::string text = "строка 1\nline 2\n";
  std::FILE* f = OpenFileUtf8(name, "wb");
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(std::fwrite(text.data(), 1, text.size(), f), text.size());
  ASSERT_EQ(std::fclose(f), 0);

  // The folder lists exactly that name.
  std::vector<std::string> listed;
  for (const auto& e : fs::directory_iterator(PathFromUtf8(dir_))) listed.push_back(PathToUtf8(e.path().filename()));
  EXPECT_EQ(listed, std::vector<std::string>{"архив_тест.kif"});

  // Binary mode: no byte added or changed, "\n" stays one byte.
  auto dev = OpenReadOnlyFile(name);
  ASSERT_TRUE(dev);
  EXPECT_EQ(dev->Length(), int64_t(text.size()));
  std::string back(text.size(), '\0');
  ASSERT_TRUE(dev->Read(0, back.data(), back.size()));
  EXPECT_EQ(back, text);
  dev.reset();

  f = OpenFileUtf8(name, "rb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  EXPECT_TRUE(RemoveFileUtf8(name));
  EXPECT_FALSE(fs::exists(PathFromUtf8(name)));
  EXPECT_FALSE(RemoveFileUtf8(name));
  EXPECT_EQ(OpenFileUtf8(name, "rb"), nullptr);
}

TEST_F(Utf8Names, CardImageNamedInCyrillicIsADriveCandidate) {
  const std::string card = dir_ + "/карта.img";
  std::FILE* f = OpenFileUtf8(card, "wb");
  ASSERT_NE(f, nullptr);
  std::fputc(0x42, f);
  std::fclose(f);
  test::SetEnv("QUOVIL_DRIVES", card);
  auto drives = SystemDriveEnumerator();
  test::UnsetEnv("QUOVIL_DRIVES");
  ASSERT_EQ(drives->Count(), 1);
  auto dev = drives->Open(0);
  ASSERT_TRUE(dev);
  EXPECT_EQ(dev->Name(), card);
  EXPECT_TRUE(dev->Present());
  uint8_t b = 0;
  ASSERT_TRUE(dev->Read(0, &b, 1));
  EXPECT_EQ(b, 0x42);
}

TEST(Utf8Env, ValuesComeBackAsSetAndUnsetIsNothing) {
  test::SetEnv("QUOVIL_TEST_ИМЯ", "C:\\Карты\\путь");
  EXPECT_EQ(GetEnvUtf8("QUOVIL_TEST_ИМЯ"), std::optional<std::string>("C:\\Карты\\путь"));
  test::UnsetEnv("QUOVIL_TEST_ИМЯ");
  EXPECT_EQ(GetEnvUtf8("QUOVIL_TEST_ИМЯ"), std::nullopt);
  EXPECT_EQ(GetEnvUtf8("QUOVIL_TEST_NEVER_SET"), std::nullopt);
}

TEST(Utf8Paths, FilesystemPathsKeepTheBytes) {
  const std::string name = "папка/файл ä €.bmp";
  EXPECT_EQ(PathToUtf8(PathFromUtf8(name)), name);
  EXPECT_EQ(PathToUtf8(PathFromUtf8(name).filename()), "файл ä €.bmp");
}

#ifdef _WIN32
TEST(Utf8Paths, NameThatIsNoUtf8OpensNothing) {
  EXPECT_EQ(WideFromUtf8("\xD0"), std::wstring());
  EXPECT_EQ(OpenFileUtf8("\xD0\xD0.bmp", "wb"), nullptr);
  EXPECT_EQ(OpenFileUtf8("", "rb"), nullptr);
  EXPECT_EQ(Utf8FromWide(WideFromUtf8("ё")), "ё");
}
#endif

}  // namespace
