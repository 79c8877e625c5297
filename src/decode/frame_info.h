// The frame information block of format-2 records: sensor readings and GPS text.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "card/source.h"

namespace quovil {

// The information block is read into a buffer of 16 sectors; a longer block is
// parsed only as far as those.
inline constexpr size_t kInfoBlockBytes = 8192;

// Record types of an information block.
inline constexpr uint8_t kInfoSensor = 0x0A;
inline constexpr uint8_t kInfoGps = 0x0B;

// The entries of one second (a run of equal time stamps) and those among them
// that carry an information block, remembered for the next frame of that
// second: many records of one second must not each rescan it.
struct InfoRunMemo {
  uint64_t version = 0;  // the catalogue's version; 0: nothing remembered
  int first = -1, last = -1;
  std::vector<int> carriers;  // ascending
};

struct FrameInfoState {
  // Status bits (bit 1 battery low, bit 2 input off, bit 3 engine on), Uвх at
  // 1..2 and Uакб at 5..6, little-endian tenths of a volt.
  std::array<uint8_t, 9> SensorData{};
  int SensorIndex = -1;
  std::string GpsSentence;
  int GpsIndex = -1;
  std::string GpsSpeedText;
  // Sensor panel labels: LabelUin, LabelUAKB, Label1, Label2, Label3.
  std::array<std::string, 5> Labels;
  bool HasLabels() const { return !Labels[0].empty(); }
  InfoRunMemo run;
};

// Reads the information of index's second: from index's own block, or from the
// nearest entry of the same second (either camera) that carries one. Nothing
// changes for short-entry cards, for a second without information, or when
// that block was parsed last. False when a read failed (the display then skips
// the rest of its step).
bool ReadFrameInfo(const Source& src, FrameInfoState& info, int index);

// The entry whose block carries the information of index's second, or -1:
// index's own, else the first after it in that second, else the last before.
int FindInfoEntry(const Source& src, int index, InfoRunMemo& memo);

// Reads and parses the block of entry e (which carries one), unless it was
// parsed last. False when the read failed.
bool ReadInfoBlock(const Source& src, FrameInfoState& info, int e);

// Walks the records of an information block (n bytes) in order, calling
// visit(type, payload, length, avail) for each sensor or GPS record: length is
// the record's payload length (L - 4), avail the bytes from the payload to the
// block's end (a short sensor record lends the bytes after it). A record that
// runs past the block ends the walk, as does one of unknown type or with a
// length below 4. Every reader of the blocks goes through here.
template <class Visit>
void ForEachInfoRecord(const uint8_t* block, size_t n, Visit&& visit) {
  size_t off = 0;
  while (off + 3 <= n) {
    const size_t len = GetU16(block + off);
    if (len < 4 || len > n - off) break;
    const uint8_t type = block[off + 2];
    if (type != kInfoSensor && type != kInfoGps) break;
    visit(type, block + off + 3, len - 4, n - off - 3);
    off += len;
  }
}

// Parses an information block (n bytes) into the state; entry is the index
// that supplied it. A record that runs past the block ends the parse, as does
// one of unknown type or with a length below 4.
void ParseFrameInfo(const uint8_t* block, size_t n, int entry, FrameInfoState& info);

// The speed field of the "$GPVTG" sentence in text (the field after its
// seventh comma); false when text holds no "$GPVTG". The scan stops before the
// text's last character, so a speed field that ends the text loses its last
// character: the speed has always been shown that way.
bool GpsSpeedField(const std::string& text, std::string* speed);

}  // namespace quovil
