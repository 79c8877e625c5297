#include "screenshots.h"

#include <QDir>
#include <QPixmap>
#include <QWidget>

#include <gtest/gtest.h>

#include <set>

namespace quovil::test {

QImage SaveScreenshot(QWidget& w, const QString& name) {
  const QString dir = QStringLiteral(QUOVIL_BUILD_DIR "/screens");
  QDir().mkpath(dir);
  const QPixmap shot = w.grab();
  EXPECT_FALSE(shot.isNull()) << name.toStdString();
  QString file = dir + QLatin1Char('/') + name;
  if (!file.endsWith(QStringLiteral(".png"))) file += QStringLiteral(".png");
  EXPECT_TRUE(shot.save(file)) << file.toStdString();
  QImage image = shot.toImage();
  image.setDevicePixelRatio(1);
  return image;
}

int ColourCount(const QImage& image) {
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  std::set<QRgb> colours;
  for (int y = 0; y < argb.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
    colours.insert(row, row + argb.width());
  }
  return int(colours.size());
}

void ExpectDrawn(const QImage& shot, QSize size, int colours, const QString& name) {
  SCOPED_TRACE(name.toStdString());
  ASSERT_FALSE(shot.isNull());
  // An offscreen grab is at one device pixel per pixel.
  EXPECT_EQ(shot.size(), size);
  EXPECT_GE(ColourCount(shot), colours);
}

QImage SaveDrawnScreenshot(QWidget& w, const QString& name, int colours) {
  QImage shot = SaveScreenshot(w, name);
  ExpectDrawn(shot, w.size() * w.devicePixelRatio(), colours, name);
  return shot;
}

}  // namespace quovil::test
