#include <cstring>

#include "card/korax.h"
#include "decode/frame_info.h"
#include "platform/translate.h"

namespace quovil {

namespace {

void SetSensorLabels(FrameInfoState& info) {
  const uint8_t* d = info.SensorData.data();
  const uint8_t status = d[0];
  info.Labels[0] = Format(Tr("Decode", "Uвх   = %4.1f В"), GetU16(d + 1) / 10.0);
  info.Labels[1] = Format(Tr("Decode", "Uакб = %4.1f В"), GetU16(d + 5) / 10.0);
  info.Labels[2] = (status & 0x02) ? "U_BAT LOW" : "U_BAT OK";
  info.Labels[3] = (status & 0x04) ? "U_IN OFF" : "U_IN OK";
  info.Labels[4] = (status & 0x08) ? "ENGINE ON" : "ENGINE OFF";
}

// The nine sensor bytes follow the record header. A record too short to hold
// them lends the bytes after it, as the recorder's layout reads, but never
// bytes beyond the block: those read as zero.
void ParseSensor(const uint8_t* payload, size_t avail, int entry, FrameInfoState& info) {
  info.SensorData.fill(0);
  std::memcpy(info.SensorData.data(), payload, avail < 9 ? avail : 9);
  info.SensorIndex = entry;
  SetSensorLabels(info);
}

void ParseGps(const uint8_t* payload, size_t len, int entry, FrameInfoState& info) {
  info.GpsSentence.assign(reinterpret_cast<const char*>(payload), len);
  info.GpsIndex = entry;
  std::string speed;
  if (GpsSpeedField(info.GpsSentence, &speed)) info.GpsSpeedText = speed;
}

}  // namespace

bool GpsSpeedField(const std::string& text, std::string* speed) {
  const size_t at = text.find("$GPVTG");
  if (at == std::string::npos) return false;
  speed->clear();
  int commas = 0;
  for (size_t j = at; j + 1 < text.size(); ++j) {
    if (text[j] == ',') {
      if (++commas > 7) break;
    } else if (commas == 7) {
      speed->push_back(text[j]);
    }
  }
  return true;
}

void ParseFrameInfo(const uint8_t* block, size_t n, int entry, FrameInfoState& info) {
  ForEachInfoRecord(block, n, [&](uint8_t type, const uint8_t* payload, size_t len, size_t avail) {
    if (type == kInfoSensor) {
      ParseSensor(payload, avail, entry, info);
    } else {
      ParseGps(payload, len, entry, info);
    }
  });
}

}  // namespace quovil
