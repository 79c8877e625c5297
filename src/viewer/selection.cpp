// The selection: the records of the open source that pass the kind filter, in
// recording order, and the small searches over it.
#include <algorithm>

#include "card/source_format.h"
#include "viewer/viewer.h"

namespace quovil {

namespace {

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
  if (actions.Taget && FormatOf(src).MarkedFilter()) m |= kFlagMarked;
  return m;
}

void Viewer::RebuildSelection() {
  StopBtnClick();
  disp.ShownIndex = {-1, -1};
  disp.ShownPos = {-1, -1};
  disp.NextSoundPos = {-1, -1};
  const SourceFormat& format = FormatOf(src);
  actions.SoundVisible = format.SoundFilter();
  ResetGpsOutput();

  const uint8_t mask = KindMask();
  const WalkRange r = format.SelectionRange(src, actions.Arhiv);
  SelList.clear();
  SelList.reserve(32);
  if (src.ShortEntries()) {
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(src.ShortCatalogue.data());
    Walk<sizeof(ShortEntry), 0>(r, bytes, src.AddressableEntries(), mask, [](uint8_t f) { return f; }, SelList);
  } else {
    // One walk per rule, so that the rule is folded into the loop.
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(src.LongCatalogue.data());
    auto walk = [&](auto kind) { Walk<sizeof(LongEntry), 4>(r, bytes, src.AddressableEntries(), mask, kind, SelList); };
    switch (format.Kinds()) {
      case KindRule::ManualWhenNone: walk([](uint8_t f) { return KindBits(KindRule::ManualWhenNone, f); }); break;
      case KindRule::ArchivedShort: walk([](uint8_t f) { return KindBits(KindRule::ArchivedShort, f); }); break;
      default: walk([](uint8_t f) { return f; });
    }
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
