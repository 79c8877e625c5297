// The output check: a name that leads to a file held as an input, by any
// spelling or link, a folder, or a name ending in a separator is refused; a
// file no longer held, or a new name, may be written. The same on Windows,
// where files are known by volume and file index.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/block_device.h"
#include "platform/file_guard.h"
#include "platform/utf8_file.h"
#include "support/files.h"

namespace {

using namespace quovil;
namespace fs = std::filesystem;

TEST(OutputTarget, AHeldInputIsRefusedByEveryNameAndFreedWhenClosed) {
  test::ScratchFolder dir("quovil_guard");
  const std::string card = dir / "card.img", link = dir / "same.img", other = dir / "other.img";
  ASSERT_TRUE(test::WriteText(card, "card"));
  ASSERT_TRUE(test::WriteText(other, "other"));
  fs::create_hard_link(PathFromUtf8(card), PathFromUtf8(link));
  {
    const auto open = OpenReadOnlyFile(card);
    ASSERT_TRUE(open);
    for (const std::string& name : {card, link, dir / "./card.img"}) {
      EXPECT_EQ(CheckOutputTarget(name), OutputProblem::OpenInput) << name;
      std::string error;
      EXPECT_EQ(CreateOutputFile(name, error), nullptr) << name;
      EXPECT_EQ(error, "Не могу сохранить в открытый файл!");
    }
    EXPECT_EQ(CheckOutputTarget(other), OutputProblem::None);
    EXPECT_EQ(CheckOutputTarget(dir / "new.img"), OutputProblem::None);
  }
  EXPECT_EQ(CheckOutputTarget(link), OutputProblem::None);  // closed: no longer an input
  EXPECT_EQ(test::ReadText(card), "card");
}

TEST(OutputTarget, FoldersAndNamesEndingInASeparatorAreNoFiles) {
  test::ScratchFolder dir("quovil_guard");
  fs::create_directories(PathFromUtf8(dir / "out"));
  for (const std::string& name : {dir / "out", dir / "out/", dir / "missing/"}) {
    EXPECT_EQ(CheckOutputTarget(name), OutputProblem::Folder) << name;
    EXPECT_TRUE(NamesFolder(name)) << name;
  }
  std::string error;
  EXPECT_EQ(CreateOutputFile(dir / "out", error), nullptr);
  EXPECT_EQ(error, "Не могу сохранить в папку!");
  EXPECT_FALSE(NamesFolder(dir / "out.kif"));
}

TEST(OutputTarget, AHeldNameIsHeldUntilItsLastHolderGoes) {
  test::ScratchFolder dir("quovil_guard");
  const std::string src = dir / "src.kif";
  ASSERT_TRUE(test::WriteText(src, "archive"));
  auto first = std::make_unique<HeldInput>(src);
  {
    const HeldInput second(src);  // the command's source and the device it opened
  }
  EXPECT_EQ(CheckOutputTarget(src), OutputProblem::OpenInput);
  first.reset();
  EXPECT_EQ(CheckOutputTarget(src), OutputProblem::None);
}

}  // namespace
