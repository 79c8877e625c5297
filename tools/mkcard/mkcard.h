// Synthetic recorder: writes card images in the recorder's raw layout
// (formats 0, 1 and 2) together with the ground truth the viewer must show.
// Everything is deterministic from Options::seed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "card/korax.h"

namespace mkcard {

// One event of the recorder's journal (format 2 cards).
struct JournalEvent {
  quovil::TimeStamp time;  // seconds are not stored in the journal
  uint8_t code = 0;
  uint8_t data = 0;
};

struct Options {
  int format = 0;          // card format 0, 1 or 2
  uint32_t seed = 1;
  // Catalogue entries written (the entries the viewer loads). Capped: format 0
  // at 65519 less the archive records, format 1 at 65536, format 2 at 499808.
  int records = 200;

  // Cameras: both cameras alternate (in runs of a few records, as the recorder
  // does), or only `camera` records.
  bool bothCameras = true;
  int camera = 0;

  // Time: start stamp and records per second (all cameras together). Time stamps
  // advance by whole seconds; minute, hour, day, month and year roll over.
  quovil::TimeStamp start{15, 6, 24, 12, 0, 0};
  int framesPerSecond = 4;

  // Record kinds. allKinds: records cycle through every kind (formats 0/1:
  // 0x02/0x04/0x08/0x10, some also 0x20 marked; format 2: manual, 0x04, 0x08,
  // 0x10, 0x20). Otherwise every record has `kind` (0 = manual).
  bool allKinds = true;
  uint8_t kind = 0;

  // Picture size: formats 0/1 use the resolution table row; format 2 width/height.
  int resolutionIndex = 1;
  int width = 160, height = 120;

  // Sound (formats 1 and 2): each frame carries the samples of its camera's
  // frame interval. Format 1 blocks are 11264 bytes (the count and at most 11262
  // samples); format 2 blocks are rounded to whole sectors (SoundSectors varies
  // with the interval, at most 22528 bytes).
  bool sound = true;
  int sampleRate = 11025;
  uint32_t storedSoundBytes = 11264;  // format 1: value written into the state table

  // Format 2 groups: key frame plus deltas. groupLength frames per camera group
  // (1..255); longGroups makes every third group 64 + 6 frames long.
  int groupLength = 16;
  bool longGroups = false;

  // Format 2 frame information: a block on the first record of each second
  // carrying a sensor record and/or a GPS record.
  bool sensors = true;
  bool gps = true;
  // Damage of the frame information, each on every Nth second (0: never),
  // counted from the start: infoGapEvery seconds carry no block at all;
  // badChecksumEvery seconds have wrong checksums on their RMC and GGA
  // sentences (VTG stays right); invalidFixEvery seconds report no fix (RMC
  // status V, GGA quality 0, VTG mode N). A second that is several of these is
  // the first of them named here.
  int infoGapEvery = 0;
  int badChecksumEvery = 0;
  int invalidFixEvery = 0;
  // Odd seconds carry their block on their last record instead of their
  // first (with both cameras often the other camera's).
  bool lateInfo = false;
  // The GPS receiver's date and time (RMC and GGA) against the record's time
  // stamp: RMC time = record time + gpsClockOffset seconds.
  int gpsClockOffset = 0;

  // Rings. Format 0: mainWrapped puts the main area's oldest record in the
  // middle of the ring; archiveRecords > 0 adds an archive area whose IndexTable
  // entries are shuffled (not the identity). Format 1: ringWrapped writes
  // WriteSlot < RecordCount. Format 2: ringWrapped makes the catalogue ring
  // wrap (RingWrapped, RingTail, ScanSteps, DataWriteSector are set so that the
  // loader finds the first of `records` entries); ringCapacity 0 chooses one.
  // Format 0: IndexTable is the identity over the main area. A wrapped main
  // ring is full (ArchiveFirstSlot = records) with MainFirstSlot at records / 3;
  // one that has not wrapped starts at slot 0 and keeps 16 free slots. Archive
  // slots point at catalogue indices from ArchiveFirstSlot on (so at or beyond
  // MainCount, the viewer's EntryCount), shuffled.
  bool mainWrapped = false;
  int archiveRecords = 0;
  bool ringWrapped = false;
  // Format 2 ring: capacity (0 = chosen; raised to what the records need) and
  // head (-1 = chosen: a wrapped ring then has its counted part run over the
  // ring's end). scanlessWrap: wrapped with DataWriteSector 0, so the loader
  // starts RingTail + 128 without walking.
  int ringCapacity = 0;
  int ringHead = -1;
  bool scanlessWrap = false;
  int slotCount = 0;  // format 1 slots; 0 = records (a wrapped ring is then full)

  // Damage and versions.
  bool badFirstCopy = false;     // first state-table copy fails its checksum
  bool badBothCopies = false;    // both copies fail
  bool differentCopies = false;  // format 2: both good, second copy differs
  int tableVersion = 4;          // format 2 TableVersion (3, 4, or 5 to be refused)
  bool badBootChecksum = false;  // boot sector checksum wrong (format 0 ignores it)

