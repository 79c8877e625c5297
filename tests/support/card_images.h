// Card images and archive files built byte by byte in the recorder's layouts,
// for tests that choose every record themselves: its flag byte, time stamp,
// picture and sound. The images open through the program's own routines (see
// card_source.h), so what a test sees is what the card watch and the opening
// command make of them.
#pragma once

#include <cstdint>
#include <vector>

#include "card/korax.h"

namespace quovil::test {

using Bytes = std::vector<uint8_t>;

// Sector 0 of a card: the magic, and the state sector of formats 1 and 2.
Bytes BootSector(int format, uint32_t stateSector = 64);

// One record of an image.
struct ImageRecord {
  uint8_t flag = 0x02;  // the flag byte as stored, camera bits included
  TimeStamp time{15, 6, 24, 12, 0, 0};
  Bytes picture;        // stored picture bytes (formats 0 and 1: odd rows first); zero after them
  Bytes sound;          // stored sound block: 16-bit count, samples; empty: no sound
  // Long entries (format 2, archive files):
  uint8_t frameInterval = 0;  // hundredths of a second; 0: unknown
  bool pastTheEnd = false;    // the entry points beyond the end of the data
};

// Format 0: the state table at both copies, the index table, the 65536-entry
// catalogue and the fixed-size records from sector 3586 on. Record i (catalogue
// index i) holds a picture of the resolution row's width x 256, no sound.
struct Format0Image {
  uint16_t mainFirst = 0, mainCount = 0, archiveFirst = 0, archiveCount = 0, totalSlots = 0;
  uint8_t resolution = 0;
  std::vector<uint16_t> slotToIndex;  // index table slot s; the identity beyond it
  std::vector<ImageRecord> records;
};

// Format 1: the two table copies at the state sector, the catalogue after them
// and then the records of every slot: an 11264-byte sound block (the count,
// then the samples) and the picture, the record rounded to whole sectors.
struct Format1Image {
  uint32_t stateSector = 1;
  uint32_t recordCount = 0, writeSlot = 0;  // SlotCount is the number of slots
  uint8_t resolution = 0;
  uint16_t width = 16, height = 8, sampleRate = 11025;
  std::vector<ImageRecord> slots;
};

// Format 2: the two table copies at the state sector, a ring of the records'
// entries 0 .. n-1 (head n, not wrapped) with `spareEntries` free ones after
// them, then the data: each record its sound sectors, then its picture
// sectors, one after the other from the data's first sector.
struct Format2Image {
  uint32_t stateSector = 1;
  uint32_t spareEntries = 32;
  uint16_t width = 16, height = 8, sampleRate = 11025;
  std::vector<ImageRecord> records;
};

// An archive file (version 3) of a card of the given format: header, long
// entries, then each record's sound and picture sectors from the data offset.
// soundBytes 0: the records carry no sound.
struct ArchiveImage {
  uint32_t cardFormat = 2;
  uint32_t width = 16, height = 8;
  uint32_t soundBytes = 0, sampleRate = 11025;
  std::vector<ImageRecord> records;
};

Bytes MakeCardImage(const Format0Image& f);
Bytes MakeCardImage(const Format1Image& f);
Bytes MakeCardImage(const Format2Image& f);
Bytes MakeArchiveFile(const ArchiveImage& a);

// The picture size a format-0 card of that resolution row records.
int Format0Width(uint8_t resolution);
inline constexpr int kFormat0Height = 256;

}  // namespace quovil::test
