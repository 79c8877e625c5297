#include "viewer/image_box.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QPainter>

#include <algorithm>
#include <map>


#include "viewer/event_guard.h"
#include "viewer/grey_palette.h"
#include "viewer/layout.h"
#include "viewer/viewer.h"
#include "platform/translate.h"
#include <QCoreApplication>

namespace quovil {

namespace {

QColor ToQColor(const Rgb& c) { return QColor(c.r, c.g, c.b); }

// The keys of the window, for the user to find them.
constexpr const char* kKeysHint = QUOVIL_TR_NOOP("Viewer",
    "← →  предыдущая / следующая запись (колесо мыши)\n"
    "Home / End  первая / последняя запись\n"
    "PgUp / PgDn  предыдущая / следующая минута с записями камеры\n"
    "Пробел  просмотр / остановка\n"
    "Tab  поменять камеры местами\n"
    "Ctrl+1…4  вид окон\n"
    "Esc  настройка параметров");

QFont FontOfSize(int px) {
  QFont font = ImageBox::PictureFont();
  font.setPixelSize(px);
  return font;
}

// Texts are placed by the top of their cell, as the layout gives them.
void DrawPlanText(QPainter& p, const PaintText& t) {
  const QString s = QString::fromStdString(t.text);
  if (p.font().pixelSize() != t.px) p.setFont(FontOfSize(t.px));
  const QFontMetrics fm = p.fontMetrics();
  int x = t.x;
  if (t.align == TextAlign::Right) x -= fm.horizontalAdvance(s);
  if (t.align == TextAlign::CentreSpan) x += (t.span - fm.horizontalAdvance(s)) / 2;
  p.setPen(ToQColor(t.colour));
  p.drawText(QPoint(x, t.y + fm.ascent()), s);
}

void DrawPlanCamera(QPainter& p, const Viewer& v, const PaintCamera& c) {
  const QImage image = CameraImage(v.bitmaps()[size_t(c.cam)]);
  if (!image.isNull() && c.right > c.left && c.bottom > c.top)
    p.drawImage(QRect(c.left, c.top, c.right - c.left, c.bottom - c.top), image);
  if (c.outline) {
    // A 2-pixel frame just inside (left, top)-(right, bottom), right and bottom exclusive.
    p.setPen(QPen(ToQColor(c.outlineColour), 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(c.outlineLeft + 1, c.outlineTop + 1, c.outlineRight - c.outlineLeft - 2,
                      c.outlineBottom - c.outlineTop - 2));
  }
  for (const PaintText& t : c.texts) DrawPlanText(p, t);
}

}  // namespace

int ImageBox::OverlayTextWidth(const std::string& text, int px) {
  // Asked for every text at every size a paint tries: the metrics of each
  // size are made once.
  // Kept to the program's end: metrics outliving the application at exit
  // would go after the fonts they hold.
  static auto* metrics = new std::map<int, QFontMetrics>;
  auto it = metrics->find(px);
  if (it == metrics->end()) it = metrics->emplace(px, QFontMetrics(FontOfSize(px))).first;
  return it->second.horizontalAdvance(QString::fromStdString(text));
}

QFont ImageBox::PictureFont() {
  // The picture font asks for "System" at height 21, but "System" is a raster
  // font of one size whose glyphs are about 16 pixels tall: a condensed bold
  // sans of that glyph size keeps the overlays where the layout places them
  // (the layout still counts with the requested height) and lets the time
  // text and the speed beside it fit a small picture without overlapping.
  QFont font(QStringLiteral("DejaVu Sans Condensed"));
  font.setStyleHint(QFont::SansSerif);
  font.setStretch(QFont::SemiCondensed);
  font.setBold(true);
  font.setPixelSize(kPictureGlyphHeight);
  return font;
}

ImageBox::ImageBox(Viewer& viewer, QWidget* parent) : QWidget(parent), viewer_(viewer) {
  setObjectName(QStringLiteral("ImageBox"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(40, 40);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  setToolTip(QCoreApplication::translate("Viewer", kKeysHint));
  BuildMenu();
}

void ImageBox::BuildMenu() {
  PopupMenu2 = new QMenu(this);
  PopupMenu2->setToolTipsVisible(true);
  QMenu* view = PopupMenu2->addMenu(QCoreApplication::translate("Viewer", "Вид окон"));
  view->menuAction()->setToolTip(QCoreApplication::translate("Viewer", "Вид и расположение окон вывода видео"));
  view->menuAction()->setStatusTip(view->menuAction()->toolTip());
  // The keys themselves are handled by the main window; here they are only
  // shown beside the items and act while the menu is open.
  const auto item = [&](QMenu* menu, const char* text, const QKeySequence& keys) {
    QAction* a = menu->addAction(QString::fromUtf8(text));
    a->setShortcut(keys);
    a->setShortcutContext(Qt::WidgetShortcut);
    return a;
  };
  VIEW1 = item(view, Tr("Viewer", "Одно окно"), QKeySequence(Qt::CTRL | Qt::Key_1));
  VIEW2 = item(view, Tr("Viewer", "Два горизонтально"), QKeySequence(Qt::CTRL | Qt::Key_2));
  VIEW3 = item(view, Tr("Viewer", "Два вертикально"), QKeySequence(Qt::CTRL | Qt::Key_3));
  VIEW4 = item(view, Tr("Viewer", "Окно в окне"), QKeySequence(Qt::CTRL | Qt::Key_4));
  view->addSeparator();
  VIEW_SWAP = item(view, Tr("Viewer", "Поменять местами"), QKeySequence(Qt::Key_Tab));
  N1 = item(PopupMenu2, Tr("Viewer", "Настройка параметров"), QKeySequence(Qt::Key_Escape));
  N1->setCheckable(true);
  N1->setToolTip(QCoreApplication::translate("Viewer", "Отображать панель с настройками камер"));
  N1->setStatusTip(N1->toolTip());

  const std::pair<QAction*, int> tags[] = {{VIEW1, 1}, {VIEW2, 0}, {VIEW3, 3}, {VIEW4, 2}};
  for (const auto& [action, tag] : tags) {
    action->setCheckable(true);
    connect(action, &QAction::triggered, this, [this, tag = tag] {
      RunCommand([&] { viewer_.VIEW_Click(tag); });
      SyncMenuChecks();
      update();
    });
  }
  connect(VIEW_SWAP, &QAction::triggered, this, [this] {
    RunCommand([&] { viewer_.VIEW_SWAP_Click(); });
    update();
  });
  connect(N1, &QAction::triggered, this, [this] {
    N1->setChecked(viewer_.actions().N1);  // the main window owns the check
    emit N1Clicked();
  });
  SyncMenuChecks();
}

void ImageBox::SyncMenuChecks() {
  QAction* items[5] = {nullptr, VIEW1, VIEW2, VIEW3, VIEW4};
  for (int i = 1; i <= 4; ++i) items[i]->setChecked(viewer_.actions().View[size_t(i)]);
  N1->setChecked(viewer_.actions().N1);
}

void ImageBox::Refresh(unsigned flags) {
  if (flags & kRepaintActions) SyncMenuChecks();
  if (flags & (kRepaintImage | kRepaintActions | kRepaintTimers)) update();
}

void ImageBox::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().color(QPalette::Window));
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  p.setRenderHint(QPainter::TextAntialiasing);
  p.setFont(PictureFont());
  GuardEvent([&] {
    const PaintPlan plan = ImagePaintPlan(viewer_, width(), height(), &ImageBox::OverlayTextWidth);
    if (plan.noSource) {
      p.setPen(palette().color(QPalette::WindowText));
      // Longer texts (a card that cannot be opened, and what to do) break
      // where they say and wrap within the area.
      QString text = QString::fromStdString(plan.noSourceText);
      text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
      const int margin = std::min(16, width() / 20);
      p.drawText(QRect(margin, plan.textTop, width() - 2 * margin, height() - plan.textTop),
                 Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, text);
      return;
    }
    for (const PaintCamera& c : plan.cameras) DrawPlanCamera(p, viewer_, c);
    for (const PaintImage& m : plan.marks) p.drawPixmap(m.x, m.y, FragmentMarkImage(m.image == kImageFragEnd));
    if (plan.playback) DrawPlanText(p, *plan.playback);
  });
}

void ImageBox::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  viewer_.SetImageArea(width(), height());
}

void ImageBox::mousePressEvent(QMouseEvent* event) {
  const QPoint pt = event->position().toPoint();
  RunCommand([&] { viewer_.ImageBoxMouseDown(pt.x(), pt.y()); });
}

void ImageBox::mouseDoubleClickEvent(QMouseEvent*) {
  // The first press of the pair has picked the camera already; testing the
  // point again against rectangles of the layout just left could pick the
  // wrong one, so the second press only changes the layout.
  RunCommand([&] { viewer_.ImageBoxDblClick(); });
  SyncMenuChecks();
  update();
}

void ImageBox::contextMenuEvent(QContextMenuEvent* event) {
  SyncMenuChecks();
  PopupMenu2->popup(event->globalPos());
}

QPixmap FragmentMarkImage(bool end) {
  // A pole with a pennant: green pointing right for the start, red pointing
  // left for the end.
  QPixmap pm(20, 20);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  const int pole = end ? 15 : 4;
  p.setPen(QPen(Qt::black, 2));
  p.drawLine(pole, 2, pole, 19);
  const QColor fill = end ? QColor(220, 0, 0) : QColor(0, 170, 0);
  const int dir = end ? -1 : 1;
  const QPointF flag[] = {{double(pole), 2}, {pole + dir * 13.0, 6.5}, {double(pole), 11}};
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(fill);
  p.drawPolygon(flag, 3);
  return pm;
}

}  // namespace quovil
