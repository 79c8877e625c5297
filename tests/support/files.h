// Files of the tests: whole-file reads and writes, and a folder of its own for
// each test under the test program's temporary folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quovil::test {

// The whole file; empty when it cannot be read.
std::vector<uint8_t> ReadBytes(const std::string& path);
std::string ReadText(const std::string& path);
// Replaces the file; false when it could not be written completely.
bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
bool WriteText(const std::string& path, const std::string& text);
bool Exists(const std::string& path);

// An empty folder named after the running test, removed with the object.
// Declared before the viewers of a fixture, it goes after they have closed
// their files (Windows keeps a folder with open files).
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& prefix = "quovil");
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

}  // namespace quovil::test
