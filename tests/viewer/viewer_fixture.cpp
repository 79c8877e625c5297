#include "viewer_fixture.h"

#include "support/card_source.h"
#include "support/viewer_probe.h"

using quovil::test::ViewerProbe;

namespace viewer_test {

using namespace quovil;
using test::ImageRecord;

namespace {

// Record i: its flag byte, time stamp and a picture of `pictureBytes` bytes of
// PixelOf(i); no sound.
std::vector<ImageRecord> Records(const std::vector<Rec>& recs, size_t pictureBytes) {
  std::vector<ImageRecord> out;
  for (size_t i = 0; i < recs.size(); ++i) {
    const Rec& r = recs[i];
    ImageRecord ir;
    ir.flag = uint8_t(r.kind | r.cam);
    ir.time = r.t;
    ir.picture.assign(pictureBytes, PixelOf(int(i)));
    ir.frameInterval = r.interval;
    ir.pastTheEnd = r.pastTheEnd;
    out.push_back(ir);
  }
  return out;
}

constexpr size_t kPictureBytes = size_t(kPictureWidth) * kPictureHeight;

}  // namespace

Bytes ViewerTest::Format2Card(const std::vector<Rec>& recs) {
  test::Format2Image f;
  f.width = kPictureWidth;
  f.height = kPictureHeight;
  f.records = Records(recs, kPictureBytes);
  return test::MakeCardImage(f);
}

Bytes ViewerTest::Format1Card(const std::vector<Rec>& slots, uint32_t recordCount, uint32_t writeSlot,
                              uint8_t resolution) {
  test::Format1Image f;
  f.recordCount = recordCount;
  f.writeSlot = writeSlot;
  f.resolution = resolution;
  f.width = kPictureWidth;
  f.height = kPictureHeight;
  f.slots = Records(slots, kPictureBytes);
  return test::MakeCardImage(f);
}

Bytes ViewerTest::Format0Card(const std::vector<Rec>& entries, const std::vector<uint16_t>& slotToIndex,
                              uint16_t mainFirst, uint16_t mainCount, uint16_t archiveFirst, uint16_t archiveCount,
                              uint16_t totalSlots) {
  test::Format0Image f;
  f.mainFirst = mainFirst;
  f.mainCount = mainCount;
  f.archiveFirst = archiveFirst;
  f.archiveCount = archiveCount;
  f.totalSlots = totalSlots;
  f.slotToIndex = slotToIndex;
  f.records = Records(entries, size_t(test::Format0Width(f.resolution)) * test::kFormat0Height);
  return test::MakeCardImage(f);
}

void ViewerTest::PullCard() {
  if (!reader_) return;
  reader_->vanished = true;
  v.CheckTimerTimer();
}

bool ViewerTest::InsertCard(Bytes image) {
  if (v.source().SourceIsCard && v.source().CardOpen) PullCard();
  reader_ = std::make_shared<test::FaultPlan>();
  const bool opened = test::OpenCardThroughWatch(v, test::FaultyMemoryDrive(std::move(image), reader_));
  StartAfresh();
  return opened;
}

void ViewerTest::StartAfresh() {
  ViewerProbe::Disp(v).ForgetCameras();
  ViewerProbe::FragStart(v).clear();
  ViewerProbe::FragEnd(v).clear();
  v.UpdateStatusBar();
  host.repaints.clear();
  host.repainted = 0;
  host.trayEvents.clear();
}

void ViewerTest::Format2(const std::vector<Rec>& recs) {
  EXPECT_TRUE(InsertCard(Format2Card(recs))) << v.noSourceText();
}

void ViewerTest::Format1(const std::vector<Rec>& slots, uint32_t recordCount, uint32_t writeSlot,
                         uint8_t resolution) {
  EXPECT_TRUE(InsertCard(Format1Card(slots, recordCount, writeSlot, resolution))) << v.noSourceText();
}

void ViewerTest::Format0(const std::vector<Rec>& entries, const std::vector<uint16_t>& slotToIndex,
                         uint16_t mainFirst, uint16_t mainCount, uint16_t archiveFirst, uint16_t archiveCount,
                         uint16_t totalSlots) {
  EXPECT_TRUE(InsertCard(Format0Card(entries, slotToIndex, mainFirst, mainCount, archiveFirst, archiveCount,
                                     totalSlots)))
      << v.noSourceText();
}

void ViewerTest::Archive(int format, const std::vector<Rec>& recs) {
  test::ArchiveImage a;
  a.cardFormat = uint32_t(format);
  a.width = kPictureWidth;
  a.height = kPictureHeight;
  a.records = Records(recs, kPictureBytes);
  if (!folder_) folder_ = std::make_unique<test::ScratchFolder>("viewer");
  const std::string path = *folder_ / ("archive_" + std::to_string(++archives_) + ".kif");
  ASSERT_TRUE(test::WriteBytes(path, test::MakeArchiveFile(a)));
  EXPECT_TRUE(test::OpenArchiveFile(v, path)) << v.noSourceText();
  StartAfresh();
}

void ViewerTest::KindsOff() {
  ViewerProbe::Actions(v).Hand = ViewerProbe::Actions(v).External = ViewerProbe::Actions(v).Motion = ViewerProbe::Actions(v).Timer = ViewerProbe::Actions(v).Sound = false;
  ViewerProbe::Actions(v).Taget = false;
}

std::vector<int> ViewerTest::Indices() const {
  std::vector<int> out;
  for (int32_t p = 0; p < v.selection().Count(); ++p) out.push_back(v.IndexAtPos(p));
  return out;
}

}  // namespace viewer_test
