// The route panel's geometry: Web Mercator both ways, a fitted view showing
// every point, zoom keeping the pointer's place, grid lines far enough apart
// for their labels, a round scale bar, the tiles covering the view and the
// point picked by a click.
#include <gtest/gtest.h>

#include <cmath>

#include "gps/route_geometry.h"

namespace {

using namespace quovil;

TEST(RouteGeometry, MercatorRoundTripsAndKnownPlaces) {
  const WorldPoint origin = ToWorld(0, 0);
  EXPECT_NEAR(origin.x, 0.5, 1e-12);
  EXPECT_NEAR(origin.y, 0.5, 1e-12);
  const WorldPoint moscow = ToWorld(55.7558, 37.6173);
  EXPECT_NEAR(LatitudeOfWorldY(moscow.y), 55.7558, 1e-9);
  EXPECT_NEAR(LongitudeOfWorldX(moscow.x), 37.6173, 1e-9);
  // The tile of Moscow at zoom 10 is 619/320 in the usual numbering.
  EXPECT_EQ(int(moscow.x * 1024), 619);
  EXPECT_EQ(int(moscow.y * 1024), 320);
  // Poles are held at the square's edge, not infinity.
  EXPECT_NEAR(ToWorld(90, 0).y, 0, 1e-9);
  EXPECT_TRUE(std::isfinite(ToWorld(-90, 0).y));
}

TEST(RouteGeometry, FitShowsEveryPointAndZoomKeepsThePointersPlace) {
  const std::vector<WorldPoint> points = {ToWorld(55.70, 37.50), ToWorld(55.80, 37.70), ToWorld(55.75, 37.60)};
  const RouteView v = FitView(points, 400, 300, 20);
  for (const WorldPoint& p : points) {
    EXPECT_GE(v.PixelX(p.x), 19.9);
    EXPECT_LE(v.PixelX(p.x), 380.1);
    EXPECT_GE(v.PixelY(p.y), 19.9);
    EXPECT_LE(v.PixelY(p.y), 280.1);
  }
  const WorldPoint under = v.WorldAt(100, 50);
  const RouteView z = ZoomView(v, 2, 100, 50);
  EXPECT_NEAR(z.scale, v.scale * 2, 1e-9);
  EXPECT_NEAR(z.PixelX(under.x), 100, 1e-6);
  EXPECT_NEAR(z.PixelY(under.y), 50, 1e-6);
  // Zoom stops at a street and at the whole world.
  EXPECT_LE(ZoomView(v, 1e12, 0, 0).scale, kRouteMaxScale);
  EXPECT_GE(ZoomView(v, 1e-12, 0, 0).scale, kRouteMinScale);
  const RouteView moved = PanView(v, 30, -10);
  EXPECT_NEAR(moved.PixelX(under.x), 130, 1e-6);
  EXPECT_NEAR(moved.PixelY(under.y), 40, 1e-6);
  // One point or none: a view all the same.
  EXPECT_GT(FitView({points[0]}, 400, 300).scale, v.scale);
  EXPECT_GE(FitView({}, 400, 300).scale, kRouteMinScale);
}

TEST(RouteGeometry, GridLinesKeepTheirLabelsApartAndTheScaleBarIsRound) {
  for (const int width : {160, 400, 1200}) {
    RouteView v = FitView({ToWorld(55.70, 37.50), ToWorld(55.80, 37.70)}, width, 300);
    const RouteGrid g = GridOf(v);
    ASSERT_GE(g.meridians.size(), 1u) << width;
    ASSERT_GE(g.parallels.size(), 1u) << width;
    for (size_t k = 1; k < g.meridians.size(); ++k)
      EXPECT_GE(g.meridians[k].pixel - g.meridians[k - 1].pixel, 89.0) << width;
    for (size_t k = 1; k < g.parallels.size(); ++k)
      EXPECT_GE(std::fabs(g.parallels[k].pixel - g.parallels[k - 1].pixel), 44.0) << width;
    EXPECT_EQ(g.meridians[0].label.back(), '\xB0');  // "…°" ends in the degree sign
    const ScaleBar bar = ScaleBarOf(v, 100);
    EXPECT_GT(bar.pixels, 20);
    EXPECT_LE(bar.pixels, 100);
    const double mantissa = bar.metres / std::pow(10.0, std::floor(std::log10(bar.metres)));
    EXPECT_TRUE(std::fabs(mantissa - 1) < 1e-9 || std::fabs(mantissa - 2) < 1e-9 || std::fabs(mantissa - 5) < 1e-9)
        << bar.metres;
    EXPECT_FALSE(bar.label.empty());
  }
}

TEST(RouteGeometry, TilesCoverTheViewAndTheClickPicksTheNearestPoint) {
  const RouteView v = FitView({ToWorld(55.70, 37.50), ToWorld(55.80, 37.70)}, 300, 200);
  const std::vector<TileSpot> tiles = TilesOf(v);
  ASSERT_FALSE(tiles.empty());
  double left = 1e9, top = 1e9, right = -1e9, bottom = -1e9;
  for (const TileSpot& t : tiles) {
    EXPECT_EQ(t.z, int(std::lround(v.Zoom())));
    left = std::min(left, t.left), top = std::min(top, t.top);
    right = std::max(right, t.left + t.size), bottom = std::max(bottom, t.top + t.size);
  }
  EXPECT_LE(left, 0);
  EXPECT_LE(top, 0);
  EXPECT_GE(right, 300);
  EXPECT_GE(bottom, 200);

  const std::vector<WorldPoint> points = {ToWorld(55.70, 37.50), ToWorld(55.75, 37.60), ToWorld(55.80, 37.70)};
  const double x = v.PixelX(points[1].x) + 3, y = v.PixelY(points[1].y) - 2;
  EXPECT_EQ(NearestPoint(v, points, x, y, 10), std::optional<size_t>(1));
  EXPECT_FALSE(NearestPoint(v, points, x + 40, y + 40, 10).has_value());

  EXPECT_EQ(SpeedColour(-1), (Rgb{150, 150, 150}));
  EXPECT_GT(SpeedColour(0).g, SpeedColour(0).r);
  EXPECT_GT(SpeedColour(200).r, SpeedColour(200).g);
}

}  // namespace
