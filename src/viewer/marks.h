// The date dialog's data: the range of dates of the selection and the days
// that hold records, and the jump to a chosen day.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quovil {

class Viewer;

// Grey level of a blank picture: a camera with no record of the time asked for.
inline constexpr uint8_t kBlankPictureGrey = 0;

struct CalendarDate {
  int day = 0, month = 0, year = 0;  // four-digit year
  bool operator==(const CalendarDate&) const = default;
};

struct DateDialogData {
  CalendarDate earliest;  // date of the first record of the selection
  CalendarDate latest;    // date of the last record
  std::string shown;      // the date panel's text ("dd.mm.yyyy"), the first month shown
  // Bold days per month, keyed year * 100 + month, days ascending.
  std::map<int, std::vector<int>> boldDays;
  // The calendar's form of the bold days: "200704=1,2,3,4,5,6", one per month.
  std::vector<std::string> BoldDayStrings() const;
};

// Opening the date dialog: stops playback and collects its data; nothing when
// the selection is empty.
std::optional<DateDialogData> DatePanelClick(Viewer& v);

// A day chosen in the calendar (four-digit year): shows its first record (in
// single-camera layouts, of the active camera) on blank pictures. False, and
// nothing changed, when the day has none.
bool CalendarSelect(Viewer& v, int day, int month, int year);

}  // namespace quovil
