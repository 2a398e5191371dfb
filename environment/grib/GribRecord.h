#pragma once
// One decoded GRIB edition 1 record: its product definition, its grid and its
// values. Octets are numbered from 1 within each section, as in WMO FM 92.

#include <cstdint>
#include <optional>
#include <vector>

namespace tarnwick {

// The value of a point without data, in records and in weather grids.
inline constexpr float kGribMissing = 1e30f;

// GDS octet 6: the grid kinds this system places on the chart.
enum GribRepresentation : int {
  kGridLatLon = 0,
  kGridGaussian = 4,
  kGridPolarStereographic = 5,
  kGridRotatedLatLon = 10,
};

// Scanning mode flags (GDS octet 28, 27 for polar stereographic grids).
inline constexpr int kScanINegative = 0x80;
inline constexpr int kScanJPositive = 0x40;
inline constexpr int kScanJConsecutive = 0x20;
// Resolution and component flags (GDS octet 17).
inline constexpr int kResolutionIncrementsGiven = 0x80;
inline constexpr int kResolutionOblateEarth = 0x40;
inline constexpr int kResolutionGridRelativeVectors = 0x08;

struct GribGrid {
  int representation = -1;  // GDS octet 6; -1 without a grid description
  int ni = 0;               // points along a row (Nx)
  int nj = 0;               // points along a column (Ny)
  double la1 = 0;           // first point, degrees north
  double lo1 = 0;           // first point, degrees east
  int resolutionFlags = 0;
  int scanMode = 0;
  // Latitude/longitude, Gaussian and rotated grids.
  double la2 = 0;           // last point, degrees
  double lo2 = 0;
  double di = 0;            // increments, degrees; 0 when not given
  double dj = 0;
  int gaussianParallels = 0;  // Gaussian grids: parallels between a pole and the equator (N)
  // Rotated grids: the southern pole of the rotation and the angle, degrees.
  double southPoleLat = 0;
  double southPoleLon = 0;
  double rotationAngle = 0;
  // Polar stereographic grids.
  double orientation = 0;   // LoV, degrees east
  double dxMetres = 0;      // grid lengths at 60° of the projection's hemisphere
  double dyMetres = 0;
  int projectionCentre = 0; // bit 0x80: south pole on the projection plane

  // Ni × Nj (0 without a grid description).
  size_t PointCount() const { return static_cast<size_t>(ni) * static_cast<size_t>(nj); }
  // Whether this system can place the grid's points (types 0, 4, 5 and 10 with
  // sensible dimensions).
  bool Placeable() const;
};

struct GribRecord {
  size_t offset = 0;        // of the indicator "GRIB" in the file
  size_t length = 0;        // bytes of the whole record

  // Product definition section.
  int table = 0;            // parameter table version (octet 4)
  int centre = 0;           // octet 5
  int process = 0;          // generating process (octet 6)
  int gridId = 0;           // catalogued grid (octet 7)
  int parameter = 0;        // octet 9
  int levelType = 0;        // octet 10
  int level = 0;            // octets 11-12
  int year = 0;             // (century - 1) × 100 + year of century
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int timeUnit = 0;         // octet 18
  int p1 = 0;
  int p2 = 0;
  int timeRange = 0;        // octet 21
  int subCentre = 0;        // octet 26
  int decimalScale = 0;     // D, octets 27-28
  std::vector<uint8_t> extraPds;  // octets beyond 28, kept as they are

  // Seconds since 1970 of the reference time; empty when the date is not a date.
  std::optional<int64_t> referenceTime;
  // The forecast offset in hours (from P1 and P2 by the time range indicator
  // and the time unit) and the valid time; empty when the offset has no meaning.
  std::optional<double> offsetHours;
  std::optional<int64_t> validTime;

  GribGrid grid;

  // Binary data section.
  bool hasBitmap = false;
  int bitsPerValue = 0;
  int binaryScale = 0;      // E
  double referenceValue = 0;  // R
  bool decoded = false;     // values hold the record's points
  size_t pointCount = 0;
  size_t missingCount = 0;
  std::vector<float> values;  // in scanning order; kGribMissing where there is no data

  // The weather type the parameter becomes (0 none) and the factor to its unit.
  int weatherType = 0;
  double weatherScale = 1;
};

}  // namespace tarnwick
