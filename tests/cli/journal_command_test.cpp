// quovil-cli journal: the journal window's rows and status panels as JSON.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "journal/journal_fixture.h"
#include "mkcard/mkcard.h"
#include "support/shell.h"

using nlohmann::json;
using namespace journal_fixture;

namespace {

struct CliRun {
  int exitCode = -1;
  json out;
};

std::string Quote(const std::string& s) { return "'" + s + "'"; }

CliRun Cli(const std::string& args) {
  const std::string cmd = std::string(QUOVIL_CLI) + " " + args + " 2>/dev/null";
  CliRun r;
  const std::string text = quovil::test::Shell(cmd, &r.exitCode);
  r.out = json::parse(text, nullptr, false);
  return r;
}

std::string CardImage(const TempDir& dir, int format, bool wrapped = false) {
  mkcard::Options o;
  o.format = format;
  o.records = 24;
  o.journal = format == 2;
  o.journalWrapped = wrapped;
  const std::string path = dir.File("card" + std::to_string(format) + ".img");
  EXPECT_EQ(mkcard::WriteCard(o, path).format, format);
  return path;
}

TEST(JournalCommand, ReadsTheJournalOfACard) {
  TempDir dir("cli_card");
  const CliRun r = Cli("journal " + Quote(CardImage(dir, 2)));
  ASSERT_EQ(r.exitCode, 0) << r.out.dump();
  EXPECT_EQ(r.out["status"], json::array({" 60 записей", " Версия ПО: 2.17 от 14.03.2023",
                                          " Версия железа: KX-MB rev.C", " ID: KX0004711", ""}));
  const json& rows = r.out["rows"];
  ASSERT_GT(rows.size(), 2u);
  EXPECT_EQ(rows[0], (json{{"date", ""}, {"time", ""}, {"text", ""}, {"image", -1}}));
  EXPECT_EQ(rows[1]["text"], "Подача питания");
  EXPECT_EQ(rows[1]["image"], 1);
  EXPECT_EQ(rows[1]["date"].get<std::string>().substr(0, 1), " ");
  EXPECT_EQ(rows[1]["time"].get<std::string>().size(), 5u);
}

TEST(JournalCommand, SavedFileReadsBackToTheSameRows) {
  TempDir dir("cli_save");
  const std::string klf = dir.File("out.klf");
  const CliRun fromCard = Cli("journal " + Quote(CardImage(dir, 2, true)) + " --save " + Quote(klf));
  ASSERT_EQ(fromCard.exitCode, 0) << fromCard.out.dump();
  const CliRun fromFile = Cli("journal " + Quote(klf));
  ASSERT_EQ(fromFile.exitCode, 0) << fromFile.out.dump();
  EXPECT_EQ(fromFile.out, fromCard.out);
  EXPECT_EQ(fromFile.out["status"][0], " 256 записей");
}

TEST(JournalCommand, RefusalsAreErrorsInTheViewersWords) {
  TempDir dir("cli_refused");
  CliRun r = Cli("journal " + Quote(CardImage(dir, 1)));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, (json{{"error", "Not supported foarmat"}}));

  WriteAll(dir.File("v2.klf"), Concat(Header(64, 0, {}, 2), Area(8)));
  r = Cli("journal " + Quote(dir.File("v2.klf")));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, (json{{"error", "Invalid version"}}));

  r = Cli("journal " + Quote(dir.File("absent.klf")));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, (json{{"error", "Ошибка открытия файла!"}}));

  // The header promises more than the file holds.
  WriteAll(dir.File("cut.klf"), Concat(Header(4096, 0), Area(8)));
  r = Cli("journal " + Quote(dir.File("cut.klf")));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, (json{{"error", "Ошибка открытия файла!"}}));
}

TEST(JournalCommand, AnEmptyJournalIsShownButNotSaved) {
  TempDir dir("cli_empty");
  WriteAll(dir.File("empty.klf"), Header(0, 0));
  CliRun r = Cli("journal " + Quote(dir.File("empty.klf")));
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out["status"][0], "журнал пуст");
  EXPECT_EQ(r.out["rows"], json::array());

  r = Cli("journal " + Quote(dir.File("empty.klf")) + " --save " + Quote(dir.File("out.klf")));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, (json{{"error", "журнал пуст"}}));
  EXPECT_FALSE(std::filesystem::exists(dir.File("out.klf")));
}

}  // namespace
