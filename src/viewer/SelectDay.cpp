#include "viewer/SelectDay.h"

#include <QKeyEvent>
#include <QPainter>
#include <QTextCharFormat>
#include <QVBoxLayout>

#include <algorithm>

#include "viewer/marks.h"
#include <QCoreApplication>

namespace quovil {

namespace {

// The calendar draws the days outside its date range, which cannot be
// chosen, in the disabled text colour (it would only shade their ground).
class RangeCalendar : public QCalendarWidget {
 public:
  using QCalendarWidget::QCalendarWidget;

 protected:
  void paintCell(QPainter* painter, const QRect& rect, QDate date) const override {
    if (date >= minimumDate() && date <= maximumDate()) {
      QCalendarWidget::paintCell(painter, rect, date);
      return;
    }
    painter->save();
    painter->fillRect(rect, palette().brush(QPalette::Window));
    QFont f = font();
    f.setWeight(QFont::Weight(dateTextFormat(date).fontWeight()));
    painter->setFont(f);
    painter->setPen(palette().color(QPalette::Disabled, QPalette::Text));
    painter->drawText(rect, Qt::AlignCenter, QString::number(date.day()));
    painter->restore();
  }
};

}  // namespace

TSelectForm::TSelectForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("SelectForm"));
  setWindowTitle(QCoreApplication::translate("Viewer", "Выбор даты"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
  Calendar = new RangeCalendar(this);
  Calendar->setObjectName(QStringLiteral("Calendar"));
  // The program's language (month names); the week starts on Monday in both.
  Calendar->setLocale(QLocale());
  Calendar->setFirstDayOfWeek(Qt::Monday);
  Calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
  Calendar->setGridVisible(false);
  Calendar->setToolTip(QCoreApplication::translate("Viewer", "Выберите день для начала просмотра, ESC - выход"));
  QFont f = Calendar->font();
  if (f.pointSizeF() > 0) f.setPointSizeF(f.pointSizeF() * 1.25);
  Calendar->setFont(f);
  Calendar->setMinimumSize(kCalendarWidth, kCalendarHeight);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Calendar);
  layout->setSizeConstraint(QLayout::SetFixedSize);  // sized to its one control
  // A click on a day, or Enter on it, chooses it; paging through months does not.
  connect(Calendar, &QCalendarWidget::clicked, this, &TSelectForm::CalendarSelect);
  connect(Calendar, &QCalendarWidget::activated, this, &TSelectForm::CalendarSelect);
}

void TSelectForm::ClearBoldDays() {
  boldDays_.clear();
  Calendar->setDateTextFormat(QDate(), QTextCharFormat());  // drops every day's format
}

void TSelectForm::AddBoldDay(int year, int month, int day) {
  const QDate date(year, month, day);
  if (!date.isValid()) return;
  const QString key = QString::asprintf("%04d%02d=", year, month);
  auto it = std::find_if(boldDays_.begin(), boldDays_.end(), [&](const QString& s) { return s.startsWith(key); });
  if (it == boldDays_.end()) {
    boldDays_.append(key + QString::number(day));
  } else {
    if (IsBold(date)) return;
    *it += QLatin1Char(',') + QString::number(day);
  }
  QTextCharFormat bold = Calendar->dateTextFormat(date);
  bold.setFontWeight(QFont::Bold);
  Calendar->setDateTextFormat(date, bold);
}

bool TSelectForm::IsBold(const QDate& date) const {
  const QString key = QString::asprintf("%04d%02d=", date.year(), date.month());
  for (const QString& s : boldDays_) {
    if (!s.startsWith(key)) continue;
    const QStringList days = s.mid(key.size()).split(QLatin1Char(','));
    return days.contains(QString::number(date.day()));
  }
  return false;
}

void TSelectForm::SetRange(const QDate& earliest, const QDate& latest) {
  Calendar->setMinimumDate(QDate(100, 1, 1));
  Calendar->setMaximumDate(QDate(7999, 12, 31));
  // A card whose records are out of order must still let every day be chosen.
  if (earliest.isValid() && latest.isValid()) {
    Calendar->setDateRange(std::min(earliest, latest), std::max(earliest, latest));
  } else if (earliest.isValid()) {
    Calendar->setMinimumDate(earliest);
  } else if (latest.isValid()) {
    Calendar->setMaximumDate(latest);
  }
}

void TSelectForm::Fill(const DateDialogData& data) {
  ClearBoldDays();
  const auto toQDate = [](const CalendarDate& d) { return QDate(d.year, d.month, d.day); };
  SetRange(toQDate(data.earliest), toQDate(data.latest));
  SetFirstShown(QDate::fromString(QString::fromStdString(data.shown), QStringLiteral("dd.MM.yyyy")));
  for (const auto& [yearMonth, days] : data.boldDays)
    for (int day : days) AddBoldDay(yearMonth / 100, yearMonth % 100, day);
}

void TSelectForm::SetFirstShown(const QDate& date) {
  if (!date.isValid()) return;
  Calendar->setSelectedDate(date);
  Calendar->setCurrentPage(date.year(), date.month());
}

std::optional<QDate> TSelectForm::Choose(QWidget* over) {
  chosen_ = QDate();
  adjustSize();
  if (over) {
    const QRect main = over->frameGeometry();
    move(main.left() + (main.width() - width()) / 2, main.top() + (main.height() - height()) / 2);
  }
  if (exec() != QDialog::Accepted || !chosen_.isValid()) return std::nullopt;
  return chosen_;
}

void TSelectForm::CalendarSelect(const QDate& date) {
  chosen_ = date;
  accept();
}

void TSelectForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    reject();
    return;
  }
  QDialog::keyPressEvent(event);
}

bool RunDateChoice(Viewer& viewer, TSelectForm& form, QWidget* over) {
  const std::optional<DateDialogData> data = DatePanelClick(viewer);
  if (!data) return false;
  form.Fill(*data);
  const std::optional<QDate> day = form.Choose(over);
  return day && CalendarSelect(viewer, day->day(), day->month(), day->year());
}

}  // namespace quovil
