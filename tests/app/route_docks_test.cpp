// The route and telemetry docks in the window: the index built beside the
// window and shown on the map with the shown record's position, a click on
// the track showing both cameras' records of that moment, the graphs' click
// and the kind keys moving through the records, and the track saved as KML
// and CSV from the map button's menu.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QToolBar>

#include <cmath>
#include <fstream>
#include <memory>

#include "app/route_docks.h"
#include "app/view_main.h"
#include "gps/route_panel.h"
#include "gps/telemetry_graphs.h"
#include "mkcard/mkcard.h"
#include "support/files.h"
#include "support/shell.h"
#include "support/qt/screenshots.h"
#include "support/qt/test_app.h"
#include "support/qt/window_dialogs.h"

namespace {

using namespace quovil;

class RouteDocksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureTestApp();
    ASSERT_TRUE(dir_.isValid());
    RouteDocks::cacheDirOverride = Path("cache");
  }
  void TearDown() override {
    qunsetenv("QUOVIL_DRIVES");
    RouteDocks::cacheDirOverride.clear();
    RouteDocks::saveDialogHook = nullptr;
  }
  std::string Path(const char* name) const { return QDir(dir_.path()).filePath(name).toStdString(); }

  // The window on a two-camera card that drives about, the docks shown and
  // the index ready.
  std::unique_ptr<TMainForm> StartWithRoute() {
    mkcard::Options o;
    o.format = 2;
    o.seed = 5;
    o.records = 400;
    o.width = 160;
    o.height = 120;
    truth_ = mkcard::WriteCard(o, Path("card.img"));
    qputenv("QUOVIL_DRIVES", QByteArray::fromStdString(Path("card.img")));
    auto form = std::make_unique<TMainForm>(QStringList{}, Path("quovil.INI"));
    form->resize(1000, 700);
    form->StartShown(true);
    form->CheckTimerTimer();
    EXPECT_TRUE(form->viewer.source().CardOpen);
    RouteDocks* docks = form->routeDocks();
    EXPECT_NE(docks, nullptr);
    docks->routeDock()->show();
    docks->graphsDock()->show();
    for (int k = 0; k < 200 && !docks->Index(); ++k) QTest::qWait(25);
    EXPECT_NE(docks->Index(), nullptr) << "the index was not built";
    form->Repaint(kRepaintImage);
    QApplication::processEvents();
    return form;
  }

  QTemporaryDir dir_;
  mkcard::Recorded truth_;
  test::WindowDialogs dialogs_;
};

