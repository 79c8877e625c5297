// The geometry of the route panel, without a window system: Web Mercator
// world coordinates, the view's zoom and pan, the grid of latitudes and
// longitudes, the scale bar, the colours of speed, the tiles under the view
// and the track point nearest a click.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "viewer/layout.h"

namespace quovil {

// A position in the Web Mercator world square: x from 0 (180° W) to 1
// (180° E), y from 0 (85.05° N) to 1 (85.05° S).
struct WorldPoint {
  double x = 0, y = 0;
};
WorldPoint ToWorld(double lat, double lon);
double LatitudeOfWorldY(double y);
double LongitudeOfWorldX(double x);

// What the panel shows: the world point at its centre and its scale, in
// pixels per world unit (256 * 2^zoom for the tiles' zoom).
struct RouteView {
  double centreX = 0.5, centreY = 0.5;
  double scale = 256;
  int width = 1, height = 1;

  double PixelX(double wx) const { return (wx - centreX) * scale + width / 2.0; }
  double PixelY(double wy) const { return (wy - centreY) * scale + height / 2.0; }
  WorldPoint WorldAt(double px, double py) const {
    return {centreX + (px - width / 2.0) / scale, centreY + (py - height / 2.0) / scale};
  }
  // The tiles' zoom level this scale is nearest to.
  double Zoom() const;
};

// The closest and farthest views: a street (zoom 19) and the whole world.
inline constexpr double kRouteMinScale = 256;
inline constexpr double kRouteMaxScale = 256.0 * (1 << 19);

// The view of width x height that shows every point with a margin of pixels
// (a single point or none: a street-sized view around it, or the world).
RouteView FitView(const std::vector<WorldPoint>& points, int width, int height, int margin = 24);
// The view zoomed by factor around pixel (px, py), which keeps its place.
RouteView ZoomView(const RouteView& view, double factor, double px, double py);
// The view moved by (dx, dy) pixels, as a drag moves the map.
RouteView PanView(const RouteView& view, double dx, double dy);

// Grid lines of the view: meridians and parallels every 1, 2 or 5 times a
// power of ten degrees, as close as their labels ("55.75°") allow.
struct GridLine {
  double pixel = 0;
  std::string label;
};
struct RouteGrid {
  double step = 0;  // the finer of the two steps
  std::vector<GridLine> meridians;  // vertical, x pixels
  std::vector<GridLine> parallels;  // horizontal, y pixels
};
RouteGrid GridOf(const RouteView& view);

// The scale bar: a round length (1, 2 or 5 times a power of ten metres) of at
// most maxPixels at the view's centre, and its label ("500 м", "2 км").
struct ScaleBar {
  double metres = 0;
  int pixels = 0;
  std::string label;
};
ScaleBar ScaleBarOf(const RouteView& view, int maxPixels);

// The colour of a speed: green when standing, through yellow to red at 120
// km/h and above; grey when unknown (negative).
Rgb SpeedColour(double kmh);

// The tiles of integer zoom z that cover the view, with their top left pixel
// and size on the panel (tiles of 256 pixels drawn at the view's scale).
struct TileSpot {
  int z = 0, x = 0, y = 0;
  double left = 0, top = 0, size = 0;
};
std::vector<TileSpot> TilesOf(const RouteView& view);

// The index in points of the one nearest to pixel (px, py) within radius
// pixels, or nothing.
std::optional<size_t> NearestPoint(const RouteView& view, const std::vector<WorldPoint>& points, double px,
                                   double py, double radius);

}  // namespace quovil
