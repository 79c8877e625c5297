// Opening a card whose reads fail, or which is pulled out, at every read the
// recognition makes: the viewer either takes the whole card or none of it,
// says why in the picture area, never writes the card, and takes the card
// again once it reads.
#include <set>

#include "card/card_header.h"
#include "fault_fixture.h"

namespace faults {
namespace {

const std::set<std::string> kNoCardTexts = {
    "Карта памяти отсутствует!",
    quovil::kBadHeaderText,
    quovil::kBadVersionText,
};

class OpenCardFaults : public FaultTest, public ::testing::WithParamInterface<int> {
 protected:
  // Reads of one clean opening.
  int CountOpeningReads() {
    EXPECT_TRUE(OpenCard());
    int reads = plan->reads;
    viewer->CloseCard();
    return reads;
  }

  void ExpectWholeOrNothing(int n) {
    if (viewer->source().CardOpen) {
      EXPECT_EQ(viewer->source().EntryCount, truth.entryCount) << "read " << n;
    } else {
      EXPECT_TRUE(kNoCardTexts.count(viewer->noSourceText())) << "read " << n << ": " << viewer->noSourceText();
      EXPECT_TRUE(viewer->source().LongCatalogue.empty() && viewer->source().ShortCatalogue.empty());
      EXPECT_EQ(viewer->selection().Count(), 0);
    }
  }
};

TEST_P(OpenCardFaults, EveryFailedReadLeavesWholeCardOrNone) {
  MakeCard(SmallCard(GetParam()));
  const int reads = CountOpeningReads();
  ASSERT_GT(reads, 1);
  for (int n = 1; n <= reads; ++n) {
    auto p = std::make_shared<FaultPlan>();
    p->failRead = n;
    OpenCard(p);
    ExpectWholeOrNothing(n);
    EXPECT_EQ(p->writes, 0);
    // The watch of the next second finds a card that reads again and takes
    // all of it.
    viewer->CheckTimerTimer();
    EXPECT_TRUE(viewer->source().CardOpen) << "read " << n << ": " << viewer->noSourceText();
    EXPECT_EQ(viewer->source().EntryCount, truth.entryCount) << "read " << n;
    EXPECT_GT(viewer->selection().Count(), 0) << "read " << n;
  }
  ExpectCardUnchanged();
  ExpectSoundViewer();
}

TEST_P(OpenCardFaults, CardPulledAtEveryReadOfTheOpening) {
  MakeCard(SmallCard(GetParam()));
  const int reads = CountOpeningReads();
  for (int n = 1; n <= reads; ++n) {
    auto p = std::make_shared<FaultPlan>();
    p->vanishAtRead = n;
    OpenCard(p);
    // The next tick notices the card is gone and says so.
    viewer->CheckTimerTimer();
    EXPECT_FALSE(viewer->source().CardOpen) << "read " << n;
    EXPECT_EQ(viewer->noSourceText(), "Карта памяти отсутствует!") << "read " << n;
    EXPECT_EQ(viewer->selection().Count(), 0);
    EXPECT_EQ(p->writes, 0);
  }
  ExpectCardUnchanged();
  ExpectSoundViewer();
}

INSTANTIATE_TEST_SUITE_P(Formats, OpenCardFaults, ::testing::Values(0, 1, 2));

}  // namespace
}  // namespace faults
