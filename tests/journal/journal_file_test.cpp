#include <gtest/gtest.h>

#include "journal/journal_log.h"
#include "journal_fixture.h"

using namespace quovil;
using namespace journal_fixture;

namespace {

// A wrapped journal with power, link and power-on events, so the rows depend
// on the change state as well as on the records.
struct Sample {
  std::vector<uint8_t> header, area;
  Sample() {
    area = Area(16);
    const Record events[] = {Rec(22, 0x05), Rec(21, 0x02), Rec(1, 1),     Rec(22, 0x05), Rec(19, 0x1F),
                             Rec(2, 1),     Rec(22, 0x04), Rec(16, 3),    Rec(20, 0x03), Rec(1, 5)};
    // Written from place 12 on, wrapping: the head ends at 6, places 6..11 erased.
    for (uint32_t i = 0; i < 10; ++i) Put(area, (12 + i) % 16, events[i]);
    header = Header(16 * 8, 6);
  }
};

TEST(JournalFile, SaveThenLoadGivesTheSameRows) {
  TempDir dir("roundtrip");
  Sample s;
  Journal fromCard;
  fromCard.ReadJournalFromCard(Card(s.header, s.area));
  ASSERT_EQ(fromCard.ShownCount, 10);
  ASSERT_TRUE(fromCard.SaveJournalFile(dir.File("j.klf")));
  // The file is the header and the ring exactly as on the card.
  EXPECT_EQ(ReadAll(dir.File("j.klf")), Concat(s.header, s.area));

  Journal fromFile;
  ASSERT_TRUE(fromFile.LoadJournalFile(dir.File("j.klf")));
  EXPECT_EQ(fromFile.Rows, fromCard.Rows);
  EXPECT_EQ(fromFile.StatusPanels, fromCard.StatusPanels);
  EXPECT_EQ(fromFile.OldestRecord, 12);
  EXPECT_EQ(fromFile.Rows.size(), 10u);  // code 16 data 3 drops out, power-on adds a gap
}

TEST(JournalFile, NamesMayCarryCyrillic) {
  TempDir dir("cyrillic");
  Journal j;
  j.ReadJournalFromCard(Card(Sample().header, Sample().area));
  const std::string name = dir.File("Журнал.klf");
  ASSERT_TRUE(j.SaveJournalFile(name));
  Journal back;
  EXPECT_TRUE(back.LoadJournalFile(name));
  EXPECT_EQ(back.ShownCount, 10);
}

TEST(JournalFile, NothingShownNothingSaved) {
  TempDir dir("empty");
  Journal j;
  EXPECT_FALSE(j.SaveJournalFile(dir.File("none.klf")));
  j.ReadJournalFromCard(Card(Header(0, 0), {}));
  EXPECT_FALSE(j.SaveJournalFile(dir.File("none.klf")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("none.klf")));
}

TEST(JournalFile, AFailedSaveLeavesTheOldFileAndNoLeftovers) {
  TempDir dir("failsave");
  Journal j;
  j.ReadJournalFromCard(Card(Sample().header, Sample().area));
  EXPECT_FALSE(j.SaveJournalFile(dir.File("missing/j.klf")));
  // A directory in the way of the target: the rename fails.
  std::filesystem::create_directories(dir.File("taken.klf"));
  EXPECT_FALSE(j.SaveJournalFile(dir.File("taken.klf")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("taken.klf.part")));
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("taken.klf")));
}

TEST(JournalFile, SaveOverwrites) {
  TempDir dir("overwrite");
  WriteAll(dir.File("j.klf"), std::vector<uint8_t>(5000, 0x11));
  Sample s;
  Journal j;
  j.ReadJournalFromCard(Card(s.header, s.area));
  ASSERT_TRUE(j.SaveJournalFile(dir.File("j.klf")));
  EXPECT_EQ(ReadAll(dir.File("j.klf")), Concat(s.header, s.area));
}

TEST(JournalFile, UnreadableFilesFail) {
  TempDir dir("unreadable");
  Journal j;
  EXPECT_FALSE(j.LoadJournalFile(dir.File("absent.klf")));
  EXPECT_FALSE(j.LoadJournalFile(dir.path().string()));
  WriteAll(dir.File("short.klf"), std::vector<uint8_t>(40, 0));
  EXPECT_FALSE(j.LoadJournalFile(dir.File("short.klf")));
}

TEST(JournalFile, ATruncatedRecordAreaFailsAndKeepsTheJournalHeld) {
  TempDir dir("truncated");
  Sample s;
  Journal j;
  j.ReadJournalFromCard(Card(s.header, s.area));
  const auto rows = j.Rows;
  auto bytes = Concat(Header(4096, 0), Area(100));
  WriteAll(dir.File("cut.klf"), bytes);
  EXPECT_FALSE(j.LoadJournalFile(dir.File("cut.klf")));
  EXPECT_EQ(j.Rows, rows);
  EXPECT_EQ(j.Header().b, JournalHeader::From(s.header.data()).b);
  EXPECT_EQ(j.RecordArea(), s.area);
}

TEST(JournalFile, ARefusedHeaderOnlySetsItsStatusText) {
  TempDir dir("refused");
  WriteAll(dir.File("v2.klf"), Concat(Header(64, 0, {}, 2), Area(8)));
  WriteAll(dir.File("bad.klf"), Concat(std::vector<uint8_t>(84, 0), Area(8)));
  WriteAll(dir.File("huge.klf"), Concat(Header(0xFFFFFFF8u, 0), Area(8)));
  Journal j;
  EXPECT_TRUE(j.LoadJournalFile(dir.File("v2.klf")));
  EXPECT_EQ(j.StatusPanels[0], "Invalid version");
  EXPECT_TRUE(j.LoadJournalFile(dir.File("bad.klf")));
  EXPECT_EQ(j.StatusPanels[0], "Journal error");
  EXPECT_TRUE(j.LoadJournalFile(dir.File("huge.klf")));
  EXPECT_EQ(j.StatusPanels[0], "Journal error");
  EXPECT_TRUE(j.Rows.empty());
}

TEST(JournalFile, ExtraBytesAfterTheAreaAreIgnored) {
  TempDir dir("extra");
  Sample s;
  WriteAll(dir.File("j.klf"), Concat(Concat(s.header, s.area), std::vector<uint8_t>(300, 0x5A)));
  Journal j;
  ASSERT_TRUE(j.LoadJournalFile(dir.File("j.klf")));
  EXPECT_EQ(j.ShownCount, 10);
  EXPECT_EQ(j.RecordArea(), s.area);
}

TEST(JournalFile, ASizeNotInWholeRecordsSurvivesSaveAndLoad) {
  TempDir dir("partial");
  auto area = Area(3);
  for (uint32_t i = 0; i < 3; ++i) Put(area, i, Numbered(i));
  area.insert(area.end(), {9, 9, 9, 9, 9});
  const auto header = Header(uint32_t(area.size()), 3);
  WriteAll(dir.File("in.klf"), Concat(header, area));
  Journal j;
  ASSERT_TRUE(j.LoadJournalFile(dir.File("in.klf")));
  EXPECT_EQ(j.ShownCount, 3);
  ASSERT_TRUE(j.SaveJournalFile(dir.File("out.klf")));
  EXPECT_EQ(ReadAll(dir.File("out.klf")), Concat(header, area));
}

}  // namespace
