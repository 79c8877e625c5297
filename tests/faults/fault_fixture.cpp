#include "fault_fixture.h"

namespace faults {

mkcard::Options SmallCard(int format) {
  mkcard::Options o;
  o.format = format;
  o.seed = 7 + uint32_t(format);
  o.records = 24;
  o.resolutionIndex = 0;
  o.width = 32;
  o.height = 16;
  o.groupLength = 5;
  o.framesPerSecond = 3;
  return o;
}

void FaultTest::SetUp() { viewer = std::make_unique<quovil::Viewer>(host); }

void FaultTest::TearDown() { viewer.reset(); }

void FaultTest::MakeCard(const mkcard::Options& o) {
  cardPath = dir + "/card.img";
  truth = mkcard::WriteCard(o, cardPath);
  ASSERT_EQ(truth.format, o.format);
  cardBytes = ReadBytes(cardPath);
}

bool FaultTest::OpenCard(std::shared_ptr<FaultPlan> withPlan) {
  plan = withPlan ? std::move(withPlan) : std::make_shared<FaultPlan>();
  viewer->CloseCard();
  return OpenCardThroughWatch(*viewer, FaultyImageDrive(cardPath, plan));
}

void FaultTest::ExpectCardUnchanged() {
  EXPECT_TRUE(ReadBytes(cardPath) == cardBytes) << "the card image was changed";
}

std::vector<uint8_t> FaultTest::PictureOf(int index) { return quovil::test::PictureOf(*viewer, index); }

void FaultTest::ExpectSoundViewer() {
  ASSERT_TRUE(OpenCard()) << viewer->noSourceText();
  ASSERT_EQ(viewer->source().EntryCount, truth.entryCount);
  EXPECT_GT(viewer->selection().Count(), 0);
  for (int i = 0; i < truth.entryCount; ++i) {
    if (!truth.frames[size_t(i)].written) continue;
    ASSERT_EQ(PictureOf(i), truth.frames[size_t(i)].picture) << "catalogue index " << i;
  }
}

}  // namespace faults
