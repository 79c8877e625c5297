// The picture area: paints both camera pictures in the chosen window layout
// with their overlays, and turns mouse and menu events into viewer calls.
#pragma once

#include <string>

#include <QMenu>
#include <QWidget>

namespace quovil {

class Viewer;

class ImageBox : public QWidget {
  Q_OBJECT

 public:
  explicit ImageBox(Viewer& viewer, QWidget* parent = nullptr);

  // Re-reads what the flags (RepaintFlags) name from the viewer state.
  void Refresh(unsigned flags);

  // PopupMenu2 and its items, for the main window's key handling and tests.
  QMenu* PopupMenu2 = nullptr;
  QAction* VIEW1 = nullptr;  // "Одно окно"
  QAction* VIEW2 = nullptr;  // "Два горизонтально"
  QAction* VIEW3 = nullptr;  // "Два вертикально"
  QAction* VIEW4 = nullptr;  // "Окно в окне"
  QAction* VIEW_SWAP = nullptr;
  QAction* N1 = nullptr;     // "Настройка параметров"

  // The picture-area font: bold, 21 pixels high.
  static QFont PictureFont();
  // The drawn width of an overlay text at glyph size px (what the layout
  // fits the texts with).
  static int OverlayTextWidth(const std::string& text, int px);

 signals:
  // The settings item was chosen; the main window toggles its panel.
  void N1Clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void BuildMenu();
  void SyncMenuChecks();
  Viewer& viewer_;
};

// The fragment mark pictures of the tool-bar list: image 32 (start), 33 (end).
QPixmap FragmentMarkImage(bool end);

}  // namespace quovil
