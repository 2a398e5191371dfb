#pragma once
// Where the points of a GRIB1 grid lie: regular and rotated latitude/longitude
// grids, Gaussian grids and polar stereographic grids. Gives each point's
// position in the record's scanning order, and the fractional grid indices of
// a position (for resampling onto the chart's latitude/longitude layers).

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "environment/grib/GribRecord.h"

namespace tarnwick {

// Fractional indices along a row (i) and a column (j), counted as the grid
// counts them from its first point.
struct GridIndex {
  double i = 0;
  double j = 0;
};

class CGribGeometry {
 public:
  // The geometry of a placeable grid (GribGrid::Placeable); empty, with why
  // set, for grids whose description does not hold together.
  static std::optional<CGribGeometry> Make(const GribGrid& grid, std::string& why);

  const GribGrid& Grid() const { return grid_; }
  size_t Count() const { return grid_.PointCount(); }

  // Latitude (degrees north) and longitude (degrees east, as the grid counts
  // them: 0..360 or -180..180) of point k of the scanning order, k < Count().
  void Point(size_t k, double& lat, double& lon) const;
  // The grid indices of point k.
  void IndexOf(size_t k, int& i, int& j) const;
  // The point number of grid indices (0 <= i < ni, 0 <= j < nj).
  size_t PointNumber(int i, int j) const;

  // The fractional indices of a position; empty when it lies outside the grid
  // (beyond its edge points; across the seam of a grid that wraps around).
  std::optional<GridIndex> Locate(double lat, double lon) const;

  // Whether the grid's rows go once round the Earth (the last point of a row
  // one increment short of the first).
  bool WrapsAround() const { return wraps_; }
  // The spacing of the points along a row and a column in the grid's own
  // coordinates (degrees; metres on the plane of polar stereographic grids),
  // from its first and last points; positive.
  double ColumnStep() const { return dLon_ < 0 ? -dLon_ : dLon_; }
  double RowStep() const { return dLat_ < 0 ? -dLat_ : dLat_; }
  // Whether u/v components on this grid are along its own axes rather than
  // east and north.
  bool GridRelativeVectors() const;
  // Bearing in degrees true of the grid's +j axis at a position (0 for
  // latitude/longitude grids).
  double AxisBearing(double lat, double lon) const;

 private:
  explicit CGribGeometry(const GribGrid& grid) : grid_(grid) {}
  // Position of grid indices (fractional allowed).
  void Position(double i, double j, double& lat, double& lon) const;

  GribGrid grid_;
  double dLon_ = 0;        // signed step along i, degrees (latitude/longitude family)
  double dLat_ = 0;        // signed step along j, degrees
  bool wraps_ = false;
  std::vector<double> gaussian_;  // Gaussian grids: the row latitudes in scanning order
  // Polar stereographic: projection scale and the first point's plane position, metres.
  double psScale_ = 0;
  double psX1_ = 0;
  double psY1_ = 0;
  double psSign_ = 1;      // +1 north pole, -1 south pole on the plane
};

// The 2N row latitudes of a Gaussian grid with N parallels between a pole and
// the equator, degrees, north first.
std::vector<double> GaussianLatitudes(int parallelsPerHemisphere);

}  // namespace tarnwick
