// quovil-cli info and clear on recorded card images.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>

#include "mkcard/mkcard.h"
#include "support/files.h"
#include "support/shell.h"

using nlohmann::json;
namespace fs = std::filesystem;

namespace {

struct CliRun {
  int exitCode = -1;
  json out;
  std::string err;
};

using quovil::test::ReadText;

class CliCard : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("quovil-cli-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Card(const mkcard::Options& o, mkcard::Recorded* truth = nullptr) {
    std::string path = (dir_ / ("card" + std::to_string(n_++) + ".img")).string();
    mkcard::Recorded t = mkcard::WriteCard(o, path);
    EXPECT_EQ(t.format, o.format);
    if (truth) *truth = t;
    return path;
  }

  CliRun Cli(const std::string& args) {
    std::string errPath = (dir_ / "stderr.txt").string();
    std::string cmd = std::string(QUOVIL_CLI) + " " + args + " 2>'" + errPath + "'";
    CliRun r;
    const std::string text = quovil::test::Shell(cmd, &r.exitCode);
    r.out = json::parse(text, nullptr, false);
    r.err = ReadText(errPath);
    return r;
  }

  static std::string Q(const std::string& s) { return "'" + s + "'"; }

  fs::path dir_;
  int n_ = 0;
};

std::string DecimalSize(uintmax_t size) {
  if (size < 1000) return std::to_string(size) + " bytes";
  if (size < 1000000) return std::to_string(size / 1000) + " Kb";
  if (size < 1000000000) return std::to_string(size / 1000000) + " Mb";
  return std::to_string(size / 1000000000) + " Gb";
}

TEST_F(CliCard, InfoOfEveryFormatLeavesTheImageAlone) {
  for (int format : {0, 1, 2}) {
    mkcard::Options o;
    o.format = format;
    o.records = 60;
    mkcard::Recorded t;
    std::string path = Card(o, &t);
    std::string before = ReadText(path);
    CliRun r = Cli("info " + Q(path));
    ASSERT_EQ(r.exitCode, 0) << r.out.dump();
    EXPECT_EQ(r.out["source"], "card");
    EXPECT_EQ(r.out["format"], format);
    EXPECT_EQ(r.out["width"], t.width);
    EXPECT_EQ(r.out["height"], t.height);
    EXPECT_EQ(r.out["pictureBytes"], t.pictureBytes);
    EXPECT_EQ(r.out["soundBytes"], t.soundBytes);
    EXPECT_EQ(r.out["sampleRate"], t.sampleRate);
    EXPECT_EQ(r.out["hasSound"], t.hasSound);
    EXPECT_EQ(r.out["entryCount"], t.entryCount);
    if (format != 2) {
      EXPECT_EQ(r.out["frameStride"], t.frameStride);
    }
    const json& status = r.out["status"];
    ASSERT_EQ(status.size(), 5u);
    EXPECT_EQ(status[0], " Размер: " + DecimalSize(fs::file_size(path)));
    EXPECT_EQ(status[3], "");
    EXPECT_EQ(status[4].get<std::string>().rfind(" Фрагмент: ", 0), 0u);
    EXPECT_NE(status[4], " Фрагмент: не задан");
    if (format != 2) {
      EXPECT_EQ(status[1], " Качество: 320x256");
    } else {
      EXPECT_EQ(status[1].get<std::string>().rfind(" Сжатие: ", 0), 0u);
    }
    EXPECT_EQ(ReadText(path), before) << format;
  }
}

TEST_F(CliCard, CopyQuestionGoesToStderrAndIsAnsweredAsAsked) {
  mkcard::Options o;
  o.format = 2;
  o.differentCopies = true;
  std::string path = Card(o);
  std::string before = ReadText(path);
  CliRun first = Cli("info " + Q(path));
  ASSERT_EQ(first.exitCode, 0);
  EXPECT_EQ(first.err,
            "Копии таблиц состояния отличаются!\rХотите исползовать первую копию?\rОтветьте нет, если второую.\n");
  CliRun second = Cli("info --second-copy " + Q(path));
  ASSERT_EQ(second.exitCode, 0);
  EXPECT_EQ(second.err, first.err);
  EXPECT_EQ(ReadText(path), before);
}

