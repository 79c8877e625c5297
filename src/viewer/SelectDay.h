// The date dialog: a month calendar whose recorded days are bold and whose
// days outside the recorded range are shown disabled; choosing a day closes
// it with OK, Esc closes it with Cancel.
#pragma once

#include <QCalendarWidget>
#include <QDate>
#include <QDialog>
#include <QStringList>

#include <optional>

namespace quovil {

class Viewer;
struct DateDialogData;

class TSelectForm : public QDialog {
  Q_OBJECT

 public:
  // The calendar's size: cells a mouse hits with ease.
  static constexpr int kCalendarWidth = 336, kCalendarHeight = 256;

  explicit TSelectForm(QWidget* parent = nullptr);

  QCalendarWidget* Calendar = nullptr;

  // Bold days, kept as "yyyymm=d,d,..." strings (for example "200704=1,2,3").
  void ClearBoldDays();
  void AddBoldDay(int year, int month, int day);
  const QStringList& BoldDays() const { return boldDays_; }
  bool IsBold(const QDate& date) const;

  // Earliest and latest selectable dates (invalid dates leave that end open)
  // and the date shown and selected when the dialog opens.
  void SetRange(const QDate& earliest, const QDate& latest);
  void SetFirstShown(const QDate& date);

  // Clears the bold days and fills range, first shown date and bold days.
  void Fill(const DateDialogData& data);

  // Centres the dialog on `over` (when given), shows it modally and returns
  // the chosen day, or nothing when it was cancelled.
  std::optional<QDate> Choose(QWidget* over);

  // The chosen day of the last run.
  QDate ChosenDate() const { return chosen_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;  // FormKeyPress

 private:
  void CalendarSelect(const QDate& date);

  QStringList boldDays_;
  QDate chosen_;
};

// The date panel's click: the viewer collects the dialog's data (and stops
// playback), the dialog asks for a day centred on `over`, and the viewer jumps
// to it. False when nothing was shown or chosen.
bool RunDateChoice(Viewer& viewer, TSelectForm& form, QWidget* over);

}  // namespace quovil
