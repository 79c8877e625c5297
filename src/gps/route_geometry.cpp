#include "gps/route_geometry.h"

#include <algorithm>
#include <cmath>

#include "card/korax.h"
#include "platform/translate.h"

namespace quovil {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kEarthCircumference = 40075016.686;  // metres at the equator
constexpr double kMaxLatitude = 85.05112878;

// 1, 2 or 5 times a power of ten, the largest not above v.
double RoundDown125(double v) {
  if (v <= 0) return 0;
  const double p = std::pow(10.0, std::floor(std::log10(v)));
  for (const double m : {5.0, 2.0, 1.0})
    if (m * p <= v) return m * p;
  return p;
}

// 1, 2 or 5 times a power of ten, the smallest not below v.
double RoundUp125(double v) {
  if (v <= 0) return 0;
  const double p = std::pow(10.0, std::floor(std::log10(v)));
  for (const double m : {1.0, 2.0, 5.0, 10.0})
    if (m * p >= v * (1 - 1e-12)) return m * p;
  return 10 * p;
}

std::string DegreeLabel(double v, double step) {
  int decimals = 0;
  while (decimals < 6 && step * std::pow(10.0, decimals) < 0.999) ++decimals;
  if (std::fabs(v) < step / 2) v = 0;
  return Format("%.*f°", decimals, v);
}

}  // namespace

WorldPoint ToWorld(double lat, double lon) {
  lat = std::clamp(lat, -kMaxLatitude, kMaxLatitude);
  const double phi = lat * kPi / 180;
  return {(lon + 180) / 360, (1 - std::log(std::tan(phi) + 1 / std::cos(phi)) / kPi) / 2};
}

double LatitudeOfWorldY(double y) { return std::atan(std::sinh(kPi * (1 - 2 * y))) * 180 / kPi; }
double LongitudeOfWorldX(double x) { return x * 360 - 180; }

double RouteView::Zoom() const { return std::log2(scale / 256); }

RouteView FitView(const std::vector<WorldPoint>& points, int width, int height, int margin) {
  RouteView v;
  v.width = std::max(1, width);
  v.height = std::max(1, height);
  if (points.empty()) {
    v.scale = std::max(kRouteMinScale, std::min(v.width, v.height) * 1.0);
    return v;
  }
  double x0 = points[0].x, x1 = x0, y0 = points[0].y, y1 = y0;
  for (const WorldPoint& p : points) {
    x0 = std::min(x0, p.x), x1 = std::max(x1, p.x);
    y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
  }
  v.centreX = (x0 + x1) / 2;
  v.centreY = (y0 + y1) / 2;
  const double w = std::max(1, v.width - 2 * margin), h = std::max(1, v.height - 2 * margin);
  const double sx = x1 > x0 ? w / (x1 - x0) : kRouteMaxScale / 8;
  const double sy = y1 > y0 ? h / (y1 - y0) : kRouteMaxScale / 8;
  v.scale = std::clamp(std::min(sx, sy), kRouteMinScale, kRouteMaxScale / 8);
  return v;
}

RouteView ZoomView(const RouteView& view, double factor, double px, double py) {
  RouteView v = view;
  const WorldPoint at = view.WorldAt(px, py);
  v.scale = std::clamp(view.scale * factor, kRouteMinScale, kRouteMaxScale);
  // The world point under the pointer stays under it.
  v.centreX = at.x - (px - v.width / 2.0) / v.scale;
  v.centreY = at.y - (py - v.height / 2.0) / v.scale;
  return v;
}

RouteView PanView(const RouteView& view, double dx, double dy) {
  RouteView v = view;
  v.centreX = std::clamp(view.centreX - dx / view.scale, 0.0, 1.0);
  v.centreY = std::clamp(view.centreY - dy / view.scale, 0.0, 1.0);
  return v;
}

