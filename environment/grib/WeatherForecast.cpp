#include "environment/grib/WeatherForecast.h"

#include <algorithm>
#include <cmath>

#include "environment/grib/GribTables.h"

namespace tarnwick {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kEpsilon = 1e-9;

int TableOrder(int type) {
  const auto types = WeatherTypes();
  for (size_t i = 0; i < types.size(); ++i)
    if (types[i].type == type) return static_cast<int>(i);
  return static_cast<int>(types.size());
}

// Directions are interpolated on the circle; the v components (whose table
// rows name the direction they combine into) are plain numbers.
bool IsDirection(int type) {
  const WeatherTypeInfo* info = FindWeatherType(type);
  return info && info->unitClass == kUnitDirection && !info->vector;
}

double Normalise360(double degrees) {
  double d = std::fmod(degrees, 360.0);
  if (d < 0) d += 360.0;
  return d;
}

}  // namespace

double VectorDirection(double u, double v) {
  return Normalise360(std::atan2(u, v) * 180.0 / kPi);
}

std::optional<double> WeatherGrid::ValueAt(double lat, double lon, bool directions) const {
  if (ni <= 0 || nj <= 0 || values.size() != static_cast<size_t>(ni) * static_cast<size_t>(nj)) return std::nullopt;
  const double y = nj > 1 ? (lat - lat0) / dlat : 0;
  if (y < -kEpsilon || y > nj - 1 + kEpsilon || (nj == 1 && std::fabs(lat - lat0) > kEpsilon)) return std::nullopt;
  double x = 0;
  if (ni > 1 || wraps) {
    const double rel = Normalise360(lon - lon0);
    x = rel / dlon;
    if (!wraps && x > ni - 1 + kEpsilon) {
      if ((360.0 - rel) / dlon > kEpsilon) return std::nullopt;
      x = 0;  // a hair west of the first column
    }
  } else if (std::fabs(std::remainder(lon - lon0, 360.0)) > kEpsilon) {
    return std::nullopt;
  }
  const int i0 = std::clamp(static_cast<int>(std::floor(x)), 0, ni - 1);
  const int j0 = std::clamp(static_cast<int>(std::floor(y)), 0, nj - 1);
  const double fx = std::clamp(x - i0, 0.0, 1.0);
  const double fy = std::clamp(y - j0, 0.0, 1.0);
  const int i1 = wraps ? (i0 + 1) % ni : std::min(i0 + 1, ni - 1);
  const int j1 = std::min(j0 + 1, nj - 1);
  const int is[4] = {i0, i1, i0, i1};
  const int js[4] = {j0, j0, j1, j1};
  const double weights[4] = {(1 - fx) * (1 - fy), fx * (1 - fy), (1 - fx) * fy, fx * fy};
  int nearest = 0;
  for (int k = 1; k < 4; ++k)
    if (weights[k] > weights[nearest]) nearest = k;
  if (At(is[nearest], js[nearest]) == kGribMissing) return std::nullopt;
  double sum = 0, sumSin = 0, sumCos = 0, weight = 0;
  for (int k = 0; k < 4; ++k) {
    const float v = At(is[k], js[k]);
    if (v == kGribMissing || weights[k] <= 0) continue;
    weight += weights[k];
    if (directions) {
      sumSin += weights[k] * std::sin(v * kPi / 180);
      sumCos += weights[k] * std::cos(v * kPi / 180);
    } else {
      sum += weights[k] * v;
    }
  }
  if (weight <= 0) return static_cast<double>(At(is[nearest], js[nearest]));
  if (directions) return Normalise360(std::atan2(sumSin, sumCos) * 180 / kPi);
  return sum / weight;
}

CWeatherForecast::CWeatherForecast(std::vector<WeatherGrid> grids) : grids_(std::move(grids)) {
  std::stable_sort(grids_.begin(), grids_.end(), [](const WeatherGrid& a, const WeatherGrid& b) {
    const int ta = TableOrder(a.type), tb = TableOrder(b.type);
    return ta != tb ? ta < tb : a.validTime < b.validTime;
  });
}

std::vector<int> CWeatherForecast::Types() const {
  std::vector<int> types;
  for (const WeatherGrid& g : grids_)
    if (types.empty() || types.back() != g.type) types.push_back(g.type);
  return types;
}

std::vector<int64_t> CWeatherForecast::Times() const {
  std::vector<int64_t> times;
  for (const WeatherGrid& g : grids_) times.push_back(g.validTime);
  std::sort(times.begin(), times.end());
  times.erase(std::unique(times.begin(), times.end()), times.end());
  return times;
}

const WeatherGrid* CWeatherForecast::Find(int type, int64_t time) const {
  for (const WeatherGrid& g : grids_)
    if (g.type == type && g.validTime == time) return &g;
  return nullptr;
}

std::optional<double> CWeatherForecast::Value(int type, double lat, double lon, int64_t time) const {
  const WeatherGrid* before = nullptr;
  const WeatherGrid* after = nullptr;
  for (const WeatherGrid& g : grids_) {
    if (g.type != type) continue;
    if (g.validTime <= time) before = &g;
    if (g.validTime >= time) {
      after = &g;
      break;
    }
  }
  if (!before || !after) return std::nullopt;
  const bool directions = IsDirection(type);
  const auto a = before->ValueAt(lat, lon, directions);
  if (before == after || !a) return a;
  const auto b = after->ValueAt(lat, lon, directions);
  if (!b) return std::nullopt;
  const double f = static_cast<double>(time - before->validTime) /
                   static_cast<double>(after->validTime - before->validTime);
  if (directions) {
    const double turn = std::remainder(*b - *a, 360.0);
    return Normalise360(*a + f * turn);
  }
  return *a + f * (*b - *a);
}

std::optional<WeatherReading> CWeatherForecast::Reading(int type, double lat, double lon, int64_t time) const {
  const WeatherTypeInfo* info = FindWeatherType(type);
  if (!info) return std::nullopt;
  WeatherReading reading;
  reading.type = type;
  if (info->vector) {
    if (info->companion == 0) return std::nullopt;  // a v component alone
    const auto u = Value(type, lat, lon, time);
    const auto v = Value(info->companion, lat, lon, time);
    if (!u || !v) return std::nullopt;
    reading.value = std::hypot(*u, *v);
    reading.companionType = info->companion;
    // Winds are named by where they come from, currents by where they go.
    reading.companion = type == 29 ? VectorDirection(-*u, -*v) : VectorDirection(*u, *v);
    return reading;
  }
  const auto value = Value(type, lat, lon, time);
  if (!value) return std::nullopt;
  reading.value = *value;
  if (info->companion != 0) {
    reading.companionType = info->companion;
    reading.companion = Value(info->companion, lat, lon, time);
  }
  return reading;
}

std::vector<int> CWeatherForecast::ListedTypes() const {
  const std::vector<int> present = Types();
  const auto has = [&](int type) { return std::find(present.begin(), present.end(), type) != present.end(); };
  std::vector<int> listed;
  for (int type : present) {
    const WeatherTypeInfo* info = FindWeatherType(type);
    if (!info || (info->vector && info->companion == 0)) continue;
    bool shownWithPartner = false;
    for (int other : present) {
      const WeatherTypeInfo* partner = FindWeatherType(other);
      if (other != type && partner && partner->companion == type) shownWithPartner = true;
    }
    if (shownWithPartner && !(info->companion != 0 && has(info->companion))) continue;
    listed.push_back(type);
  }
  return listed;
}

}  // namespace tarnwick
