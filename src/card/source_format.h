// What differs between the three card formats and the archive file, asked
// through one interface instead of testing the format number.
#pragma once

#include <cstdint>

#include "card/catalogue.h"
#include "card/source.h"

namespace quovil {

// The slots the selection walks: n slots from start, wrapping to slot 0 at
// w. Slot s holds catalogue index indexTable[s], or s without a table.
struct WalkRange {
  int64_t start = 0;
  int64_t n = 0;
  int64_t w = 0;
  const uint16_t* indexTable = nullptr;
};

// How a flag byte reads for the kind filters.
enum class KindRule {
  AsRecorded,     // formats 0 and 1: the bits as they are
  ManualWhenNone, // format 2: only 0x04 .. 0x20 count, and none of them is a manual record
  ArchivedShort,  // an archive of a format 0 or 1 card, its manual bit cleared on saving
};

inline uint8_t KindBits(KindRule rule, uint8_t flag) {
  switch (rule) {
    case KindRule::ManualWhenNone:
      flag &= 0x3C;
      return flag ? flag : uint8_t(kFlagManual);
    case KindRule::ArchivedShort:
      return (flag & 0x1C) ? flag : uint8_t(flag | kFlagManual);
    default:
      return flag;
  }
}

class SourceFormat {
 public:
  virtual ~SourceFormat() = default;
  // The records of the selection in recording order, kept inside the
  // catalogue however damaged the state table is. archiveArea: the archive
  // area of a format-0 card.
  WalkRange SelectionRange(const Source& src, bool archiveArea) const;
  // How the kind filters read a flag byte (the selection's walk dispatches
  // on it once, not per record).
  virtual KindRule Kinds() const = 0;
  // Records of the source carry sound, so the sound filter is offered.
  virtual bool SoundFilter() const = 0;
  // The flag's marked bit exists (format 0), so the "marked only" filter counts.
  virtual bool MarkedFilter() const = 0;

  // The status bar's facts of an open card: how full it is (part of whole),
  // whether it shows the mean compression instead of the picture quality,
  // and whether the card has an archive area to view.
  struct Fill {
    double part = 0, whole = 0;
  };
  virtual Fill Written(const Source& src) const { return {double(src.FillRecorded), double(src.FillTotal)}; }
  virtual bool ShowsCompression() const { return false; }
  virtual bool HasArchiveArea() const { return false; }
  // Entries carry the recorder's frame interval (else the frame rate is
  // counted from the records of each second).
  virtual bool RecordsFrameInterval() const { return ShowsCompression(); }
  // The card keeps the recorder's event journal.
  virtual bool HasJournal() const { return false; }
  // Empties the held state table as the card's clearing does (archiveArea:
  // the archive area of a format-0 card); false for a source that cannot be
  // cleared (an archive file, no card).
  virtual bool Clear(Source&, bool /*archiveArea*/) const { return false; }

 protected:
  // The walk as the state table gives it, before it is kept inside the catalogue.
  virtual WalkRange RecordedRange(const Source& src, bool archiveArea) const = 0;
  // Slots the walk may address.
  virtual int64_t Slots(const Source& src) const { return src.AddressableEntries(); }
};

// The format of the open source (card formats 0, 1 and 2, or the archive file
// of a card of that format).
const SourceFormat& FormatOf(const Source& src);

}  // namespace quovil
