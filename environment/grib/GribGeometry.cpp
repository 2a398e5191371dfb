#include "environment/grib/GribGeometry.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <utility>

namespace tarnwick {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegree = kPi / 180;
// The Earth of GRIB1 grids without the oblate flag: a sphere of this radius.
constexpr double kGrib1EarthRadius = 6367470.0;
// GRIB1 polar stereographic grid lengths are true at 60° of the projection's hemisphere.
constexpr double kTrueLatitude = 60.0;
constexpr double kEpsilon = 1e-9;

double Normalise360(double degrees) {
  double d = std::fmod(degrees, 360.0);
  if (d < 0) d += 360.0;
  return d;
}

// Rotated latitude/longitude to geographic, both in degrees. The rotated
// system's southern pole lies at (poleLat, poleLon): the sphere is turned
// about the y axis by -(90 + poleLat), then about the z axis by poleLon.
void Unrotate(double rlat, double rlon, double poleLat, double poleLon, double& lat, double& lon) {
  const double beta = (90.0 + poleLat) * kDegree;
  const double x = std::cos(rlat * kDegree) * std::cos(rlon * kDegree);
  const double y = std::cos(rlat * kDegree) * std::sin(rlon * kDegree);
  const double z = std::sin(rlat * kDegree);
  const double x1 = x * std::cos(beta) - z * std::sin(beta);
  const double z1 = x * std::sin(beta) + z * std::cos(beta);
  const double g = poleLon * kDegree;
  const double x2 = x1 * std::cos(g) - y * std::sin(g);
  const double y2 = x1 * std::sin(g) + y * std::cos(g);
  lat = std::asin(std::clamp(z1, -1.0, 1.0)) / kDegree;
  lon = std::atan2(y2, x2) / kDegree;
}

// The inverse of Unrotate.
void Rotate(double lat, double lon, double poleLat, double poleLon, double& rlat, double& rlon) {
  const double g = -poleLon * kDegree;
  const double x = std::cos(lat * kDegree) * std::cos(lon * kDegree);
  const double y = std::cos(lat * kDegree) * std::sin(lon * kDegree);
  const double z = std::sin(lat * kDegree);
  const double x1 = x * std::cos(g) - y * std::sin(g);
  const double y1 = x * std::sin(g) + y * std::cos(g);
  const double beta = (90.0 + poleLat) * kDegree;
  const double x2 = x1 * std::cos(beta) + z * std::sin(beta);
  const double z2 = -x1 * std::sin(beta) + z * std::cos(beta);
  rlat = std::asin(std::clamp(z2, -1.0, 1.0)) / kDegree;
  rlon = std::atan2(y1, x2) / kDegree;
}

}  // namespace

namespace {

std::vector<double> ComputeGaussianLatitudes(int n) {
  std::vector<double> lats(static_cast<size_t>(2 * n));
  const int order = 2 * n;
  for (int i = 0; i < n; ++i) {
    // Newton's method on the Legendre polynomial of degree 2N from a good first guess.
    double x = std::cos(kPi * (i + 0.75) / (order + 0.5));
    for (int iteration = 0; iteration < 100; ++iteration) {
      double p0 = 1, p1 = x;
      for (int k = 2; k <= order; ++k) {
        const double pk = ((2.0 * k - 1) * x * p1 - (k - 1.0) * p0) / k;
        p0 = p1;
        p1 = pk;
      }
      const double derivative = order * (x * p1 - p0) / (x * x - 1);
      const double step = p1 / derivative;
      x -= step;
      if (std::fabs(step) < 1e-15) break;
    }
    const double lat = std::asin(x) / kDegree;
    lats[static_cast<size_t>(i)] = lat;
    lats[static_cast<size_t>(order - 1 - i)] = -lat;
  }
  return lats;
}

}  // namespace

std::vector<double> GaussianLatitudes(int n) {
  // The records of a file share their grid: the last few tables are kept.
  static std::mutex mutex;
  static std::vector<std::pair<int, std::vector<double>>> recent;
  {
    std::lock_guard lock(mutex);
    for (const auto& [parallels, lats] : recent)
      if (parallels == n) return lats;
  }
  std::vector<double> lats = ComputeGaussianLatitudes(n);
  std::lock_guard lock(mutex);
  if (recent.size() >= 4) recent.erase(recent.begin());
  recent.emplace_back(n, lats);
  return lats;
}

