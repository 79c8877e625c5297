#include "gps/telemetry_graphs.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "gps/route_colours.h"
#include "platform/translate.h"
#include <QCoreApplication>

namespace quovil {

namespace {

QColor ToQColor(const Rgb& c) { return QColor(c.r, c.g, c.b); }

constexpr int kTickRow = 10;    // the kinds' ticks above the strips
constexpr int kLabelWidth = 0;  // strips span the whole width, as the scale does
// A sample counts for the pointer within this many seconds.
constexpr int kNearSeconds = 90;

struct Strip {
  const char* label;
  double GraphSample::*value;
  QColor colour;
};

}  // namespace

GraphStrips::GraphStrips(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("telemetryStrips"));
  setMouseTracking(true);
  setMinimumHeight(96);
}

void GraphStrips::SetDay(std::vector<GraphSample> samples, std::vector<KindTick> ticks) {
  samples_ = std::move(samples);
  ticks_ = std::move(ticks);
  update();
}

void GraphStrips::SetSpan(const TimeSpan& span) {
  if (span == span_) return;
  span_ = span;
  update();
}

void GraphStrips::SetShown(int second) {
  if (second == shown_) return;
  shown_ = second;
  update();
}

int GraphStrips::SecondAt(int x) const { return SecondAtX(span_, std::clamp(x, 1, std::max(1, width() - 1)), width()); }
int GraphStrips::XOf(int second) const { return XOfSecond(span_, width(), second); }

const GraphSample* GraphStrips::SampleNear(int second) const {
  const auto it = std::lower_bound(samples_.begin(), samples_.end(), second,
                                   [](const GraphSample& s, int t) { return s.second < t; });
  const GraphSample* best = nullptr;
  int bestD = kNearSeconds + 1;
  for (auto c : {it, it == samples_.begin() ? it : it - 1}) {
    if (c == samples_.end()) continue;
    const int d = std::abs(c->second - second);
    if (d < bestD) bestD = d, best = &*c;
  }
  return best;
}

QString GraphStrips::ValuesAt(int second) const {
  const GraphSample* s = SampleNear(second);
  if (!s) return {};
  QString text = QStringLiteral("%1:%2:%3")
                     .arg(s->second / 3600, 2, 10, QChar('0'))
                     .arg(s->second / 60 % 60, 2, 10, QChar('0'))
                     .arg(s->second % 60, 2, 10, QChar('0'));
  if (s->speed >= 0) text += QCoreApplication::translate("Gps", "   %1 км/ч").arg(s->speed, 0, 'f', 1);
  if (s->uin >= 0) text += QCoreApplication::translate("Gps", "   Uвх %1 В").arg(s->uin, 0, 'f', 1);
  if (s->uakb >= 0) text += QCoreApplication::translate("Gps", "   Uакб %1 В").arg(s->uakb, 0, 'f', 1);
  if (s->engine >= 0) text += s->engine ? QStringLiteral("   ENGINE ON") : QStringLiteral("   ENGINE OFF");
  return text;
}

