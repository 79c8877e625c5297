// The open source of records: the card (card mode) or an archive file
// (archive mode), with the card values and the catalogue loaded from it.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "card/catalogue.h"
#include "platform/block_device.h"

namespace quovil {

inline constexpr int kCatalogue0Entries = 65536;

// The held archive header, version 3 layout (a version-2 file fills it too).
struct ArchiveHeader {
  uint16_t HeaderLength = 0;
  uint8_t Version = 0;
  uint32_t DataOffset = 0;
  uint32_t CardFormat = 0;
  uint32_t SoundBytes = 0;
  uint32_t SampleRate = 0;
  uint32_t Width = 0;
  uint32_t Height = 0;
  uint32_t EntryCount = 0;
};

struct Source {
  // --- source state ---
  bool SourceIsCard = true;
  std::unique_ptr<BlockDevice> Card;  // CardHandle; null when none
  bool CardOpen = false;
  std::unique_ptr<BlockDevice> ArchiveStream;
  bool ArchiveOpen = false;
  std::string ArchiveFileName;
  ArchiveHeader Archive;
  int64_t SourceSize = -1;  // device length or file size; -1 unknown

  // --- card header ---
  int CardFormat = -1;
  std::array<uint8_t, 116> BootSector{};
  uint32_t StateSector = 0;
  // The held state table of the current format (16, 34 or 87 bytes used).
  std::array<uint8_t, 87> StateTable{};

  // --- card values ---
  int32_t PictureWidth = 0;
  int32_t PictureHeight = 0;
  int32_t PictureBytes = 0;
  int32_t FrameStride = 0;
  int32_t SoundBytes = 0;
  int32_t SampleRate = 0;
  bool HasSound = false;
  int32_t EdgeTrim = 0;
  uint32_t DataFirstSector = 0;
  uint32_t DataBaseSector = 0;
  uint32_t CatalogueSector = 0;
  int32_t ResolutionIndex = 0;        // formats 0 and 1
  int64_t FillRecorded = 0;           // fill pair shown by the status bar
  int64_t FillTotal = 0;

  // --- catalogue ---
  std::vector<ShortEntry> ShortCatalogue;
  std::vector<LongEntry> LongCatalogue;
  int32_t EntryCount = 0;
  std::vector<uint16_t> IndexTable;   // format 0: catalogue index of each slot
  // Changes whenever the catalogue is loaded or dropped (unique over all
  // sources), so that what was worked out from it can tell it is stale.
  uint64_t CatalogueVersion = 0;
  void CatalogueChanged();

  // The entry view rule: the card with format 0 or 1 uses short entries.
  bool ShortEntries() const { return SourceIsCard && CardFormat != 2; }
  // Number of entries the frame routines may address: the whole 65536-entry
  // catalogue on a format-0 card (its slots index it through IndexTable),
  // EntryCount otherwise.
  int32_t AddressableEntries() const;
  bool ValidIndex(int32_t i) const { return i >= 0 && i < AddressableEntries(); }
  uint8_t FlagOf(int32_t i) const;
  // Camera 0 or 1; -1 for a long entry whose camera bits are 2 or 3 (no such
  // camera exists: such entries are never shown as pictures).
  int CameraOf(int32_t i) const;
  TimeStamp TimeOf(int32_t i) const;
  const uint8_t* TimeBytesOf(int32_t i) const;
  // Kind rule in force: long-entry rule for format 2 (card or archive).
  const char* KindTextOf(int32_t i) const;
  RecordKind KindOf(int32_t i) const;
  // Why the recorder took the record: KindOf without the delta bit, which
  // says how the picture is stored and not why (a delta frame of a manual
  // recording is a manual record here, "ошибка записи" by its text).
  RecordKind TriggerOf(int32_t i) const;
  // The device frames are read from (card or archive file), and the byte
  // position a long entry's FirstSector is relative to.
  BlockDevice* FrameDevice() const { return SourceIsCard ? Card.get() : ArchiveStream.get(); }
  uint64_t LongBase() const {
    return SourceIsCard ? uint64_t(DataBaseSector) * 512u : uint64_t(Archive.DataOffset);
  }
  bool Open() const { return SourceIsCard ? CardOpen : ArchiveOpen; }
};

}  // namespace quovil
