#include "viewer/use_box.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cstring>

#include "viewer/event_guard.h"
#include "viewer/timeline.h"
#include "viewer/viewer.h"

namespace quovil {

namespace {

QColor ToQColor(const Rgb& c) { return QColor(c.r, c.g, c.b); }

// (left, top)-(right, bottom) with the right and bottom edges exclusive.
QRect ToQRect(const BoxRect& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

// The strip narrowed to `width` columns. The scale is usually narrower than
// the 1440 minutes; plain stretching drops columns and with them lone marked
// minutes, so a column is marked when any minute it covers is.
QImage Squeeze(const QImage& strip, int width) {
  if (width >= strip.width() || strip.isNull()) return strip;
  QImage out(width, 1, QImage::Format_RGB888);
  const uchar* src = strip.constScanLine(0);
  uchar* dst = out.scanLine(0);
  const QRgb empty = qRgb(kStripEmpty.r, kStripEmpty.g, kStripEmpty.b);
  for (int x = 0; x < width; ++x) {
    const int from = x * strip.width() / width, to = std::max(from + 1, (x + 1) * strip.width() / width);
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
  setToolTip(QStringLiteral("Шкала времени - кликни для быстрого перехода"));
  setMouseTracking(true);  // the minute under the pointer goes to the status bar
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
  const StripPlacement place = PlaceStrips(viewer_.SingleCameraLayout(), W, H);
  const auto stretch = [&](int cam, const BoxRect& r) {
    if (r.right > r.left && r.bottom > r.top) p.drawImage(ToQRect(r), Squeeze(strips_[size_t(cam)], r.right - r.left));
  };
  if (place.single) {
    stretch(viewer_.selection().ActiveCamera() & 1, place.strip[0]);
  } else {
    stretch(0, place.strip[0]);
    stretch(1, place.strip[1]);
    p.setPen(Qt::black);
    p.drawLine(1, place.lineY, place.lineRight - 1, place.lineY);
  }
  p.setPen(ToQColor(kTimelineRed));
  for (int x : HourLineX(W)) p.drawLine(x, 1, x, H - 2);
  const int pos = viewer_.selection().Pos();
  if (pos >= 0 && pos < viewer_.selection().Count()) {
    const TimeStamp t = viewer_.source().TimeOf(viewer_.IndexAtPos(pos));
    const QRect mark = ToQRect(MinuteMark(W, H, t.hour * 60 + t.minute));
    p.setPen(Qt::black);
    p.setBrush(ToQColor(kTimelineMark));
    p.drawRect(mark.adjusted(0, 0, -1, -1));
  }
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
