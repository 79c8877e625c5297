// Showing records while the card fails a read, or is pulled out, at every read
// of a walk over the selection: no picture is built from a half-read group,
// and once the card reads again every picture is as recorded.
#include "fault_fixture.h"

namespace faults {
namespace {

class ShowFramesFaults : public FaultTest, public ::testing::WithParamInterface<int> {
 protected:
  void Walk() {
    for (int32_t p = 0; p < viewer->selection().Count(); ++p) viewer->ShowPosition(p);
  }
  int CountWalkReads() {
    EXPECT_TRUE(OpenCard());
    const int before = plan->reads;
    Walk();
    return plan->reads - before;
  }
};

TEST_P(ShowFramesFaults, FailedReadAtEveryStepOfAWalk) {
  MakeCard(SmallCard(GetParam()));
  const int reads = CountWalkReads();
  ASSERT_GT(reads, 0);
  for (int n = 1; n <= reads; ++n) {
    ASSERT_TRUE(OpenCard());
    plan->FailReadIn(n);
    Walk();
    plan->Disarm();
    // Pictures cached before and after the failed read are right.
    for (int i = 0; i < truth.entryCount; ++i)
      ASSERT_EQ(PictureOf(i), truth.frames[size_t(i)].picture) << "read " << n << ", catalogue index " << i;
    EXPECT_EQ(plan->writes, 0);
  }
  ExpectCardUnchanged();
}

TEST_P(ShowFramesFaults, CardPulledDuringAWalk) {
  MakeCard(SmallCard(GetParam()));
  const int reads = CountWalkReads();
  for (int n = 1; n <= reads; n += 3) {
    ASSERT_TRUE(OpenCard());
    plan->VanishIn(n);
    Walk();
    viewer->CheckTimerTimer();
    EXPECT_FALSE(viewer->source().CardOpen) << "read " << n;
    EXPECT_EQ(viewer->noSourceText(), "Карта памяти отсутствует!");
    EXPECT_EQ(viewer->selection().Count(), 0);
    // Showing with no card is harmless.
    viewer->ShowPosition(0);
  }
  ExpectCardUnchanged();
  ExpectSoundViewer();
}

INSTANTIATE_TEST_SUITE_P(Formats, ShowFramesFaults, ::testing::Values(0, 1, 2));

}  // namespace
}  // namespace faults
