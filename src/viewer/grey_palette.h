// The 256-entry grey palette of the camera pictures and the wrapping of a core
// picture into a QImage that paints through it.
#pragma once

#include <QImage>
#include <QList>
#include <QRgb>

#include "decode/picture.h"

namespace quovil {

// Entry i is grey level i (red = green = blue = i).
QList<QRgb> GreyPalette();

// An indexed 8-bit image over pic's pixels with the grey palette. The pixels
// are shared, not copied: the image is valid only while pic keeps its size.
// An empty picture gives a null image.
QImage CameraImage(const Picture8& pic);

}  // namespace quovil