std::optional<CGribGeometry> CGribGeometry::Make(const GribGrid& grid, std::string& why) {
  if (!grid.Placeable()) {
    why = grid.representation < 0 ? "no grid description: the points cannot be placed"
                                   : "grid type " + std::to_string(grid.representation) + " is not read";
    return std::nullopt;
  }
  CGribGeometry g(grid);
  const double iSign = (grid.scanMode & kScanINegative) ? -1 : 1;
  const double jSign = (grid.scanMode & kScanJPositive) ? 1 : -1;
  if (grid.representation == kGridPolarStereographic) {
    if (grid.resolutionFlags & kResolutionOblateEarth) {
      why = "polar stereographic grids on the oblate Earth are not read";
      return std::nullopt;
    }
    g.psSign_ = (grid.projectionCentre & 0x80) ? -1 : 1;
    g.psScale_ = kGrib1EarthRadius * (1 + std::sin(kTrueLatitude * kDegree));
    const double rho = g.psScale_ * std::tan((45.0 - g.psSign_ * grid.la1 / 2) * kDegree);
    const double dl = (grid.lo1 - grid.orientation) * kDegree;
    g.psX1_ = rho * std::sin(dl);
    g.psY1_ = -g.psSign_ * rho * std::cos(dl);
    g.dLon_ = iSign * grid.dxMetres;
    g.dLat_ = jSign * grid.dyMetres;
    return g;
  }

  if (grid.ni > 1) {
    double span = Normalise360(iSign * (grid.lo2 - grid.lo1));
    if (span < kEpsilon) span = 360.0;
    g.dLon_ = iSign * span / (grid.ni - 1);
  } else {
    g.dLon_ = iSign * grid.di;
  }
  const double step = std::fabs(g.dLon_);
  g.wraps_ = grid.representation != kGridRotatedLatLon && step > 0 &&
             std::fabs(grid.ni * step - 360.0) < step * 0.5;

  if (grid.representation == kGridGaussian) {
    const std::vector<double> all = GaussianLatitudes(grid.gaussianParallels);
    const auto nearest = std::min_element(all.begin(), all.end(), [&](double a, double b) {
      return std::fabs(a - grid.la1) < std::fabs(b - grid.la1);
    });
    if (std::fabs(*nearest - grid.la1) > 0.01) {
      why = "the first latitude is not a Gaussian latitude";
      return std::nullopt;
    }
    const long first = nearest - all.begin();
    const long stride = jSign > 0 ? -1 : 1;  // the table runs north to south
    const long last = first + stride * (grid.nj - 1);
    if (last < 0 || last >= static_cast<long>(all.size())) {
      why = "more Gaussian rows than the grid has latitudes";
      return std::nullopt;
    }
    for (int j = 0; j < grid.nj; ++j) g.gaussian_.push_back(all[static_cast<size_t>(first + stride * j)]);
    g.dLat_ = jSign;
    return g;
  }

  if (grid.nj > 1) {
    g.dLat_ = (grid.la2 - grid.la1) / (grid.nj - 1);
    if (std::fabs(g.dLat_) < kEpsilon) {
      why = "the first and last latitudes are the same";
      return std::nullopt;
    }
  } else {
    g.dLat_ = jSign * grid.dj;
  }
  if (grid.representation == kGridRotatedLatLon && grid.rotationAngle != 0) {
    why = "rotated grids with an angle of rotation are not read";
    return std::nullopt;
  }
  return g;
}

void CGribGeometry::IndexOf(size_t k, int& i, int& j) const {
  if (grid_.scanMode & kScanJConsecutive) {
    j = static_cast<int>(k % static_cast<size_t>(grid_.nj));
    i = static_cast<int>(k / static_cast<size_t>(grid_.nj));
  } else {
    i = static_cast<int>(k % static_cast<size_t>(grid_.ni));
    j = static_cast<int>(k / static_cast<size_t>(grid_.ni));
  }
}

size_t CGribGeometry::PointNumber(int i, int j) const {
  if (grid_.scanMode & kScanJConsecutive)
    return static_cast<size_t>(i) * static_cast<size_t>(grid_.nj) + static_cast<size_t>(j);
  return static_cast<size_t>(j) * static_cast<size_t>(grid_.ni) + static_cast<size_t>(i);
}

void CGribGeometry::Position(double i, double j, double& lat, double& lon) const {
  switch (grid_.representation) {
    case kGridPolarStereographic: {
      const double x = psX1_ + i * dLon_;
      const double y = psY1_ + j * dLat_;
      const double rho = std::hypot(x, y);
      lat = psSign_ * (90.0 - 2 * std::atan(rho / psScale_) / kDegree);
      lon = grid_.orientation + std::atan2(x, -psSign_ * y) / kDegree;
      if (lon < 0) lon += 360.0;
      return;
    }
    case kGridGaussian: {
      const int j0 = std::clamp(static_cast<int>(std::floor(j)), 0, grid_.nj - 1);
      const int j1 = std::min(j0 + 1, grid_.nj - 1);
      const double f = j - j0;
      lat = gaussian_[static_cast<size_t>(j0)] * (1 - f) + gaussian_[static_cast<size_t>(j1)] * f;
      lon = grid_.lo1 + i * dLon_;
      return;
    }
    case kGridRotatedLatLon:
      Unrotate(grid_.la1 + j * dLat_, grid_.lo1 + i * dLon_, grid_.southPoleLat, grid_.southPoleLon, lat, lon);
      return;
    default:
      lat = grid_.la1 + j * dLat_;
      lon = grid_.lo1 + i * dLon_;
      return;
  }
}