RouteGrid GridOf(const RouteView& view) {
  RouteGrid g;
  const WorldPoint tl = view.WorldAt(0, 0), br = view.WorldAt(view.width, view.height);
  const double west = LongitudeOfWorldX(std::max(0.0, tl.x)), east = LongitudeOfWorldX(std::min(1.0, br.x));
  const double north = LatitudeOfWorldY(std::max(0.0, tl.y)), south = LatitudeOfWorldY(std::min(1.0, br.y));
  if (!(east > west) || !(north > south)) return g;
  // Lines far enough apart for their labels: a meridian every 90 pixels or
  // more, a parallel every 45.
  const double lonStep = std::max(1e-5, RoundUp125((east - west) / std::max(1.0, view.width / 90.0)));
  const double latStep = std::max(1e-5, RoundUp125((north - south) / std::max(1.0, view.height / 45.0)));
  g.step = std::min(lonStep, latStep);
  for (double lon = std::ceil(west / lonStep) * lonStep; lon <= east && g.meridians.size() < 64; lon += lonStep)
    g.meridians.push_back({view.PixelX(ToWorld(0, lon).x), DegreeLabel(lon, lonStep)});
  for (double lat = std::ceil(south / latStep) * latStep; lat <= north && g.parallels.size() < 64; lat += latStep)
    g.parallels.push_back({view.PixelY(ToWorld(lat, 0).y), DegreeLabel(lat, latStep)});
  return g;
}

ScaleBar ScaleBarOf(const RouteView& view, int maxPixels) {
  ScaleBar bar;
  const double lat = LatitudeOfWorldY(std::clamp(view.centreY, 0.0, 1.0));
  const double metresPerPixel = kEarthCircumference * std::cos(lat * kPi / 180) / view.scale;
  if (!(metresPerPixel > 0) || maxPixels <= 0) return bar;
  bar.metres = RoundDown125(metresPerPixel * maxPixels);
  bar.pixels = int(std::lround(bar.metres / metresPerPixel));
  bar.label = bar.metres >= 1000 ? Format(Tr("Gps", "%g км"), bar.metres / 1000) : Format(Tr("Gps", "%g м"), bar.metres);
  return bar;
}

Rgb SpeedColour(double kmh) {
  if (kmh < 0) return {150, 150, 150};
  const double t = std::clamp(kmh / 120.0, 0.0, 1.0);
  // Green (0, 170, 0) to yellow (230, 200, 0) to red (220, 0, 0).
  if (t < 0.5) {
    const double u = t / 0.5;
    return {uint8_t(230 * u), uint8_t(170 + 30 * u), 0};
  }
  const double u = (t - 0.5) / 0.5;
  return {uint8_t(230 - 10 * u), uint8_t(200 * (1 - u)), 0};
}

std::vector<TileSpot> TilesOf(const RouteView& view) {
  std::vector<TileSpot> out;
  const int z = std::clamp(int(std::lround(view.Zoom())), 0, 19);
  const double n = double(int64_t(1) << z);
  const double size = view.scale / n;  // one tile on the panel
  const WorldPoint tl = view.WorldAt(0, 0), br = view.WorldAt(view.width, view.height);
  const int64_t x0 = std::max<int64_t>(0, int64_t(std::floor(tl.x * n)));
  const int64_t x1 = std::min<int64_t>(int64_t(n) - 1, int64_t(std::floor(br.x * n)));
  const int64_t y0 = std::max<int64_t>(0, int64_t(std::floor(tl.y * n)));
  const int64_t y1 = std::min<int64_t>(int64_t(n) - 1, int64_t(std::floor(br.y * n)));
  for (int64_t y = y0; y <= y1; ++y)
    for (int64_t x = x0; x <= x1 && out.size() < 400; ++x)
      out.push_back({z, int(x), int(y), view.PixelX(double(x) / n), view.PixelY(double(y) / n), size});
  return out;
}

std::optional<size_t> NearestPoint(const RouteView& view, const std::vector<WorldPoint>& points, double px,
                                   double py, double radius) {
  std::optional<size_t> best;
  double bestD = radius * radius;
  for (size_t i = 0; i < points.size(); ++i) {
    const double dx = view.PixelX(points[i].x) - px, dy = view.PixelY(points[i].y) - py;
    const double d = dx * dx + dy * dy;
    if (d <= bestD) {
      bestD = d;
      best = i;
    }
  }
  return best;
}

}  // namespace quovil
