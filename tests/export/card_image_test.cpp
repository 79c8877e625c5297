// Card images: an image of a card image is the same bytes with the right
// digests and side files; unreadable sectors are tried twice, written as
// zeros and listed; the card is never written and never the target; a
// cancelled image leaves nothing.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "export/card_image.h"
#include "mkcard/mkcard.h"
#include "platform/block_device.h"
#include "platform/checksum_file.h"
#include "platform/digest.h"
#include "support/faulty_device.h"
#include "support/files.h"
#include "support/shell.h"

namespace {

using namespace quovil;
using namespace quovil::test;

class Steps : public WorkProgress {
 public:
  void Begin(const std::string&, const std::string&, int m) override { max = m; }
  void Step(int pos) override {
    last = pos;
    if (cancelAt >= 0 && pos >= cancelAt) cancelled = true;
  }
  bool Cancelled() override { return cancelled; }
  void End() override { ended = true; }
  int max = -1, last = -1, cancelAt = -1;
  bool cancelled = false, ended = false;
};

// A device that counts its writes: imaging must make none.
class Counting : public BlockDevice {
 public:
  explicit Counting(std::unique_ptr<BlockDevice> inner) : inner_(std::move(inner)) {}
  bool Read(uint64_t o, void* b, std::size_t n) override { return inner_->Read(o, b, n); }
  bool Write(uint64_t, const void*, std::size_t) override {
    ++writes;
    return false;
  }
  int64_t Length() override { return inner_->Length(); }
  bool Removable() override { return true; }
  std::string Name() const override { return inner_->Name(); }
  bool BeginWrites() override {
    ++writes;
    return false;
  }
  int writes = 0;

 private:
  std::unique_ptr<BlockDevice> inner_;
};

std::vector<uint8_t> Pattern(std::size_t n) {
  std::vector<uint8_t> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = uint8_t((i * 2654435761u) >> 13);
  return v;
}

TEST(CardImage, AnImageOfACardImageIsTheSameBytesWithItsDigestsAndSideFiles) {
  ScratchFolder dir("quovil_image");
  mkcard::Options o;
  o.format = 2;
  o.records = 120;
  const std::string card = dir / "card.img", image = dir / "copy.img";
  ASSERT_EQ(mkcard::WriteCard(o, card).format, 2);
  // An odd length: the last block and the last sector are short.
  std::vector<uint8_t> bytes = ReadBytes(card);
  bytes.resize(bytes.size() + 4096 * 3 + 100, 0x5A);
  ASSERT_TRUE(WriteBytes(card, bytes));

  Steps progress;
  CardImageResult r;
  {
    auto src = std::make_unique<Counting>(OpenReadOnlyFile(card));
    Counting& counting = *src;
    CardImageOptions small;
    small.blockBytes = 1 << 20;
    r = WriteCardImage(*src, image, DescribeDevice(card), progress, small);
    EXPECT_EQ(counting.writes, 0);
  }
  ASSERT_EQ(r.status, CardImageResult::Status::Done) << r.message;
  EXPECT_EQ(ReadBytes(image), bytes);
  EXPECT_EQ(r.bytes, bytes.size());
  EXPECT_EQ(r.sha256, DigestHex(DigestKind::Sha256, bytes.data(), bytes.size()));
  EXPECT_EQ(r.md5, DigestHex(DigestKind::Md5, bytes.data(), bytes.size()));
  EXPECT_TRUE(r.badRanges.empty());
  EXPECT_EQ(progress.max, int((bytes.size() + (1 << 20) - 1) >> 20));
  EXPECT_EQ(progress.last, progress.max);
  EXPECT_TRUE(progress.ended);
  EXPECT_FALSE(Exists(image + ".part"));
  EXPECT_TRUE(VerifySha256Sidecar(image).ok);
#ifndef _WIN32
  int rc = -1;
  Shell("cd '" + dir.path() + "' && sha256sum -c copy.img.sha256", &rc);
  EXPECT_EQ(rc, 0);
#endif
  const auto report = nlohmann::json::parse(ReadText(ImageReportName(image)), nullptr, false);
  ASSERT_TRUE(report.is_object());
  EXPECT_EQ(report["device"], card);
  EXPECT_EQ(report["bytes"], bytes.size());
  EXPECT_EQ(report["sha256"], r.sha256);
  EXPECT_EQ(report["md5"], r.md5);
  EXPECT_EQ(report["badRanges"], nlohmann::json::array());
  EXPECT_EQ(report["started"].get<std::string>().size(), 20u);
  EXPECT_LE(report["started"].get<std::string>(), report["ended"].get<std::string>());
  EXPECT_EQ(ReadText(ImageMapName(image)).find('\n') + 1, ReadText(ImageMapName(image)).size());  // comment only

  // The image opens as the card it copies.
  auto copy = OpenReadOnlyFile(image);
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->Length(), int64_t(bytes.size()));
}

