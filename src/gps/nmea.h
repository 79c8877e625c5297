// NMEA 0183 text as the recorder stores it: checksums, splitting and the few
// fields the route export needs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quovil {

// XOR of the characters of body (the text between '$' and '*').
uint8_t NmeaChecksum(std::string_view body);
// "$" + body + "*hh" (upper-case hex).
std::string NmeaWithChecksum(std::string_view body);
// True for "$body*hh" whose two hex digits (either case) equal the checksum of
// body. A sentence without "*hh", or with anything after it, is not accepted.
bool NmeaChecksumOk(std::string_view sentence);
// The sentences of a recorded text: each runs from a '$' to the next CR, LF or
// '$' (or the end). Bytes before the first '$' are dropped.
std::vector<std::string_view> NmeaSentences(std::string_view text);

// What one recorded GPS text says, taken only from sentences whose checksums
// are right.
struct GpsFix {
  bool hasPosition = false;
  double lat = 0, lon = 0;  // degrees, south and west negative
  bool hasTime = false;
  int hour = 0, minute = 0;
  double second = 0;
  bool hasDate = false;
  int day = 0, month = 0, year = 0;  // four-digit year
  bool hasSpeed = false;
  double speedKmh = 0;
  bool hasCourse = false;
  double course = 0;  // degrees true, 0 <= course < 360
  bool operator==(const GpsFix&) const = default;
};

// RMC gives position (status A only), time, date, speed and course; GGA
// position (fix quality above 0) and time; VTG speed in km/h and course, which
// win over RMC's. Numbers are read the same whatever the C locale says, and
// nothing is allocated: the telemetry index parses every second of a card.
GpsFix ParseGpsText(std::string_view text);

}  // namespace quovil
