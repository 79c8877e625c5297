#include "viewer/bottom_panel.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>

#include <functional>

#include "platform/host.h"
#include "viewer/event_guard.h"
#include "viewer/use_box.h"
#include "viewer/viewer.h"
#include <QCoreApplication>

namespace quovil {

namespace {

enum class Glyph { Play, Stop, Slower, Faster, ToStart, ToEnd };

QPixmap ButtonImage(Glyph g) {
  QPixmap pm(18, 18);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(g == Glyph::Play ? QColor(0, 128, 0) : g == Glyph::Stop ? QColor(190, 0, 0) : QColor(30, 30, 30));
  const auto triangle = [&](double x, bool right, double half) {
    const double tip = right ? x + half * 1.6 : x - half * 1.6;
    const QPointF pts[] = {{x, 9 - half}, {tip, 9}, {x, 9 + half}};
    p.drawPolygon(pts, 3);
  };
  switch (g) {
    case Glyph::Play: triangle(4, true, 7); break;
    case Glyph::Stop: p.drawRect(QRectF(4, 4, 10, 10)); break;
    case Glyph::Slower: triangle(9, false, 5.5); triangle(17, false, 5.5); break;
    case Glyph::Faster: triangle(1, true, 5.5); triangle(9, true, 5.5); break;
    case Glyph::ToStart: p.drawRect(QRectF(3, 3, 2.5, 12)); triangle(15, false, 6); break;
    case Glyph::ToEnd: triangle(3, true, 6); p.drawRect(QRectF(12.5, 3, 2.5, 12)); break;
  }
  return pm;
}

}  // namespace

DatePanel::DatePanel(QWidget* parent) : QLabel(parent) {
  setObjectName(QStringLiteral("DatePanel"));
  setToolTip(QCoreApplication::translate("Viewer", "Кликни для выбора даты"));
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setAlignment(Qt::AlignCenter);
  setFocusPolicy(Qt::StrongFocus);  // the settings key gives the focus here
  setCursor(Qt::PointingHandCursor);
  QFont f = font();
  f.setBold(true);
  setFont(f);
  setFixedWidth(QFontMetrics(f).horizontalAdvance(QStringLiteral("00.00.0000")) + 20);
}

void DatePanel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
  QLabel::mouseReleaseEvent(event);
}

BottomPanel::BottomPanel(Viewer& viewer, QWidget* parent) : QWidget(parent), viewer_(viewer) {
  setObjectName(QStringLiteral("JvPanel2"));
  auto* row = new QHBoxLayout(this);
  PlayBtn = MakeButton(QCoreApplication::translate("Viewer", "Авто просмотр вперед"), ButtonImage(Glyph::Play));
  PlayBtn->setCheckable(true);
  StopBtn = MakeButton(QCoreApplication::translate("Viewer", "Остановить просмотр"), ButtonImage(Glyph::Stop));
  SpeedDown = MakeButton(QCoreApplication::translate("Viewer", "Уменьшить скорость авто просмотра"), ButtonImage(Glyph::Slower));
  SpeedUp = MakeButton(QCoreApplication::translate("Viewer", "Увеличить скорость авто просмотра"), ButtonImage(Glyph::Faster));
  useBox = new UseBox(viewer_, this);
  MoveToStartBtn = MakeButton(QCoreApplication::translate("Viewer", "Перейти к началу фрагмента"), ButtonImage(Glyph::ToStart));
  MoveToEndBtn = MakeButton(QCoreApplication::translate("Viewer", "Перейти к окончанию фрагмента"), ButtonImage(Glyph::ToEnd));
  datePanel = new DatePanel(this);
  datePanel->setFixedHeight(UseBox::kDesignHeight);

  // The time scale takes whatever width the fixed-size controls leave: the
  // date panel keeps 15 pixels from the right edge and the scale ends 10
  // pixels before it, as the window's resize rule has it.
  row->setSpacing(0);
  row->setContentsMargins(4, 2, 0, 2);
  for (QToolButton* b : {PlayBtn, StopBtn, SpeedDown, SpeedUp}) row->addWidget(b);
  row->addSpacing(8);
  row->addWidget(MoveToStartBtn);
  row->addWidget(MoveToEndBtn);
  row->addSpacing(8);
  row->addWidget(useBox, 1);
  row->addSpacing(10);
  row->addWidget(datePanel);
  row->addSpacing(15);

  // PlayBtn is a toggle that only the viewer's state releases.
  connect(PlayBtn, &QToolButton::clicked, this, [this] { Run(&Viewer::PlayBtnClick); });
  connect(StopBtn, &QToolButton::clicked, this, [this] { Run(&Viewer::StopBtnClick); });
  connect(SpeedDown, &QToolButton::clicked, this, [this] { Run(&Viewer::SpeedDownClick); });
  connect(SpeedUp, &QToolButton::clicked, this, [this] { Run(&Viewer::SpeedUpClick); });
  connect(MoveToStartBtn, &QToolButton::clicked, this, [this] { Run(&Viewer::MoveToStart); });
  connect(MoveToEndBtn, &QToolButton::clicked, this, [this] { Run(&Viewer::MoveToEnd); });
  connect(datePanel, &DatePanel::clicked, this, &BottomPanel::DatePanelClick);
  Refresh(~0u);
}

QToolButton* BottomPanel::MakeButton(const QString& hint, const QPixmap& icon) {
  auto* b = new QToolButton(this);
  b->setToolTip(hint);
  b->setIcon(QIcon(icon));
  b->setIconSize(icon.size());
  b->setAutoRaise(true);
  b->setFixedSize(UseBox::kDesignHeight, UseBox::kDesignHeight);
  b->setFocusPolicy(Qt::NoFocus);
  return b;
}

void BottomPanel::Run(void (Viewer::*handler)()) {
  RunCommand([this, handler] { std::invoke(handler, viewer_); });
  SyncPlayButton();
}

void BottomPanel::SyncPlayButton() {
  PlayBtn->setChecked(viewer_.play().PlayTimerEnabled);
}

void BottomPanel::Refresh(unsigned flags) {
  if (flags & kRepaintDate) datePanel->setText(QString::fromStdString(viewer_.disp().DatePanelText));
  if (flags & (kRepaintTimers | kRepaintActions)) SyncPlayButton();
  useBox->Refresh(flags);
}

}  // namespace quovil
