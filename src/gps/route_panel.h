// The route panel: the track of the day or of the marked fragment on a plain
// canvas in Web Mercator, with a grid of latitudes and longitudes, a scale
// bar, the track coloured by speed, the records of each kind as markers and
// the shown record's position; offline map tiles under it when chosen.
// Wheel zooms, a drag pans, a click on the track picks its moment.
#pragma once

#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gps/route_geometry.h"
#include "gps/route_tiles.h"

class QLabel;
class QToolButton;

namespace quovil {

struct RoutePoint {
  WorldPoint at;
  double lat = 0, lon = 0;
  double speed = -1;    // km/h; -1 unknown
  int32_t index = -1;   // the second's first record
  uint8_t kinds = 0;    // bit k: a record of RecordKind k in this second
  std::string time;     // "hh:mm:ss", for the pointer's label
};

class RouteCanvas : public QWidget {
 public:
  explicit RouteCanvas(QWidget* parent = nullptr);
  ~RouteCanvas() override;

  // A new track; fit: the view is made to show all of it.
  void SetTrack(std::vector<RoutePoint> points, bool fit);
  const std::vector<RoutePoint>& Track() const { return points_; }
  // The point of the shown record (-1: none), drawn as the current position;
  // a position outside the view brings it in.
  void SetCurrent(int point);
  int Current() const { return current_; }
  void Fit();
  void SetTiles(std::unique_ptr<TileSource> tiles);
  const TileSource* Tiles() const { return tiles_.get(); }
  const RouteView& View() const { return view_; }
  // A click on the track: the point picked.
  std::function<void(size_t)> onPick;
  // The text under the canvas: the moment under the pointer.
  std::function<void(const QString&)> onHover;

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void wheelEvent(QWheelEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;

 private:
  std::vector<RoutePoint> points_;
  std::vector<WorldPoint> world_;
  int current_ = -1;
  RouteView view_;
  bool fitted_ = false;
  std::unique_ptr<TileSource> tiles_;
  QPoint pressAt_, lastAt_;
  bool pressed_ = false, dragged_ = false;
};

// The dock's contents: a row of buttons ("fit", the map tiles) above the
// canvas and a line saying what the pointer is over.
class RoutePanel : public QWidget {
 public:
  explicit RoutePanel(QWidget* parent = nullptr);
  RouteCanvas* canvas() const { return canvas_; }
  QSize sizeHint() const override { return {340, 420}; }
  // The tiles chosen in the panel (a folder or an .mbtiles file, empty for
  // none), to be remembered.
  std::function<void(const std::string&)> onTilesChosen;
  // Opens the tiles of path (a folder of z/x/y.png or an .mbtiles file);
  // false, with the canvas left without tiles, when they cannot be read.
  bool UseTiles(const std::string& path);
  // Answers the tile choice instead of the user (tests); empty: cancelled.
  static std::function<std::string(bool mbtiles)> tilesDialogHook;

 private:
  void ChooseTiles(bool mbtiles);
  RouteCanvas* canvas_ = nullptr;
  QLabel* status_ = nullptr;
  QToolButton* fit_ = nullptr;
  QToolButton* tiles_ = nullptr;
};

}  // namespace quovil
