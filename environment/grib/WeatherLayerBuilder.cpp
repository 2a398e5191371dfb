#include "environment/grib/WeatherLayerBuilder.h"

#include <algorithm>
#include <cmath>

#include "environment/grib/GribGeometry.h"
#include "environment/grib/GribTables.h"

namespace tarnwick {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kProducersMissing = 9.999e20;
constexpr double kMetresPerDegree = 111195.0;       // of latitude, on the 6371 km sphere
// A resampled grid is coarsened beyond this many points, and beyond four
// times the points of its record (the work follows the data, not the claims
// of a grid description).
constexpr size_t kMaxResampledPoints = 4'000'000;
constexpr size_t kResampledPerSourcePoint = 4;
constexpr double kEpsilon = 1e-6;

double Normalise360(double degrees) {
  double d = std::fmod(degrees, 360.0);
  if (d < 0) d += 360.0;
  return d;
}

bool IsDirection(int type) {
  const WeatherTypeInfo* info = FindWeatherType(type);
  return info && info->unitClass == kUnitDirection && !info->vector;
}

bool IsVector(int type) {
  const WeatherTypeInfo* info = FindWeatherType(type);
  return info && info->vector;
}

// The u type of a u or v type (29 for 29 and 30).
int UType(int type) {
  for (const WeatherTypeInfo& info : WeatherTypes())
    if (info.vector && (info.type == type || info.companion == type) && info.companion != 0) return info.type;
  return type;
}

float Convert(float value, double scale) {
  if (value == kGribMissing || std::fabs(value - kProducersMissing) < 1e15) return kGribMissing;
  return static_cast<float>(value * scale);
}

// The rows kept of a column of nj rows from south (first) at spacing dlat:
// the first kept row and their number (0 when none lies within ±70°).
void CutRows(double south, double dlat, int nj, int& first, int& count) {
  first = 0;
  int last = nj - 1;
  if (dlat > 0) {
    if (south < -kLayerLatitudeLimit - kEpsilon)
      first = static_cast<int>(std::ceil((-kLayerLatitudeLimit - south) / dlat - kEpsilon));
    const double north = south + (nj - 1) * dlat;
    if (north > kLayerLatitudeLimit + kEpsilon)
      last = nj - 1 - static_cast<int>(std::ceil((north - kLayerLatitudeLimit) / dlat - kEpsilon));
  } else if (std::fabs(south) > kLayerLatitudeLimit + kEpsilon) {
    last = -1;
  }
  count = std::max(0, last - first + 1);
}

WeatherGrid HeaderOf(const GribRecord& r) {
  WeatherGrid g;
  g.type = r.weatherType;
  g.validTime = *r.validTime;
  g.referenceTime = r.referenceTime.value_or(*r.validTime);
  g.levelType = r.levelType;
  g.level = r.level;
  return g;
}

// A regular latitude/longitude grid, copied row by row.
bool CopyRegular(const GribRecord& r, const CGribGeometry& geometry, WeatherGrid& g) {
  const int ni = r.grid.ni, nj = r.grid.nj;
  double latFirst = 0, lonFirst = 0, latLast = 0, lonLast = 0, lat1 = 0, lon1 = 0;
  geometry.Point(geometry.PointNumber(0, 0), latFirst, lonFirst);
  geometry.Point(geometry.PointNumber(ni - 1, nj - 1), latLast, lonLast);
  geometry.Point(geometry.PointNumber(ni > 1 ? 1 : 0, nj > 1 ? 1 : 0), lat1, lon1);
  const bool southFirst = latLast >= latFirst;
  const bool westFirst = ni == 1 || std::remainder(lon1 - lonFirst, 360.0) > 0;
  g.dlat = nj > 1 ? std::fabs(lat1 - latFirst) : r.grid.dj;
  g.dlon = ni > 1 ? std::fabs(std::remainder(lon1 - lonFirst, 360.0)) : r.grid.di;
  int first = 0, rows = 0;
  CutRows(std::min(latFirst, latLast), g.dlat, nj, first, rows);
  if (rows == 0) return false;
  g.ni = ni;
  g.nj = rows;
  g.lat0 = std::min(latFirst, latLast) + first * g.dlat;
  g.lon0 = Normalise360(westFirst ? lonFirst : (ni > 1 ? lonFirst - (ni - 1) * g.dlon : lonFirst));
  g.wraps = geometry.WrapsAround();
  g.values.resize(static_cast<size_t>(ni) * static_cast<size_t>(rows));
  for (int row = 0; row < rows; ++row) {
    const int j = southFirst ? first + row : nj - 1 - (first + row);
    float* out = g.values.data() + static_cast<size_t>(row) * static_cast<size_t>(ni);
    for (int col = 0; col < ni; ++col) {
      const int i = westFirst ? col : ni - 1 - col;
      out[col] = Convert(r.values[geometry.PointNumber(i, j)], r.weatherScale);
    }
  }
  return true;
}

// The record's value at fractional grid indices, bilinear; missing when the
// nearest point has no data.
float Sample(const GribRecord& r, const CGribGeometry& geometry, const GridIndex& at, bool directions) {
  const int ni = r.grid.ni, nj = r.grid.nj;
  const int i0 = std::clamp(static_cast<int>(std::floor(at.i)), 0, ni - 1);
  const int j0 = std::clamp(static_cast<int>(std::floor(at.j)), 0, nj - 1);
  const double fx = std::clamp(at.i - i0, 0.0, 1.0), fy = std::clamp(at.j - j0, 0.0, 1.0);
  const int i1 = geometry.WrapsAround() ? (i0 + 1) % ni : std::min(i0 + 1, ni - 1);
  const int j1 = std::min(j0 + 1, nj - 1);
  const int is[4] = {i0, i1, i0, i1};
  const int js[4] = {j0, j0, j1, j1};
  const double w[4] = {(1 - fx) * (1 - fy), fx * (1 - fy), (1 - fx) * fy, fx * fy};
  int nearest = 0;
  for (int k = 1; k < 4; ++k)
    if (w[k] > w[nearest]) nearest = k;
  float values[4];
  for (int k = 0; k < 4; ++k) values[k] = Convert(r.values[geometry.PointNumber(is[k], js[k])], r.weatherScale);
  if (values[nearest] == kGribMissing) return kGribMissing;
  double sum = 0, s = 0, c = 0, weight = 0;
  for (int k = 0; k < 4; ++k) {
    if (values[k] == kGribMissing || w[k] <= 0) continue;
    weight += w[k];
    sum += w[k] * values[k];
    s += w[k] * std::sin(values[k] * kPi / 180);
    c += w[k] * std::cos(values[k] * kPi / 180);
  }
  if (weight <= 0) return values[nearest];
  if (directions) return static_cast<float>(Normalise360(std::atan2(s, c) * 180 / kPi));
  return static_cast<float>(sum / weight);
}

// Gaussian, rotated and polar stereographic grids onto latitude/longitude.
bool Resample(const GribRecord& r, const CGribGeometry& geometry, WeatherGrid& g,
              std::vector<double>* axisBearing) {
  const GribGrid& grid = r.grid;
  double latMin = 90, latMax = -90, lonMin = 0, lonMax = 0, lonRef = 0;
  for (size_t k = 0; k < geometry.Count(); ++k) {
    double lat = 0, lon = 0;
    geometry.Point(k, lat, lon);
    if (k == 0) lonRef = lon;
    const double rel = std::remainder(lon - lonRef, 360.0);
    latMin = std::min(latMin, lat);
    latMax = std::max(latMax, lat);
    lonMin = std::min(lonMin, rel);
    lonMax = std::max(lonMax, rel);
  }
  double res = 0;
  bool wraps = false;
  if (grid.representation == kGridPolarStereographic) {
    res = std::min(grid.dxMetres, grid.dyMetres) / kMetresPerDegree;
    const double pole = (grid.projectionCentre & 0x80) ? -90 : 90;
    if (geometry.Locate(pole, 0)) {  // the pole lies inside: every longitude
      wraps = true;
      (pole > 0 ? latMax : latMin) = pole;
    }
  } else if (grid.representation == kGridGaussian) {
    res = (latMax - latMin) / std::max(1, grid.nj - 1);
    wraps = geometry.WrapsAround();
  } else {
    // The spacing of the rotated points themselves, whatever increments the description claims.
    const double column = geometry.ColumnStep(), row = geometry.RowStep();
    res = column > 0 && row > 0 ? std::min(column, row) : std::max(column, row);
  }
  if (!(res > 0)) return false;
  latMin = std::max(latMin, -kLayerLatitudeLimit);
  latMax = std::min(latMax, kLayerLatitudeLimit);
  if (latMax < latMin) return false;
  const bool gaussian = grid.representation == kGridGaussian;
  const double lonSpan = lonMax - lonMin;
  // A Gaussian grid keeps its own columns; the others get square cells.
  const double lon0 = wraps && !gaussian ? 0.0 : lonRef + lonMin;
  double dlon = res;
  if (gaussian) dlon = wraps ? 360.0 / grid.ni : lonSpan / std::max(1, grid.ni - 1);
  if (!(dlon > 0)) dlon = res;
  // Counted in doubles: a degenerate grid description may ask for absurd sizes.
  const auto columns = [&] { return wraps ? std::round(360.0 / dlon) : std::floor(lonSpan / dlon + kEpsilon) + 1; };
  const auto rows = [&] { return std::floor((latMax - latMin) / res + kEpsilon) + 1; };
  const double maxPoints = static_cast<double>(
      std::min(kMaxResampledPoints, std::max<size_t>(10000, kResampledPerSourcePoint * geometry.Count())));
  while (columns() * rows() > maxPoints) {
    res *= 2;
    dlon *= 2;
  }
  const int ni = std::max(1, static_cast<int>(columns()));
  const int nj = std::max(1, static_cast<int>(rows()));
  g.ni = ni;
  g.nj = nj;
  g.dlat = res;
  g.dlon = wraps ? 360.0 / ni : dlon;
  g.lat0 = latMin;
  g.lon0 = Normalise360(lon0);
  g.wraps = wraps;
  g.values.assign(static_cast<size_t>(ni) * static_cast<size_t>(nj), kGribMissing);
  if (axisBearing) axisBearing->assign(g.values.size(), 0.0);
  const bool directions = IsDirection(r.weatherType);
  for (int j = 0; j < nj; ++j) {
    const double lat = g.lat0 + j * g.dlat;
    for (int i = 0; i < ni; ++i) {
      const double lon = g.lon0 + i * g.dlon;
      const auto at = geometry.Locate(lat, lon);
      if (!at) continue;
      const size_t k = static_cast<size_t>(j) * static_cast<size_t>(ni) + static_cast<size_t>(i);
      g.values[k] = Sample(r, geometry, *at, directions);
      if (axisBearing) (*axisBearing)[k] = geometry.AxisBearing(lat, lon);
    }
  }
  return true;
}

// Turns u/v along a grid's axes into east/north components, point by point.
void TurnToEastNorth(WeatherGrid& u, WeatherGrid& v, const std::vector<double>& bearing) {
  for (size_t k = 0; k < u.values.size() && k < v.values.size() && k < bearing.size(); ++k) {
    if (u.values[k] == kGribMissing || v.values[k] == kGribMissing) {
      u.values[k] = v.values[k] = kGribMissing;
      continue;
    }
    const double a = bearing[k] * kPi / 180;
    const double gu = u.values[k], gv = v.values[k];
    u.values[k] = static_cast<float>(gu * std::cos(a) + gv * std::sin(a));
    v.values[k] = static_cast<float>(-gu * std::sin(a) + gv * std::cos(a));
  }
}

}  // namespace

