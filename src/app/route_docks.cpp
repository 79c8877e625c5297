#include "app/route_docks.h"

#include <QAction>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>
#include <atomic>

#include "card/korax.h"
#include "gps/route_panel.h"
#include "gps/telemetry_cache.h"
#include "gps/telemetry_export.h"
#include "gps/telemetry_graphs.h"
#include "viewer/start_folder.h"
#include "viewer/viewer.h"
#include "platform/translate.h"
#include <QCoreApplication>

namespace quovil {

std::string RouteDocks::cacheDirOverride;
std::function<QString(const char*)> RouteDocks::saveDialogHook;

// What the worker and the window share: the steps done, the end, the index.
struct RouteDocks::Build {
  std::atomic<int> step{0}, steps{0};
  std::atomic<bool> done{false};
  uint64_t version = 0;
  std::shared_ptr<const TelemetryIndex> index;
};

namespace {

class BuildProgress : public WorkProgress {
 public:
  BuildProgress(std::atomic<int>& step, std::atomic<int>& steps, std::stop_token stop)
      : step_(step), steps_(steps), stop_(std::move(stop)) {}
  void Begin(const std::string&, const std::string&, int max) override { steps_ = std::max(1, max); }
  void Step(int pos) override { step_ = pos; }
  bool Cancelled() override { return stop_.stop_requested(); }
  void End() override {}

