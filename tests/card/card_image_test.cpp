// A card image file opened by the user and viewed as the card.
#include <gtest/gtest.h>

#include "card_fixture.h"
#include "support/card_writes.h"
#include "support/files.h"
#include "viewer/viewer.h"

using namespace quovil;
using namespace cardfix;

namespace {

// The card reader's side: one card in the reader, so that going back to it
// shows which source is open.
class OneCard : public DriveEnumerator {
 public:
  explicit OneCard(std::shared_ptr<Bytes> bytes) : bytes_(std::move(bytes)) {}
  std::unique_ptr<BlockDevice> Open(int n) override {
    return n == 0 ? std::make_unique<SharedDevice>(bytes_) : nullptr;
  }
  int Count() override { return 1; }

 private:
  std::shared_ptr<Bytes> bytes_;
};

Bytes Format2Card(uint32_t entries) {
  Format2 f;
  f.head = entries;
  return MakeFormat2(f);
}

struct ImageView {
  test::ScratchFolder folder{"quovil-image"};
  test::RecordingHost host;
  Viewer viewer{host};
  std::string image = folder / "card.img";

  ImageView() {
    EXPECT_TRUE(test::WriteBytes(image, Format2Card(20)));
    viewer.drives = std::make_unique<OneCard>(std::make_shared<Bytes>(Format2Card(3)));
    viewer.ActionOpenCARDExecute();
    viewer.CheckTimerTimer();
  }
  uint32_t ImageHead() { return state2::RingHead.Get(&test::ReadBytes(image)[64 * 512]); }
};

TEST(CardImage, IsViewedAsTheCardAtOnceAndGivesWayToTheReader) {
  ImageView v;
  ASSERT_EQ(v.viewer.selection().Count(), 3);
  v.host.cardImageAnswer = v.image;
  v.viewer.ActionOpenImageExecute();
  EXPECT_TRUE(v.viewer.source().SourceIsCard);
  EXPECT_TRUE(v.viewer.source().CardOpen);
  EXPECT_EQ(v.viewer.selection().Count(), 20);
  EXPECT_EQ(v.viewer.cardImage(), v.image);
  EXPECT_TRUE(v.viewer.actions().OpenImage);
  EXPECT_FALSE(v.viewer.actions().OpenCARD);
  EXPECT_FALSE(v.viewer.actions().OpenFile);
  EXPECT_NE(v.viewer.caption().find(" - Образ карты card.img"), std::string::npos);

  // The card watch looks at the image alone, and keeps it open.
  v.viewer.CheckTimerTimer();
  EXPECT_EQ(v.viewer.selection().Count(), 20);

  v.viewer.ActionOpenCARDExecute();
  EXPECT_FALSE(v.viewer.actions().OpenImage);
  EXPECT_TRUE(v.viewer.cardImage().empty());
  v.viewer.CheckTimerTimer();
  EXPECT_EQ(v.viewer.selection().Count(), 3);
}

TEST(CardImage, AFileThatIsNoCardImageLeavesTheOpenSourceAsItWas) {
  ImageView v;
  const std::string other = v.folder / "notes.txt";
  ASSERT_TRUE(test::WriteText(other, std::string(1024, 'x')));
  EXPECT_FALSE(v.viewer.OpenCardImage(other));
  EXPECT_EQ(v.host.messages.back(), "Файл не является образом карты памяти!");
  EXPECT_FALSE(v.viewer.OpenCardImage(v.folder / "missing.img"));
  EXPECT_EQ(v.host.messages.back(), "Ошибка открытия файла!");
  EXPECT_EQ(v.host.kinds.back(), MsgKind::Error);
  EXPECT_TRUE(v.viewer.actions().OpenCARD);
  EXPECT_EQ(v.viewer.selection().Count(), 3);
  // A cancelled dialog changes nothing either.
  v.viewer.ActionOpenImageExecute();
  EXPECT_TRUE(v.viewer.actions().OpenCARD);
}

TEST(CardImage, IsClearedOnlyAfterTheUserSaysSoASecondTime) {
  ImageView v;
  ASSERT_TRUE(v.viewer.OpenCardImage(v.image));
  v.host.messages.clear();
  // Yes to clearing, no to changing the image.
  v.host.whileShown = [&] { v.host.answer = v.host.messages.size() == 1 ? MsgResult::Yes : MsgResult::No; };
  EXPECT_EQ(v.viewer.ActionDeleteAllExecute(), Viewer::ClearResult::Declined);
  ASSERT_EQ(v.host.messages.size(), 2u);
  EXPECT_EQ(v.host.messages[1], "Открыт образ карты card.img, а не сама карта памяти.\rИзменить файл образа?");
  EXPECT_EQ(v.host.kinds[1], MsgKind::Warning);
  EXPECT_EQ(v.ImageHead(), 20u);
  EXPECT_EQ(v.viewer.selection().Count(), 20);

  v.host.whileShown = nullptr;
  v.host.answer = MsgResult::Yes;
  {
    test::AllowCardWrites clearing;
    EXPECT_EQ(v.viewer.ActionDeleteAllExecute(), Viewer::ClearResult::Cleared);
  }
  EXPECT_EQ(v.host.messages.back(), "Карта памяти очищена успешно!");
  EXPECT_EQ(v.ImageHead(), 0u);
}

TEST(CardImage, FilesNamedFromOutsideAreTakenByWhatTheyHold) {
  test::ScratchFolder folder("quovil-kind");
  const std::string image = folder / "copy.bin", other = folder / "other.bin";
  ASSERT_TRUE(test::WriteBytes(image, Format2Card(2)));
  ASSERT_TRUE(test::WriteText(other, "text"));
  EXPECT_EQ(KindOfPath(image), PathKind::CardImage);
  EXPECT_EQ(KindOfPath(other), PathKind::Archive);
  EXPECT_EQ(KindOfPath(folder / "missing"), PathKind::Archive);
  EXPECT_EQ(KindOfPath(folder / "EVENTS.KLF"), PathKind::Journal);
  // The extension decides, whatever the file holds.
  const std::string named = folder / "day.kif";
  ASSERT_TRUE(test::WriteBytes(named, Format2Card(2)));
  EXPECT_EQ(KindOfPath(named), PathKind::Archive);
}

}  // namespace
