#include "charts/raster/GeoRaster.h"

#include <cmath>

#include "core/geo/Geodesy.h"

namespace tarnwick {

const char* ColourSchemeName(ColourScheme scheme) {
  switch (scheme) {
    case ColourScheme::kDay: return "DAY";
    case ColourScheme::kDusk: return "DSK";
    case ColourScheme::kNight: return "NGT";
  }
  return "DAY";
}

std::optional<ColourScheme> ParseColourScheme(std::string_view name) {
  if (name == "DAY") return ColourScheme::kDay;
  if (name == "DSK") return ColourScheme::kDusk;
  if (name == "NGT") return ColourScheme::kNight;
  return std::nullopt;
}

double SchemeBrightness(ColourScheme scheme) {
  switch (scheme) {
    case ColourScheme::kDay: return 1.0;
    case ColourScheme::kDusk: return 0.5;
    case ColourScheme::kNight: return 0.25;
  }
  return 1.0;
}

std::optional<PixelPoint> CGeoRaster::MercatorToPixel(MercatorPoint point) const {
  const auto position = MercatorInverse(point.x, point.y);
  if (!position) return std::nullopt;
  return GeoToPixel(*position);
}

std::optional<double> CGeoRaster::MercatorMetresPerPixel() const {
  const double cx = Width() / 2.0;
  const double cy = Height() / 2.0;
  const auto centre = PixelToGeo({cx, cy});
  const auto right = PixelToGeo({cx + 1, cy});
  const auto below = PixelToGeo({cx, cy + 1});
  if (!centre || !right || !below) return std::nullopt;
  const MercatorPoint c = MercatorForward(centre->lat, centre->lon);
  const MercatorPoint r = MercatorForward(right->lat, right->lon);
  const MercatorPoint b = MercatorForward(below->lat, below->lon);
  auto side = [](MercatorPoint p, MercatorPoint q) {
    double dx = std::abs(p.x - q.x);
    if (dx > kMercatorWorldWidth / 2) dx = kMercatorWorldWidth - dx;
    return std::hypot(dx, p.y - q.y);
  };
  const double area = side(c, r) * side(c, b);
  if (!(area > 0) || !std::isfinite(area)) return std::nullopt;
  return std::sqrt(area);
}

void UnwrapLongitudes(std::vector<LatLon>& ring) {
  for (size_t i = 1; i < ring.size(); ++i) {
    const double previous = ring[i - 1].lon;
    ring[i].lon = previous + std::remainder(ring[i].lon - previous, 360.0);
  }
}

std::vector<LatLon> RasterEdgeOutline(const CGeoRaster& raster, int pointsPerSide) {
  const double w = raster.Width();
  const double h = raster.Height();
  const PixelPoint corners[] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
  std::vector<LatLon> ring;
  for (int side = 0; side < 4; ++side) {
    const PixelPoint a = corners[side];
    const PixelPoint b = corners[(side + 1) % 4];
    for (int i = 0; i < pointsPerSide; ++i) {
      const double t = static_cast<double>(i) / pointsPerSide;
      const auto position = raster.PixelToGeo({a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t});
      if (!position) return {};
      ring.push_back(*position);
    }
  }
  UnwrapLongitudes(ring);
  return ring;
}

std::vector<MercatorPoint> MercatorRing(const std::vector<LatLon>& ring) {
  std::vector<MercatorPoint> out;
  out.reserve(ring.size());
  for (const LatLon& p : ring) {
    out.push_back({kChartEarthA * p.lon * kDegToRad, MercatorForward(p.lat, 0.0).y});
  }
  return out;
}

}  // namespace tarnwick