void CGribGeometry::Point(size_t k, double& lat, double& lon) const {
  int i = 0, j = 0;
  IndexOf(k, i, j);
  Position(i, j, lat, lon);
}

std::optional<GridIndex> CGribGeometry::Locate(double lat, double lon) const {
  GridIndex at;
  const double lastI = grid_.ni - 1;
  const double lastJ = grid_.nj - 1;
  switch (grid_.representation) {
    case kGridPolarStereographic: {
      if (psSign_ * lat <= -90.0 + kEpsilon) return std::nullopt;
      const double rho = psScale_ * std::tan((45.0 - psSign_ * lat / 2) * kDegree);
      const double dl = (lon - grid_.orientation) * kDegree;
      at.i = (rho * std::sin(dl) - psX1_) / dLon_;
      at.j = (-psSign_ * rho * std::cos(dl) - psY1_) / dLat_;
      break;
    }
    case kGridGaussian: {
      // Rows in scanning order run one way or the other; find the pair around lat.
      const bool southward = gaussian_.front() > gaussian_.back();
      const auto below = [&](double row) { return southward ? row > lat : row < lat; };
      const auto it = std::partition_point(gaussian_.begin(), gaussian_.end(), below);
      if (it == gaussian_.end()) {
        if (std::fabs(gaussian_.back() - lat) > kEpsilon) return std::nullopt;
        at.j = lastJ;
      } else if (it == gaussian_.begin()) {
        if (std::fabs(gaussian_.front() - lat) > kEpsilon) return std::nullopt;
        at.j = 0;
      } else {
        const double a = *(it - 1), b = *it;
        at.j = static_cast<double>(it - gaussian_.begin() - 1) + (lat - a) / (b - a);
      }
      at.i = Normalise360((lon - grid_.lo1) * (dLon_ < 0 ? -1 : 1)) / std::fabs(dLon_);
      break;
    }
    case kGridRotatedLatLon: {
      double rlat = 0, rlon = 0;
      Rotate(lat, lon, grid_.southPoleLat, grid_.southPoleLon, rlat, rlon);
      at.j = (rlat - grid_.la1) / dLat_;
      at.i = (rlon - grid_.lo1) / dLon_;
      // The rotated longitudes of the grid may be counted from -180 or 0.
      const double turn = 360.0 / std::fabs(dLon_);
      if (at.i < -kEpsilon) at.i += turn;
      if (at.i > lastI + kEpsilon) at.i -= turn;
      break;
    }
    default: {
      at.j = (lat - grid_.la1) / dLat_;
      if (dLon_ == 0) {
        at.i = 0;
        break;
      }
      at.i = Normalise360((lon - grid_.lo1) * (dLon_ < 0 ? -1 : 1)) / std::fabs(dLon_);
      // A little west of the first column reads as nearly a full turn.
      if (!wraps_ && at.i > lastI + kEpsilon && 360.0 / std::fabs(dLon_) - at.i < kEpsilon) at.i = 0;
      break;
    }
  }
  const double iLimit = wraps_ ? grid_.ni : lastI;
  if (at.i < -kEpsilon || at.i > iLimit + kEpsilon || at.j < -kEpsilon || at.j > lastJ + kEpsilon)
    return std::nullopt;
  at.i = std::clamp(at.i, 0.0, iLimit);
  at.j = std::clamp(at.j, 0.0, lastJ);
  return at;
}

bool CGribGeometry::GridRelativeVectors() const {
  return (grid_.resolutionFlags & kResolutionGridRelativeVectors) &&
         (grid_.representation == kGridPolarStereographic || grid_.representation == kGridRotatedLatLon);
}

double CGribGeometry::AxisBearing(double lat, double lon) const {
  if (grid_.representation != kGridPolarStereographic && grid_.representation != kGridRotatedLatLon) return 0;
  const auto at = Locate(lat, lon);
  if (!at) return 0;
  // The grid's y axis points the way its native y grows.
  const double step = 0.01 * (dLat_ < 0 ? -1 : 1);
  double lat0 = 0, lon0 = 0, lat1 = 0, lon1 = 0;
  Position(at->i, at->j, lat0, lon0);
  Position(at->i, at->j + step, lat1, lon1);
  const double dLon = std::remainder(lon1 - lon0, 360.0);
  const double east = dLon * std::cos(lat0 * kDegree);
  const double north = lat1 - lat0;
  return Normalise360(std::atan2(east, north) / kDegree);
}

}  // namespace tarnwick
