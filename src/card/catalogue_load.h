// Loading the frame catalogue of an open card into the source: the short
// catalogue of formats 0 and 1 and the catalogue ring of format 2.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>

#include "card/catalogue.h"
#include "card/source.h"
#include "platform/host.h"

namespace quovil {

// 20 sectors of the format-2 ring, positioned on one entry.
struct CatalogueChunk {
  static constexpr int kBytes = 10240;
  std::array<uint8_t, kBytes> bytes{};
  int cursor = 0;  // byte of the entry the chunk was read for
  int count = 0;   // ring entries held from the cursor on

  const uint8_t* EntryBytes(int k) const { return bytes.data() + cursor + k * 16; }
  LongEntry Entry(int k) const {
    LongEntry e;
    std::memcpy(e.b.data(), EntryBytes(k), 16);
    return e;
  }
};

// Reads the chunk holding ring entry i (i < RingCapacity). The chunk never
// reaches past the ring's last sector, so a ring at the very end of the card
// reads. False when the read fails.
bool ReadCatalogueChunk(const Source& src, uint32_t i, CatalogueChunk& chunk);

// Formats 0 and 1: the whole short catalogue. False when the read fails.
bool ReadShortCatalogue(Source& src);

// A recorder clock reading the loader accepts. The recorder writes the year
// byte 11 only when its clock has lost its setting.
bool ValidClock(const TimeStamp& t);

// Format 2: finds the oldest entry (the wrap scan, reporting broken clocks
// through the host), then copies the ring from there to RingHead into
// LongCatalogue in recording order and sets EntryCount. False when a read of
// the wrap scan fails. Does nothing unless CardFormat is 2.
bool LOAD_X_ATTR(Source& src, ViewerHost& host);

}  // namespace quovil
