#pragma once
// Magnetic variation (declination) from the World Magnetic Model: a degree-12
// spherical-harmonic main field with linear secular variation, for the
// coefficient sets of epochs 2015, 2020 and 2025.

#include <optional>

#include "core/geo/LatLon.h"

namespace tarnwick {

// Which coefficient set to evaluate.
enum class MagneticModel : int {
  Automatic = 0,  // the newest set whose epoch starts on or before the date
  Wmm2015 = 1,
  Wmm2020 = 2,
  Wmm2025 = 3,
};

// The field at a point, in nanotesla, in the local geodetic frame.
struct MagneticField {
  double north = 0.0;           // X
  double east = 0.0;            // Y
  double down = 0.0;            // Z
  double declinationRad = 0.0;  // atan2(east, north), east positive
  double inclinationRad = 0.0;  // atan2(down, horizontal), down positive
  double horizontal = 0.0;      // H
  double total = 0.0;           // F
};

// The Julian day number of a Gregorian calendar date (2000-01-01 -> 2451545).
long JulianDayNumber(int year, int month, int day);
// Today's Julian day number from the process clock (UTC).
long TodayJulianDay();
// The set the automatic selector takes on this Julian day.
MagneticModel SelectMagneticModel(long julianDay);
// The decimal year at which a set's coefficients apply (2015.0, 2020.0, 2025.0).
double MagneticModelEpoch(MagneticModel model);

// The field at geodetic latRad (-pi/2..pi/2), lonRad (radians, east positive),
// heightKm above the WGS 84 ellipsoid, yearsSinceEpoch after the set's epoch
// (negative before it). model must not be Automatic (none then).
std::optional<MagneticField> MagneticFieldAt(double latRad, double lonRad, double heightKm,
                                             double yearsSinceEpoch, MagneticModel model);

// Radians of variation, east positive, at latRad, lonRad (radians), heightKm,
// julianDay (0 = today) with the given set (Automatic picks by date).
double MagneticVariation(double latRad, double lonRad, double heightKm = 0.0, long julianDay = 0,
                         MagneticModel model = MagneticModel::Automatic);
// Degrees of variation, east positive, at pos today at sea level.
double MagneticVariationDegrees(const LatLon& pos);

}  // namespace tarnwick
