#include "viewer/settings_panel.h"

#include <QEvent>
#include <QGridLayout>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

#include "platform/host.h"
#include "viewer/event_guard.h"
#include "viewer/viewer.h"
#include "platform/translate.h"
#include <QCoreApplication>

namespace quovil {

namespace {

// Images 43 (sound on) and 44 (muted) of the tool-bar list.
QPixmap SpeakerImage(bool muted) {
  QPixmap pm(24, 24);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath body;
  body.moveTo(3, 9);
  body.lineTo(8, 9);
  body.lineTo(14, 3);
  body.lineTo(14, 21);
  body.lineTo(8, 15);
  body.lineTo(3, 15);
  body.closeSubpath();
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(QColor(60, 60, 60));
  p.drawPath(body);
  if (muted) {
    p.setPen(QPen(QColor(220, 0, 0), 2.5));
    p.drawLine(16, 8, 23, 16);
    p.drawLine(23, 8, 16, 16);
  } else {
    p.setPen(QPen(QColor(0, 128, 0), 1.8));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(10, 7, 8, 10), -60 * 16, 120 * 16);
    p.drawArc(QRectF(9, 3, 13, 18), -60 * 16, 120 * 16);
  }
  return pm;
}

// A roll-out: a header button that shows and hides its content.
QWidget* RollOut(const QString& caption, QWidget* content, QWidget* parent) {
  auto* box = new QWidget(parent);
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  auto* header = new QToolButton(box);
  header->setText(caption);
  header->setCheckable(true);
  header->setChecked(true);
  header->setArrowType(Qt::DownArrow);
  header->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  header->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  QObject::connect(header, &QToolButton::toggled, content, [header, content](bool open) {
    header->setArrowType(open ? Qt::DownArrow : Qt::RightArrow);
    content->setVisible(open);
  });
  layout->addWidget(header);
  layout->addWidget(content);
  return box;
}

}  // namespace

SettingsPanel::SettingsPanel(Viewer& viewer, QWidget* parent) : QWidget(parent), viewer_(viewer) {
  setObjectName(QStringLiteral("JvPanel1"));
  setFixedWidth(180);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(RollOut(QCoreApplication::translate("Viewer", "Настройки"), BuildSettingsRollOut(), this));
  layout->addWidget(RollOut(QCoreApplication::translate("Viewer", "Датчики"), BuildSensorRollOut(), this));
  layout->addStretch(1);
  SyncBars();
  SyncSensors();
}

QSlider* SettingsPanel::MakeBar(int maximum, const QString& hint) {
  auto* bar = new QSlider(Qt::Vertical, this);
  bar->setRange(0, maximum);
  bar->setInvertedAppearance(true);  // position 0 at the top
  bar->setInvertedControls(true);    // the wheel and arrows move the way the bar looks
  bar->setTickPosition(QSlider::TicksBothSides);
  bar->setTickInterval(maximum / 10);
  bar->setPageStep(maximum / 10);
  bar->setMinimumHeight(150);
  bar->setToolTip(hint);
  bar->installEventFilter(this);
  connect(bar, &QSlider::sliderMoved, this, [this, bar](int v) { ShowBarTip(bar, v); });
  return bar;
}

QWidget* SettingsPanel::BuildSettingsRollOut() {
  auto* content = new QWidget(this);
  auto* grid = new QGridLayout(content);
  grid->setContentsMargins(2, 2, 2, 2);
  BrightnessBar = MakeBar(200, QCoreApplication::translate("Viewer", "Яркость"));
  BrightnessBar->setObjectName(QStringLiteral("BrightnessBar"));
  ContrastBar = MakeBar(200, QCoreApplication::translate("Viewer", "Контрастность"));
  ContrastBar->setObjectName(QStringLiteral("ContrastBar"));
  VolumeBar = MakeBar(100, QCoreApplication::translate("Viewer", "Громкость"));
  VolumeBar->setObjectName(QStringLiteral("VolumeBar"));
  JvLabel3 = new QLabel(QCoreApplication::translate("Viewer", "Ярк."), content);
  JvLabel1 = new QLabel(QCoreApplication::translate("Viewer", "Контр."), content);
  MuteLabel = new QLabel(content);
  MuteLabel->setObjectName(QStringLiteral("MuteLabel"));
  for (QLabel* l : {JvLabel3, JvLabel1, MuteLabel}) {
    l->setAlignment(Qt::AlignCenter);
    l->setCursor(Qt::PointingHandCursor);
    l->installEventFilter(this);
  }
  grid->addWidget(JvLabel3, 0, 0);
  grid->addWidget(JvLabel1, 0, 1);
  grid->addWidget(MuteLabel, 0, 2);
  grid->addWidget(BrightnessBar, 1, 0, Qt::AlignHCenter);
  grid->addWidget(ContrastBar, 1, 1, Qt::AlignHCenter);
  grid->addWidget(VolumeBar, 1, 2, Qt::AlignHCenter);

  connect(BrightnessBar, &QSlider::valueChanged, this, [this](int v) {
    if (!syncing_) RunCommand([&] { viewer_.BrightnessBarChange(v); });
  });
  connect(ContrastBar, &QSlider::valueChanged, this, [this](int v) {
    if (!syncing_) RunCommand([&] { viewer_.ContrastBarChange(v); });
  });
  connect(VolumeBar, &QSlider::valueChanged, this, [this](int v) {
    if (!syncing_) RunCommand([&] { viewer_.VolumeBarChange(v); });
  });
  return content;
}

