// Pictures of widgets as the user would see them, saved under
// <build>/screens/<name>.png to be looked at after the run, and checked so
// that a blank or misshapen grab fails the test.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

class QWidget;

namespace quovil::test {

// Grabs the widget, saves the picture and returns it (null when the grab
// failed). name has no ending.
QImage SaveScreenshot(QWidget& w, const QString& name);
// Distinct colours in the picture: 1 for a blank one.
int ColourCount(const QImage& image);
// The grab has the widget's size (device pixels aside) and more than a plain
// background: at least `colours` distinct colours.
void ExpectDrawn(const QImage& shot, QSize size, int colours = 2, const QString& name = {});
// SaveScreenshot, then ExpectDrawn against the widget's own size.
QImage SaveDrawnScreenshot(QWidget& w, const QString& name, int colours = 2);

}  // namespace quovil::test
