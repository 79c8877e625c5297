// quovil-cli --lang: the window's Russian texts by default, the English ones
// with --lang en, for the status panels, the record kinds, the journal's
// events and the errors alike.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "cli/cli_json.h"
#include "mkcard/mkcard.h"

namespace fs = std::filesystem;
using cli_test::RunCli;

namespace {

bool HasCyrillic(const std::string& s) {
  // UTF-8 lead bytes 0xD0 and 0xD1 carry the Cyrillic letters.
  for (unsigned char c : s)
    if (c == 0xD0 || c == 0xD1) return true;
  return false;
}

class CliLanguage : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("cli-lang-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::create_directories(dir_);
    mkcard::Options o;
    o.format = 2;
    o.records = 40;
    o.journal = true;
    card_ = (dir_ / "card.img").string();
    mkcard::WriteCard(o, card_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path dir_;
  std::string card_;
};

TEST_F(CliLanguage, StatusPanelsAreRussianByDefaultAndEnglishWithLangEn) {
  const auto ru = RunCli("info '" + card_ + "'");
  const auto ruToo = RunCli("info '" + card_ + "' --lang ru");
  const auto en = RunCli("info '" + card_ + "' --lang en");
  ASSERT_EQ(ru.rc, 0);
  ASSERT_EQ(en.rc, 0);
  EXPECT_EQ(ru.out, ruToo.out);
  const auto& ruStatus = ru.out["status"];
  const auto& enStatus = en.out["status"];
  ASSERT_EQ(enStatus.size(), 5u);
  EXPECT_EQ(ruStatus[0].get<std::string>().rfind(" Размер: ", 0), 0u) << ruStatus[0];
  EXPECT_EQ(enStatus[0].get<std::string>().rfind(" Size: ", 0), 0u) << enStatus[0];
  EXPECT_EQ(enStatus[2].get<std::string>().rfind(" Recorded: ", 0), 0u) << enStatus[2];
  EXPECT_EQ(enStatus[4].get<std::string>().rfind(" Fragment: ", 0), 0u) << enStatus[4];
  for (const auto& panel : enStatus) EXPECT_FALSE(HasCyrillic(panel.get<std::string>())) << panel;
  // Everything else of the answer is the same.
  auto a = ru.out, b = en.out;
  a.erase("status");
  b.erase("status");
  EXPECT_EQ(a, b);
}

TEST_F(CliLanguage, KindsAndJournalEventsAreTranslatedWhole) {
  const auto ru = RunCli("list '" + card_ + "'");
  const auto en = RunCli("list '" + card_ + "' --lang en");
  ASSERT_EQ(en.rc, 0);
  ASSERT_EQ(ru.out["count"], en.out["count"]);
  ASSERT_GT(en.out["count"].get<int>(), 0);
  const std::regex english("manual recording|by external trigger|by motion|by timer|by sound|recording error");
  for (size_t i = 0; i < en.out["positions"].size(); ++i) {
    const std::string kind = en.out["positions"][i]["kind"];
    EXPECT_TRUE(std::regex_match(kind, english)) << kind;
    EXPECT_TRUE(HasCyrillic(ru.out["positions"][i]["kind"].get<std::string>()));
  }

  const auto journalRu = RunCli("journal '" + card_ + "'");
  const auto journalEn = RunCli("journal '" + card_ + "' --lang en");
  ASSERT_EQ(journalEn.rc, 0);
  ASSERT_EQ(journalRu.out["rows"].size(), journalEn.out["rows"].size());
  ASSERT_GT(journalEn.out["rows"].size(), 0u);
  bool anyRussian = false;
  for (const auto& row : journalRu.out["rows"]) anyRussian |= HasCyrillic(row["text"].get<std::string>());
  EXPECT_TRUE(anyRussian);
  for (const auto& row : journalEn.out["rows"]) EXPECT_FALSE(HasCyrillic(row["text"].get<std::string>())) << row;
  for (const auto& panel : journalEn.out["status"]) EXPECT_FALSE(HasCyrillic(panel.get<std::string>())) << panel;
}

TEST_F(CliLanguage, ErrorsFollowTheLanguageAndAnUnknownOneIsRefused) {
  const std::string missing = (dir_ / "none.klf").string();
  const auto ru = RunCli("journal '" + missing + "'");
  const auto en = RunCli("journal '" + missing + "' --lang en");
  EXPECT_NE(ru.rc, 0);
  EXPECT_NE(en.rc, 0);
  EXPECT_EQ(ru.out["error"], "Ошибка открытия файла!");
  EXPECT_EQ(en.out["error"], "Error opening the file!");

  const auto other = RunCli("info '" + card_ + "' --lang de");
  EXPECT_NE(other.rc, 0);
  ASSERT_TRUE(other.out.contains("error")) << other.out;
  EXPECT_FALSE(other.out.contains("status"));
}

}  // namespace
