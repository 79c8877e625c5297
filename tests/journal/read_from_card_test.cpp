#include <gtest/gtest.h>

#include "journal/journal_log.h"
#include "journal_fixture.h"

using namespace quovil;
using namespace journal_fixture;

namespace {

std::vector<std::string> Texts(const Journal& j) {
  std::vector<std::string> out;
  for (const EventRow& r : j.Rows) out.push_back(r.text);
  return out;
}

std::vector<std::string> Times(const Journal& j) {
  std::vector<std::string> out;
  for (const EventRow& r : j.Rows) out.push_back(r.time);
  return out;
}

// A journal of n places with records 0..count-1 written, head at count % n.
Source SmallCard(uint32_t n, uint32_t count) {
  auto area = Area(n);
  for (uint32_t i = 0; i < count; ++i) Put(area, i % n, Numbered(i));
  return Card(Header(n * 8, count % n), area);
}

TEST(ReadFromCard, RefusesWhatIsNotAnOpenFormatTwoCard) {
  Journal j;
  j.StatusPanels = {"a", "b", "c", "d", "e"};
  Source src = SmallCard(8, 3);

  src.SourceIsCard = false;
  j.ReadJournalFromCard(src);
  EXPECT_EQ(j.StatusPanels, (std::array<std::string, 5>{"NO CARD MODE", "", "", "", ""}));

  src.SourceIsCard = true;
  src.CardOpen = false;
  j.ReadJournalFromCard(src);
  EXPECT_EQ(j.StatusPanels[0], "CARD not open");

  src.CardOpen = true;
  src.CardFormat = 1;
  j.ReadJournalFromCard(src);
  EXPECT_EQ(j.StatusPanels[0], "Not supported foarmat");
  EXPECT_TRUE(j.Rows.empty());
}

TEST(ReadFromCard, ACardTooShortForTheJournalIsAReadError) {
  Journal j;
  Source src;
  src.CardOpen = true;
  src.CardFormat = 2;
  src.Card = MemoryDevice(std::vector<uint8_t>(kJournalHeaderOffset + 100, 0));
  j.ReadJournalFromCard(src);
  EXPECT_EQ(j.StatusPanels[0], "Read error");
}

TEST(ReadFromCard, DamagedOrForeignHeadersAreRefused) {
  Journal j;
  auto header = Header(64, 0);
  header[30] ^= 0x10;
  j.ReadJournalFromCard(Card(header, Area(8)));
  EXPECT_EQ(j.StatusPanels[0], "Journal error");

  header = Header(64, 0);
  PutU16(&header[0], 85);
  SealRecord(header.data(), header.size());
  j.ReadJournalFromCard(Card(header, Area(8)));
  EXPECT_EQ(j.StatusPanels[0], "Journal error");

  j.ReadJournalFromCard(Card(Header(64, 0, {}, 2), Area(8)));
  EXPECT_EQ(j.StatusPanels[0], "Invalid version");

  // Erased card: no header at all.
  j.ReadJournalFromCard(Card(std::vector<uint8_t>(84, 0xFF), Area(8)));
  EXPECT_EQ(j.StatusPanels[0], "Journal error");
}

TEST(ReadFromCard, FillsTheStatusPanelsAndTheRows) {
  Journal j;
  j.StatusPanels[4] = "x";
  j.ReadJournalFromCard(SmallCard(16, 5));
  EXPECT_EQ(j.StatusPanels, (std::array<std::string, 5>{" 5 записей", " Версия ПО: 1.07 от 12.03.2024",
                                                        " Версия железа: KX-2", " ID: 000517", ""}));
  EXPECT_EQ(Times(j), (std::vector<std::string>{"00:00", "00:01", "00:02", "00:03", "00:04"}));
  EXPECT_EQ(j.Rows[0].date, " 01:02:2025");
  EXPECT_EQ(j.OldestRecord, 0);
  EXPECT_EQ(j.NewestRecord, 4);
  EXPECT_EQ(j.ShownCount, 5);
}

TEST(ReadFromCard, AWrappedRingIsShownOldestFirst) {
  Journal j;
  j.ReadJournalFromCard(SmallCard(8, 11));  // records 3..10 survive, head at 3
  EXPECT_EQ(j.OldestRecord, 3);
  EXPECT_EQ(j.ShownCount, 8);
  EXPECT_EQ(Times(j),
            (std::vector<std::string>{"00:03", "00:04", "00:05", "00:06", "00:07", "00:08", "00:09", "00:10"}));
}

TEST(ReadFromCard, HeaderTextsStopAtZeroAndAreReadInTheCyrillicCodePage) {
  HeaderTexts t;
  t.sw = std::string("2.0\0junk", 8);
  t.hw = "\xC1\xEB\xEE\xEA 3";  // "Блок 3"
  t.id = "0123456789ABCDEF";    // all 16 bytes, no terminating zero
  Journal j;
  auto area = Area(4);
  Put(area, 0, Numbered(0));
  j.ReadJournalFromCard(Card(Header(32, 1, t), area));
  EXPECT_EQ(j.StatusPanels[1], " Версия ПО: 2.0 от 12.03.2024");
  EXPECT_EQ(j.StatusPanels[2], " Версия железа: Блок 3");
  EXPECT_EQ(j.StatusPanels[3], " ID: 0123456789ABCDEF");
}

TEST(ReadFromCard, AnEmptyJournalSaysSoAndShowsNoRows) {
  Journal j;
  j.ReadJournalFromCard(SmallCard(8, 3));
  ASSERT_EQ(j.Rows.size(), 3u);
  j.ReadJournalFromCard(Card(Header(0, 0), {}));
  EXPECT_EQ(j.StatusPanels[0], "журнал пуст");
  EXPECT_EQ(j.ShownCount, 0);
  EXPECT_TRUE(j.Rows.empty());
}

TEST(ReadFromCard, ARefusedHeaderKeepsTheJournalHeldSoFar) {
  Journal j;
  j.ReadJournalFromCard(SmallCard(8, 3));
  const auto rows = j.Rows;
  const auto area = j.RecordArea();
  j.ReadJournalFromCard(Card(Header(64, 0, {}, 7), Area(8)));
  EXPECT_EQ(j.StatusPanels[0], "Invalid version");
  EXPECT_EQ(j.Rows, rows);
  EXPECT_EQ(j.RecordArea(), area);
  EXPECT_EQ(j.ShownCount, 3);
}

TEST(ReadFromCard, ChangeStateCarriesOverFromOneReadToTheNext) {
  auto area = Area(4);
  Put(area, 0, Rec(22, 0x01));
  Source src = Card(Header(32, 1), area);
  Journal j;
  j.ReadJournalFromCard(src);
  EXPECT_EQ(Texts(j), std::vector<std::string>{"Плохой АКБ"});
  j.ReadJournalFromCard(src);
  EXPECT_EQ(Texts(j), std::vector<std::string>{""});
}

// Hostile sizes: whatever the header claims, no read runs past the buffer or
// the device, and nothing huge is allocated.
TEST(ReadFromCard, AnAreaRunningPastTheCardIsAReadError) {
  Journal j;
  j.ReadJournalFromCard(SmallCard(8, 3));
  auto area = Area(8);
  j.ReadJournalFromCard(Card(Header(8 * 8 + 4096, 0), area, 0));
  EXPECT_EQ(j.StatusPanels[0], "Read error");
  EXPECT_EQ(j.ShownCount, 3);
  EXPECT_EQ(j.Rows.size(), 3u);
}

TEST(ReadFromCard, AbsurdSizesAreRefusedAsDamage) {
  Journal j;
  for (uint32_t size : {0xFFFFFFFFu, 0x80000000u, kMaxJournalBytes + 8}) {
    j.StatusPanels[0].clear();
    j.ReadJournalFromCard(Card(Header(size, 0), Area(8)));
    EXPECT_EQ(j.StatusPanels[0], "Journal error") << size;
  }
}

TEST(ReadFromCard, APartialLastRecordIsIgnored) {
  auto area = Area(5);
  for (uint32_t i = 0; i < 5; ++i) Put(area, i, Numbered(i));
  area.insert(area.end(), {1, 2, 3});
  Journal j;
  j.ReadJournalFromCard(Card(Header(uint32_t(area.size()), 0), area));
  EXPECT_EQ(j.ShownCount, 5);
  EXPECT_EQ(j.Rows.size(), 5u);
  EXPECT_EQ(j.RecordArea().size(), 43u);
}

TEST(ReadFromCard, AHeadBeyondTheRingIsTakenInsideIt) {
  auto area = Area(8);
  for (uint32_t i = 0; i < 8; ++i) Put(area, i, Numbered(i));
  Journal j;
  j.ReadJournalFromCard(Card(Header(64, 8), area));
  EXPECT_EQ(j.ShownCount, 8);
  EXPECT_EQ(j.Rows.front().time, "00:00");
  j.ReadJournalFromCard(Card(Header(64, 0xFFFFFFF0u), area));
  EXPECT_EQ(j.ShownCount, 8);
}

class CountingProgress : public JournalProgress {
 public:
  std::vector<std::string> calls;
  void Open() override { calls.push_back("open"); }
  void SetMaximum(int max) override { calls.push_back("max " + std::to_string(max)); }
  void Advance(int done) override { calls.push_back("at " + std::to_string(done)); }
  void Close() override { calls.push_back("close"); }
};

TEST(ReadFromCard, ReportsProgressEveryTwoHundredRecords) {
  CountingProgress progress;
  Journal j;
  j.SetProgress(&progress);
  j.ReadJournalFromCard(SmallCard(512, 450));
  EXPECT_EQ(progress.calls, (std::vector<std::string>{"open", "max 450", "at 200", "at 400", "close"}));

  progress.calls.clear();
  j.ReadJournalFromCard(Card(Header(0, 0), {}));
  EXPECT_EQ(progress.calls, (std::vector<std::string>{"open", "close"}));
}

}  // namespace
