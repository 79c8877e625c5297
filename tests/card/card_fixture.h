// Hand-built card images for the cases the synthetic recorder does not make:
// exact ring positions, damaged tables, hostile counts.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "card/korax.h"
#include "card/state_tables.h"
#include "platform/block_device.h"
#include "platform/host.h"
#include "support/card_images.h"
#include "support/recording_host.h"

namespace cardfix {

using Bytes = std::vector<uint8_t>;

// A device over shared bytes, so a test can look at what was written and
// pull the card out.
class SharedDevice : public quovil::BlockDevice {
 public:
  explicit SharedDevice(std::shared_ptr<Bytes> bytes) : bytes_(std::move(bytes)) {}
  bool Read(uint64_t off, void* buf, std::size_t n) override;
  bool Write(uint64_t off, const void* buf, std::size_t n) override;
  int64_t Length() override { return reportLength ? int64_t(bytes_->size()) : -1; }
  bool Removable() override { return removable; }
  bool Present() override { return present; }
  std::string Name() const override { return "shared"; }

  bool removable = true;
  bool present = true;
  bool reportLength = true;
  int writesAllowed = 1 << 30;  // writes after this many fail
  int writes = 0;
  int64_t largestRead = 0;

 private:
  std::shared_ptr<Bytes> bytes_;
};

using quovil::test::RecordingHost;

using quovil::test::BootSector;

// Format 0: 16-byte table at both copies, identity index table, catalogue of
// `records` short entries, data area of `records` frames (420 x 256 pictures
// by default; stride rounded to sectors).
struct Format0 {
  uint16_t mainFirst = 0, mainCount = 10, archiveFirst = 100, totalSlots = 120;
  uint8_t resolution = 0;
  int records = 10;
};
Bytes MakeFormat0(const Format0& f);

struct Format1 {
  uint32_t stateSector = 64, dataFirstSector = 200, slotCount = 20, recordCount = 10, writeSlot = 10;
  uint8_t resolution = 1;
  uint16_t width = 320, height = 256, sampleRate = 8000;
  uint32_t frameStride = 512 * 200, storedSoundBytes = 5000;
};
Bytes MakeFormat1(const Format1& f);
Bytes Table1(const Format1& f);

// Format 2: ring entries form one chain of records of `recordSectors`
// sectors each; entry k has FirstSector firstSector0 + k * recordSectors
// unless set otherwise through SetEntry.
struct Format2 {
  uint32_t stateSector = 64, dataBase = 5000, dataArea = 100000;
  uint32_t capacity = 256, scanSteps = 0, head = 0, dataWrite = 0, tail = 0;
  uint8_t wrapped = 0, version = 4;
  uint16_t width = 160, height = 120, sampleRate = 8000;
  uint32_t pictureBlock = 40 * 512, soundBytes = 2 * 512;
  int trailingSectors = 4;  // bytes after the ring, in sectors
};
Bytes MakeFormat2(const Format2& f);
Bytes Table2(const Format2& f);
uint64_t RingOffset(const Format2& f);
// Writes entry k of the ring: first sector, flag, sectors, time.
void SetEntry(Bytes& card, const Format2& f, uint32_t k, uint32_t firstSector, uint8_t byte9 = 0,
              quovil::TimeStamp t = {1, 2, 24, 3, 4, 5}, uint8_t pictureSectors = 2);
// Puts a sealed table into both copies (or only the first or second).
void PutTable2(Bytes& card, const Format2& f, const Bytes& table, int copy);

}  // namespace cardfix
