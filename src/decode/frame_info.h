// The frame information block of format-2 records: sensor readings and GPS text.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "card/source.h"

namespace quovil {

struct FrameInfoState {
  std::array<uint8_t, 9> SensorData{};
  int SensorIndex = -1;
  std::string GpsSentence;
  int GpsIndex = -1;
  std::string GpsSpeedText;
  // Sensor panel labels: LabelUin, LabelUAKB, Label1, Label2, Label3.
  std::array<std::string, 5> Labels;
  bool HasLabels() const { return !Labels[0].empty(); }
};

// Reads the information of index's second. False when a read failed (the
// display then skips the rest of its step).
bool ReadFrameInfo(const Source& src, FrameInfoState& info, int index);

// Parses an information block (n bytes) into the state; entry is the index
// that supplied it.
void ParseFrameInfo(const uint8_t* block, size_t n, int entry, FrameInfoState& info);

}  // namespace quovil
