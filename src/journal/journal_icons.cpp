#include "journal/journal_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

#include <functional>

namespace quovil {

namespace {

using Draw = std::function<void(QPainter&)>;

// Draws on a 16 x 16 grid, at the list's size and at twice it for dense screens.
QIcon Paint(const Draw& draw) {
  QIcon icon;
  for (int size : {16, 32}) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    draw(p);
    p.end();
    icon.addPixmap(pm);
  }
  return icon;
}

QPen Pen(const QColor& c, double w = 1.2) { return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

void Card(QPainter& p, const QColor& fill) {
  const QPolygonF shape({{3.5, 1.5}, {10, 1.5}, {12.5, 4}, {12.5, 14.5}, {3.5, 14.5}});
  p.setPen(Pen(fill.darker(160)));
  p.setBrush(fill);
  p.drawPolygon(shape);
  p.setPen(Pen(fill.darker(200), 1.0));
  for (double x : {5.5, 7.5, 9.5}) p.drawLine(QPointF(x, 2.5), QPointF(x, 4.5));
}

void Exclamation(QPainter& p, const QColor& c, double top, double bottom) {
  p.setPen(Pen(c, 1.8));
  p.drawLine(QPointF(8, top), QPointF(8, bottom));
  p.drawPoint(QPointF(8, bottom + 2.5));
}

void Standby(QPainter& p) {
  QPainterPath moon;
  moon.addEllipse(QRectF(2, 2, 12, 12));
  QPainterPath bite;
  bite.addEllipse(QRectF(6, 0.5, 10, 10));
  p.setPen(Pen(QColor(70, 80, 110)));
  p.setBrush(QColor(150, 160, 200));
  p.drawPath(moon.subtracted(bite));
}

void PowerOn(QPainter& p) {
  p.setPen(Pen(QColor(20, 110, 30)));
  p.setBrush(QColor(60, 170, 70));
  p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
  p.setPen(Pen(Qt::white, 1.6));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(4.5, 4.5, 7, 7), 120 * 16, 300 * 16);
  p.drawLine(QPointF(8, 3.5), QPointF(8, 8));
}

void Battery(QPainter& p) {
  p.setPen(Pen(QColor(90, 90, 90)));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(1.5, 4.5, 12, 7));
  p.setBrush(QColor(90, 90, 90));
  p.drawRect(QRectF(13.5, 6.5, 1.5, 3));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(230, 190, 30));
  p.drawRect(QRectF(3, 6, 6, 4));
}

void Magnifier(QPainter& p) {
  p.setPen(Pen(QColor(30, 80, 160), 1.6));
  p.setBrush(QColor(200, 225, 255));
  p.drawEllipse(QRectF(2, 2, 8, 8));
  p.setPen(Pen(QColor(30, 80, 160), 2.4));
  p.drawLine(QPointF(9.5, 9.5), QPointF(14, 14));
}

void Error(QPainter& p) {
  p.setPen(Pen(QColor(140, 10, 10)));
  p.setBrush(QColor(215, 35, 35));
  p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
  Exclamation(p, Qt::white, 4, 8.5);
}

void Recording(QPainter& p) {
  p.setPen(Pen(QColor(60, 60, 60)));
  p.setBrush(Qt::white);
  p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(220, 30, 30));
  p.drawEllipse(QRectF(4.5, 4.5, 7, 7));
}

void Link(QPainter& p) {
  p.setPen(Pen(QColor(30, 90, 170), 1.6));
  p.setBrush(Qt::NoBrush);
  p.drawLine(QPointF(8, 6), QPointF(8, 15));
  p.drawArc(QRectF(4, 2, 8, 8), 30 * 16, 120 * 16);
  p.drawArc(QRectF(1.5, -0.5, 13, 13), 35 * 16, 110 * 16);
  p.drawLine(QPointF(5, 15), QPointF(11, 15));
}

