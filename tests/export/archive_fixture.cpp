#include "archive_fixture.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/block_device.h"

namespace archive_test {

namespace {

class FailingDevice : public quovil::BlockDevice {
 public:
  FailingDevice(std::unique_ptr<quovil::BlockDevice> inner, int64_t failAt)
      : inner_(std::move(inner)), failAt_(failAt) {}
  bool Read(uint64_t offset, void* buf, std::size_t n) override {
    const uint64_t bad = uint64_t(failAt_);
    if (failAt_ >= 0 && offset < bad + 512 && offset + n > bad) return false;
    return inner_->Read(offset, buf, n);
  }
  bool Write(uint64_t, const void*, std::size_t) override { return false; }
  int64_t Length() override { return inner_->Length(); }
  bool Removable() override { return true; }
  std::string Name() const override { return inner_->Name(); }

 private:
  std::unique_ptr<quovil::BlockDevice> inner_;
  int64_t failAt_;
};

class OneImage : public quovil::DriveEnumerator {
 public:
  OneImage(std::string path, int64_t failAt) : path_(std::move(path)), failAt_(failAt) {}
  std::unique_ptr<quovil::BlockDevice> Open(int n) override {
    if (n != 0) return nullptr;
    auto dev = quovil::OpenReadOnlyFile(path_);
    if (!dev) return nullptr;
    return std::make_unique<FailingDevice>(std::move(dev), failAt_);
  }
  int Count() override { return 1; }

 private:
  std::string path_;
  int64_t failAt_;
};

}  // namespace

std::string ScratchDir() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string("quovil_archive_") + info->test_suite_name() + "_" + info->name();
  std::replace(name.begin(), name.end(), '/', '_');
  std::filesystem::path dir = std::filesystem::temp_directory_path() / name;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir.string();
}

void RemoveScratch(const std::string& dir) {
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(out);
}

bool OpenCardImage(quovil::Viewer& v, const std::string& path, int64_t failAt) {
  v.drives = std::make_unique<OneImage>(path, failAt);
  v.src.SourceIsCard = true;
  v.CheckTimerTimer();
  return v.src.CardOpen;
}

std::vector<uint8_t> PictureOf(quovil::Viewer& v, int i) {
  quovil::Picture8 pic;
  pic.Resize(v.src.PictureWidth, v.src.PictureHeight);
  if (!v.BuildPicture(i, pic)) return {};
  std::vector<uint8_t> out;
  for (int y = 0; y < pic.height; ++y) out.insert(out.end(), pic.Row(y), pic.Row(y) + pic.width);
  return out;
}

}  // namespace archive_test
