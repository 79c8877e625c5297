#include "viewer/grey_palette.h"

namespace quovil {

QList<QRgb> GreyPalette() {
  QList<QRgb> palette(256);
  for (int i = 0; i < 256; ++i) palette[i] = qRgb(i, i, i);
  return palette;
}

QImage CameraImage(const Picture8& pic) {
  if (pic.Empty() || pic.stride < pic.width ||
      pic.pixels.size() < size_t(pic.stride) * size_t(pic.height))
    return {};
  // One palette for every wrap: the table is shared implicitly by QImage.
  static const QList<QRgb> palette = GreyPalette();
  QImage image(pic.pixels.data(), pic.width, pic.height, pic.stride, QImage::Format_Indexed8);
  image.setColorTable(palette);
  return image;
}

}  // namespace quovil
