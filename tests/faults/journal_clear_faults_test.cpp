// The journal read from a card that fails a read or is pulled out, and the
// card clearing command when a write fails or the card goes away.
#include "card/state_tables.h"
#include "fault_fixture.h"
#include "journal/journal_log.h"

namespace faults {
namespace {

class JournalFaults : public FaultTest {};

TEST_F(JournalFaults, FailedReadAtEveryReadOfTheJournal) {
  auto o = SmallCard(2);
  o.journal = true;
  o.journalCapacity = 128;
  MakeCard(o);
  ASSERT_TRUE(OpenCard());
  quovil::Journal clean;
  int before = plan->reads;
  clean.ReadJournalFromCard(viewer->source());
  const int reads = plan->reads - before;
  ASSERT_GT(reads, 0);
  ASSERT_GT(clean.ShownCount, 0);
  for (int n = 1; n <= reads; ++n) {
    plan->FailReadIn(n);
    quovil::Journal j;
    j.ReadJournalFromCard(viewer->source());
    plan->Disarm();
    EXPECT_EQ(j.StatusPanels[0], "Read error") << "read " << n;
    EXPECT_TRUE(j.Rows.empty());
  }
  plan->VanishIn(1);
  quovil::Journal gone;
  gone.ReadJournalFromCard(viewer->source());
  EXPECT_EQ(gone.StatusPanels[0], "Read error");
  EXPECT_EQ(plan->writes, 0);
  ExpectCardUnchanged();
  ExpectSoundViewer();
  quovil::Journal again;
  again.ReadJournalFromCard(viewer->source());
  EXPECT_EQ(again.Rows.size(), clean.Rows.size());
}

class ClearFaults : public FaultTest, public ::testing::WithParamInterface<int> {
 protected:
  // The clear command, the one place these tests let the viewer write.
  void Clear() {
    AllowCardWrites clearing;
    viewer->ActionDeleteAllExecute();
  }
};

TEST_P(ClearFaults, FailedWriteAtEveryWriteOfTheClearing) {
  MakeCard(SmallCard(GetParam()));
  // Writes of a clean clearing, on a copy of the card.
  ASSERT_TRUE(OpenCard());
  Clear();
  const int writes = plan->writes;
  ASSERT_GT(writes, 0);
  ASSERT_EQ(host.messages.back(), "Карта памяти очищена успешно!");
  for (int n = 1; n <= writes; ++n) {
    WriteBytes(cardPath, cardBytes);
    ASSERT_TRUE(OpenCard());
    plan->failWrite = plan->writes + n;
    host.messages.clear();
    Clear();
    ASSERT_FALSE(host.messages.empty());
    EXPECT_EQ(host.messages.back(), "Возникла ошибка при очистки карты.") << "write " << n;
  }
  // Pulled out while the question was open, or during the writes.
  WriteBytes(cardPath, cardBytes);
  ASSERT_TRUE(OpenCard());
  plan->vanished = true;
  host.messages.clear();
  Clear();
  EXPECT_EQ(host.messages.back(), "Возникла ошибка при очистки карты.");
  // The card that failed is found again and can be cleared.
  WriteBytes(cardPath, cardBytes);
  ExpectSoundViewer();
  host.messages.clear();
  Clear();
  EXPECT_EQ(host.messages.back(), "Карта памяти очищена успешно!");
}

INSTANTIATE_TEST_SUITE_P(Formats, ClearFaults, ::testing::Values(0, 1, 2));

}  // namespace
}  // namespace faults