void Menu(QPainter& p) {
  p.setPen(Pen(QColor(80, 80, 80)));
  p.setBrush(QColor(245, 245, 245));
  p.drawRect(QRectF(1.5, 1.5, 13, 13));
  p.setPen(Pen(QColor(40, 40, 40), 1.6));
  for (double y : {5.0, 8.0, 11.0}) p.drawLine(QPointF(4.5, y), QPointF(11.5, y));
}

void Warning(QPainter& p) {
  p.setPen(Pen(QColor(150, 90, 0)));
  p.setBrush(QColor(250, 180, 30));
  p.drawPolygon(QPolygonF({{8, 1.5}, {15, 14.5}, {1, 14.5}}));
  Exclamation(p, QColor(40, 30, 0), 6, 9.5);
}

void Eject(QPainter& p) {
  p.setPen(Pen(QColor(50, 50, 50)));
  p.setBrush(QColor(110, 110, 110));
  p.drawPolygon(QPolygonF({{8, 2}, {14, 9}, {2, 9}}));
  p.drawRect(QRectF(2, 11, 12, 2.5));
}

void Clock(QPainter& p) {
  p.setPen(Pen(QColor(40, 40, 40)));
  p.setBrush(QColor(255, 250, 220));
  p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
  p.setPen(Pen(QColor(40, 40, 40), 1.4));
  p.drawLine(QPointF(8, 8), QPointF(8, 4));
  p.drawLine(QPointF(8, 8), QPointF(11, 9.5));
}

void CardOut(QPainter& p) {
  Card(p, QColor(190, 190, 190));
  p.setPen(Pen(QColor(200, 20, 20), 1.8));
  p.drawLine(QPointF(5.5, 7.5), QPointF(10.5, 12.5));
  p.drawLine(QPointF(10.5, 7.5), QPointF(5.5, 12.5));
}

void CardIn(QPainter& p) { Card(p, QColor(90, 180, 90)); }

void ReadCard(QPainter& p) {
  Card(p, QColor(90, 140, 210));
  p.setPen(Pen(Qt::white, 1.8));
  p.drawLine(QPointF(8, 6.5), QPointF(8, 12.5));
  p.drawLine(QPointF(5.5, 10), QPointF(8, 12.5));
  p.drawLine(QPointF(10.5, 10), QPointF(8, 12.5));
}

void Folder(QPainter& p) {
  p.setPen(Pen(QColor(150, 110, 20)));
  p.setBrush(QColor(240, 200, 80));
  p.drawPolygon(QPolygonF({{1.5, 3.5}, {6, 3.5}, {7.5, 5}, {14.5, 5}, {14.5, 13.5}, {1.5, 13.5}}));
  p.setBrush(QColor(250, 220, 120));
  p.drawPolygon(QPolygonF({{1.5, 13.5}, {3.5, 7.5}, {15.5, 7.5}, {14.5, 13.5}}));
}

void Floppy(QPainter& p) {
  p.setPen(Pen(QColor(20, 50, 110)));
  p.setBrush(QColor(50, 100, 190));
  p.drawPolygon(QPolygonF({{1.5, 1.5}, {12.5, 1.5}, {14.5, 3.5}, {14.5, 14.5}, {1.5, 14.5}}));
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawRect(QRectF(4, 2, 7, 4.5));
  p.drawRect(QRectF(3.5, 9, 9, 5.5));
}

}  // namespace

QIcon JournalEventIcon(int image) {
  static const Draw kDraw[] = {Standby, PowerOn, Battery, Magnifier, Error,   Recording, Link,
                               Menu,    Warning, Eject,   CardOut,   Clock,   CardIn};
  if (image < 0 || image >= int(std::size(kDraw))) return QIcon();
  return Paint(kDraw[image]);
}

QIcon JournalToolIcon(JournalTool tool) {
  switch (tool) {
    case JournalTool::ReadCard: return Paint(ReadCard);
    case JournalTool::OpenFile: return Paint(Folder);
    case JournalTool::SaveFile: return Paint(Floppy);
  }
  return QIcon();
}

}  // namespace quovil
