// The selection: the records of the open source that pass the kind filter, in
// recording order, and the small searches over it.
#include <algorithm>

#include "card/state_tables.h"
#include "viewer/viewer.h"

namespace quovil {

namespace {

// The range of slots the selection walks: n slots from start, wrapping to
// slot 0 at w. The slot-to-index map is the index table for format 0 and the
// identity otherwise.
struct WalkRange {
  int64_t start = 0;
  int64_t n = 0;
  int64_t w = 0;
  const uint16_t* indexTable = nullptr;
};

WalkRange ChooseRange(const Source& src, bool archiveArea) {
  WalkRange r;
  const uint8_t* st = src.StateTable.data();
  if (!src.SourceIsCard) {
    r.n = r.w = src.EntryCount;
  } else if (src.CardFormat == 0) {
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
  } else if (src.CardFormat == 1) {
    r.n = state1::RecordCount.Get(st);
    r.w = state1::SlotCount.Get(st);
    r.start = int64_t(state1::WriteSlot.Get(st)) - r.n;
    if (r.start < 0) r.start += r.w;
  } else {
    r.n = r.w = src.EntryCount;
  }
  // A damaged state table must not send the walk outside the arrays, nor
  // visit a slot twice: the ring never holds more records than slots.
  int64_t slots = src.CardFormat == 0 && src.SourceIsCard ? int64_t(src.IndexTable.size())
                                                          : int64_t(src.AddressableEntries());
  r.w = std::min(r.w, slots);
  if (r.w <= 0) return WalkRange{};
  if (r.start < 0 || r.start >= r.w) r.start = ((r.start % r.w) + r.w) % r.w;
  r.n = std::clamp<int64_t>(r.n, 0, r.w);
  return r;
}

// Appends to out every catalogue index of the range whose kind passes mask
// (every record when mask is 0). Entries of no camera (long-entry camera bits
// 2 or 3) can show no picture and are never selected.
template <size_t kEntryBytes, int kFlagOffset, typename KindFn>
void Walk(const WalkRange& r, const uint8_t* entries, int32_t addressable, uint8_t mask, KindFn kindOf,
          std::vector<int32_t>& out) {
  int64_t s = r.start;
  for (int64_t k = 0; k < r.n; ++k) {
    int32_t i = r.indexTable ? int32_t(r.indexTable[s]) : int32_t(s);
    if (i < addressable) {
      uint8_t f = entries[size_t(i) * kEntryBytes + kFlagOffset];
      bool hasCamera = kFlagOffset == 0 || (f & 3) <= 1;
      if (hasCamera && (mask == 0 || (kindOf(f) & mask) != 0)) out.push_back(i);
    }
    if (++s >= r.w) s = 0;
  }
}

}  // namespace

uint8_t Viewer::KindMask() const {
  uint8_t m = 0;
  if (actions.Hand) m |= kFlagManual;
  if (actions.External) m |= kFlagExternal;
  if (actions.Motion) m |= kFlagMotion;
  if (actions.Timer) m |= kFlagTimer;
  // The sound filter counts even while hidden (formats 0 and 1), where its
  // bit is the marked-record bit.
  if (actions.Sound) m |= kFlagSound;
  if (actions.Taget && src.CardFormat == 0) m |= kFlagMarked;
  return m;
}

void Viewer::RebuildSelection() {
  StopBtnClick();
  disp.ShownIndex = {-1, -1};
  disp.ShownPos = {-1, -1};
  disp.NextSoundPos = {-1, -1};
  actions.SoundVisible = src.CardFormat == 2;
  ResetGpsOutput();

  const uint8_t mask = KindMask();
  const WalkRange r = ChooseRange(src, actions.Arhiv);
  SelList.clear();
  SelList.reserve(32);
  if (src.ShortEntries()) {
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(src.ShortCatalogue.data());
    Walk<sizeof(ShortEntry), 0>(r, bytes, src.AddressableEntries(), mask, [](uint8_t f) { return f; }, SelList);
  } else {
    const bool manualRule = src.CardFormat == 2;
    // An archive saved from a format 0 or 1 card has its manual bit cleared:
    // a record there with none of the bits 0x04, 0x08, 0x10 is a manual one.
    const bool archivedShort = !src.SourceIsCard && !manualRule;
    auto kind = [manualRule, archivedShort](uint8_t f) -> uint8_t {
      if (archivedShort) return (f & 0x1C) ? f : uint8_t(f | kFlagManual);
      if (!manualRule) return f;
      f &= 0x3C;
      return f ? f : uint8_t(kFlagManual);
    };
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(src.LongCatalogue.data());
    Walk<sizeof(LongEntry), 4>(r, bytes, src.AddressableEntries(), mask, kind, SelList);
  }
  SelCount = int32_t(SelList.size());
  SelRangeStart = 0;

  // Unfiltered, positions stand for catalogue indices themselves; that holds
  // only when the walk gave 0, 1, 2, ... (otherwise the list keeps the
  // recording order, exactly as the filtered walk with every kind on).
  bool identity = true;
  for (int32_t k = 0; identity && k < SelCount; ++k) identity = SelList[size_t(k)] == k;
  SelUnfiltered = mask == 0 && identity;
  if (SelUnfiltered) SelList.clear();

  if (SelCount > 0) {
    int32_t p = PosOfIndex(CurIndex);
    if (p < 0) p = 0;
    ShowPosition(p);
    TimeStamp t = src.TimeOf(IndexAtPos(p));
    BuildDayMap(t.day, t.month, t.year);
  } else {
    NoSourceText = mask == 0 ? "Карта памяти пуста!" : "Нет данных, соответствующих заданному фильтру!";
    Repaint(kRepaintImage);
    UpdateStatusBar();
  }
  Repaint(kRepaintTimeline | kRepaintActions);
}

void Viewer::ActionFotoExecute() {
  actions.Foto = true;
  actions.Arhiv = false;
  RebuildSelection();
}

void Viewer::ActionFiltrChange(Filter which) {
  switch (which) {
    case Filter::Hand: actions.Hand = !actions.Hand; break;
    case Filter::External: actions.External = !actions.External; break;
    case Filter::Motion: actions.Motion = !actions.Motion; break;
    case Filter::Timer: actions.Timer = !actions.Timer; break;
    case Filter::Sound: actions.Sound = !actions.Sound; break;
    case Filter::Taget: actions.Taget = !actions.Taget; break;
    case Filter::Arhiv:
      actions.Arhiv = !actions.Arhiv;
      actions.Foto = !actions.Arhiv;
      break;
  }
  actions.Refresh = false;
  RebuildSelection();
}

void Viewer::ActionViewAllExecute() {
  actions.Hand = actions.External = actions.Motion = actions.Timer = actions.Sound = true;
  actions.Taget = false;
  actions.Arhiv = false;
  actions.Foto = true;
  // The camera marks keep showing the active camera.
  actions.Channel1 = ActiveCamera == 0;
  actions.Channel2 = ActiveCamera == 1;
  RebuildSelection();
}

void Viewer::ActionChannel1Execute() {
  ActiveCamera = 0;
  actions.Channel1 = true;
  actions.Channel2 = false;
  Repaint(kRepaintBars | kRepaintActions | kRepaintImage | kRepaintTimeline);
}

void Viewer::ActionChannel2Execute() {
  ActiveCamera = 1;
  actions.Channel1 = false;
  actions.Channel2 = true;
  Repaint(kRepaintBars | kRepaintActions | kRepaintImage | kRepaintTimeline);
}

int32_t Viewer::PosOfIndex(int32_t i) const {
  if (i < 0) return -1;
  if (SelUnfiltered) return i < SelCount ? i : -1;
  auto end = SelList.begin() + SelCount;
  auto it = std::find(SelList.begin(), end, i);
  return it == end ? -1 : int32_t(it - SelList.begin());
}

int32_t Viewer::NextPosOfCamera(int32_t p, int cam) const {
  for (int32_t q = std::max(p + 1, 0); q < SelCount; ++q)
    if (src.CameraOf(IndexAtPos(q)) == cam) return q;
  return -1;
}

int32_t Viewer::PrevPosOfCamera(int32_t p, int cam) const {
  for (int32_t q = std::min(p, SelCount) - 1; q >= 0; --q)
    if (src.CameraOf(IndexAtPos(q)) == cam) return q;
  return -1;
}

}  // namespace quovil