 private:
  std::atomic<int>& step_;
  std::atomic<int>& steps_;
  std::stop_token stop_;
};

int DayOf(const TimeStamp& t) { return t.year * 10000 + t.month * 100 + t.day; }
int SecondOfDay(const TimeStamp& t) { return t.hour * 3600 + t.minute * 60 + t.second; }

}  // namespace

RouteDocks::RouteDocks(QMainWindow& window, Viewer& viewer) : QObject(&window), window_(window), viewer_(viewer) {
  route_ = new RoutePanel;
  routeDock_ = new QDockWidget(QCoreApplication::translate("MainWindow", "Маршрут"), &window);
  routeDock_->setObjectName(QStringLiteral("RouteDock"));
  routeDock_->setWidget(route_);
  window.addDockWidget(Qt::RightDockWidgetArea, routeDock_);
  routeDock_->hide();

  graphs_ = new TelemetryGraphs;
  graphsDock_ = new QDockWidget(QCoreApplication::translate("MainWindow", "Телеметрия"), &window);
  graphsDock_->setObjectName(QStringLiteral("TelemetryDock"));
  graphsDock_->setWidget(graphs_);
  window.addDockWidget(Qt::BottomDockWidgetArea, graphsDock_);
  graphsDock_->hide();

  // A moment picked on the track or the graphs shows its records.
  route_->canvas()->onPick = [this](size_t point) {
    const auto& track = route_->canvas()->Track();
    if (point >= track.size() || !index_) return;
    const TelemetrySecond* s = index_->SecondOfIndex(track[point].index);
    if (!s) return;
    for (int32_t i = s->index; i <= s->lastIndex; ++i) {
      const int32_t pos = viewer_.PosOfIndex(i);
      if (pos < 0) continue;
      viewer_.StopBtnClick();
      viewer_.ShowPositionWithCompanion(pos);
      viewer_.Repaint(kRepaintActions | kRepaintImage | kRepaintTimeline);
      return;
    }
  };
  graphs_->strips()->onJump = [this](int second) {
    viewer_.TimeScaleJump(second);
    viewer_.Repaint(kRepaintActions | kRepaintImage | kRepaintTimeline);
  };
  route_->onTilesChosen = [this](const std::string& path) { tilesPath = path; };
  for (QDockWidget* dock : {routeDock_, graphsDock_})
    connect(dock, &QDockWidget::visibilityChanged, this, [this](bool shown) {
      if (shown) {
        trackKey_.clear();
        Follow();
      }
    });

  poll_ = new QTimer(this);
  poll_->setInterval(150);
  connect(poll_, &QTimer::timeout, this, [this] { Poll(); });
}

RouteDocks::~RouteDocks() = default;

void RouteDocks::UseTiles(const std::string& path) {
  tilesPath = path;
  if (!path.empty()) route_->UseTiles(path);
}

void RouteDocks::AddToMenu(QMenu& menu) {
  menu.addSeparator();
  QAction* route = routeDock_->toggleViewAction();
  route->setText(QCoreApplication::translate("MainWindow", "Маршрут на карте"));
  route->setObjectName(QStringLiteral("ActionRouteDock"));
  menu.addAction(route);
  QAction* graphs = graphsDock_->toggleViewAction();
  graphs->setText(QCoreApplication::translate("MainWindow", "Графики телеметрии"));
  graphs->setObjectName(QStringLiteral("ActionTelemetryDock"));
  menu.addAction(graphs);
  menu.addSeparator();
  QAction* kml = menu.addAction(QCoreApplication::translate("MainWindow", "Сохранить маршрут в KML…"));
  kml->setObjectName(QStringLiteral("ActionSaveKml"));
  connect(kml, &QAction::triggered, this, [this] { ChooseAndSave("kml"); });
  QAction* csv = menu.addAction(QCoreApplication::translate("MainWindow", "Сохранить телеметрию в CSV…"));
  csv->setObjectName(QStringLiteral("ActionSaveCsv"));
  connect(csv, &QAction::triggered, this, [this] { ChooseAndSave("csv"); });
}

void RouteDocks::Start() {
  if (build_) return;
  build_.reset();
  index_.reset();
  trackKey_.clear();
  day_ = -1;
  pointOfSecond_.clear();
  route_->canvas()->SetTrack({}, true);
  graphs_->strips()->SetDay({}, {});
  const Source& src = viewer_.source();
  sourceVersion_ = src.CatalogueVersion;
  if (viewer_.selection().Count() <= 0 || src.ShortEntries()) return;
  auto build = std::make_shared<Build>();
  build->version = src.CatalogueVersion;
  build_ = build;
  const std::string dir = cacheDirOverride.empty() ? TelemetryCacheDir() : cacheDirOverride;
  const Source* source = &src;
  viewer_.StartSessionWorker([build, source, dir](std::stop_token stop) {
    BuildProgress progress(build->step, build->steps, stop);
    auto index = std::make_shared<TelemetryIndex>(LoadOrBuildTelemetry(*source, dir, progress, stop));
    if (index->Complete()) build->index = std::move(index);
    build->done = true;
  });
  poll_->start();
}

void RouteDocks::Poll() {
  if (!build_) {
    poll_->stop();
    return;
  }
  if (!build_->done) {
    viewer_.Repaint(kRepaintStatus);  // the progress in the free panel
    return;
  }
  poll_->stop();
  // An index of a catalogue no longer open is dropped; one stopped while its
  // catalogue stays open (the source's own work stops the workers) is
  // begun again.
  const bool current = build_->version == viewer_.source().CatalogueVersion;
  if (build_->index && current) index_ = build_->index;
  const bool again = !build_->index && current && ++restarts_ <= 3;
  build_.reset();
  if (again) {
    sourceVersion_ = 0;
    QTimer::singleShot(0, this, [this] { Follow(); });
    return;
  }
  trackKey_.clear();
  viewer_.Repaint(kRepaintStatus);
  Follow();
}

std::string RouteDocks::ProgressText() const {
  if (!build_ || build_->done) return {};
  const int steps = std::max(1, build_->steps.load());
  return Format(Tr("MainWindow", " Маршрут: %d%%"), std::clamp(build_->step.load() * 100 / steps, 0, 100));
}

void RouteDocks::Follow() {
  const Source& src = viewer_.source();
  if (src.CatalogueVersion != sourceVersion_ || (viewer_.selection().Count() <= 0 && (index_ || build_))) {
    if (src.CatalogueVersion != sourceVersion_ && sourceVersion_ != 0) restarts_ = 0;
    // Begun once the source's opening is over, not halfway through it.
    sourceVersion_ = src.CatalogueVersion;
    build_.reset();
    index_.reset();
    QTimer::singleShot(0, this, [this] { Start(); });
    return;
  }
  if (!index_ || (!routeDock_->isVisible() && !graphsDock_->isVisible())) return;
  Rebuild();
  ShowCurrent();
}

void RouteDocks::Rebuild() {
  const int32_t shown = viewer_.selection().Index();
  if (!viewer_.source().ValidIndex(shown)) return;
  const Source& src = viewer_.source();
  const TimeStamp now = src.TimeOf(shown);
  const auto& seconds = index_->Seconds();
  const std::string key = Format("%s|%s|%d", viewer_.fragStart().c_str(), viewer_.fragEnd().c_str(), DayOf(now));
  if (key != trackKey_) {
    trackKey_ = key;
    // The track: the marked fragment's seconds when the marks narrow the
    // selection, else the shown day's.
    int32_t a = 0, b = 0;
    const bool marked = viewer_.FragmentRange(-1, a, b) && !(a == 0 && b == viewer_.selection().Count() - 1);
    const int64_t from = marked ? SecondKey(src.TimeOf(viewer_.IndexAtPos(a))) : 0;
    const int64_t to = marked ? SecondKey(src.TimeOf(viewer_.IndexAtPos(b))) : 0;
    std::vector<const TelemetrySecond*> chosen;
    for (const TelemetrySecond& s : seconds) {
      const bool in = marked ? SecondKey(s.time) >= from && SecondKey(s.time) <= to : DayOf(s.time) == DayOf(now);
      if (in) chosen.push_back(&s);
    }
    std::stable_sort(chosen.begin(), chosen.end(), [](const TelemetrySecond* x, const TelemetrySecond* y) {
      return SecondKey(x->time) < SecondKey(y->time);
    });
    std::vector<RoutePoint> points;
    pointOfSecond_.assign(seconds.size(), -1);
    for (const TelemetrySecond* s : chosen) {
      if (!s->gps.hasPosition) continue;
      RoutePoint p;
      p.lat = s->gps.lat;
      p.lon = s->gps.lon;
      p.at = ToWorld(p.lat, p.lon);
      p.speed = s->gps.hasSpeed ? s->gps.speedKmh : -1;
      p.index = s->index;
      for (int32_t i = s->index; i <= s->lastIndex && i >= 0; ++i) p.kinds |= uint8_t(1u << int(src.TriggerOf(i)));
      p.time = Format("%.2d:%.2d:%.2d", s->time.hour, s->time.minute, s->time.second);
      pointOfSecond_[size_t(s - seconds.data())] = int(points.size());
      points.push_back(std::move(p));
    }
    route_->canvas()->SetTrack(std::move(points), true);
  }
  if (DayOf(now) != day_) {
    day_ = DayOf(now);
    std::vector<GraphSample> samples;
    std::vector<KindTick> ticks;
    for (const TelemetrySecond& s : seconds) {
      if (DayOf(s.time) != day_) continue;
      GraphSample g;
      g.second = SecondOfDay(s.time);
      if (s.gps.hasSpeed) g.speed = s.gps.speedKmh;
      if (s.hasSensor) {
        g.uin = s.InputVolts();
        g.uakb = s.BatteryVolts();
        g.engine = s.EngineOn() ? 1 : 0;
      }
      samples.push_back(g);
      uint8_t kinds = 0;
      for (int32_t i = s.index; i <= s.lastIndex && i >= 0; ++i) kinds |= uint8_t(1u << int(src.TriggerOf(i)));
      for (int k = 0; k < kRecordKindCount; ++k)
        if ((kinds >> k) & 1) ticks.push_back({g.second, RecordKind(k)});
    }
    std::sort(samples.begin(), samples.end(), [](const GraphSample& a, const GraphSample& b) { return a.second < b.second; });
    graphs_->strips()->SetDay(std::move(samples), std::move(ticks));
  }
}

void RouteDocks::ShowCurrent() {
  const int32_t shown = viewer_.selection().Index();
  graphs_->strips()->SetSpan(viewer_.timeline().Span);
  if (!viewer_.source().ValidIndex(shown)) return;
  graphs_->strips()->SetShown(SecondOfDay(viewer_.source().TimeOf(shown)));
  const TelemetrySecond* s = index_->SecondOfIndex(shown);
  int point = -1;
  if (s) {
    const size_t at = size_t(s - index_->Seconds().data());
    if (at < pointOfSecond_.size()) point = pointOfSecond_[at];
  }
  route_->canvas()->SetCurrent(point);
}

bool RouteDocks::JumpToKind(bool forward) {
  viewer_.StopBtnClick();
  return viewer_.ShowNeighbourOfKind(graphs_->JumpKind(), forward);
}

bool RouteDocks::SaveTrack(const std::string& path, std::string& error, size_t* points) {
  if (!index_) {
    error = Tr("MainWindow", "Телеметрия карты ещё собирается, повторите позже.");
    return false;
  }
  const Viewer::Fragment fragment = viewer_.MarkedFragment(-1);
  if (fragment.status != Viewer::Fragment::Status::Ok) {
    error = fragment.Message();
    return false;
  }
  const std::vector<TelemetrySecond> seconds = index_->SecondsOfRecords(fragment.indices);
  const std::string text =
      TrackText(seconds, TrackFormatOfName(path), viewer_.fragStart() + " - " + viewer_.fragEnd(), points);
  return WriteExportText(path, text, error);
}

void RouteDocks::ChooseAndSave(const char* format) {
  if (viewer_.selection().Count() <= 0) return;
  const bool kml = std::string(format) == "kml";
  const QString title = kml ? QCoreApplication::translate("MainWindow", "Сохранить маршрут в KML…") : QCoreApplication::translate("MainWindow", "Сохранить телеметрию в CSV…");
  const QString filter = kml ? QStringLiteral("KML (*.kml)") : QStringLiteral("CSV (*.csv)");
  QString path = saveDialogHook ? saveDialogHook(format)
                                : QFileDialog::getSaveFileName(&window_, title, QString::fromStdString(StartFolder(folder_)),
                                                               filter);
  if (path.isEmpty()) return;
  if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".") + QString::fromUtf8(format);
  folder_ = QFileInfo(path).absolutePath().toStdString();
  std::string error;
  size_t points = 0;
  if (!SaveTrack(path.toStdString(), error, &points)) {
    viewer_.host.ShowMessageBox(error, MsgKind::Error, MsgButtons::Ok);
    return;
  }
  window_.statusBar()->showMessage(QCoreApplication::translate("MainWindow", "Маршрут сохранен: %1 (точек: %2)").arg(path).arg(points), 8000);
}

}  // namespace quovil
