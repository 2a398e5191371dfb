#pragma once
// A georeferenced raster image that a Mercator tile renderer can draw: a BSB
// chart panel (CRasterChart) or a GeoTIFF chart or image (CGeoTiffChart).
// Every operation is const and safe to call from several threads at once.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "core/geo/LatLon.h"
#include "core/geo/Mercator.h"

namespace tarnwick {

// WGS 84 semi-major axis, metres; the chart Mercator's x is a * longitude.
inline constexpr double kChartEarthA = 6378137.0;
// Width of the chart Mercator world, metres (2 pi a).
inline constexpr double kMercatorWorldWidth = 2.0 * 3.14159265358979323846 * kChartEarthA;

// Continuous raster coordinates: (0, 0) is the top-left corner of the
// top-left pixel, x to the right, y down; pixel (i, j) covers [i, i+1) x
// [j, j+1) and its centre is (i + 0.5, j + 0.5) (GDAL's convention).
struct PixelPoint {
  double x = 0.0;
  double y = 0.0;
};

// The chart view's colour schemes; the values are those of the presentation
// library's S52Scheme (Day 0, Dusk 1, Night 2), so one converts to the other
// with a static_cast.
enum class ColourScheme { kDay = 0, kDusk = 1, kNight = 2 };
// "DAY", "DSK", "NGT" (the names of the matching KAP palettes).
const char* ColourSchemeName(ColourScheme scheme);
std::optional<ColourScheme> ParseColourScheme(std::string_view name);
// Brightness kept by a scheme for images without palettes of their own: the
// colour channels are multiplied by this (1, 1/2, 1/4).
double SchemeBrightness(ColourScheme scheme);

// A pixel as Cairo's CAIRO_FORMAT_ARGB32 keeps it: 0xAARRGGBB in a native
// 32-bit word, premultiplied (opaque colours are the same either way).
inline constexpr uint32_t OpaqueArgb(uint8_t r, uint8_t g, uint8_t b) {
  return 0xFF000000u | (uint32_t{r} << 16) | (uint32_t{g} << 8) | b;
}

using ArgbPalette = std::array<uint32_t, 256>;

// One raster row as the renderer reads it: width palette indices with the
// palette to show them in (transparent entries, 0, are not drawn), or, when
// palette is null, width ARGB32 words (4 bytes each) to be dimmed by
// SchemeBrightness. bytes is null when the row cannot be read.
struct RasterRow {
  std::shared_ptr<const std::vector<uint8_t>> bytes;
  const ArgbPalette* palette = nullptr;
};

class CGeoRaster {
 public:
  virtual ~CGeoRaster() = default;

  virtual int Width() const = 0;   // pixels
  virtual int Height() const = 0;  // pixels

  // Raster position -> WGS 84 degrees (longitude -180..180); none where the
  // georeferencing is undefined or missing.
  virtual std::optional<LatLon> PixelToGeo(PixelPoint pixel) const = 0;
  // WGS 84 degrees -> raster position (may lie outside the raster).
  virtual std::optional<PixelPoint> GeoToPixel(LatLon position) const = 0;
  // Chart Mercator metres -> raster position. The default goes through
  // MercatorInverse and GeoToPixel; kinds with a faster way override it.
  virtual std::optional<PixelPoint> MercatorToPixel(MercatorPoint point) const;

  // The coverage outline: the KAP border (PLY/) or the raster's edges, as a
  // closed ring without its repeated first vertex; empty when the raster is
  // not georeferenced. Latitude/longitude in degrees, longitudes continuous
  // along the ring (they may pass +-180 for a chart across the antimeridian).
  virtual const std::vector<LatLon>& Outline() const = 0;
  // The same ring in chart Mercator metres, x continuous (may pass +-pi a).
  virtual const std::vector<MercatorPoint>& MercatorOutline() const = 0;
  // Scale denominator of the chart (80000 for 1:80000); 0 when unknown.
  virtual double Scale() const = 0;

  // Row y (0..Height()-1) for drawing in the scheme's colours.
  virtual RasterRow ReadRow(int y, ColourScheme scheme) const = 0;

  // Mercator metres covered by one pixel near the raster's centre (the
  // geometric mean of its two sides); none without georeferencing.
  std::optional<double> MercatorMetresPerPixel() const;
};

// The ring of positions of the raster's edges, n points per side, for
// rasters without a border polygon; longitudes made continuous.
std::vector<LatLon> RasterEdgeOutline(const CGeoRaster& raster, int pointsPerSide);
// Projects an outline into chart Mercator with continuous x.
std::vector<MercatorPoint> MercatorRing(const std::vector<LatLon>& ring);
// Makes the longitudes of a ring continuous (each within 180 degrees of the one before).
void UnwrapLongitudes(std::vector<LatLon>& ring);

}  // namespace tarnwick
