#include "viewer/use_box.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cstring>

#include "viewer/event_guard.h"
#include "viewer/timeline.h"
#include "viewer/viewer.h"
#include <QCoreApplication>

namespace quovil {

namespace {

QColor ToQColor(const Rgb& c) { return QColor(c.r, c.g, c.b); }

// (left, top)-(right, bottom) with the right and bottom edges exclusive.
QRect ToQRect(const BoxRect& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

// The span's part of the strip in `width` columns. The whole day is usually
// narrower than the 1440 minutes; plain stretching drops columns and with
// them lone marked minutes, so a column is marked when any minute it covers
// is. A zoomed span gives each minute several columns.
QImage Squeeze(const QImage& strip, int width, const TimeSpan& span) {
  if ((span.WholeDay() && width >= strip.width()) || strip.isNull() || width <= 0) return strip;
  QImage out(width, 1, QImage::Format_RGB888);
  const uchar* src = strip.constScanLine(0);
  uchar* dst = out.scanLine(0);
  const QRgb empty = qRgb(kStripEmpty.r, kStripEmpty.g, kStripEmpty.b);
  for (int x = 0; x < width; ++x) {
    const auto [from, to] = MinutesOfColumn(span, width, x);
    int pick = from;
    for (int m = from; m < to; ++m)
      if (qRgb(src[3 * m], src[3 * m + 1], src[3 * m + 2]) != empty) {
        pick = m;
        break;
      }
    memcpy(dst + 3 * x, src + 3 * pick, 3);
  }
  return out;
}

}  // namespace

UseBox::UseBox(Viewer& viewer, QWidget* parent) : QWidget(parent), viewer_(viewer) {
  setObjectName(QStringLiteral("UseBox"));
  setToolTip(QCoreApplication::translate("Viewer", "Шкала времени - кликни для быстрого перехода"));
  setMouseTracking(true);  // the minute under the pointer goes to the status bar
  setFocusPolicy(Qt::ClickFocus);  // a click gives it the zoom keys
  setFixedHeight(kDesignHeight);
  setMinimumWidth(40);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  UpdateStrips();
}

void UseBox::UpdateStrips() {
  const int h = std::max(1, (height() - 2) / 2);
  if (!stripsValid_ || strips_[0].height() != h) {
    for (auto& s : strips_) s = QImage(1440, h, QImage::Format_RGB888);
    stripsValid_ = true;
    DrawStrips();
  } else if (drawnVersion_ != viewer_.timeline().DayMapVersion) {
    DrawStrips();
  }
}

void UseBox::DrawStrips() {
  // Every pixel row carries the same column pattern, so one row is built and
  // copied: a minute with a record is green, any other white.
  QImage line(1440, 1, QImage::Format_RGB888);
  for (int c = 0; c < 2; ++c) {
    QImage& strip = strips_[size_t(c)];
    uchar* px = line.scanLine(0);
    for (int x = 0; x < 1440; ++x, px += 3) {
      const Rgb colour = StripColour(viewer_.timeline(), c, x);
      px[0] = colour.r, px[1] = colour.g, px[2] = colour.b;
    }
    for (int y = 0; y < strip.height(); ++y) memcpy(strip.scanLine(y), line.constScanLine(0), 1440 * 3);
  }
  drawnVersion_ = viewer_.timeline().DayMapVersion;
}

void UseBox::Refresh(unsigned flags) {
  if (drawnVersion_ != viewer_.timeline().DayMapVersion) UpdateStrips();
  if (flags & (kRepaintTimeline | kRepaintImage | kRepaintActions)) update();
}

void UseBox::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  UpdateStrips();
}

void UseBox::paintEvent(QPaintEvent*) {
  QPainter p(this);
  GuardEvent([&] {
    UpdateStrips();
    UseBoxPaint(p);
  });
}

void UseBox::UseBoxPaint(QPainter& p) {
  const int W = width(), H = height();
  // The border rectangle (0, 0)-(W, H), outline on its outermost pixels.
  p.setPen(Qt::black);
  p.setBrush(palette().color(QPalette::Window));
  p.drawRect(0, 0, W - 1, H - 1);
  if (viewer_.selection().Count() <= 0) return;
  const TimeSpan& span = viewer_.timeline().Span;
  const StripPlacement place = PlaceStrips(viewer_.SingleCameraLayout(), W, H);
  const auto stretch = [&](int cam, const BoxRect& r) {
    if (r.right > r.left && r.bottom > r.top)
      p.drawImage(ToQRect(r), Squeeze(strips_[size_t(cam)], r.right - r.left, span));
  };
  if (place.single) {
    stretch(viewer_.selection().ActiveCamera() & 1, place.strip[0]);
  } else {
    stretch(0, place.strip[0]);
    stretch(1, place.strip[1]);
    p.setPen(Qt::black);
    p.drawLine(1, place.lineY, place.lineRight - 1, place.lineY);
  }
  // Hour lines run across the box; the ticks between them are short, at its
  // top and bottom edges.
  const int tick = std::max(2, H / 5);
  for (const ScaleLine& line : ScaleLines(span, W)) {
    if (line.hour) {
      p.setPen(ToQColor(kTimelineRed));
      p.drawLine(line.x, 1, line.x, H - 2);
    } else {
      p.setPen(ToQColor(kTimelineTick));
      p.drawLine(line.x, 1, line.x, tick);
      p.drawLine(line.x, H - 1 - tick, line.x, H - 2);
    }
  }
  const int pos = viewer_.selection().Pos();
  if (pos >= 0 && pos < viewer_.selection().Count()) {
    const TimeStamp t = viewer_.source().TimeOf(viewer_.IndexAtPos(pos));
    if (const auto mark = ShownMark(span, W, H, t.hour * 3600 + t.minute * 60 + t.second)) {
      p.setPen(Qt::black);
      p.setBrush(ToQColor(kTimelineMark));
      p.drawRect(ToQRect(*mark).adjusted(0, 0, -1, -1));
    }
  }
  if (!span.WholeDay()) PaintSpanLabel(p);
}

void UseBox::PaintSpanLabel(QPainter& p) {
  QFont f = font();
  f.setPixelSize(std::max(6, height() / 2 - 3));
  p.setFont(f);
  const QString text = QString::fromStdString(SpanLabel(viewer_.timeline().Span));
  const QFontMetrics m(f);
  // In the top right corner, on a pale ground that leaves the strips seen.
  const QRect r(width() - 3 - m.horizontalAdvance(text) - 4, 2, m.horizontalAdvance(text) + 4, m.height());
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 255, 210));
  p.drawRect(r);
  p.setPen(Qt::black);
  p.drawText(r, Qt::AlignCenter, text);
}

