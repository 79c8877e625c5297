#include "files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/utf8_file.h"

namespace quovil::test {

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ReadText(const std::string& path) {
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(PathFromUtf8(path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(out);
}

bool WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(PathFromUtf8(path), std::ios::binary | std::ios::trunc);
  out << text;
  return bool(out);
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(PathFromUtf8(path), ec);
}

namespace {

// The running test's full name, fit for a file name.
std::string TestName() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  if (!info) return "outside_tests";
  std::string name = std::string(info->test_suite_name()) + "_" + info->name();
  std::replace(name.begin(), name.end(), '/', '_');
  return name;
}

}  // namespace

// Every test program has a temporary folder of its own (see test_main.cpp),
// so the test's name alone keeps the folders apart.
ScratchFolder::ScratchFolder(const std::string& prefix) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / (prefix + "_" + TestName());
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  std::filesystem::create_directories(dir);
  path_ = PathToUtf8(dir);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ec;
  std::filesystem::remove_all(PathFromUtf8(path_), ec);
}

}  // namespace quovil::test
