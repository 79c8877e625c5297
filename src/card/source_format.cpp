#include "card/source_format.h"

#include <algorithm>

#include "card/state_tables.h"

namespace quovil {

WalkRange SourceFormat::SelectionRange(const Source& src, bool archiveArea) const {
  WalkRange r = RecordedRange(src, archiveArea);
  // A damaged state table must not send the walk outside the arrays, nor
  // visit a slot twice: the ring never holds more records than slots.
  r.w = std::min(r.w, Slots(src));
  if (r.w <= 0) return WalkRange{};
  if (r.start < 0 || r.start >= r.w) r.start = ((r.start % r.w) + r.w) % r.w;
  r.n = std::clamp<int64_t>(r.n, 0, r.w);
  return r;
}

namespace {

// Every catalogue entry in catalogue order: a format-2 ring, read in
// recording order, and an archive file.
WalkRange WholeCatalogue(const Source& src) {
  WalkRange r;
  r.n = r.w = src.EntryCount;
  return r;
}

class Format0 : public SourceFormat {
 public:
  KindRule Kinds() const override { return KindRule::AsRecorded; }
  bool SoundFilter() const override { return false; }
  bool MarkedFilter() const override { return true; }
  bool HasArchiveArea() const override { return true; }

 protected:
  // The main ring or the archive area, walked through the index table.
  WalkRange RecordedRange(const Source& src, bool archiveArea) const override {
    const uint8_t* st = src.StateTable.data();
    WalkRange r;
    if (archiveArea) {
      r.start = state0::ArchiveFirstSlot.Get(st);
      r.n = state0::ArchiveCount.Get(st);
      r.w = state0::TotalSlots.Get(st);
    } else {
      r.start = state0::MainFirstSlot.Get(st);
      r.n = state0::MainCount.Get(st);
      r.w = state0::ArchiveFirstSlot.Get(st);
    }
    r.indexTable = src.IndexTable.data();
    return r;
  }
  int64_t Slots(const Source& src) const override { return int64_t(src.IndexTable.size()); }
  // The chosen area is emptied; the other keeps its records.
  bool Clear(Source& src, bool archiveArea) const override {
    uint8_t* t = src.StateTable.data();
    if (archiveArea) {
      state0::ArchiveCount.Set(t, 0);
      state0::ArchiveFirstSlot.Set(t, state0::TotalSlots.Get(t));
    } else {
      state0::MainCount.Set(t, 0);
      state0::MainLastSlot.Set(t, state0::MainFirstSlot.Get(t));
    }
    return true;
  }
};

class Format1 : public SourceFormat {
 public:
  KindRule Kinds() const override { return KindRule::AsRecorded; }
  bool SoundFilter() const override { return false; }
  bool MarkedFilter() const override { return false; }
  bool Clear(Source& src, bool) const override {
    uint8_t* t = src.StateTable.data();
    state1::RecordCount.Set(t, 0);
    state1::WriteSlot.Set(t, 0);
    return true;
  }

 protected:
  // The ring of slots, its RecordCount records ending before WriteSlot.
  WalkRange RecordedRange(const Source& src, bool) const override {
    const uint8_t* st = src.StateTable.data();
    WalkRange r;
    r.n = state1::RecordCount.Get(st);
    r.w = state1::SlotCount.Get(st);
    r.start = int64_t(state1::WriteSlot.Get(st)) - r.n;
    if (r.start < 0) r.start += r.w;
    return r;
  }
};

class Format2 : public SourceFormat {
 public:
  KindRule Kinds() const override { return KindRule::ManualWhenNone; }
  bool SoundFilter() const override { return true; }
  bool MarkedFilter() const override { return false; }
  bool ShowsCompression() const override { return true; }
  bool HasJournal() const override { return true; }
  // The data area written so far; all of it once the ring has wrapped.
  Fill Written(const Source& src) const override {
    const uint8_t* t = src.StateTable.data();
    if (state2::RingWrapped.Get(t) != 0) return {1, 1};
    return {double(state2::DataWriteSector.Get(t)), double(state2::DataAreaSectors.Get(t))};
  }
  // The ring starts afresh and the card says it was cleared; the catalogue
  // counts no entry any more.
  bool Clear(Source& src, bool) const override {
    uint8_t* t = src.StateTable.data();
    for (auto f : {state2::ScanSteps, state2::RingHead, state2::DataWriteSector, state2::Reserved42,
                   state2::RingTail, state2::Reserved51, state2::Reserved55}) {
      f.Set(t, 0);
    }
    state2::RingWrapped.Set(t, 0);
    state2::ClearedFlag.Set(t, 1);
    src.EntryCount = 0;
    return true;
  }

 protected:
  WalkRange RecordedRange(const Source& src, bool) const override { return WholeCatalogue(src); }
};

// An archive file of a card of the given format.
class Archive : public SourceFormat {
 public:
  explicit Archive(int cardFormat) : cardFormat_(cardFormat) {}
  // An archive saved from a format 0 or 1 card has its manual bit cleared: a
  // record there with none of the bits 0x04, 0x08, 0x10 is a manual one.
  KindRule Kinds() const override { return cardFormat_ == 2 ? KindRule::ManualWhenNone : KindRule::ArchivedShort; }
  bool SoundFilter() const override { return cardFormat_ == 2; }
  bool MarkedFilter() const override { return cardFormat_ == 0; }
  bool ShowsCompression() const override { return cardFormat_ == 2; }

 protected:
  WalkRange RecordedRange(const Source& src, bool) const override { return WholeCatalogue(src); }

 private:
  int cardFormat_;
};

// No card recognised: an empty catalogue, no filters of its own.
class NoFormat : public SourceFormat {
 public:
  KindRule Kinds() const override { return KindRule::AsRecorded; }
  bool SoundFilter() const override { return false; }
  bool MarkedFilter() const override { return false; }

 protected:
  WalkRange RecordedRange(const Source& src, bool) const override { return WholeCatalogue(src); }
};

}  // namespace

const SourceFormat& FormatOf(const Source& src) {
  static const Format0 format0;
  static const Format1 format1;
  static const Format2 format2;
  static const NoFormat none;
  static const Archive archives[] = {Archive(0), Archive(1), Archive(2), Archive(-1)};
  if (!src.SourceIsCard) return archives[src.CardFormat >= 0 && src.CardFormat <= 2 ? src.CardFormat : 3];
  if (src.CardFormat == 0) return format0;
  if (src.CardFormat == 1) return format1;
  if (src.CardFormat == 2) return format2;
  return none;
}

}  // namespace quovil
