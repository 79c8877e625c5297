// Small hand-built sources for the decoding tests: a device in memory that can
// be told to fail chosen reads, and a recorder of format-2 records (card or
// archive) with pictures, delta streams, sound and information blocks, for the
// damaged and unusual entries the synthetic recorder does not write.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "card/source.h"
#include "decode/frame_cache.h"
#include "decode/frame_info.h"

namespace decode_test {

using quovil::BlockDevice;
using quovil::LongEntry;
using quovil::Source;
using quovil::TimeStamp;

class TestDevice : public BlockDevice {
 public:
  std::vector<uint8_t> bytes;
  std::set<uint64_t> failAt;  // reads starting at these offsets fail
  int reads = 0;

  bool Read(uint64_t offset, void* buf, std::size_t n) override;
  bool Write(uint64_t, const void*, std::size_t) override { return false; }
  int64_t Length() override { return int64_t(bytes.size()); }
  bool Removable() override { return true; }
  std::string Name() const override { return "test"; }
};

// A picture whose bytes depend on seed; neighbours in a group differ a little.
std::vector<uint8_t> TestPicture(int n, uint32_t seed);

// Records a format-2 source frame by frame. Each camera's groups continue
// from that camera's previous frame.
class Recorder {
 public:
  Recorder(int width, int height, bool archive = false);

  // Appends an entry of camera cam (its FlagByte camera bits). A key frame
  // stores picture; a delta frame stores the delta from the camera's last
  // picture. Returns the entry index. expected[i] is what the decoder gives.
  int Key(int cam, const std::vector<uint8_t>& picture);
  int Delta(int cam, const std::vector<uint8_t>& picture);
  // A delta entry with raw stream bytes (padded to whole sectors).
  int RawDelta(int cam, const std::vector<uint8_t>& stream, int sectors = -1);
  // Entries in a row: a key frame and count - 1 deltas of camera cam.
  int Group(int cam, int count, uint32_t seed);

  void SetTime(const TimeStamp& t) { time_ = t; }
  // Sound and information of the next entry appended.
  void NextSound(const std::vector<uint8_t>& block) { sound_ = block; }
  void NextInfo(const std::vector<uint8_t>& block) { info_ = block; }
  LongEntry& Entry(int i) { return src.LongCatalogue[size_t(i)]; }

  // Hands the device to the source; the device stays reachable through dev.
  Source& Finish();

  Source src;
  TestDevice* dev = nullptr;
  std::vector<std::vector<uint8_t>> expected;  // per entry, empty when undefined

 private:
  int Append(int cam, uint8_t flag, const std::vector<uint8_t>& data, int pictureSectors);
  std::unique_ptr<TestDevice> owned_;
  std::vector<uint8_t> last_[4];
  std::vector<uint8_t> sound_, info_;
  TimeStamp time_{1, 2, 24, 10, 0, 0};
  uint32_t sector_ = 0;
};

// Information block records.
std::vector<uint8_t> SensorRecord(uint8_t status, uint16_t uin, uint16_t uakb);
std::vector<uint8_t> GpsRecord(const std::string& text);
// Concatenates records and pads them with zeros to whole sectors.
std::vector<uint8_t> InfoBlock(const std::vector<std::vector<uint8_t>>& records);

}  // namespace decode_test