TEST_F(RouteDocksTest, MapShowsTheTrackAndTheShownRecordAndAClickShowsBothCameras) {
  auto form = StartWithRoute();
  RouteDocks* docks = form->routeDocks();
  ASSERT_NE(docks->Index(), nullptr);
  RouteCanvas* canvas = docks->routePanel()->canvas();
  const auto& track = canvas->Track();
  int withPosition = 0;
  for (const mkcard::Frame& f : truth_.frames) withPosition += f.gpsPosition;
  ASSERT_GT(withPosition, 0);
  ASSERT_GT(track.size(), 10u);

  // The marker stands where the shown record's second was.
  const int32_t shown = form->viewer.selection().Index();
  ASSERT_GE(canvas->Current(), 0);
  const RoutePoint& here = track[size_t(canvas->Current())];
  const TelemetrySecond* second = docks->Index()->SecondOfIndex(shown);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(here.index, second->index);
  const mkcard::Frame& truth = truth_.frames[size_t(second->index)];
  if (truth.gpsPosition) {
    EXPECT_NEAR(here.lat, truth.lat, 1e-6);
    EXPECT_NEAR(here.lon, truth.lon, 1e-6);
  }
  test::SaveScreenshot(*form, QStringLiteral("route_window.png"));
  const QImage shot = test::SaveScreenshot(*docks->routeDock(), QStringLiteral("route_dock.png"));
  const QPoint marker = canvas->mapTo(docks->routeDock(),
                                      QPoint(int(canvas->View().PixelX(here.at.x)), int(canvas->View().PixelY(here.at.y))));
  int yellow = 0;
  for (int dy = -6; dy <= 6; ++dy)
    for (int dx = -6; dx <= 6; ++dx) {
      const QColor c = shot.pixelColor(marker + QPoint(dx, dy));
      yellow += c.red() > 220 && c.green() > 220 && c.blue() < 60;
    }
  EXPECT_GT(yellow, 20) << "no marker at the shown record";
  int coloured = 0;
  for (int y = 0; y < shot.height(); y += 2)
    for (int x = 0; x < shot.width(); x += 2) {
      const QColor c = shot.pixelColor(x, y);
      coloured += c.saturation() > 150 && !(c.red() > 220 && c.green() > 220);
    }
  EXPECT_GT(coloured, 30) << "no track coloured by speed";

  // A click on a point far from the shown one: that moment on both cameras.
  const size_t target = (size_t(canvas->Current()) + track.size() / 2) % track.size();
  const QPoint at(int(canvas->View().PixelX(track[target].at.x)), int(canvas->View().PixelY(track[target].at.y)));
  QTest::mouseClick(canvas, Qt::LeftButton, {}, at);
  const TimeStamp picked = form->viewer.source().TimeOf(form->viewer.selection().Index());
  const TelemetrySecond* s = docks->Index()->SecondOfIndex(track[target].index);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(SecondKey(picked), SecondKey(s->time));
  EXPECT_GE(form->viewer.disp().ShownIndex[0], 0);
  EXPECT_GE(form->viewer.disp().ShownIndex[1], 0);
  EXPECT_EQ(track[size_t(canvas->Current())].index, s->index) << "the marker follows";

  // Wheel and fit.
  const double scale = canvas->View().scale;
  QWheelEvent wheel(QPointF(at), canvas->mapToGlobal(QPointF(at)), {}, QPoint(0, 120), Qt::NoButton, {},
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(canvas, &wheel);
  EXPECT_GT(canvas->View().scale, scale);
  docks->routePanel()->findChild<QToolButton*>(QStringLiteral("routeFit"))->click();
  EXPECT_NEAR(canvas->View().scale, scale, scale * 1e-6);
}

// Tiles under the track, from a folder and from an MBTiles file, of one
// colour each: the map shows that colour where they lie.
TEST_F(RouteDocksTest, OfflineTilesLieUnderTheTrack) {
  auto form = StartWithRoute();
  RouteDocks* docks = form->routeDocks();
  RouteCanvas* canvas = docks->routePanel()->canvas();
  const std::vector<TileSpot> spots = TilesOf(canvas->View());
  ASSERT_FALSE(spots.empty());
  const auto countOf = [&](const QColor& colour) {
    const QImage shot = canvas->grab().toImage();
    int n = 0;
    for (int y = 0; y < shot.height(); y += 3)
      for (int x = 0; x < shot.width(); x += 3) n += shot.pixelColor(x, y) == colour;
    return n;
  };
  QImage tile(256, 256, QImage::Format_RGB32);
  tile.fill(QColor(255, 0, 255));
  for (const TileSpot& t : spots) {
    QDir().mkpath(QString::fromStdString(Path("tiles")) + QStringLiteral("/%1/%2").arg(t.z).arg(t.x));
    ASSERT_TRUE(tile.save(QString::fromStdString(Path("tiles")) + QStringLiteral("/%1/%2/%3.png").arg(t.z).arg(t.x).arg(t.y)));
  }
  EXPECT_EQ(countOf(QColor(255, 0, 255)), 0);
  ASSERT_TRUE(docks->routePanel()->UseTiles(Path("tiles")));
  EXPECT_GT(countOf(QColor(255, 0, 255)), 200);

  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("make-tiles"));
    db.setDatabaseName(QString::fromStdString(Path("map.mbtiles")));
    ASSERT_TRUE(db.open());
    QSqlQuery q(db);
    ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE tiles (zoom_level INTEGER, tile_column INTEGER, tile_row INTEGER, tile_data BLOB)")));
    QImage green = tile;
    green.fill(QColor(0, 255, 0));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    green.save(&buffer, "PNG");
    for (const TileSpot& t : spots) {
      q.prepare(QStringLiteral("INSERT INTO tiles VALUES (?, ?, ?, ?)"));
      q.addBindValue(t.z);
      q.addBindValue(t.x);
      q.addBindValue((1 << t.z) - 1 - t.y);  // rows from the south
      q.addBindValue(png);
      ASSERT_TRUE(q.exec());
    }
    db.close();
  }
  QSqlDatabase::removeDatabase(QStringLiteral("make-tiles"));
  const auto before = test::ReadBytes(Path("map.mbtiles"));
  ASSERT_TRUE(docks->routePanel()->UseTiles(Path("map.mbtiles")));
  EXPECT_GT(countOf(QColor(0, 255, 0)), 200);
  EXPECT_EQ(countOf(QColor(255, 0, 255)), 0);
  test::SaveScreenshot(*docks->routeDock(), QStringLiteral("route_dock_tiles.png"));
  // A file that is no map leaves the canvas without tiles.
  EXPECT_FALSE(docks->routePanel()->UseTiles(Path("card.img")));
  EXPECT_EQ(countOf(QColor(0, 255, 0)), 0);
  docks->routePanel()->UseTiles({});
  EXPECT_EQ(test::ReadBytes(Path("map.mbtiles")), before);
}

