// The bottom panel: playback buttons, the time scale, the fragment jump
// buttons and the date panel.
#pragma once

#include <QLabel>
#include <QToolButton>
#include <QWidget>

namespace quovil {

class Viewer;
class UseBox;

// The date panel: a sunken panel showing the shown record's date; a click
// asks for the date dialog.
class DatePanel : public QLabel {
  Q_OBJECT

 public:
  explicit DatePanel(QWidget* parent = nullptr);

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

class BottomPanel : public QWidget {
  Q_OBJECT

 public:
  explicit BottomPanel(Viewer& viewer, QWidget* parent = nullptr);

  // Date text, play button state and the time scale from the viewer state.
  void Refresh(unsigned flags);

  QToolButton* PlayBtn = nullptr;
  QToolButton* StopBtn = nullptr;
  QToolButton* SpeedDown = nullptr;
  QToolButton* SpeedUp = nullptr;
  UseBox* useBox = nullptr;
  QToolButton* MoveToStartBtn = nullptr;
  QToolButton* MoveToEndBtn = nullptr;
  DatePanel* datePanel = nullptr;

 signals:
  // The date panel was clicked; the main window runs the date choice.
  void DatePanelClick();

 private:
  QToolButton* MakeButton(const QString& hint, const QPixmap& icon);
  void Run(void (Viewer::*handler)());
  void SyncPlayButton();

  Viewer& viewer_;
};

}  // namespace quovil
