// The day's route and telemetry beside the pictures: the telemetry index of
// the open source built (or taken from the cache) on a worker while the
// window goes on, its progress in the status bar's free panel, and the two
// docks that show it — the route on a map and the graphs under the time
// scale's axis — following the shown record.
#pragma once

#include <QObject>
#include <QString>

#include <functional>

#include <memory>
#include <string>
#include <vector>

#include "gps/telemetry.h"

class QAction;
class QDockWidget;
class QMainWindow;
class QMenu;
class QTimer;

namespace quovil {

class RoutePanel;
class TelemetryGraphs;
class Viewer;

class RouteDocks : public QObject {
 public:
  RouteDocks(QMainWindow& window, Viewer& viewer);
  ~RouteDocks() override;

  // The map button's menu gains the docks' switches and the KML and CSV
  // exports.
  void AddToMenu(QMenu& menu);
  // After any repaint of the window: a new source starts its index, a new
  // day or fragment redraws the track, the shown record moves the markers.
  void Follow();
  // The status bar's free panel while the index is built ("" otherwise).
  std::string ProgressText() const;
  // The index shown, or null while none is ready.
  const TelemetryIndex* Index() const { return index_.get(); }
  // Writes the route of the marked fragment (or the selection) as KML, CSV
  // or GPX to path; false with the reason when it cannot.
  bool SaveTrack(const std::string& path, std::string& error, size_t* points = nullptr);
  // Ctrl+Left / Ctrl+Right: the previous or next record of the kind chosen
  // in the graphs' dock.
  bool JumpToKind(bool forward);

  QDockWidget* routeDock() const { return routeDock_; }
  QDockWidget* graphsDock() const { return graphsDock_; }
  RoutePanel* routePanel() const { return route_; }
  TelemetryGraphs* graphs() const { return graphs_; }
  // The tiles remembered in the settings, and the choice to remember.
  void UseTiles(const std::string& path);
  std::string tilesPath;

  // The folder of the index cache (tests give their own); empty: none.
  static std::string cacheDirOverride;
  // Answers the KML/CSV save dialog instead of the user (tests); empty: cancelled.
  static std::function<QString(const char* format)> saveDialogHook;

 private:
  struct Build;
  void Start();
  void Poll();
  void Rebuild();
  void ShowCurrent();
  void ChooseAndSave(const char* format);

  QMainWindow& window_;
  Viewer& viewer_;
  QDockWidget* routeDock_ = nullptr;
  QDockWidget* graphsDock_ = nullptr;
  RoutePanel* route_ = nullptr;
  TelemetryGraphs* graphs_ = nullptr;
  QTimer* poll_ = nullptr;
  std::shared_ptr<Build> build_;
  std::shared_ptr<const TelemetryIndex> index_;
  uint64_t sourceVersion_ = 0;
  const void* sourceId_ = nullptr;
  // What the track was drawn for: the day (or the fragment's marks).
  std::string trackKey_;
  // Positions in the track of each second of index_ (-1: no position).
  std::vector<int> pointOfSecond_;
  int day_ = -1;
  int restarts_ = 0;
  std::string folder_;  // where the save dialog opens next
};

}  // namespace quovil