TEST_F(RouteDocksTest, GraphsJumpAndKindKeysStepThroughTheRecords) {
  auto form = StartWithRoute();
  RouteDocks* docks = form->routeDocks();
  ASSERT_NE(docks->Index(), nullptr);
  GraphStrips* strips = docks->graphs()->strips();
  test::SaveScreenshot(*docks->graphsDock(), QStringLiteral("telemetry_dock.png"));
  const Source& src = form->viewer.source();
  // The strips follow the time scale's zoom.
  form->viewer.UseBoxZoomAtMark(8);
  form->Repaint(kRepaintTimeline);
  EXPECT_EQ(strips->Span(), form->viewer.timeline().Span);
  EXPECT_LT(strips->Span().length, kDaySeconds);
  const int camera = form->viewer.selection().ActiveCamera();
  int32_t last = -1;
  for (int32_t p = 0; p < form->viewer.selection().Count(); ++p)
    if (src.CameraOf(form->viewer.IndexAtPos(p)) == camera) last = form->viewer.IndexAtPos(p);
  ASSERT_GE(last, 0);
  const TimeStamp end = src.TimeOf(last);
  const int second = end.hour * 3600 + end.minute * 60 + end.second;
  // A click on the strips at the active camera's last minute goes there, as
  // the time scale's click does.
  const int x = XOfSecond(strips->Span(), strips->width(), second);
  ASSERT_GT(x, 0);
  ASSERT_LT(x, strips->width());
  QTest::mouseClick(strips, Qt::LeftButton, {}, QPoint(x, strips->height() / 2));
  const TimeStamp now = src.TimeOf(form->viewer.selection().Index());
  EXPECT_EQ(MinuteKey(now), MinuteKey(end));
  EXPECT_FALSE(strips->ValuesAt(second).isEmpty());

  // Ctrl+Left: back to the previous record of the kind chosen.
  auto* kind = docks->graphs()->findChild<QComboBox*>(QStringLiteral("jumpKind"));
  kind->setCurrentIndex(int(RecordKind::Motion));
  const int32_t before = form->viewer.selection().Pos();
  QTest::keyClick(form.get(), Qt::Key_Left, Qt::ControlModifier);
  const int32_t after = form->viewer.selection().Pos();
  ASSERT_LT(after, before);
  EXPECT_EQ(src.TriggerOf(form->viewer.IndexAtPos(after)), RecordKind::Motion);
  for (int32_t p = after + 1; p < before; ++p) EXPECT_NE(src.TriggerOf(form->viewer.IndexAtPos(p)), RecordKind::Motion);
  QTest::keyClick(form.get(), Qt::Key_Right, Qt::ControlModifier);
  EXPECT_GT(form->viewer.selection().Pos(), after);
  EXPECT_EQ(src.TriggerOf(form->viewer.selection().Index()), RecordKind::Motion);
}

TEST_F(RouteDocksTest, MapMenuSavesTheTrackAsKmlAndCsv) {
  auto form = StartWithRoute();
  form->viewer.ActionSelectAllExecute();
  std::string asked;
  RouteDocks::saveDialogHook = [&](const char* format) {
    asked = format;
    return QString::fromStdString(Path(std::string(format) == std::string("kml") ? "day" : "day.csv"));
  };
  QAction* kml = form->findChild<QAction*>(QStringLiteral("ActionSaveKml"));
  QAction* csv = form->findChild<QAction*>(QStringLiteral("ActionSaveCsv"));
  ASSERT_NE(kml, nullptr);
  ASSERT_NE(csv, nullptr);
  kml->trigger();
  EXPECT_EQ(asked, "kml");
  ASSERT_TRUE(test::Exists(Path("day.kml"))) << "the extension is added";
  const std::string points = test::Shell("gpsbabel -i kml -f '" + Path("day.kml") + "' -o csv -F - | wc -l");
  EXPECT_GT(std::stoi(points), 10);
  csv->trigger();
  std::ifstream in(Path("day.csv"));
  std::string header;
  std::getline(in, header);
  if (!header.empty() && header.back() == '\r') header.pop_back();  // RFC 4180 lines
  EXPECT_EQ(header, "time,lat,lon,speed_kmh,course,uin_v,uakb_v,engine");
  EXPECT_TRUE(form->statusBar()->currentMessage().contains(QStringLiteral("day.csv")));
  EXPECT_TRUE(dialogs_.messages.empty());
}

}  // namespace