QWidget* SettingsPanel::BuildSensorRollOut() {
  auto* content = new QWidget(this);
  auto* layout = new QVBoxLayout(content);
  layout->setContentsMargins(6, 2, 2, 2);
  const char* captions[5] = {QUOVIL_TR_NOOP("Viewer", "Uвх"), QUOVIL_TR_NOOP("Viewer", "Uакб"), "U_BAT", "U_IN", "ENGINE"};
  const char* names[5] = {"LabelUin", "LabelUAKB", "Label1", "Label2", "Label3"};
  for (size_t i = 0; i < 5; ++i) {
    SensorLabels[i] = new QLabel(QCoreApplication::translate("Viewer", captions[i]), content);
    SensorLabels[i]->setObjectName(QString::fromLatin1(names[i]));
    layout->addWidget(SensorLabels[i]);
  }
  return content;
}

int SettingsPanel::BarToolTipValue(const QSlider* bar) const {
  // Volume counts from the top; brightness and contrast around the centre.
  if (bar == VolumeBar) return bar->maximum() - bar->value();
  return bar->maximum() / 2 - bar->value();
}

void SettingsPanel::ShowBarTip(QSlider* bar, int value) {
  const int shown = bar == VolumeBar ? bar->maximum() - value : bar->maximum() / 2 - value;
  const QRect handle(bar->mapToGlobal(QPoint(bar->width(), 0)), QSize(1, bar->height()));
  QToolTip::showText(handle.topLeft() + QPoint(0, bar->height() * value / std::max(1, bar->maximum())),
                     QString::number(shown), bar);
}

bool SettingsPanel::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    // The position change runs the bar's change handler like any other.
    if (watched == JvLabel3) BrightnessBar->setValue(BrightnessBar->maximum() / 2);
    if (watched == JvLabel1) ContrastBar->setValue(ContrastBar->maximum() / 2);
    if (watched == MuteLabel) {
      RunCommand([&] { viewer_.MuteLabelClick(); });
      SyncMute();
    }
  }
  if (event->type() == QEvent::ToolTip) {
    auto* bar = qobject_cast<QSlider*>(watched);
    if (bar && bar->isSliderDown()) {
      ShowBarTip(bar, bar->value());
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void SettingsPanel::SyncBars() {
  const auto& s = viewer_.cameraSettings()[size_t(viewer_.selection().ActiveCamera() == 1 ? 1 : 0)];
  syncing_ = true;
  BrightnessBar->setValue(s.Brightness);
  ContrastBar->setValue(s.Contrast);
  VolumeBar->setValue(s.Volume);
  syncing_ = false;
  SyncMute();
}

void SettingsPanel::SyncMute() {
  MuteLabel->setPixmap(SpeakerImage(viewer_.play().Muted));
}

void SettingsPanel::SyncSensors() {
  const auto& labels = viewer_.info().Labels;
  const char* captions[5] = {QUOVIL_TR_NOOP("Viewer", "Uвх"), QUOVIL_TR_NOOP("Viewer", "Uакб"), "U_BAT", "U_IN", "ENGINE"};
  for (size_t i = 0; i < 5; ++i) {
    const std::string& text = labels[i];
    SensorLabels[i]->setText(text.empty() ? QCoreApplication::translate("Viewer", captions[i]) : QString::fromStdString(text));
  }
}

void SettingsPanel::Refresh(unsigned flags) {
  if (flags & kRepaintBars) SyncBars();
  if (flags & kRepaintSensors) SyncSensors();
}

}  // namespace quovil
