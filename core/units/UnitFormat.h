#pragma once
// Display texts of numbers, positions, bearings and short distances by the
// unit settings. Texts are UTF-8; the degree sign is U+00B0.

#include <string>

#include "core/geo/LatLon.h"

namespace tarnwick {

// "%.*f" with |precision| decimals; for precision >= 0 trailing zeros and then
// a trailing '.' are removed (2.50 -> "2.5", 3.00 -> "3").
std::string FormatNumber(double value, int precision);

// Degrees (-90..90, else "") -> text by Units_LocationFormat or the given
// LocationFormat index: 47°36.500'N, 47°36'30.00"N, 47.6083°N.
std::string FormatLatitude(double degrees);
std::string FormatLatitude(double degrees, int locationFormat);
// Degrees (-180..180, else "") -> 122°20.100'W and the like.
std::string FormatLongitude(double degrees);
std::string FormatLongitude(double degrees, int locationFormat);

// A true bearing (degrees) -> "045°T" or, with magnetic (Units_BearingFormat
// index 1), the bearing less the variation at where today: "039°M".
// decimals: one decimal ("045.3°T").
std::string FormatBearing(double trueDegrees, const LatLon& where, int bearingFormat,
                          bool decimals = false);
// The same by Units_BearingFormat, whole degrees.
std::string FormatBearing(double trueDegrees, const LatLon& where);

// Nautical miles -> "405 yd", "0.300 nm", "1.234 km"... by Units_Distance or
// the given index.
std::string FormatDistanceShort(double nm);
std::string FormatDistanceShort(double nm, int distanceIndex);

}  // namespace tarnwick