int LevelRank(int type, int levelType, int level) {
  constexpr int kIsobaric = 100, kSurface = 1, kMeanSeaLevel = 102, kAboveGround = 105;
  if (type == 32) return levelType == kIsobaric ? std::abs(level - 500) : 100000 + levelType;
  switch (levelType) {
    case kSurface:
    case kMeanSeaLevel:
      return 0;
    case kAboveGround:
      return level;
    case kIsobaric:
      return 10000 + std::max(0, 1100 - level);
    default:
      return 50000 + levelType;
  }
}

void CWeatherLayerBuilder::Keep(WeatherGrid grid) {
  for (WeatherGrid& kept : grids_) {
    if (kept.type == grid.type && kept.validTime == grid.validTime) {
      if (LevelRank(grid.type, grid.levelType, grid.level) < LevelRank(kept.type, kept.levelType, kept.level))
        kept = std::move(grid);
      return;
    }
  }
  grids_.push_back(std::move(grid));
}

bool CWeatherLayerBuilder::Add(const GribRecord& record, std::string& why) {
  if (record.weatherType == 0) {
    why = "parameter " + std::to_string(record.parameter) + " of table " + std::to_string(record.table) +
          " is not a weather type shown";
    return false;
  }
  if (!record.validTime) {
    why = "the record's date is not a date";
    return false;
  }
  if (!record.decoded) {
    why = "the record's values were not read";
    return false;
  }
  auto geometry = CGribGeometry::Make(record.grid, why);
  if (!geometry) return false;
  for (const WeatherGrid& kept : grids_) {
    if (kept.type == record.weatherType && kept.validTime == *record.validTime &&
        LevelRank(kept.type, kept.levelType, kept.level) <=
            LevelRank(record.weatherType, record.levelType, record.level)) {
      why = "a level nearer the surface is kept";
      return false;
    }
  }
  WeatherGrid grid = HeaderOf(record);
  const bool turn = IsVector(record.weatherType) && geometry->GridRelativeVectors();
  std::vector<double> bearing;
  const bool built = record.grid.representation == kGridLatLon
                         ? CopyRegular(record, *geometry, grid)
                         : Resample(record, *geometry, grid, turn ? &bearing : nullptr);
  if (!built) {
    why = "the grid lies beyond latitudes 70°";
    return false;
  }
  if (!turn) {
    Keep(std::move(grid));
    return true;
  }
  const auto key = std::make_tuple(UType(grid.type), grid.validTime, grid.levelType, grid.level);
  auto partner = pending_.find(key);
  if (partner == pending_.end() || partner->second.grid.type == grid.type) {
    pending_[key] = Pending{std::move(grid), std::move(bearing)};
    return true;
  }
  WeatherGrid other = std::move(partner->second.grid);
  pending_.erase(partner);
  WeatherGrid& u = grid.type == UType(grid.type) ? grid : other;
  WeatherGrid& v = grid.type == UType(grid.type) ? other : grid;
  if (u.values.size() != v.values.size()) {
    why = "u and v lie on different grids";
    return false;
  }
  TurnToEastNorth(u, v, bearing);
  Keep(std::move(u));
  Keep(std::move(v));
  return true;
}

CWeatherForecast CWeatherLayerBuilder::Finish() {
  pending_.clear();
  return CWeatherForecast(std::move(grids_));
}

}  // namespace tarnwick