TEST_F(CliCard, ErrorsCarryTheViewersText) {
  CliRun missing = Cli("info " + Q((dir_ / "none.img").string()));
  EXPECT_NE(missing.exitCode, 0);
  EXPECT_EQ(missing.out, (json{{"error", "cannot open " + (dir_ / "none.img").string() + ": No such file or directory"}}));

  mkcard::Options o;
  o.format = 1;
  o.badBothCopies = true;
  CliRun damaged = Cli("info " + Q(Card(o)));
  EXPECT_NE(damaged.exitCode, 0);
  EXPECT_EQ(damaged.out, (json{{"error", "Испорчен заголовок карты памяти!"}}));

  o.format = 2;
  o.badBothCopies = false;
  o.tableVersion = 5;
  CliRun version = Cli("info " + Q(Card(o)));
  EXPECT_EQ(version.out, (json{{"error", "Не поддерживаемая версия!"}}));
}

TEST_F(CliCard, ClearEmptiesTheCardAndTouchesOnlyTheStateTables) {
  for (int format : {1, 2}) {
    mkcard::Options o;
    o.format = format;
    o.records = 40;
    mkcard::Recorded t;
    std::string path = Card(o, &t);
    std::string before = ReadText(path);
    CliRun r = Cli("clear " + Q(path));
    ASSERT_EQ(r.exitCode, 0) << r.out.dump();
    EXPECT_EQ(r.out, (json{{"cleared", true}}));
    EXPECT_EQ(r.err, "Вы уверены, что хотите удалить\rвсе содержимое с карты памяти?\nКарта памяти очищена успешно!\n");
    std::string after = ReadText(path);
    ASSERT_EQ(after.size(), before.size());
    for (size_t b = 0; b < after.size(); ++b) {
      bool stateSector = b / 512 == t.stateSector || b / 512 == t.stateSector + 1;
      if (!stateSector && after[b] != before[b]) FAIL() << "format " << format << " byte " << b << " changed";
    }
    CliRun info = Cli("info " + Q(path));
    ASSERT_EQ(info.exitCode, 0);
    if (format == 2) {
      EXPECT_EQ(info.out["entryCount"], 0);
    }
    EXPECT_EQ(info.out["status"][2], " Записано: 0%");
    // An empty card has nothing to clear.
    EXPECT_EQ(Cli("clear " + Q(path)).out, (json{{"cleared", false}}));
  }
}

TEST_F(CliCard, ClearArchiveAreaOfFormat0) {
  mkcard::Options o;
  o.format = 0;
  o.records = 50;
  o.archiveRecords = 20;
  mkcard::Recorded t;
  std::string path = Card(o, &t);
  CliRun r = Cli("clear --archive-area " + Q(path));
  ASSERT_EQ(r.exitCode, 0) << r.out.dump();
  EXPECT_EQ(r.err.substr(0, r.err.find('\n')), "Вы уверены, что хотите удалить\rвсе фотографии из архива?");
  std::string card = ReadText(path);
  auto u16 = [&](size_t off) { return int(uint8_t(card[off])) | (int(uint8_t(card[off + 1])) << 8); };
  EXPECT_EQ(u16(0x100000 + 8), 0);                      // ArchiveCount
  EXPECT_EQ(u16(0x100000 + 6), u16(0x100000 + 10));     // ArchiveFirstSlot = TotalSlots
  EXPECT_EQ(u16(0x120200 + 6), u16(0x120200 + 10));
  EXPECT_EQ(u16(0x100000 + 4), t.entryCount);           // the main area's records stay
}

}  // namespace
