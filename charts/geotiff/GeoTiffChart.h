#pragma once
// A GeoTIFF chart or image (a scanned chart, a topographic map, an aerial
// photograph) read with libtiff and libgeotiff: palette, grey (1 to 8 bits)
// and 8-bit RGB(A) images, stripped or tiled, in any coordinate reference
// system PROJ knows (EPSG codes and user-defined projections such as
// Mercator and Lambert conformal conic). The image is never read whole: a
// row of tiles, a strip, or a run of 64 scanlines of a taller strip (of
// interleaved samples) is decoded when one of its rows is first asked for,
// and the rows are kept in the shared scan-line cache.

#include <array>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "charts/raster/GeoRaster.h"
#include "charts/raster/KapPolynomial.h"
#include "charts/raster/ProjPlane.h"
#include "charts/raster/ScanLineCache.h"

struct tiff;

namespace tarnwick {

// What the file says about its image and its georeferencing.
struct GeoTiffInfo {
  int width = 0;
  int height = 0;
  int samplesPerPixel = 0;
  int bitsPerSample = 0;
  std::string photometric;  // "palette", "min-is-black", "min-is-white", "rgb", "ycbcr"
  int compression = 0;      // the TIFF compression code
  bool tiled = false;
  int blockWidth = 0;       // tile width, or the image width for strips
  int blockHeight = 0;      // tile height, or rows per strip
  int paletteEntries = 0;
  bool hasAlpha = false;
  // Georeferencing as found.
  std::string model;            // "projected", "geographic", "" without GeoKeys
  int epsg = 0;                 // the projected or geographic EPSG code; 0 user-defined or none
  std::string crsDefinition;    // what PROJ was given ("EPSG:3857", "+proj=lcc ... +type=crs")
  bool pixelIsPoint = false;
  std::string rasterToModel;    // "matrix", "tiepoint and scale", "fit to N tiepoints", ""
  std::array<double, 6> geoTransform{};  // model = (t0 + t1*x + t2*y, t3 + t4*x + t5*y), pixel corners
};

class CGeoTiffChart final : public CGeoRaster {
 public:
  // Opens the file and reads its tags and GeoKeys. None, with the reason in
  // error, when libtiff cannot read it or the image layout is not one of the
  // above. A file without usable georeferencing opens, with GeorefError() set
  // and no positions.
  static std::unique_ptr<CGeoTiffChart> Open(const std::filesystem::path& path, std::string& error);
  ~CGeoTiffChart() override;

  const std::filesystem::path& Path() const { return path_; }
  const GeoTiffInfo& Info() const { return info_; }
  bool Georeferenced() const { return georeferenced_; }
  const std::string& GeorefError() const { return georefError_; }

  // Model (CRS) coordinates of a raster position, none without georeferencing.
  std::optional<PlanePoint> PixelToModel(PixelPoint pixel) const;

  // CGeoRaster
  int Width() const override { return info_.width; }
  int Height() const override { return info_.height; }
  std::optional<LatLon> PixelToGeo(PixelPoint pixel) const override;
  std::optional<PixelPoint> GeoToPixel(LatLon position) const override;
  std::optional<PixelPoint> MercatorToPixel(MercatorPoint point) const override;
  const std::vector<LatLon>& Outline() const override { return outline_; }
  const std::vector<MercatorPoint>& MercatorOutline() const override { return mercatorOutline_; }
  // GeoTIFF images carry no chart scale: 0.
  double Scale() const override { return 0.0; }
  RasterRow ReadRow(int y, ColourScheme scheme) const override;

 private:
  enum class Plane { kProj, kGeographicWgs84, kChartMercator };

  CGeoTiffChart() = default;
  bool ReadLayout(std::string& error);
  void ReadPalette();
  bool ReadGeoreferencing(std::string& error);
  bool ReadRasterToModel(std::string& error);
  bool FitTiepoints(const std::vector<double>& tiepoints, double half, std::string& error);
  std::optional<PixelPoint> ModelToPixel(PlanePoint model) const;
  // Decodes the rows read together with row y (a row of tiles, a strip, or a
  // run of scanlines of a tall strip) into the cache; returns row y.
  CScanLineCache::Row DecodeRowsAround(int y) const;
  std::pair<int, int> RowsReadWith(int y) const;  // first row, count
  bool ReadsScanlines() const;  // tall strips of interleaved samples
  bool ReadBlocks(int first, int rows, std::vector<uint8_t>& samples) const;
  CScanLineCache::Row MakeRow(const uint8_t* samples) const;
  void CopyBlockRow(const uint8_t* block, size_t rowBytes, int r, int x0, int columns, int plane,
                    uint8_t* out) const;

  std::filesystem::path path_;
  tiff* tif_ = nullptr;
  GeoTiffInfo info_;
  uint64_t cacheOwner_ = 0;
  std::array<std::optional<ArgbPalette>, 3> palettes_;  // palette and grey images, per scheme
  bool separatePlanes_ = false;

  bool georeferenced_ = false;
  std::string georefError_;
  Plane plane_ = Plane::kProj;
  std::unique_ptr<CProjPlane> proj_;
  bool affine_ = true;
  std::array<double, 6> inverse_{};  // pixel from model, for an affine raster-to-model
  KapPolynomial toModelX_, toModelY_, toPixelX_, toPixelY_;  // for fitted tiepoints
  std::vector<LatLon> outline_;
  std::vector<MercatorPoint> mercatorOutline_;

  mutable std::mutex tiffMutex_;  // libtiff handles are not shared between threads
  std::string tiffError_;         // libtiff's last error on this file (written under tiffMutex_)
  mutable int nextScanline_ = -1; // the row a tall strip's decoding stopped before (under tiffMutex_)
};

}  // namespace tarnwick
