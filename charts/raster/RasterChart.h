#pragma once
// One KAP panel of a BSB raster chart: its header values and properties, the
// memory-mapped file with its row index, rows decoded on demand into the
// shared scan-line cache, and its georeferencing.

#include <atomic>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "charts/raster/GeoRaster.h"
#include "charts/raster/KapGeoref.h"
#include "charts/raster/KapHeader.h"
#include "charts/raster/MappedFile.h"
#include "charts/raster/ScanLineCache.h"

namespace tarnwick {

// Why a KAP file was not opened.
struct KapOpenError {
  std::string error;        // the recorded error: "Invalid KAP file", "Cannot open file"
  std::string userMessage;  // "This is not a valid BSB chart", "Cannot open this file."
  std::string detail;       // what exactly (for logs and the command line)
};

class CRasterChart final : public CGeoRaster {
 public:
  // Maps the file and decodes its header and row index. Failures log
  // "ReadKapFile: CreateFile(%s) failed: %d\n" (cannot open; errno),
  // "ReadKapFile: CreateFileMapping failed: %d %s\n" (not a regular file),
  // "ReadKapFile: MapViewOfFile failed: %d %s\n" (cannot map), or the header's
  // own lines (see DecodeKapHeader). A chart whose georeferencing cannot be
  // set up opens anyway (logged "Invalid georeferencing: %s\n") and has no
  // positions.
  static std::unique_ptr<CRasterChart> ReadKapFile(const std::filesystem::path& path,
                                                   KapOpenError& error);
  // The same over bytes held in memory; name stands for the path.
  static std::unique_ptr<CRasterChart> FromBytes(std::string bytes, const std::string& name,
                                                 KapOpenError& error);
  ~CRasterChart() override;

  const KapHeader& Header() const { return header_; }
  const std::filesystem::path& Path() const { return path_; }
  // Properties by their stored names ("BitmapFile", "Type", "SourceEdition",
  // "EditionDate", "Updated", "ClearedDate", "DepthUnits", "SoundingDatum",
  // "Datum", "Projection", "Scale", "SkewAngle", "BitmapFileTime"); only those
  // the file gives.
  const std::map<std::string, std::string>& Properties() const { return properties_; }
  // "%s %s %s (1:%s)": chart number, name, type, scale with thousands commas.
  std::string Title() const;
  // "Invalid polynomial in KAP file!" when a polynomial line was refused, else "".
  std::string PolynomialNotice() const;

  // The georeferencing, or none (with GeorefError()) when it could not be set up.
  const std::optional<CKapGeoref>& Georef() const { return georef_; }
  const std::string& GeorefError() const { return georefError_; }
  bool RowIndexRebuilt() const { return rowIndexRebuilt_; }

  // Maps the file again if UnlockBitmap released it: logs
  // "CRasterChart::LockBitmap: MapViewOfFile failed (%d)\n" when it cannot,
  // and "CRasterChart::LockBitmap: ReadKapFile failed" when the file changed
  // since it was opened (the chart must then be opened again).
  bool LockBitmap() const;
  // Releases the mapping (rows already cached stay usable).
  void UnlockBitmap();

  // Decodes row y (0..Height()-1) into row (Width() bytes of palette indices,
  // entry n of the file's palettes at index n - 1). False, logged
  // "DecodeScanLine failed!", when the row's data is missing or ends early.
  bool DecodeScanLine(int y, std::span<uint8_t> row) const;
  // Row y through the shared cache; null when it cannot be decoded at all.
  CScanLineCache::Row ScanLine(int y) const;

  // The ARGB palette a scheme draws with: DAY/, DSK/ or NGT/ when the file
  // has it, else RGB/ dimmed by SchemeBrightness; entries the file does not
  // give are transparent. Null when the file has no palette at all.
  const ArgbPalette* SchemePalette(ColourScheme scheme) const;

  // CGeoRaster
  int Width() const override { return header_.width; }
  int Height() const override { return header_.height; }
  std::optional<LatLon> PixelToGeo(PixelPoint pixel) const override;
  std::optional<PixelPoint> GeoToPixel(LatLon position) const override;
  std::optional<PixelPoint> MercatorToPixel(MercatorPoint point) const override;
  const std::vector<LatLon>& Outline() const override { return outline_; }
  const std::vector<MercatorPoint>& MercatorOutline() const override { return mercatorOutline_; }
  double Scale() const override;
  RasterRow ReadRow(int y, ColourScheme scheme) const override;

 private:
  struct Bitmap {
    std::unique_ptr<CMappedFile> file;
    std::vector<uint32_t> rows;  // file offset of each row, kNoRow when missing
  };

  CRasterChart() = default;
  static std::unique_ptr<CRasterChart> FromFile(std::unique_ptr<CMappedFile> file,
                                                const std::string& name, KapOpenError& error);
  std::shared_ptr<const Bitmap> CurrentBitmap() const;
  void SetUpProperties();
  void SetUpPalettes();
  void SetUpOutline();

  std::filesystem::path path_;
  bool fromBytes_ = false;
  KapHeader header_;
  std::map<std::string, std::string> properties_;
  std::optional<CKapGeoref> georef_;
  std::string georefError_;
  bool rowIndexRebuilt_ = false;
  std::array<std::optional<ArgbPalette>, 3> schemePalettes_;
  std::vector<LatLon> outline_;
  std::vector<MercatorPoint> mercatorOutline_;
  uint64_t cacheOwner_ = 0;
  int64_t fileTimeNs_ = 0;

  mutable std::mutex bitmapMutex_;
  mutable std::shared_ptr<const Bitmap> bitmap_;
  mutable std::atomic<bool> decodeFailureLogged_{false};
  mutable std::atomic<bool> paletteFailureLogged_{false};
};

}  // namespace tarnwick
