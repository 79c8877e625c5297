// Fragment marks and the date dialog: moving through the selection by time.
#include "viewer/marks.h"

#include <algorithm>
#include <set>

#include "viewer/viewer.h"
#include "platform/translate.h"

namespace quovil {

namespace {

// One decimal field of a time stamp text; false when it does not convert.
bool ParseField(const std::string& s, size_t from, size_t len, int& out) {
  size_t i = from, end = from + len;
  while (i < end && s[i] == ' ') ++i;
  bool neg = false;
  if (i < end && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
  if (i == end) return false;
  int v = 0;
  for (; i < end; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    v = v * 10 + (s[i] - '0');
  }
  out = neg ? -v : v;
  return true;
}

// The six numbers of a time stamp text (year less 2000); false when unusable.
bool ParseTimeText(const std::string& text, int f[6]) {
  if (text.size() < 19) return false;
  static constexpr size_t kFrom[6] = {0, 3, 6, 11, 14, 17};
  static constexpr size_t kLen[6] = {2, 2, 4, 2, 2, 2};
  for (int k = 0; k < 6; ++k)
    if (!ParseField(text, kFrom[k], kLen[k], f[k])) return false;
  f[2] -= 2000;
  return true;
}

bool Matches(const Viewer& v, int32_t p, const int f[6], int camera) {
  int32_t i = v.IndexAtPos(p);
  if (camera >= 0 && v.source().CameraOf(i) != camera) return false;
  TimeStamp t = v.source().TimeOf(i);
  return t.day == f[0] && t.month == f[1] && t.year == f[2] && t.hour == f[3] && t.minute == f[4] &&
         t.second == f[5];
}

int32_t LastPosOfTimeText(const Viewer& v, const std::string& text, int camera) {
  int f[6];
  if (!ParseTimeText(text, f)) return -1;
  for (int32_t p = v.selection().Count() - 1; p >= 0; --p)
    if (Matches(v, p, f, camera)) return p;
  return -1;
}

CalendarDate DateOf(const Viewer& v, int32_t pos) {
  TimeStamp t = v.source().TimeOf(v.IndexAtPos(pos));
  return {t.day, t.month, 2000 + t.year};
}

}  // namespace

int32_t Viewer::PosOfTimeText(const std::string& text, int camera) const {
  int f[6];
  if (!ParseTimeText(text, f)) return -1;
  for (int32_t p = 0; p < sel_.Count(); ++p)
    if (Matches(*this, p, f, camera)) return p;
  return -1;
}

void Viewer::GoToTimeText(const std::string& text) {
  if (sel_.Count() <= 0) return;
  info_.GpsSpeedText.clear();
  const int active = sel_.ActiveCamera() & 1;
  for (int cam : {1 - active, active}) {
    int32_t p = PosOfTimeText(text, cam);
    if (p >= 0) {
      ShowPosition(p);
      continue;
    }
    // Single window: keep the time asked for on the blank picture.
    if (SingleCameraLayout()) {
      disp_.CameraTimeText[size_t(cam)] = text;
    } else {
      disp_.CameraTimeText[size_t(cam)].clear();
    }
    bitmaps_[size_t(cam)].Fill(kBlankPictureGrey);
    Repaint(kRepaintImage);
  }
}

void Viewer::ActionSelectStartExecute() {
  if (sel_.Count() <= 0) return;
  fragStart_ = disp_.CameraTimeText[size_t(sel_.ActiveCamera() & 1)];
  GoToTimeText(fragStart_);
  UpdateStatusBar();
}

void Viewer::ActionSelectEndExecute() {
  if (sel_.Count() <= 0) return;
  fragEnd_ = disp_.CameraTimeText[size_t(sel_.ActiveCamera() & 1)];
  GoToTimeText(fragEnd_);
  UpdateStatusBar();
}

void Viewer::ActionSelectAllExecute() {
  if (sel_.Count() <= 0) return;
  fragStart_ = TimeStampText(src_.TimeOf(IndexAtPos(0)));
  fragEnd_ = TimeStampText(src_.TimeOf(IndexAtPos(sel_.Count() - 1)));
  Repaint(kRepaintImage);
  UpdateStatusBar();
}

bool Viewer::FragmentRange(int camera, int32_t& first, int32_t& last) const {
  int32_t a = PosOfTimeText(fragStart_, camera);
  int32_t b = PosOfTimeText(fragEnd_, camera);
  if (a < 0 || b < 0) return false;
  // The later mark stands for its whole second: every record of it belongs
  // to the fragment, not only the first.
  const std::string& later = a <= b ? fragEnd_ : fragStart_;
  first = std::min(a, b);
  last = LastPosOfTimeText(*this, later, camera);
  return last >= first;
}

Viewer::Fragment Viewer::MarkedFragment(int camera) const {
  Fragment f;
  if (!FragmentRange(-1, f.first, f.last)) return f;
  for (int32_t p = f.first; p <= f.last; ++p) {
    const int32_t i = IndexAtPos(p);
    if (camera < 0 || src_.CameraOf(i) == camera) f.indices.push_back(i);
  }
  f.status = f.indices.empty() ? Fragment::Status::NoRecords : Fragment::Status::Ok;
  return f;
}

std::string Viewer::Fragment::Message() const {
  switch (status) {
    case Status::NoMarks: return Tr("Viewer", "Не задано начало или конец фрагмента!");
    case Status::NoRecords: return Tr("Viewer", "Отмеченный фрагмент не содежит\rданные для выбранной камеры!");
    default: return {};
  }
}

int32_t Viewer::FirstPosOfDay(int d, int m, int y) const {
  const bool single = SingleCameraLayout();
  for (int32_t p = 0; p < sel_.Count(); ++p) {
    int32_t i = IndexAtPos(p);
    TimeStamp t = src_.TimeOf(i);
    if (t.day != d || t.month != m || t.year != y) continue;
    if (!single || src_.CameraOf(i) == sel_.ActiveCamera()) return p;
  }
  return -1;
}

std::vector<std::string> DateDialogData::BoldDayStrings() const {
  std::vector<std::string> out;
  for (const auto& [ym, days] : boldDays) {
    std::string s = Format("%.6d=", ym);
    for (size_t k = 0; k < days.size(); ++k) s += (k ? "," : "") + std::to_string(days[k]);
    out.push_back(s);
  }
  return out;
}

std::optional<DateDialogData> DatePanelClick(Viewer& v) {
  if (v.selection().Count() <= 0) return std::nullopt;
  v.StopBtnClick();
  v.ResetGpsOutput();
  DateDialogData d;
  d.earliest = DateOf(v, 0);
  d.latest = DateOf(v, v.selection().Count() - 1);
  d.shown = v.disp().DatePanelText;
  std::map<int, std::set<int>> days;
  TimeStamp prev{};
  for (int32_t p = 0; p < v.selection().Count(); ++p) {
    TimeStamp t = v.source().TimeOf(v.IndexAtPos(p));
    bool changed = t.day != prev.day || t.month != prev.month || t.year != prev.year;
    prev = t;
    if (!changed || t.year > 99 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31) continue;
    days[(2000 + t.year) * 100 + t.month].insert(t.day);
  }
  for (auto& [ym, set] : days) d.boldDays[ym].assign(set.begin(), set.end());
  return d;
}

bool Viewer::SelectDate(int day, int month, int year) {
  int32_t p = FirstPosOfDay(day, month, year % 100);
  if (p < 0) return false;
  bitmaps_[0].Fill(kBlankPictureGrey);
  bitmaps_[1].Fill(kBlankPictureGrey);
  ShowPositionWithCompanion(p);
  return true;
}

bool CalendarSelect(Viewer& v, int day, int month, int year) { return v.SelectDate(day, month, year); }

}  // namespace quovil
