#include "fault_fixture.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace faults {

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

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

void FaultTest::SetUp() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(info->test_suite_name()) + "_" + info->name();
  for (char& c : name)
    if (c == '/') c = '_';
  dir = ::testing::TempDir() + "faults_" + std::to_string(getpid()) + "_" + name;
  std::filesystem::create_directories(dir);
  viewer = std::make_unique<quovil::Viewer>(host);
}

void FaultTest::TearDown() {
  viewer.reset();
  std::filesystem::remove_all(dir);
}

void FaultTest::MakeCard(const mkcard::Options& o) {
  cardPath = dir + "/card.img";
  truth = mkcard::WriteCard(o, cardPath);
  ASSERT_EQ(truth.format, o.format);
  cardBytes = ReadBytes(cardPath);
}

bool FaultTest::OpenCard(std::shared_ptr<FaultPlan> withPlan) {
  plan = withPlan ? std::move(withPlan) : std::make_shared<FaultPlan>();
  viewer->CloseCard();
  viewer->src.SourceIsCard = true;
  viewer->drives = std::make_unique<FaultyDrive>(cardPath, plan);
  viewer->CheckTimerTimer();
  return viewer->src.CardOpen;
}

void FaultTest::ExpectCardUnchanged() {
  EXPECT_TRUE(ReadBytes(cardPath) == cardBytes) << "the card image was changed";
}

std::vector<uint8_t> FaultTest::PictureOf(int index) {
  quovil::Picture8 pic;
  pic.Resize(viewer->src.PictureWidth, viewer->src.PictureHeight);
  if (!viewer->BuildPicture(index, pic)) return {};
  std::vector<uint8_t> out;
  for (int y = 0; y < pic.height; ++y) out.insert(out.end(), pic.Row(y), pic.Row(y) + pic.width);
  return out;
}

void FaultTest::ExpectSoundViewer() {
  ASSERT_TRUE(OpenCard()) << viewer->NoSourceText;
  ASSERT_EQ(viewer->src.EntryCount, truth.entryCount);
  EXPECT_GT(viewer->SelCount, 0);
  for (int i = 0; i < truth.entryCount; ++i) {
    if (!truth.frames[size_t(i)].written) continue;
    ASSERT_EQ(PictureOf(i), truth.frames[size_t(i)].picture) << "catalogue index " << i;
  }
}

}  // namespace faults
