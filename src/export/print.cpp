#include "export/print.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include <cmath>

#include "viewer/viewer.h"
#include "platform/translate.h"
#include <QCoreApplication>

namespace quovil {

namespace {

// Nearest integer, halves to even (the default rounding mode).
int RoundEven(double v) { return int(std::nearbyint(v)); }

QFont PrintFont(int height) {
  QFont font("System");
  font.setBold(true);
  font.setPixelSize(std::max(1, height));
  return font;
}

}  // namespace

PrintLayout ComputePrintLayout(int pageWidth, int pageHeight, int dpiY, int edgeTrim, int textHeight) {
  PrintLayout l;
  l.Wp = pageWidth - 20;
  l.Hp = pageHeight - 20;
  l.T = RoundEven(dpiY * 100.0 / 600.0);
  l.Pw = edgeTrim + l.Wp - 15;
  l.Ph = RoundEven(l.Pw / 420.0 * 276.0);
  // The text line goes below the picture, so it takes its height from the
  // picture's room: the whole page stays printable.
  const int limit = l.Hp - 8 - textHeight;
  if (l.Ph > limit) {
    l.Ph = std::max(0, limit);
    l.Pw = RoundEven(l.Ph / 276.0 * 420.0);
  }
  l.x0 = (l.Wp - l.Pw) / 2;
  return l;
}

bool PrintPicture(QPrinter& printer, const Picture8& pic, const std::string& text, int edgeTrim) {
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  const int t = RoundEven(printer.logicalDpiY() * 100.0 / 600.0);
  painter.setFont(PrintFont(t));
  const QFontMetrics metrics = painter.fontMetrics();
  const PrintLayout l = ComputePrintLayout(printer.width(), printer.height(), printer.logicalDpiY(), edgeTrim,
                                           metrics.height());
  if (!pic.Empty()) {
    const QImage image(pic.pixels.data(), pic.width, pic.height, pic.stride, QImage::Format_Grayscale8);
    const QRect box(QPoint(l.x0 + edgeTrim, 10), QPoint(l.x0 + l.Pw - edgeTrim - 1, 10 + l.Ph - 1));
    painter.drawImage(box, image);
  }
  const QString qtext = QString::fromStdString(text);
  const int x = l.x0 + (l.Pw - metrics.horizontalAdvance(qtext)) / 2;
  painter.setPen(Qt::black);
  painter.drawText(x, 10 + l.Ph + 2 + metrics.ascent(), qtext);
  return painter.end();
}

void ActionPrintExecute(Viewer& v, QWidget* parent) {
  QPrinter printer(QPrinter::HighResolution);
  QPrintDialog dialog(&printer, parent);
  if (dialog.exec() != QDialog::Accepted) return;
  printer.setDocName(QCoreApplication::translate("Export", "QUOVIL - Печать фотографии"));
  const size_t cam = size_t(v.selection().ActiveCamera() & 1);
  if (!PrintPicture(printer, v.bitmaps()[cam], v.disp().CameraTimeText[cam], v.source().EdgeTrim))
    v.ShowMessageBox(Tr("Export", "Возникла проблема при печати документа!"), MsgKind::Error);
}

}  // namespace quovil