bool UseBox::ZoomKey(int key, Qt::KeyboardModifiers mods) {
  if (mods & ~(Qt::ShiftModifier | Qt::KeypadModifier)) return false;
  // "=" shares its key with "+" on the main keyboard.
  const int steps = key == Qt::Key_Plus || key == Qt::Key_Equal ? 1 : key == Qt::Key_Minus ? -1 : 0;
  if (steps == 0 || !(hasFocus() || underMouse())) return false;
  RunCommand([&] { viewer_.UseBoxZoomAtMark(steps); });
  return true;
}

void UseBox::wheelEvent(QWheelEvent* event) {
  if (!(event->modifiers() & Qt::ControlModifier)) {
    event->ignore();
    return;
  }
  event->accept();
  const int dy = event->angleDelta().y();
  if (dy == 0) return;
  // A turn the other way starts afresh; whole steps of 120 zoom.
  if ((dy > 0) != (wheelTurn_ > 0)) wheelTurn_ = 0;
  wheelTurn_ = std::clamp(wheelTurn_ + dy, -1200, 1200);
  const int steps = wheelTurn_ / 120;
  if (steps == 0) return;
  wheelTurn_ -= steps * 120;
  const int x = event->position().toPoint().x();
  RunCommand([&] { viewer_.UseBoxZoom(steps, x, width()); });
}

void UseBox::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pt = event->position().toPoint();
  GuardEvent([&] { viewer_.UseBoxMouseMove(pt.x(), pt.y(), width(), height()); });
}

void UseBox::mousePressEvent(QMouseEvent* event) {
  // The pointer's place is taken first, as a move to the pressed point, so
  // that the camera and the minute are those under the press.
  const QPoint pt = event->position().toPoint();
  pressed_ = event->button() == Qt::LeftButton;
  RunCommand([&] {
    viewer_.UseBoxMouseMove(pt.x(), pt.y(), width(), height());
    viewer_.UseBoxMouseDown();
  });
}

void UseBox::mouseReleaseEvent(QMouseEvent* event) {
  const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  pressed_ = false;
  RunCommand([&] {
    if (click) viewer_.UseBoxClick();
    viewer_.UseBoxMouseUp();
  });
}

void UseBox::mouseDoubleClickEvent(QMouseEvent* event) {
  RunCommand([&] {
    viewer_.UseBoxDblClick();
    // The second press of the pair still counts as a press for dragging.
    viewer_.UseBoxMouseDown();
  });
  (void)event;
}

}  // namespace quovil
