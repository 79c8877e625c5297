// Printing the active camera's picture on one page with its time text below.
#pragma once

#include <string>

#include "decode/picture.h"

class QPrinter;
class QWidget;

namespace quovil {

class Viewer;

// Page geometry in printer pixels: the picture box (x0, 10, Pw, Ph) scaled to
// the page width and shrunk, when the page is too short, so that the picture
// and the text line below it both stay on the page.
struct PrintLayout {
  int Wp = 0, Hp = 0, T = 0;
  int Pw = 0, Ph = 0, x0 = 0;
};
PrintLayout ComputePrintLayout(int pageWidth, int pageHeight, int dpiY, int edgeTrim, int textHeight);

// Prints pic and text on printer (already set up by the caller: a printer
// chosen in the dialog, or a PDF file). False when the page could not be made.
bool PrintPicture(QPrinter& printer, const Picture8& pic, const std::string& text, int edgeTrim);

// The print command: printer dialog, then the page; errors are reported.
void ActionPrintExecute(Viewer& v, QWidget* parent);

}  // namespace quovil
