#pragma once
// Geodetic datums: the EPSG ellipsoid table, the three datums the program
// knows (WGS 84, WGS 72, NAD 27; NAD 83 is taken as WGS 84) and the standard
// Molodensky shift between them.

#include <optional>
#include <span>
#include <string_view>

#include "core/geo/LatLon.h"

namespace tarnwick {

// One row of the ellipsoid table as published: either the inverse flattening
// or the semi-minor axis is given, the other is 0.
struct EllipsoidRow {
  int epsgCode;
  const char* name;
  double semiMajor;          // metres
  double inverseFlattening;  // 0 when semiMinor is given (or for a sphere)
  double semiMinor;          // metres, 0 when inverseFlattening is given
};

// An ellipsoid with all three values filled in.
struct Ellipsoid {
  int epsgCode = 0;
  const char* name = "";
  double semiMajor = 0.0;          // metres
  double semiMinor = 0.0;          // metres
  double inverseFlattening = 0.0;  // 0 for a sphere
};

// The 42 rows, in EPSG code order.
std::span<const EllipsoidRow> EllipsoidTable();
// The ellipsoid with this EPSG code (7001..7051), the missing value derived
// (b = a - a / invf, or invf = 1 / (1 - b / a)); none for an unknown code.
std::optional<Ellipsoid> FindEllipsoid(int epsgCode);

class CDatum {
 public:
  // ellipsoid: an EPSG ellipsoid code of the table; dx, dy, dz: metres of the
  // datum's centre relative to WGS 84.
  CDatum(const char* name, int ellipsoidCode, int epsgDatumCode, double dx, double dy, double dz);

  const char* Name() const { return name_; }
  int EpsgCode() const { return epsgCode_; }
  double SemiMajor() const { return a_; }             // metres
  double SemiMinor() const { return b_; }             // metres
  double Flattening() const { return f_; }            // 1 - b/a
  double EccentricitySquared() const { return e2_; }  // 2f - f^2
  double Eccentricity() const { return e_; }
  double Dx() const { return dx_; }  // metres
  double Dy() const { return dy_; }
  double Dz() const { return dz_; }

  // Degrees in the source datum -> degrees in this datum (height 0).
  LatLon ToDatum(const CDatum& source, double latDeg, double lonDeg) const;
  LatLon ToDatum(const CDatum& source, const LatLon& pos) const {
    return ToDatum(source, pos.lat, pos.lon);
  }

 private:
  const char* name_;
  int epsgCode_;
  double a_, b_, f_, e2_, e_;
  double dx_, dy_, dz_;
};

const CDatum& Wgs84Datum();
const CDatum& Wgs72Datum();
const CDatum& Nad27Datum();

// "WGS84", "WGS-84", "WGS 84", "NAD83", "NAD-83", "NAD 83" -> WGS 84;
// "WGS72"... -> WGS 72; "NAD27"... -> NAD 27; any case. Anything else: none.
std::optional<CDatum> FindDatum(std::string_view name);

}  // namespace tarnwick
