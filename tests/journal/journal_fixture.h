// Journal bytes built by hand: a sealed 84-byte header, sealed 8-byte records
// and a format-2 card image holding them at the journal's place.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "card/korax.h"
#include "card/source.h"
#include "journal/journal_log.h"
#include "platform/block_device.h"

namespace journal_fixture {

struct HeaderTexts {
  std::string sw = "1.07";
  std::string date = "12.03.2024";
  std::string hw = "KX-2";
  std::string id = "000517";
};

inline std::vector<uint8_t> Header(uint32_t size, uint32_t head, const HeaderTexts& t = {}, uint8_t version = 1) {
  std::vector<uint8_t> h(84, 0);
  quovil::PutU16(&h[0], 84);
  h[2] = version;
  std::memcpy(&h[4], t.sw.data(), std::min<size_t>(t.sw.size(), 16));
  std::memcpy(&h[20], t.date.data(), std::min<size_t>(t.date.size(), 16));
  std::memcpy(&h[36], t.hw.data(), std::min<size_t>(t.hw.size(), 16));
  std::memcpy(&h[52], t.id.data(), std::min<size_t>(t.id.size(), 16));
  quovil::PutU32(&h[75], size);
  quovil::PutU32(&h[79], head);
  quovil::SealRecord(h.data(), h.size());
  return h;
}

using Record = std::array<uint8_t, 8>;

inline Record Rec(uint8_t code, uint8_t data, uint8_t day = 15, uint8_t month = 6, uint8_t year = 24,
                  uint8_t hour = 12, uint8_t minute = 30) {
  Record r{day, month, year, hour, minute, code, data, 0};
  quovil::SealRecord(r.data(), r.size());
  return r;
}

// A record area of n places, all erased (0xFF fails the record check).
inline std::vector<uint8_t> Area(uint32_t n) { return std::vector<uint8_t>(size_t(n) * 8, 0xFF); }

inline void Put(std::vector<uint8_t>& area, uint32_t i, const Record& r) {
  std::memcpy(&area[size_t(i) * 8], r.data(), 8);
}

// Record i carries code 3 ("Часы записаны") with minute = i % 60, so rows can
// be told apart by their time.
inline Record Numbered(uint32_t i) { return Rec(3, 0, 1, 2, 25, uint8_t(i / 60 % 24), uint8_t(i % 60)); }

// A format-2 card holding header and area at the journal's place; tail adds
// bytes after the area.
inline quovil::Source Card(const std::vector<uint8_t>& header, const std::vector<uint8_t>& area,
                           size_t tail = 512) {
  std::vector<uint8_t> bytes(quovil::kJournalRecordsOffset + area.size() + tail, 0);
  std::memcpy(&bytes[quovil::kJournalHeaderOffset], header.data(), header.size());
  if (!area.empty()) std::memcpy(&bytes[quovil::kJournalRecordsOffset], area.data(), area.size());
  quovil::Source src;
  src.SourceIsCard = true;
  src.CardOpen = true;
  src.CardFormat = 2;
  src.Card = quovil::MemoryDevice(std::move(bytes));
  return src;
}

inline std::vector<uint8_t> Concat(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  std::vector<uint8_t> out(a);
  out.insert(out.end(), b.begin(), b.end());
  return out;
}

// A fresh directory under the test temp dir, removed at the end.
class TempDir {
 public:
  explicit TempDir(const std::string& name)
      : path_(std::filesystem::temp_directory_path() /
              ("quovil_journal_" + name + "_" + std::to_string(::getpid()))) {
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

inline std::vector<uint8_t> ReadAll(const std::string& name) {
  std::ifstream f(name, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::string& name, const std::vector<uint8_t>& bytes) {
  std::ofstream f(name, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

}  // namespace journal_fixture
