// The right-hand settings panel: the picture and sound bars of the active
// camera, the mute label and the sensor readings of the shown second.
#pragma once

#include <QLabel>
#include <QSlider>
#include <QWidget>

#include <array>

namespace quovil {

class Viewer;

class SettingsPanel : public QWidget {
  Q_OBJECT

 public:
  explicit SettingsPanel(Viewer& viewer, QWidget* parent = nullptr);

  // kRepaintBars: the bars and the mute label follow the active camera;
  // kRepaintSensors: the sensor labels.
  void Refresh(unsigned flags);

  // Vertical bars, position 0 at the top.
  QSlider* BrightnessBar = nullptr;  // 0..200
  QSlider* ContrastBar = nullptr;    // 0..200
  QSlider* VolumeBar = nullptr;      // 0..100, top loudest
  QLabel* JvLabel3 = nullptr;        // click: brightness back to the centre
  QLabel* JvLabel1 = nullptr;        // click: contrast back to the centre
  QLabel* MuteLabel = nullptr;
  // LabelUin, LabelUAKB, Label1, Label2, Label3.
  std::array<QLabel*, 5> SensorLabels{};

  // The text the bar's tool tip shows for its position.
  int BarToolTipValue(const QSlider* bar) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* BuildSettingsRollOut();
  QWidget* BuildSensorRollOut();
  QSlider* MakeBar(int maximum, const QString& hint);
  void ShowBarTip(QSlider* bar, int value);
  void SyncBars();
  void SyncSensors();
  void SyncMute();

  Viewer& viewer_;
  bool syncing_ = false;  // bars set from the state must not echo back
};

}  // namespace quovil
