#include "gps/route_panel.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <cmath>

#include "card/catalogue.h"
#include "gps/route_colours.h"
#include <QCoreApplication>

namespace quovil {

std::function<std::string(bool)> RoutePanel::tilesDialogHook;

namespace {

QColor ToQColor(const Rgb& c) { return QColor(c.r, c.g, c.b); }

// A click is a press and release this close together; farther is a drag.
constexpr int kClickSlop = 4;
constexpr double kPickRadius = 12;

}  // namespace

RouteCanvas::RouteCanvas(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("routeCanvas"));
  setMinimumSize(240, 180);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

RouteCanvas::~RouteCanvas() = default;

void RouteCanvas::SetTrack(std::vector<RoutePoint> points, bool fit) {
  points_ = std::move(points);
  world_.clear();
  world_.reserve(points_.size());
  for (const RoutePoint& p : points_) world_.push_back(p.at);
  current_ = -1;
  if (fit || !fitted_) Fit();
  update();
}

void RouteCanvas::Fit() {
  view_ = FitView(world_, width(), height());
  fitted_ = true;
  update();
}

void RouteCanvas::SetCurrent(int point) {
  if (point >= int(points_.size())) point = -1;
  if (point == current_) return;
  current_ = point;
  if (point >= 0) {
    // Playback leads the view: a position leaving it is brought back in.
    const double x = view_.PixelX(world_[size_t(point)].x), y = view_.PixelY(world_[size_t(point)].y);
    if (x < 8 || y < 8 || x > width() - 8 || y > height() - 8) {
      view_.centreX = world_[size_t(point)].x;
      view_.centreY = world_[size_t(point)].y;
    }
  }
  update();
}

void RouteCanvas::SetTiles(std::unique_ptr<TileSource> tiles) {
  tiles_ = std::move(tiles);
  update();
}

void RouteCanvas::resizeEvent(QResizeEvent*) {
  view_.width = std::max(1, width());
  view_.height = std::max(1, height());
  if (!fitted_) Fit();
}

void RouteCanvas::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(246, 244, 238));
  p.setRenderHint(QPainter::Antialiasing, true);
  if (tiles_) {
    for (const TileSpot& t : TilesOf(view_)) {
      const QImage image = tiles_->Tile(t.z, t.x, t.y);
      if (!image.isNull()) p.drawImage(QRectF(t.left, t.top, t.size, t.size), image);
    }
  }
  // The grid of latitudes and longitudes, labelled at the edges.
  const RouteGrid grid = GridOf(view_);
  QFont small = font();
  small.setPointSizeF(std::max(6.0, small.pointSizeF() * 0.8));
  p.setFont(small);
  p.setPen(QPen(QColor(190, 190, 200), 1, Qt::DotLine));
  for (const GridLine& g : grid.meridians) p.drawLine(QPointF(g.pixel, 0), QPointF(g.pixel, height()));
  for (const GridLine& g : grid.parallels) p.drawLine(QPointF(0, g.pixel), QPointF(width(), g.pixel));
  p.setPen(QColor(110, 110, 130));
  for (const GridLine& g : grid.meridians) p.drawText(QPointF(g.pixel + 2, height() - 4), QString::fromStdString(g.label));
  // A latitude's label keeps clear of the longitudes' along the bottom.
  for (const GridLine& g : grid.parallels)
    if (g.pixel < height() - 18) p.drawText(QPointF(2, g.pixel - 2), QString::fromStdString(g.label));

  if (points_.empty()) {
    p.setPen(QColor(90, 90, 90));
    p.setFont(font());
    p.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, QCoreApplication::translate("Gps", "Нет координат за этот день"));
    return;
  }
  // The track: a segment per second, coloured by its speed; a gap of more
  // than a minute between two points breaks it.
  const auto at = [&](size_t i) { return QPointF(view_.PixelX(world_[i].x), view_.PixelY(world_[i].y)); };
  for (size_t i = 1; i < points_.size(); ++i) {
    if (points_[i].index < 0 || points_[i - 1].index < 0) continue;
    p.setPen(QPen(ToQColor(SpeedColour(points_[i].speed)), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(at(i - 1), at(i));
  }
  // The records of each kind: a small dot of the kind's colour, the rarer
  // kinds drawn last.
  for (int k = 0; k < kRecordKindCount; ++k) {
    // Timer records fill whole days; a failed record is no event.
    if (RecordKind(k) == RecordKind::Timer || RecordKind(k) == RecordKind::Error) continue;
    p.setPen(QPen(Qt::white, 1));
    p.setBrush(ToQColor(KindColour(RecordKind(k))));
    for (size_t i = 0; i < points_.size(); ++i)
      if (points_[i].kinds & (1u << k)) p.drawEllipse(at(i), 3.5, 3.5);
  }
  // The shown record's position.
  if (current_ >= 0) {
    const QPointF c = at(size_t(current_));
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(QColor(255, 255, 0));
    p.drawEllipse(c, 7, 7);
    p.setBrush(Qt::black);
    p.drawEllipse(c, 2, 2);
  }
  // The scale bar, bottom right.
  const ScaleBar bar = ScaleBarOf(view_, std::max(40, width() / 4));
  if (bar.pixels > 0) {
    const int x1 = width() - 12, x0 = x1 - bar.pixels, y = height() - 18;
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(x0, y, x1, y);
    p.drawLine(x0, y - 4, x0, y + 2);
    p.drawLine(x1, y - 4, x1, y + 2);
    p.setFont(small);
    p.drawText(QRect(x0 - 40, y - 16, bar.pixels + 80, 12), Qt::AlignCenter, QString::fromStdString(bar.label));
  }
}

void RouteCanvas::wheelEvent(QWheelEvent* e) {
  const double steps = e->angleDelta().y() / 120.0;
  if (steps == 0) return;
  view_ = ZoomView(view_, std::pow(1.5, steps), e->position().x(), e->position().y());
  update();
  e->accept();
}

void RouteCanvas::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  pressed_ = true;
  dragged_ = false;
  pressAt_ = lastAt_ = e->position().toPoint();
}

