// The day's telemetry as strips on the time scale's axis (its zoom too):
// speed, input voltage, battery voltage and the engine, with the record
// kinds as ticks above them. The pointer shows the values under it; a click
// jumps as a click on the time scale does.
#pragma once

#include <QWidget>

#include <functional>
#include <vector>

#include "card/catalogue.h"
#include "viewer/timeline.h"

class QComboBox;
class QLabel;

namespace quovil {

struct GraphSample {
  int second = 0;       // of the day
  double speed = -1;    // km/h; -1 unknown
  double uin = -1, uakb = -1;  // volts; -1 unknown
  int engine = -1;      // 1 on, 0 off, -1 unknown
};

struct KindTick {
  int second = 0;
  RecordKind kind = RecordKind::Manual;
};

class GraphStrips : public QWidget {
 public:
  explicit GraphStrips(QWidget* parent = nullptr);
  // Samples in time order.
  void SetDay(std::vector<GraphSample> samples, std::vector<KindTick> ticks);
  void SetSpan(const TimeSpan& span);
  const TimeSpan& Span() const { return span_; }
  void SetShown(int second);  // -1: none
  // The second a click chose.
  std::function<void(int)> onJump;
  std::function<void(const QString&)> onHover;
  // The text of the values at second (empty when none is near).
  QString ValuesAt(int second) const;
  QSize sizeHint() const override { return {600, 132}; }

 protected:
  void paintEvent(QPaintEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void leaveEvent(QEvent*) override;

 private:
  int SecondAt(int x) const;
  int XOf(int second) const;
  const GraphSample* SampleNear(int second) const;
  std::vector<GraphSample> samples_;
  std::vector<KindTick> ticks_;
  TimeSpan span_;
  int shown_ = -1;
  int pointer_ = -1;
};

// The dock's contents: the kind the Ctrl+arrow keys jump to, the strips and
// the line of values under the pointer.
class TelemetryGraphs : public QWidget {
 public:
  explicit TelemetryGraphs(QWidget* parent = nullptr);
  GraphStrips* strips() const { return strips_; }
  RecordKind JumpKind() const;

 private:
  GraphStrips* strips_ = nullptr;
  QComboBox* kind_ = nullptr;
  QLabel* values_ = nullptr;
};

}  // namespace quovil
