#include "core/geo/MagneticVariation.h"

#include <array>
#include <cmath>

#include "core/Clock.h"
#include "core/geo/Geodesy.h"
#include "core/geo/WmmCoefficients.h"

namespace tarnwick {

namespace {

constexpr int kDegree = 12;
// WGS 84 in kilometres, as the model defines it.
constexpr double kEllipsoidA = 6378.137;
constexpr double kEllipsoidFlattening = 0.0033528106647474805;
// Reference radius of the spherical-harmonic expansion (km).
constexpr double kReferenceRadius = 6371.2;
// Within this cosine of a pole the field is taken just off it, where the
// east component's 1/cos(latitude) stays finite and equals its limit.
constexpr double kPoleCosine = 1e-8;
constexpr double kYearsPerDay = 0.0027378507871321013;  // 1 / 365.25

using Table = std::array<std::array<double, kDegree + 1>, kDegree + 1>;

// Schmidt semi-normalisation factors sqrt(2 (n-m)! / (n+m)!) for m > 0, 1 for m = 0.
const Table& SchmidtFactors() {
  static const Table factors = [] {
    Table k{};
    for (int n = 0; n <= kDegree; ++n) {
      k[n][0] = 1.0;
      for (int m = 1; m <= n; ++m) {
        double ratio = 1.0;  // (n-m)! / (n+m)!
        for (int i = n - m + 1; i <= n + m; ++i) ratio /= i;
        k[n][m] = std::sqrt(2.0 * ratio);
      }
    }
    return k;
  }();
  return factors;
}

const WmmCoefficientSet* SetOf(MagneticModel model) {
  switch (model) {
    case MagneticModel::Wmm2015:
      return &kWmm2015;
    case MagneticModel::Wmm2020:
      return &kWmm2020;
    case MagneticModel::Wmm2025:
      return &kWmm2025;
    default:
      return nullptr;
  }
}

}  // namespace

long JulianDayNumber(int year, int month, int day) {
  const long y = year, m = month, d = day;
  return 1461 * (y + 4800 + (m - 14) / 12) / 4 + 367 * (m - 2 - 12 * ((m - 14) / 12)) / 12 -
         3 * ((y + 4900 + (m - 14) / 12) / 100) / 4 + d - 32075;
}

long TodayJulianDay() {
  constexpr int64_t kMsPerDay = 86'400'000;
  constexpr long kJulianDay1970 = 2440588;
  const int64_t ms = UtcNowMs();
  int64_t days = ms / kMsPerDay;
  if (ms % kMsPerDay < 0) --days;
  return kJulianDay1970 + static_cast<long>(days);
}

MagneticModel SelectMagneticModel(long julianDay) {
  if (julianDay >= JulianDayNumber(2025, 1, 1)) return MagneticModel::Wmm2025;
  if (julianDay >= JulianDayNumber(2020, 1, 1)) return MagneticModel::Wmm2020;
  return MagneticModel::Wmm2015;
}

double MagneticModelEpoch(MagneticModel model) {
  const WmmCoefficientSet* set = SetOf(model);
  return set ? set->epoch : 0.0;
}

std::optional<MagneticField> MagneticFieldAt(double latRad, double lonRad, double heightKm,
                                             double yearsSinceEpoch, MagneticModel model) {
  const WmmCoefficientSet* set = SetOf(model);
  if (!set || !std::isfinite(latRad) || !std::isfinite(lonRad) || !std::isfinite(heightKm) ||
      !std::isfinite(yearsSinceEpoch))
    return std::nullopt;

  // Geodetic to geocentric spherical coordinates.
  const double e2 = kEllipsoidFlattening * (2.0 - kEllipsoidFlattening);
  const double sinLat = std::sin(latRad), cosLat = std::cos(latRad);
  const double rc = kEllipsoidA / std::sqrt(1.0 - e2 * sinLat * sinLat);
  const double xp = (rc + heightKm) * cosLat;
  const double zp = (rc * (1.0 - e2) + heightKm) * sinLat;
  const double r = std::sqrt(xp * xp + zp * zp);
  const double geocentricLat = std::asin(zp / r);

  double x = std::sin(geocentricLat);  // sin of geocentric latitude
  double z = std::cos(geocentricLat);  // cos of geocentric latitude
  if (z < kPoleCosine) {
    z = kPoleCosine;
    x = std::copysign(std::sqrt(1.0 - z * z), x);
  }

  // Associated Legendre functions of sin(latitude) and their latitude
  // derivatives by the standard recursions, normalised afterwards.
  Table p{}, dp{};
  p[0][0] = 1.0;
  for (int m = 0; m <= kDegree; ++m) {
    if (m > 0) {
      p[m][m] = (2 * m - 1) * z * p[m - 1][m - 1];
      dp[m][m] = (2 * m - 1) * (z * dp[m - 1][m - 1] - x * p[m - 1][m - 1]);
    }
    if (m + 1 <= kDegree) {
      p[m + 1][m] = (2 * m + 1) * x * p[m][m];
      dp[m + 1][m] = (2 * m + 1) * (x * dp[m][m] + z * p[m][m]);
    }
    for (int n = m + 2; n <= kDegree; ++n) {
      p[n][m] = ((2 * n - 1) * x * p[n - 1][m] - (n + m - 1) * p[n - 2][m]) / (n - m);
      dp[n][m] = ((2 * n - 1) * (x * dp[n - 1][m] + z * p[n - 1][m]) - (n + m - 1) * dp[n - 2][m]) /
                 (n - m);
    }
  }

  std::array<double, kDegree + 1> cosM{}, sinM{};
  for (int m = 0; m <= kDegree; ++m) {
    cosM[m] = std::cos(m * lonRad);
    sinM[m] = std::sin(m * lonRad);
  }

  const Table& k = SchmidtFactors();
  double north = 0.0, east = 0.0, down = 0.0;
  const double ratio = kReferenceRadius / r;
  double power = ratio * ratio;  // (a/r)^(n+2), starting at n = 0
  int n = 0;
  for (const WmmTerm& t : set->terms) {
    while (n < t.n) {
      ++n;
      power *= ratio;
    }
    const double g = t.g + t.gDot * yearsSinceEpoch;
    const double h = t.h + t.hDot * yearsSinceEpoch;
    const int m = t.m;
    const double s = p[n][m] * k[n][m];
    const double ds = dp[n][m] * k[n][m];
    const double cosTerm = g * cosM[m] + h * sinM[m];
    north -= power * cosTerm * ds;
    east += power * m * (g * sinM[m] - h * cosM[m]) * s;
    down -= power * (n + 1) * cosTerm * s;
  }
  east /= z;

  // Rotate from the geocentric to the geodetic frame.
  const double psi = geocentricLat - latRad;
  MagneticField f;
  f.north = north * std::cos(psi) - down * std::sin(psi);
  f.east = east;
  f.down = north * std::sin(psi) + down * std::cos(psi);
  f.horizontal = std::hypot(f.north, f.east);
  f.total = std::hypot(f.horizontal, f.down);
  f.declinationRad = std::atan2(f.east, f.north);
  f.inclinationRad = std::atan2(f.down, f.horizontal);
  return f;
}

double MagneticVariation(double latRad, double lonRad, double heightKm, long julianDay,
                         MagneticModel model) {
  if (julianDay == 0) julianDay = TodayJulianDay();
  if (model == MagneticModel::Automatic) model = SelectMagneticModel(julianDay);
  const int epochYear = static_cast<int>(MagneticModelEpoch(model));
  const double years = (julianDay - JulianDayNumber(epochYear, 1, 1)) * kYearsPerDay;
  const std::optional<MagneticField> field =
      MagneticFieldAt(latRad, lonRad, heightKm, years, model);
  return field ? field->declinationRad : 0.0;
}

double MagneticVariationDegrees(const LatLon& pos) {
  return MagneticVariation(pos.lat * kDegToRad, pos.lon * kDegToRad) * kRadToDeg;
}

}  // namespace tarnwick
