// The viewer over cards written by the synthetic recorder, opened the way the
// card scan opens them: selection order, the pictures shown, and the marks of
// the whole selection.
#include <cstdio>

#include "mkcard/mkcard.h"
#include "support/card_source.h"
#include "support/pictures.h"
#include "viewer_fixture.h"

namespace viewer_test {
namespace {

using namespace quovil;

class RecordedCardTest : public ::testing::Test {
 protected:
  ~RecordedCardTest() override { std::remove(path_.c_str()); }

  mkcard::Recorded Open(const mkcard::Options& o) {
    path_ = ::testing::TempDir() + "viewer_card_" + std::to_string(o.format) + ".img";
    mkcard::Recorded t = mkcard::WriteCard(o, path_);
    test::OpenCardImage(v, path_);
    return t;
  }

  std::vector<uint8_t> Picture(int cam) const { return test::Rows(v.bitmaps()[size_t(cam)]); }

  RecordingHost host;
  Viewer v{host};
  std::string path_;
};

TEST_F(RecordedCardTest, WrappedRingShowsRecordsInRecordingOrder) {
  mkcard::Options o;
  o.format = 1;
  o.records = 60;
  o.ringWrapped = true;
  mkcard::Recorded t = Open(o);
  ASSERT_TRUE(v.source().CardOpen);
  std::vector<int> got;
  for (int32_t p = 0; p < v.selection().Count(); ++p) got.push_back(v.IndexAtPos(p));
  EXPECT_EQ(got, t.order);
  EXPECT_EQ(v.selection().Index(), t.order[0]);
  EXPECT_EQ(v.fragStart(), TimeStampText(t.frames[size_t(t.order.front())].time));
  EXPECT_EQ(v.fragEnd(), TimeStampText(t.frames[size_t(t.order.back())].time));
}

TEST_F(RecordedCardTest, ShownPicturesAreTheRecordedOnes) {
  mkcard::Options o;
  o.format = 2;
  o.records = 80;
  mkcard::Recorded t = Open(o);
  ASSERT_EQ(v.selection().Count(), 80);
  for (int32_t p : {0, 1, 17, 40, 79, 3}) {
    v.ShowPosition(p);
    const mkcard::Frame& f = t.frames[size_t(v.IndexAtPos(p))];
    EXPECT_EQ(Picture(f.camera), f.picture) << "position " << p;
    EXPECT_EQ(v.disp().CameraTimeText[size_t(f.camera)], TimeStampText(f.time));
  }
}

TEST_F(RecordedCardTest, WholeSelectionRangeEndsWithTheLastRecord) {
  mkcard::Options o;
  o.format = 2;
  o.records = 50;
  o.framesPerSecond = 4;
  mkcard::Recorded t = Open(o);
  ASSERT_EQ(v.selection().Count(), 50);
  // Several records share the last second: the end mark alone would stop at
  // the first of them.
  EXPECT_LT(v.PosOfTimeText(v.fragEnd(), -1), 49);
  int32_t first = -1, last = -1;
  ASSERT_TRUE(v.FragmentRange(-1, first, last));
  EXPECT_EQ(first, 0);
  EXPECT_EQ(last, 49);
}

}  // namespace
}  // namespace viewer_test
