#include "core/geo/Datum.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/Setting.h"
#include "core/geo/Geodesy.h"

namespace tarnwick {

namespace {

// EPSG geodetic parameter set, ellipsoids 7001..7051, in metres. Rows published
// in Clarke's feet (7007, 7034) or German legal metres (7046) are converted.
constexpr std::array<EllipsoidRow, 42> kEllipsoids{{
    {7001, "Airy 1830", 6377563.396, 299.3249646, 0.0},
    {7002, "Airy Modified 1849", 6377340.189, 299.3249646, 0.0},
    {7003, "Australian National Spheroid", 6378160.0, 298.25, 0.0},
    {7004, "Bessel 1841", 6377397.155, 299.1528128, 0.0},
    {7005, "Bessel Modified", 6377492.018, 299.1528128, 0.0},
    {7006, "Bessel Namibia", 6377483.865, 299.1528128, 0.0},
    {7007, "Clarke 1858", 6378293.645, 0.0, 6356617.988},
    {7008, "Clarke 1866", 6378206.4, 0.0, 6356583.8},
    {7010, "Clarke 1880 (Benoit)", 6378300.789, 0.0, 6356566.435},
    {7011, "Clarke 1880 (IGN)", 6378249.2, 0.0, 6356515.0},
    {7012, "Clarke 1880 (RGS)", 6378249.145, 293.465, 0.0},
    {7013, "Clarke 1880 (Arc)", 6378249.145, 293.4663077, 0.0},
    {7014, "Clarke 1880 (SGA 1922)", 6378249.2, 293.46598, 0.0},
    {7015, "Everest 1830 (1937 Adjustment)", 6377276.345, 300.8017, 0.0},
    {7016, "Everest 1830 (1967 Definition)", 6377298.556, 300.8017, 0.0},
    {7018, "Everest 1830 Modified", 6377304.063, 300.8017, 0.0},
    {7019, "GRS 1980", 6378137.0, 298.257222101, 0.0},
    {7020, "Helmert 1906", 6378200.0, 298.3, 0.0},
    {7021, "Indonesian National Spheroid", 6378160.0, 298.247, 0.0},
    {7022, "International 1924", 6378388.0, 297.0, 0.0},
    {7024, "Krassowsky 1940", 6378245.0, 298.3, 0.0},
    {7025, "NWL 9D", 6378145.0, 298.25, 0.0},
    {7027, "Plessis 1817", 6376523.0, 308.64, 0.0},
    {7028, "Struve 1860", 6378298.3, 294.73, 0.0},
    {7029, "War Office", 6378300.0, 296.0, 0.0},
    {7030, "WGS 84", 6378137.0, 298.257223563, 0.0},
    {7031, "GEM 10C", 6378137.0, 298.257223563, 0.0},
    {7032, "OSU86F", 6378136.2, 298.257223563, 0.0},
    {7033, "OSU91A", 6378136.3, 298.257223563, 0.0},
    {7034, "Clarke 1880", 6378249.145, 0.0, 6356514.966},
    {7035, "Sphere", 6371000.0, 0.0, 6371000.0},
    {7036, "GRS 1967", 6378160.0, 298.247167427, 0.0},
    {7041, "Average Terrestrial System 1977", 6378135.0, 298.257, 0.0},
    {7043, "WGS 72", 6378135.0, 298.26, 0.0},
    {7044, "Everest 1830 (1962 Definition)", 6377301.243, 300.8017255, 0.0},
    {7045, "Everest 1830 (1975 Definition)", 6377299.151, 300.8017255, 0.0},
    {7046, "Bessel Namibia (GLM)", 6377483.865, 299.1528128, 0.0},
    {7047, "GRS 1980 Authalic Sphere", 6370997.0, 0.0, 6370997.0},
    {7048, "GRS 1980 Authalic Sphere", 6371007.0, 0.0, 6371007.0},
    {7049, "Xian 1980", 6378140.0, 298.257, 0.0},
    {7050, "GRS 1967 (SAD69)", 6378160.0, 298.25, 0.0},
    {7051, "Danish 1876", 6377019.27, 300.0, 0.0},
}};

bool IsOneOf(std::string_view name, std::initializer_list<std::string_view> spellings) {
  return std::any_of(spellings.begin(), spellings.end(),
                     [&](std::string_view s) { return EqualsIgnoreCase(name, s); });
}

}  // namespace

std::span<const EllipsoidRow> EllipsoidTable() {
  return kEllipsoids;
}

std::optional<Ellipsoid> FindEllipsoid(int epsgCode) {
  const auto it = std::find_if(kEllipsoids.begin(), kEllipsoids.end(),
                               [&](const EllipsoidRow& r) { return r.epsgCode == epsgCode; });
  if (it == kEllipsoids.end()) return std::nullopt;
  Ellipsoid e{it->epsgCode, it->name, it->semiMajor, it->semiMinor, it->inverseFlattening};
  if (e.inverseFlattening != 0.0 && e.semiMinor == 0.0)
    e.semiMinor = e.semiMajor - e.semiMajor / e.inverseFlattening;
  else if (e.semiMinor != 0.0 && e.semiMinor != e.semiMajor && e.inverseFlattening == 0.0)
    e.inverseFlattening = 1.0 / (1.0 - e.semiMinor / e.semiMajor);
  return e;
}

CDatum::CDatum(const char* name, int ellipsoidCode, int epsgDatumCode, double dx, double dy,
               double dz)
    : name_(name), epsgCode_(epsgDatumCode), dx_(dx), dy_(dy), dz_(dz) {
  // The datums are built from codes of the table above; a wrong code is a
  // programming error that the datum tests catch, so fall back to WGS 84.
  const Ellipsoid el = FindEllipsoid(ellipsoidCode).value_or(*FindEllipsoid(7030));
  a_ = el.semiMajor;
  b_ = el.semiMinor;
  f_ = 1.0 - b_ / a_;
  e2_ = 2.0 * f_ - f_ * f_;
  e_ = std::sqrt(e2_);
}

LatLon CDatum::ToDatum(const CDatum& source, double latDeg, double lonDeg) const {
  const double phi = latDeg * kDegToRad, lambda = lonDeg * kDegToRad;
  const double a = source.a_, f = source.f_, e2 = source.e2_;
  const double da = a_ - source.a_;
  const double df = f_ - source.f_;
  const double dx = source.dx_ - dx_, dy = source.dy_ - dy_, dz = source.dz_ - dz_;
  const double sinPhi = std::sin(phi), cosPhi = std::cos(phi);
  const double sinLam = std::sin(lambda), cosLam = std::cos(lambda);
  const double w2 = 1.0 - e2 * sinPhi * sinPhi;
  const double rn = a / std::sqrt(w2);
  const double rm = a * (1.0 - e2) / std::pow(w2, 1.5);
  const double dPhi = (-dx * sinPhi * cosLam - dy * sinPhi * sinLam + dz * cosPhi +
                       da * rn * e2 * sinPhi * cosPhi / a +
                       df * (rm / (1.0 - f) + rn * (1.0 - f)) * sinPhi * cosPhi) /
                      rm;
  // At a pole every longitude is the same point: leave it as it is.
  const double dLambda =
      std::fabs(cosPhi) < 1e-12 ? 0.0 : (-dx * sinLam + dy * cosLam) / (rn * cosPhi);
  return LatLon{latDeg + dPhi * kRadToDeg, lonDeg + dLambda * kRadToDeg};
}

const CDatum& Wgs84Datum() {
  static const CDatum datum("WGS 84", 7030, 6326, 0.0, 0.0, 0.0);
  return datum;
}

const CDatum& Wgs72Datum() {
  static const CDatum datum("WGS 72", 7043, 6322, 0.0, 0.0, 5.0);
  return datum;
}

const CDatum& Nad27Datum() {
  static const CDatum datum("NAD 27", 7008, 6267, -8.0, 160.0, 176.0);
  return datum;
}

std::optional<CDatum> FindDatum(std::string_view name) {
  if (IsOneOf(name, {"WGS84", "WGS-84", "WGS 84", "NAD83", "NAD-83", "NAD 83"}))
    return Wgs84Datum();
  if (IsOneOf(name, {"WGS72", "WGS-72", "WGS 72"})) return Wgs72Datum();
  if (IsOneOf(name, {"NAD27", "NAD-27", "NAD 27"})) return Nad27Datum();
  return std::nullopt;
}

}  // namespace tarnwick
