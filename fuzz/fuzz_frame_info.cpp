// The frame information parser: sensor and GPS records, and the speed field
// of the GPS text it keeps.
#include <string>

#include "decode/frame_info.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quovil::FrameInfoState info;
  quovil::ParseFrameInfo(data, size, 1, info);
  std::string speed;
  quovil::GpsSpeedField(info.GpsSentence, &speed);
  quovil::GpsSpeedField(std::string(reinterpret_cast<const char*>(data), size), &speed);
  return 0;
}