TEST(CardImage, UnreadableSectorsAreZerosAndListedAndAWeakOneIsReadOnTheSecondTry) {
  ScratchFolder dir("quovil_image_bad");
  const std::vector<uint8_t> bytes = Pattern((3u << 20) + 512 * 7);
  auto plan = std::make_shared<FaultPlan>();
  // Sectors 10-12, 2048 (the start of the second MiB block), the very last
  // sector, and a weak sector that reads on its second try.
  const uint64_t last = bytes.size() / 512 - 1;
  plan->badSectors = {10, 11, 12, 2048, last};
  plan->weakSectors = {300, 5000};
  FaultyDevice dev(MemoryDevice(bytes), plan);
  Steps progress;
  CardImageOptions small;
  small.blockBytes = 1 << 20;
  const std::string image = dir / "bad.img";
  const CardImageResult r = WriteCardImage(dev, image, DeviceIdentity{"memory", {}, {}, {}}, progress, small);
  ASSERT_EQ(r.status, CardImageResult::Status::Done) << r.message;
  const std::vector<SectorRange> want = {{10, 3}, {2048, 1}, {last, 1}};
  EXPECT_EQ(r.badRanges, want);
  EXPECT_EQ(plan->writes, 0);

  std::vector<uint8_t> expected = bytes;
  for (const SectorRange& b : want) std::fill_n(expected.begin() + int64_t(b.first * 512), b.count * 512, 0);
  const std::vector<uint8_t> got = ReadBytes(image);
  ASSERT_EQ(got.size(), expected.size());
  EXPECT_TRUE(got == expected);
  EXPECT_EQ(r.sha256, DigestHex(DigestKind::Sha256, expected.data(), expected.size()));

  EXPECT_EQ(ReadText(ImageMapName(image)),
            "# sectors of 512 bytes that could not be read, written as zeros: first count\n10 3\n2048 1\n" +
                std::to_string(last) + " 1\n");
  const auto report = nlohmann::json::parse(ReadText(ImageReportName(image)), nullptr, false);
  EXPECT_EQ(report["badRanges"], nlohmann::json::parse("[[10, 3], [2048, 1], [" + std::to_string(last) + ", 1]]"));
  EXPECT_NE(ImageDoneText(r).find("Не прочитано секторов: 5"), std::string::npos);
}

TEST(CardImage, RefusedOnTheSourceCancelledOrCutShortLeavesNothing) {
  ScratchFolder dir("quovil_image_refused");
  const std::string card = dir / "card.img";
  const std::vector<uint8_t> bytes = Pattern(3u << 20);
  ASSERT_TRUE(WriteBytes(card, bytes));
  {
    auto src = OpenReadOnlyFile(card);
    Steps progress;
    const CardImageResult r = WriteCardImage(*src, dir / "./card.img", DeviceIdentity{card, {}, {}, {}}, progress);
    EXPECT_EQ(r.status, CardImageResult::Status::Refused);
    EXPECT_EQ(r.message, "Не могу сохранить в открытый файл!");
    EXPECT_EQ(progress.max, -1);  // refused before any reading
    const CardImageResult folder = WriteCardImage(*src, dir.path(), DeviceIdentity{card, {}, {}, {}}, progress);
    EXPECT_EQ(folder.status, CardImageResult::Status::Refused);
  }
  EXPECT_EQ(ReadBytes(card), bytes);

  const std::string image = dir / "cancelled.img";
  {
    auto src = OpenReadOnlyFile(card);
    Steps progress;
    progress.cancelAt = 1;
    CardImageOptions small;
    small.blockBytes = 1 << 20;
    const CardImageResult r = WriteCardImage(*src, image, DeviceIdentity{card, {}, {}, {}}, progress, small);
    EXPECT_EQ(r.status, CardImageResult::Status::Cancelled);
    EXPECT_EQ(r.message, "Сохранение прервано пользователем!");
  }
  // A card pulled out half way.
  auto plan = std::make_shared<FaultPlan>();
  plan->VanishIn(2);
  FaultyDevice pulled(MemoryDevice(bytes), plan);
  Steps progress;
  CardImageOptions small;
  small.blockBytes = 1 << 20;
  const CardImageResult r = WriteCardImage(pulled, image, DeviceIdentity{"memory", {}, {}, {}}, progress, small);
  EXPECT_EQ(r.status, CardImageResult::Status::Failed);
  EXPECT_EQ(r.message, "Карта памяти отсутствует!");
  for (const std::string& name : {image, image + ".part", image + ".sha256", image + ".map", image + ".json"})
    EXPECT_FALSE(Exists(name)) << name;
}

}  // namespace