void RouteCanvas::mouseMoveEvent(QMouseEvent* e) {
  const QPoint now = e->position().toPoint();
  if (pressed_) {
    if ((now - pressAt_).manhattanLength() > kClickSlop) dragged_ = true;
    if (dragged_) {
      view_ = PanView(view_, now.x() - lastAt_.x(), now.y() - lastAt_.y());
      update();
    }
    lastAt_ = now;
    return;
  }
  if (!onHover) return;
  const std::optional<size_t> near = NearestPoint(view_, world_, now.x(), now.y(), kPickRadius);
  if (!near) {
    onHover({});
    return;
  }
  const RoutePoint& r = points_[*near];
  QString text = QString::fromStdString(r.time) + QStringLiteral("   %1, %2").arg(r.lat, 0, 'f', 5).arg(r.lon, 0, 'f', 5);
  if (r.speed >= 0) text += QCoreApplication::translate("Gps", "   %1 км/ч").arg(r.speed, 0, 'f', 1);
  onHover(text);
}

void RouteCanvas::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || !pressed_) return;
  pressed_ = false;
  if (dragged_) return;
  const QPoint at = e->position().toPoint();
  if (const std::optional<size_t> near = NearestPoint(view_, world_, at.x(), at.y(), kPickRadius); near && onPick)
    onPick(*near);
}

RoutePanel::RoutePanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("routePanel"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(2);
  auto* row = new QHBoxLayout;
  fit_ = new QToolButton(this);
  fit_->setObjectName(QStringLiteral("routeFit"));
  fit_->setText(QCoreApplication::translate("Gps", "Весь маршрут"));
  tiles_ = new QToolButton(this);
  tiles_->setObjectName(QStringLiteral("routeTiles"));
  tiles_->setText(QCoreApplication::translate("Gps", "Карта"));
  tiles_->setPopupMode(QToolButton::InstantPopup);
  auto* menu = new QMenu(tiles_);
  connect(menu->addAction(QCoreApplication::translate("Gps", "Папка с плитками…")), &QAction::triggered, this,
          [this] { ChooseTiles(false); });
  connect(menu->addAction(QCoreApplication::translate("Gps", "Файл MBTiles…")), &QAction::triggered, this,
          [this] { ChooseTiles(true); });
  connect(menu->addAction(QCoreApplication::translate("Gps", "Без карты")), &QAction::triggered, this, [this] {
    canvas_->SetTiles(nullptr);
    if (onTilesChosen) onTilesChosen({});
  });
  tiles_->setMenu(menu);
  row->addWidget(fit_);
  row->addWidget(tiles_);
  row->addStretch();
  layout->addLayout(row);
  canvas_ = new RouteCanvas(this);
  layout->addWidget(canvas_, 1);
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("routeStatus"));
  status_->setMinimumHeight(status_->fontMetrics().height());
  layout->addWidget(status_);
  connect(fit_, &QToolButton::clicked, canvas_, [this] { canvas_->Fit(); });
  canvas_->onHover = [this](const QString& text) { status_->setText(text); };
}

bool RoutePanel::UseTiles(const std::string& path) {
  std::unique_ptr<TileSource> tiles = path.empty() ? nullptr : OpenTiles(path);
  const bool ok = tiles != nullptr;
  canvas_->SetTiles(std::move(tiles));
  return ok;
}

void RoutePanel::ChooseTiles(bool mbtiles) {
  std::string path;
  if (tilesDialogHook) {
    path = tilesDialogHook(mbtiles);
  } else if (mbtiles) {
    path = QFileDialog::getOpenFileName(this, QCoreApplication::translate("Gps", "Файл MBTiles"), {},
                                        QCoreApplication::translate("Gps", "Карты MBTiles (*.mbtiles)"))
               .toStdString();
  } else {
    path = QFileDialog::getExistingDirectory(this, QCoreApplication::translate("Gps", "Папка с плитками z/x/y.png")).toStdString();
  }
  if (path.empty()) return;
  if (!UseTiles(path)) {
    status_->setText(QCoreApplication::translate("Gps", "Не удалось прочитать карту: %1").arg(QString::fromStdString(path)));
    return;
  }
  status_->setText(QCoreApplication::translate("Gps", "Карта: %1").arg(QString::fromStdString(path)));
  if (onTilesChosen) onTilesChosen(path);
}

}  // namespace quovil