  // Journal (format 2): header at 0x800000, records at 0x800200.
  bool journal = false;
  bool journalWrapped = false;
  int journalCapacity = 256;         // records in the ring (multiple of 64)
  std::vector<JournalEvent> events;  // empty: a generated list
};

// What the viewer must show for one catalogue index.
struct Frame {
  int camera = 0;
  uint8_t flag = 0;  // FlagByte as written (format 2 includes the delta bit)
  quovil::TimeStamp time;
  bool keyFrame = true;
  // Position in its camera's group (0 = key frame). The viewer decodes no
  // further than position 63; frames beyond it are recorded all the same.
  int groupPosition = 0;
  // Picture in display order, width*height bytes, rows top to bottom, exactly
  // as the decoder produces it (a delta frame's last byte is the previous
  // frame's last byte).
  std::vector<uint8_t> picture;
  std::vector<uint8_t> sound;     // whole stored sound block (count first)
  std::vector<uint8_t> samples;   // the unsigned 8-bit samples alone
  std::vector<uint8_t> info;      // format 2: this entry's own info block (InfoSectors*512)
  // Format 2: what the sensor panel and GPS output show with this frame, from
  // the block of its second (infoIndex; none when -1).
  bool hasSensor = false;
  uint8_t sensorStatus = 0;
  uint16_t uin = 0, uakb = 0;     // tenths of a volt
  std::string gpsText;            // GPS record text (several sentences)
  std::string gpsSpeed;           // speed field of its $GPVTG sentence
  // What the GPS text of that block states with right checksums and a valid
  // fix: position in degrees (as written: minutes to four decimals), speed in
  // km/h, course in degrees.
  bool gpsPosition = false;
  double lat = 0, lon = 0;
  bool gpsSpeedValid = false;
  double speedKmh = 0;
  bool gpsCourse = false;
  double course = 0;
  bool written = true;    // false: an empty slot (format 1 slots beyond the records)
  int infoIndex = -1;     // format 2: catalogue index whose block holds this second's info
  // Format 2 long entry as written.
  uint32_t firstSector = 0;
  uint8_t pictureSectors = 0, soundSectors = 0, infoSectors = 0, frameInterval = 0;
};

struct Recorded {
  int format = 0;
  int width = 0, height = 0;
  int pictureBytes = 0;
  int frameStride = 0;       // formats 0/1
  int soundBytes = 0;        // viewer's SoundBytes (format 1: 11264)
  int sampleRate = 0;
  bool hasSound = false;
  int edgeTrim = 0;
  int entryCount = 0;
  uint32_t stateSector = 0;      // formats 1/2
  uint32_t catalogueSector = 0;  // formats 1/2
  uint32_t dataFirstSector = 0;  // formats 0/1
  uint32_t dataBaseSector = 0;   // format 2
  uint32_t dataAreaSectors = 0, dataWriteSector = 0;  // format 2
  uint32_t ringCapacity = 0, ringFirst = 0;           // format 2
  int totalSlots = 0, recordCount = 0;                // fill pair of formats 0/1
  std::vector<Frame> frames;  // per catalogue index
  // Catalogue indices in recording order (format 0: the main area walked from
  // MainFirstSlot; format 1: the ring walked from WriteSlot - RecordCount).
  std::vector<int> order;
  std::vector<int> archiveOrder;  // format 0: archive area, slot order
  int secondCopyEntryCount = 0;   // format 2 with differentCopies: EntryCount of copy 2
  uint32_t ringHead = 0, ringTail = 0, scanSteps = 0;  // format 2
  bool ringWrapped = false;
  int writeSlot = 0, slotCount = 0;                    // format 1
  uint32_t journalSize = 0;                            // bytes of the record area
  // Format 0: IndexTable, slot -> catalogue index, for TotalSlots slots.
  std::vector<uint16_t> slotToIndex;
  int mainFirstSlot = 0, archiveFirstSlot = 0;
  // Format 2 journal as written, oldest first.
  std::vector<JournalEvent> journal;
  int journalHead = 0;
};

// Writes a card image to path and returns its ground truth. On a write
// failure the returned Recorded has format -1.
Recorded WriteCard(const Options& options, const std::string& path);

// Builds a card image in memory.
std::vector<uint8_t> MakeCard(const Options& options, Recorded* truth = nullptr);

// Archive file (".kif") holding every record of the card `card` describes, in
// recording order: version 3 as the viewer saves it (long entries; records of
// formats 0/1 become sound + picture with the manual bit cleared), or version 2
// (short entries and fixed-size records; card formats 0 and 1 only, else
// empty). truth gets the card's truth reordered to the archive's entries.
std::vector<uint8_t> MakeArchive(const Options& card, int version, Recorded* truth = nullptr);

// Inverse of the viewer's delta decoder over n bytes: codes for positions
// 0..n-2, literal codes 0x01..0x7F and runs 0x80..0xFF only. A literal code
// adds an even amount, so a position whose difference is odd gets the nearest
// value it can have in plain (not modular) distance: next - 1, or 1 when next
// is 0. DecodeResult gives what the decoder will really rebuild.
std::vector<uint8_t> DeltaEncode(const uint8_t* prev, const uint8_t* next, int n);

// What the decoder rebuilds from prev and the encoded stream of next: even
// differences exact, odd ones one below (one above for 0), so every byte but
// the last within 1 of next; the last byte taken from prev.
std::vector<uint8_t> DecodeResult(const uint8_t* prev, const uint8_t* next, int n);

// NMEA checksum "*hh" helper: the XOR of the characters between '$' and '*'.
std::string NmeaSentence(const std::string& body);

}  // namespace mkcard
