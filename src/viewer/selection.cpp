// The selection: the records of the open source that pass the kind filter, in
// recording order, and the small searches over it.
#include <algorithm>

#include "card/source_format.h"
#include "viewer/viewer.h"
#include "platform/translate.h"

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
  if (actions_.Hand) m |= kFlagManual;
  if (actions_.External) m |= kFlagExternal;
  if (actions_.Motion) m |= kFlagMotion;
  if (actions_.Timer) m |= kFlagTimer;
  // The sound filter counts even while hidden (formats 0 and 1), where its
  // bit is the marked-record bit.
  if (actions_.Sound) m |= kFlagSound;
  if (actions_.Taget && FormatOf(src_).MarkedFilter()) m |= kFlagMarked;
  return m;
}

void Selection::Build(const Source& src, const WalkRange& r, KindRule rule, uint8_t mask) {
  list_.clear();
  list_.reserve(32);
  if (src.ShortEntries()) {
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(src.ShortCatalogue.data());
    Walk<sizeof(ShortEntry), 0>(r, bytes, src.AddressableEntries(), mask, [](uint8_t f) { return f; }, list_);
  } else {
    // One walk per rule, so that the rule is folded into the loop.
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(src.LongCatalogue.data());
    auto walk = [&](auto kind) { Walk<sizeof(LongEntry), 4>(r, bytes, src.AddressableEntries(), mask, kind, list_); };
    switch (rule) {
      case KindRule::ManualWhenNone: walk([](uint8_t f) { return KindBits(KindRule::ManualWhenNone, f); }); break;
      case KindRule::ArchivedShort: walk([](uint8_t f) { return KindBits(KindRule::ArchivedShort, f); }); break;
      default: walk([](uint8_t f) { return f; });
    }
  }
  count_ = int32_t(list_.size());
  rangeStart_ = 0;

  // Unfiltered, positions stand for catalogue indices themselves; that holds
  // only when the walk gave 0, 1, 2, ... (otherwise the list keeps the
  // recording order, exactly as the filtered walk with every kind on).
  bool identity = true;
  for (int32_t k = 0; identity && k < count_; ++k) identity = list_[size_t(k)] == k;
  unfiltered_ = mask == 0 && identity;
  if (unfiltered_) list_.clear();
}

void Selection::Drop() {
  list_.clear();
  count_ = 0;
}

int32_t Selection::PosOfIndex(int32_t i) const {
  if (i < 0) return -1;
  if (unfiltered_) return i < count_ ? i : -1;
  auto end = list_.begin() + count_;
  auto it = std::find(list_.begin(), end, i);
  return it == end ? -1 : int32_t(it - list_.begin());
}

int32_t Selection::NextPosOfCamera(const Source& src, int32_t p, int cam) const {
  for (int32_t q = std::max(p + 1, 0); q < count_; ++q)
    if (src.CameraOf(IndexAtPos(q)) == cam) return q;
  return -1;
}

int32_t Selection::PrevPosOfCamera(const Source& src, int32_t p, int cam) const {
  for (int32_t q = std::min(p, count_) - 1; q >= 0; --q)
    if (src.CameraOf(IndexAtPos(q)) == cam) return q;
  return -1;
}

void Viewer::RebuildSelection() {
  StopBtnClick();
  disp_.ShownIndex = {-1, -1};
  disp_.ShownPos = {-1, -1};
  disp_.NextSoundPos = {-1, -1};
  const SourceFormat& format = FormatOf(src_);
  actions_.SoundVisible = format.SoundFilter();
  ResetGpsOutput();

  const uint8_t mask = KindMask();
  sel_.Build(src_, format.SelectionRange(src_, actions_.Arhiv), format.Kinds(), mask);

  if (sel_.Count() > 0) {
    int32_t p = sel_.PosOfIndex(sel_.Index());
    if (p < 0) p = 0;
    ShowPositionWithCompanion(p);
    TimeStamp t = src_.TimeOf(IndexAtPos(p));
    BuildDayMap(t.day, t.month, t.year);
  } else {
    noSourceText_ = mask == 0 ? Tr("Viewer", "Карта памяти пуста!") : Tr("Viewer", "Нет данных, соответствующих заданному фильтру!");
    ForgetShownRecord();
    Repaint(kRepaintImage);
    UpdateStatusBar();
  }
  Repaint(kRepaintTimeline | kRepaintActions);
}

void Viewer::ActionFotoExecute() {
  actions_.Foto = true;
  actions_.Arhiv = false;
  RebuildSelection();
}

void Viewer::ActionFiltrChange(Filter which) {
  switch (which) {
    case Filter::Hand: actions_.Hand = !actions_.Hand; break;
    case Filter::External: actions_.External = !actions_.External; break;
    case Filter::Motion: actions_.Motion = !actions_.Motion; break;
    case Filter::Timer: actions_.Timer = !actions_.Timer; break;
    case Filter::Sound: actions_.Sound = !actions_.Sound; break;
    case Filter::Taget: actions_.Taget = !actions_.Taget; break;
    case Filter::Arhiv:
      actions_.Arhiv = !actions_.Arhiv;
      actions_.Foto = !actions_.Arhiv;
      break;
  }
  actions_.Refresh = false;
  RebuildSelection();
}

void Viewer::SetKindFilters(const KindChoice& k) {
  actions_.Hand = k.Hand;
  actions_.External = k.External;
  actions_.Motion = k.Motion;
  actions_.Timer = k.Timer;
  actions_.Sound = k.Sound;
  actions_.Taget = k.Taget;
}

void Viewer::ActionViewAllExecute() {
  actions_.Hand = actions_.External = actions_.Motion = actions_.Timer = actions_.Sound = true;
  actions_.Taget = false;
  actions_.Arhiv = false;
  actions_.Foto = true;
  // The camera marks keep showing the active camera.
  actions_.Channel1 = sel_.ActiveCamera() == 0;
  actions_.Channel2 = sel_.ActiveCamera() == 1;
  RebuildSelection();
}

void Viewer::ActionChannel1Execute() {
  sel_.SetActiveCamera(0);
  actions_.Channel1 = true;
  actions_.Channel2 = false;
  FollowLayoutCamera();
  Repaint(kRepaintBars | kRepaintActions | kRepaintImage | kRepaintTimeline);
}

void Viewer::ActionChannel2Execute() {
  sel_.SetActiveCamera(1);
  actions_.Channel1 = false;
  actions_.Channel2 = true;
  FollowLayoutCamera();
  Repaint(kRepaintBars | kRepaintActions | kRepaintImage | kRepaintTimeline);
}

}  // namespace quovil
