#pragma once
// Where a chart has data: polygons in chart Mercator metres (EPSG:3395,
// x = a * longitude), read from a vector cell's M_COVR areas (CATCOV 1, with
// the CATCOV 2 areas as holes) or a raster chart's border, and the region
// operations the chart library's quilting needs (Clipper, integer
// centimetres). Coverages are immutable once made and may be shared between
// threads.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "charts/raster/RasterRender.h"
#include "core/geo/Mercator.h"

namespace tarnwick {

// A closed ring without its repeated first vertex.
using ChartRing = std::vector<MercatorPoint>;
// Rings read with the even-odd rule: a ring inside another is a hole.
using ChartRegion = std::vector<ChartRing>;

struct ChartCoverage {
  ChartRegion rings;
  MercatorBox box;  // the bounding box of rings

  // Builds the coverage of rings (rings of fewer than 3 points are dropped)
  // and its box.
  static ChartCoverage FromRings(ChartRegion rings);
  // The coverage of a box (a chart that names no coverage of its own).
  static ChartCoverage FromBox(const MercatorBox& box);

  bool Empty() const { return rings.empty(); }
  // Whether p (metres) lies inside (even-odd; points on an edge may go either way).
  bool Contains(MercatorPoint p) const;
};

// True when a and b share a point.
bool BoxesMeet(const MercatorBox& a, const MercatorBox& b);
// The box moved east by dx metres.
MercatorBox ShiftBox(const MercatorBox& box, double dx);

// Whether p lies inside region (even-odd).
bool RegionContains(const ChartRegion& region, MercatorPoint p);

// Region operations (results are simple rings, holes as rings inside rings).
ChartRegion IntersectRegions(const ChartRegion& a, const ChartRegion& b);
ChartRegion SubtractRegions(const ChartRegion& a, const ChartRegion& b);
ChartRegion UniteRegions(const ChartRegion& a, const ChartRegion& b);
// The region of a box, one ring.
ChartRegion BoxRegion(const MercatorBox& box);
// Area of a region, square metres (holes subtracted).
double RegionArea(const ChartRegion& region);
// The region moved east by dx metres.
ChartRegion ShiftRegion(const ChartRegion& region, double dx);

// Coverage rings as bytes for the catalogue: little-endian uint32 ring count,
// then per ring a uint32 point count and count x (x, y) doubles.
std::string EncodeRegion(const ChartRegion& region);
// The rings of EncodeRegion's bytes; empty when the bytes are damaged.
ChartRegion DecodeRegion(std::string_view bytes);

}  // namespace tarnwick
