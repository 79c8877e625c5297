// The time scale of the shown day: one strip per camera with the minutes that
// hold records, the hour marks and the mark of the record shown, over the
// whole day or the part of it zoomed in on.
#pragma once

#include <QImage>
#include <QWidget>

#include <array>

namespace quovil {

class Viewer;

class UseBox : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kDesignHeight = 25;

  explicit UseBox(Viewer& viewer, QWidget* parent = nullptr);

  // Re-reads the viewer state; redraws the strips when the day map changed.
  void Refresh(unsigned flags);

  // TimelineStrip: 1440 x ((height - 2) div 2), 24 bits per pixel, column x = minute x.
  const QImage& TimelineStrip(int cam) const { return strips_[size_t(cam)]; }

  // The keys + and - (also on the keypad) zoom around the shown record while
  // the scale has the focus or the pointer is over it. The window, which
  // sees every key first, offers them here; true when taken.
  bool ZoomKey(int key, Qt::KeyboardModifiers mods);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;  // with Ctrl: the zoom
  void resizeEvent(QResizeEvent* event) override;

 private:
  void UpdateStrips();
  void DrawStrips();
  void UseBoxPaint(QPainter& p);
  void PaintSpanLabel(QPainter& p);

  Viewer& viewer_;
  std::array<QImage, 2> strips_;
  unsigned drawnVersion_ = 0;
  bool stripsValid_ = false;
  bool pressed_ = false;  // a press inside the box whose release is a click
  int wheelTurn_ = 0;     // the wheel's turn short of a whole step (fine-stepping wheels)
};

}  // namespace quovil