void GraphStrips::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::white);
  const int W = width();
  const Strip strips[] = {{QUOVIL_TR_NOOP("Gps", "км/ч"), &GraphSample::speed, QColor(0, 90, 200)},
                          {QUOVIL_TR_NOOP("Gps", "Uвх"), &GraphSample::uin, QColor(200, 100, 0)},
                          {QUOVIL_TR_NOOP("Gps", "Uакб"), &GraphSample::uakb, QColor(0, 140, 60)}};
  const int rows = 4;  // three strips and the engine
  const int top = kTickRow + 2;
  const int stripH = std::max(12, (height() - top) / rows);
  QFont small = font();
  small.setPointSizeF(std::max(6.0, small.pointSizeF() * 0.8));
  p.setFont(small);

  // The kinds' ticks.
  for (const KindTick& t : ticks_) {
    if (t.kind == RecordKind::Error) continue;
    const int x = XOf(t.second);
    if (x < 0 || x >= W) continue;
    p.setPen(ToQColor(KindColour(t.kind)));
    p.drawLine(x, 1, x, kTickRow);
  }
  // Hour lines as the time scale draws them.
  p.setPen(QColor(235, 200, 200));
  for (const ScaleLine& l : ScaleLines(span_, W)) p.drawLine(l.x, top, l.x, height());

  const auto visible = [&](const GraphSample& s) { return s.second >= span_.start && s.second < span_.End(); };
  for (int r = 0; r < 3; ++r) {
    const int y0 = top + r * stripH, y1 = y0 + stripH - 2;
    p.setPen(QColor(225, 225, 225));
    p.drawLine(0, y1, W, y1);
    double lo = 1e9, hi = -1e9;
    for (const GraphSample& s : samples_) {
      const double v = s.*(strips[r].value);
      if (v < 0 || !visible(s)) continue;
      lo = std::min(lo, v), hi = std::max(hi, v);
    }
    if (r == 0) lo = 0;  // speed from standing
    if (hi < lo) continue;
    if (hi - lo < 1) hi = lo + 1;
    const auto yOf = [&](double v) { return y1 - 1 - (v - lo) / (hi - lo) * (stripH - 5); };
    QPainterPath path;
    bool open = false;
    int lastSecond = -1;
    for (const GraphSample& s : samples_) {
      const double v = s.*(strips[r].value);
      if (v < 0 || !visible(s)) {
        open = false;
        continue;
      }
      const QPointF pt(XOf(s.second), yOf(v));
      // A gap of more than a minute without values breaks the line.
      if (!open || s.second - lastSecond > 60) {
        path.moveTo(pt);
      } else {
        path.lineTo(pt);
      }
      open = true;
      lastSecond = s.second;
    }
    p.setPen(QPen(strips[r].colour, 1.5));
    p.drawPath(path);
    p.setPen(QColor(90, 90, 90));
    p.drawText(QPointF(3, y0 + p.fontMetrics().ascent()),
               QString::fromUtf8("%1 %2…%3").arg(QCoreApplication::translate("Gps", strips[r].label)).arg(lo, 0, 'f', r == 0 ? 0 : 1).arg(hi, 0, 'f', r == 0 ? 0 : 1));
  }
  // The engine: a bar where it runs.
  {
    const int y0 = top + 3 * stripH, h = std::max(4, stripH - 6);
    for (const GraphSample& s : samples_) {
      if (s.engine != 1 || !visible(s)) continue;
      const int x = XOf(s.second);
      const int next = std::max(x + 1, XOf(s.second + 1));
      p.fillRect(x, y0 + 2, next - x, h, QColor(90, 170, 90));
    }
    p.setPen(QColor(90, 90, 90));
    p.drawText(QPointF(3, y0 + p.fontMetrics().ascent()), QCoreApplication::translate("Gps", "двигатель"));
  }
  // The shown record and the pointer.
  if (shown_ >= 0) {
    const int x = XOf(shown_);
    p.setPen(QPen(QColor(230, 180, 0), 2));
    p.drawLine(x, top, x, height());
  }
  if (pointer_ >= 0) {
    p.setPen(QPen(QColor(0, 0, 0, 120), 1, Qt::DashLine));
    const int x = XOf(pointer_);
    p.drawLine(x, 0, x, height());
  }
  (void)kLabelWidth;
}

void GraphStrips::mouseMoveEvent(QMouseEvent* e) {
  pointer_ = SecondAt(int(e->position().x()));
  if (onHover) onHover(ValuesAt(pointer_));
  update();
}

void GraphStrips::leaveEvent(QEvent*) {
  pointer_ = -1;
  if (onHover) onHover({});
  update();
}

void GraphStrips::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  if (onJump) onJump(SecondAt(int(e->position().x())));
}

TelemetryGraphs::TelemetryGraphs(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("telemetryGraphs"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(2);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(QCoreApplication::translate("Gps", "Ctrl+← / Ctrl+→: к записи"), this));
  kind_ = new QComboBox(this);
  kind_->setObjectName(QStringLiteral("jumpKind"));
  for (int k = 0; k < kRecordKindCount - 1; ++k) kind_->addItem(QString::fromUtf8(KindName(RecordKind(k))), k);
  kind_->setCurrentIndex(int(RecordKind::Motion));
  kind_->setFocusPolicy(Qt::ClickFocus);
  row->addWidget(kind_);
  row->addStretch();
  layout->addLayout(row);
  strips_ = new GraphStrips(this);
  layout->addWidget(strips_, 1);
  values_ = new QLabel(this);
  values_->setObjectName(QStringLiteral("telemetryValues"));
  values_->setMinimumHeight(values_->fontMetrics().height());
  layout->addWidget(values_);
  strips_->onHover = [this](const QString& text) { values_->setText(text); };
}

RecordKind TelemetryGraphs::JumpKind() const { return RecordKind(kind_->currentData().toInt()); }

}  // namespace quovil
