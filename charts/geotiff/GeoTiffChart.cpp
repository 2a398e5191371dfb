#include "charts/geotiff/GeoTiffChart.h"

#include <geo_normalize.h>
#include <geotiff.h>
#include <geovalues.h>
#include <tiffio.h>
#include <xtiffio.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstring>

#include "core/Log.h"
#include "core/geo/Geodesy.h"

namespace tarnwick {
namespace {

// Largest image side accepted, pixels.
constexpr uint32_t kMaxSide = 1u << 20;
// Strips taller than this are read a run of this many scanlines at a time.
constexpr int kMaxRowsPerRead = 64;
constexpr int kWgs84Geographic = 4326;
constexpr int kWorldMercator = 3395;

// libtiff's messages for one file, kept for the error text.
int KeepError(TIFF*, void* userData, const char* module, const char* format, va_list args) {
  char text[512];
  std::vsnprintf(text, sizeof text, format, args);
  auto* kept = static_cast<std::string*>(userData);
  *kept = std::string(module ? module : "libtiff") + ": " + text;
  LogDebug("libtiff: %s\n", kept->c_str());
  return 1;
}

int DropWarning(TIFF*, void*, const char*, const char* format, va_list args) {
  char text[512];
  std::vsnprintf(text, sizeof text, format, args);
  LogDebug("libtiff warning: %s\n", text);
  return 1;
}

const char* PhotometricName(uint16_t photometric) {
  switch (photometric) {
    case PHOTOMETRIC_MINISWHITE: return "min-is-white";
    case PHOTOMETRIC_MINISBLACK: return "min-is-black";
    case PHOTOMETRIC_RGB: return "rgb";
    case PHOTOMETRIC_PALETTE: return "palette";
    case PHOTOMETRIC_YCBCR: return "ycbcr";
    default: return "other";
  }
}

// Sample s of pixel c in row r of a decoded strip or tile whose rows are
// rowBytes long and hold `samples` samples of bits each per pixel.
uint8_t SampleAt(const uint8_t* block, size_t rowBytes, int c, int r, int bits, int samples, int s) {
  const uint8_t* row = block + static_cast<size_t>(r) * rowBytes;
  if (bits == 8) return row[static_cast<size_t>(c) * static_cast<size_t>(samples) + static_cast<size_t>(s)];
  const size_t bit = (static_cast<size_t>(c) * static_cast<size_t>(samples) + static_cast<size_t>(s)) * static_cast<size_t>(bits);
  return static_cast<uint8_t>((row[bit / 8] >> (8 - bits - static_cast<int>(bit % 8))) & ((1 << bits) - 1));
}

uint32_t Premultiplied(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
  auto mul = [a](uint8_t v) { return static_cast<uint32_t>((v * a + 127) / 255); };
  return (uint32_t{a} << 24) | (mul(r) << 16) | (mul(g) << 8) | mul(b);
}

}  // namespace

std::unique_ptr<CGeoTiffChart> CGeoTiffChart::Open(const std::filesystem::path& path,
                                                   std::string& error) {
  static std::once_flag tags;
  std::call_once(tags, [] { XTIFFInitialize(); });
  std::unique_ptr<CGeoTiffChart> chart(new CGeoTiffChart);
  chart->path_ = path;
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  TIFFOpenOptionsSetErrorHandlerExtR(options, KeepError, &chart->tiffError_);
  TIFFOpenOptionsSetWarningHandlerExtR(options, DropWarning, nullptr);
  chart->tif_ = TIFFOpenExt(path.c_str(), "r", options);
  TIFFOpenOptionsFree(options);
  if (!chart->tif_) {
    error = chart->tiffError_.empty() ? "cannot open " + path.string() : chart->tiffError_;
    Log("CGeoTiffChart::Open: %s: %s\n", path.c_str(), error.c_str());
    return nullptr;
  }
  if (!chart->ReadLayout(error)) {
    Log("CGeoTiffChart::Open: %s: %s\n", path.c_str(), error.c_str());
    return nullptr;
  }
  chart->ReadPalette();
  chart->cacheOwner_ = CScanLineCache::NewOwner();
  std::string why;
  chart->georeferenced_ = chart->ReadGeoreferencing(why);
  if (chart->georeferenced_) {
    chart->outline_ = RasterEdgeOutline(*chart, 16);
    chart->mercatorOutline_ = MercatorRing(chart->outline_);
  } else {
    chart->georefError_ = why;
    Log("Invalid georeferencing: %s: %s\n", path.c_str(), why.c_str());
  }
  return chart;
}

CGeoTiffChart::~CGeoTiffChart() {
  if (cacheOwner_) CScanLineCache::Shared().Forget(cacheOwner_);
  if (tif_) XTIFFClose(tif_);
}

bool CGeoTiffChart::ReadLayout(std::string& error) {
  uint32_t width = 0, height = 0;
  uint16_t samples = 1, bits = 1, photometric = 0, planar = PLANARCONFIG_CONTIG, format = SAMPLEFORMAT_UINT;
  uint16_t compression = COMPRESSION_NONE;
  TIFFGetField(tif_, TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tif_, TIFFTAG_IMAGELENGTH, &height);
  TIFFGetFieldDefaulted(tif_, TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetFieldDefaulted(tif_, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(tif_, TIFFTAG_PLANARCONFIG, &planar);
  TIFFGetFieldDefaulted(tif_, TIFFTAG_SAMPLEFORMAT, &format);
  TIFFGetFieldDefaulted(tif_, TIFFTAG_COMPRESSION, &compression);
  if (!TIFFGetField(tif_, TIFFTAG_PHOTOMETRIC, &photometric)) {
    error = "no photometric interpretation";
    return false;
  }
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) {
    error = "image size " + std::to_string(width) + " x " + std::to_string(height) + " out of range";
    return false;
  }
  info_.width = static_cast<int>(width);
  info_.height = static_cast<int>(height);
  info_.samplesPerPixel = samples;
  info_.bitsPerSample = bits;
  info_.compression = compression;
  info_.photometric = PhotometricName(photometric);
  separatePlanes_ = planar == PLANARCONFIG_SEPARATE && samples > 1;
  uint16_t extraCount = 0;
  uint16_t* extra = nullptr;
  if (TIFFGetField(tif_, TIFFTAG_EXTRASAMPLES, &extraCount, &extra) && extraCount > 0 && extra) {
    info_.hasAlpha = extra[0] == EXTRASAMPLE_ASSOCALPHA || extra[0] == EXTRASAMPLE_UNASSALPHA;
  }
  if (photometric == PHOTOMETRIC_YCBCR && compression == COMPRESSION_JPEG) {
    // libjpeg turns the samples into RGB as it decodes them.
    TIFFSetField(tif_, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    photometric = PHOTOMETRIC_RGB;
  }
  const bool smallBits = bits == 1 || bits == 2 || bits == 4 || bits == 8;
  bool supported = format == SAMPLEFORMAT_UINT;
  if (photometric == PHOTOMETRIC_PALETTE) {
    supported = supported && samples == 1 && smallBits;
  } else if (photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE) {
    supported = supported && ((samples == 1 && smallBits) || (samples == 2 && bits == 8));
  } else if (photometric == PHOTOMETRIC_RGB) {
    supported = supported && (samples == 3 || samples == 4) && bits == 8;
  } else {
    supported = false;
  }
  if (!supported) {
    error = "unsupported image: " + info_.photometric + ", " + std::to_string(samples) + " samples of " +
            std::to_string(bits) + " bits (palette, grey and 8-bit RGB images are read)";
    return false;
  }
  info_.tiled = TIFFIsTiled(tif_) != 0;
  uint32_t blockWidth = width, blockHeight = height;
  if (info_.tiled) {
    TIFFGetField(tif_, TIFFTAG_TILEWIDTH, &blockWidth);
    TIFFGetField(tif_, TIFFTAG_TILELENGTH, &blockHeight);
  } else {
    TIFFGetFieldDefaulted(tif_, TIFFTAG_ROWSPERSTRIP, &blockHeight);
    blockHeight = std::min(blockHeight, height);
  }
  if (blockWidth == 0 || blockHeight == 0 || blockWidth > kMaxSide || blockHeight > kMaxSide) {
    error = "tile or strip size out of range";
    return false;
  }
  info_.blockWidth = static_cast<int>(blockWidth);
  info_.blockHeight = static_cast<int>(blockHeight);
  return true;
}

void CGeoTiffChart::ReadPalette() {
  ArgbPalette day{};
  if (info_.photometric == "palette") {
    uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
    if (!TIFFGetField(tif_, TIFFTAG_COLORMAP, &red, &green, &blue)) return;
    const int entries = 1 << info_.bitsPerSample;
    info_.paletteEntries = entries;
    // Some writers store 8-bit values in the 16-bit colour map.
    bool eightBit = true;
    for (int i = 0; i < entries; ++i) eightBit = eightBit && red[i] < 256 && green[i] < 256 && blue[i] < 256;
    const int shift = eightBit ? 0 : 8;
    for (int i = 0; i < entries; ++i) {
      day[static_cast<size_t>(i)] = OpaqueArgb(static_cast<uint8_t>(red[i] >> shift),
                                               static_cast<uint8_t>(green[i] >> shift),
                                               static_cast<uint8_t>(blue[i] >> shift));
    }
  } else if (info_.samplesPerPixel == 1) {
    const int top = (1 << info_.bitsPerSample) - 1;
    const bool whiteIsZero = info_.photometric == "min-is-white";
    for (int i = 0; i <= top; ++i) {
      const auto v = static_cast<uint8_t>((whiteIsZero ? top - i : i) * 255 / top);
      day[static_cast<size_t>(i)] = OpaqueArgb(v, v, v);
    }
  } else {
    return;  // rows of ARGB words
  }
  for (const ColourScheme scheme : {ColourScheme::kDay, ColourScheme::kDusk, ColourScheme::kNight}) {
    const double brightness = SchemeBrightness(scheme);
    ArgbPalette dimmed{};
    for (size_t i = 0; i < 256; ++i) {
      const uint32_t c = day[i];
      auto dim = [brightness](uint32_t v) { return static_cast<uint8_t>(std::lround((v & 0xFF) * brightness)); };
      dimmed[i] = (c >> 24) ? OpaqueArgb(dim(c >> 16), dim(c >> 8), dim(c)) : 0;
    }
    palettes_[static_cast<size_t>(scheme)] = dimmed;
  }
}

bool CGeoTiffChart::ReadGeoreferencing(std::string& error) {
  GTIF* gtif = GTIFNew(tif_);
  if (!gtif) {
    error = "no GeoKeys";
    return false;
  }
  GTIFDefn* defn = GTIFAllocDefn();
  const bool defined = GTIFGetDefn(gtif, defn) != 0;
  unsigned short rasterType = RasterPixelIsArea;
  GTIFKeyGet(gtif, GTRasterTypeGeoKey, &rasterType, 0, 1);
  info_.pixelIsPoint = rasterType == RasterPixelIsPoint;
  if (defined && (defn->Model == ModelTypeProjected || defn->Model == ModelTypeGeographic)) {
    const bool projected = defn->Model == ModelTypeProjected;
    info_.model = projected ? "projected" : "geographic";
    const int code = projected ? defn->PCS : defn->GCS;
    info_.epsg = code > 0 && code != KvUserDefined ? code : 0;
    if (info_.epsg) {
      info_.crsDefinition = "EPSG:" + std::to_string(info_.epsg);
    } else if (char* proj4 = GTIFGetProj4Defn(defn)) {
      info_.crsDefinition = std::string(proj4) + " +type=crs";
      GTIFFreeMemory(proj4);
    }
  }
  GTIFFreeDefn(defn);
  GTIFFree(gtif);
  if (!ReadRasterToModel(error)) return false;
  if (info_.crsDefinition.empty()) {
    error = "no coordinate reference system in the GeoKeys";
    return false;
  }
  if (info_.model == "projected" && info_.epsg == kWorldMercator) {
    plane_ = Plane::kChartMercator;
  } else if (info_.model == "geographic" && info_.epsg == kWgs84Geographic) {
    plane_ = Plane::kGeographicWgs84;
  } else {
    plane_ = Plane::kProj;
    proj_ = CProjPlane::Create(info_.crsDefinition, error);
    if (!proj_) return false;
  }
  return true;
}

bool CGeoTiffChart::ReadRasterToModel(std::string& error) {
  uint16_t count = 0;
  double* values = nullptr;
  auto& gt = info_.geoTransform;
  if (TIFFGetField(tif_, TIFFTAG_GEOTRANSMATRIX, &count, &values) && count >= 16 && values) {
    gt = {values[3], values[0], values[1], values[7], values[4], values[5]};
    info_.rasterToModel = "matrix";
  } else if (TIFFGetField(tif_, TIFFTAG_GEOTIEPOINTS, &count, &values) && count >= 6 && values) {
    std::vector<double> tiepoints(values, values + count - count % 6);
    uint16_t scaleCount = 0;
    double* scale = nullptr;
    const bool scaled = TIFFGetField(tif_, TIFFTAG_GEOPIXELSCALE, &scaleCount, &scale) && scaleCount >= 2 && scale &&
                        scale[0] != 0 && scale[1] != 0;
    const double half = info_.pixelIsPoint ? 0.5 : 0.0;
    if (scaled && tiepoints.size() == 6) {
      gt = {tiepoints[3] - tiepoints[0] * scale[0], scale[0], 0.0, tiepoints[4] + tiepoints[1] * scale[1], 0.0,
            -scale[1]};
      info_.rasterToModel = "tiepoint and scale";
    } else {
      return FitTiepoints(tiepoints, half, error);
    }
  } else {
    error = "no tiepoints and no transformation matrix";
    return false;
  }
  if (info_.pixelIsPoint) {
    gt[0] -= 0.5 * (gt[1] + gt[2]);
    gt[3] -= 0.5 * (gt[4] + gt[5]);
  }
  const double det = gt[1] * gt[5] - gt[2] * gt[4];
  if (!(std::abs(det) > 0) || !std::isfinite(det)) {
    error = "the transformation matrix does not place the image";
    return false;
  }
  inverse_ = {(gt[2] * gt[3] - gt[0] * gt[5]) / det, gt[5] / det, -gt[2] / det,
              (gt[0] * gt[4] - gt[1] * gt[3]) / det, -gt[4] / det, gt[1] / det};
  return true;
}

bool CGeoTiffChart::FitTiepoints(const std::vector<double>& tiepoints, double half, std::string& error) {
  const size_t n = tiepoints.size() / 6;
  std::vector<PolynomialSample> x, y, u, v;
  for (size_t i = 0; i < n; ++i) {
    const double* t = &tiepoints[i * 6];
    x.push_back({t[0] + half, t[1] + half, t[3]});
    y.push_back({t[0] + half, t[1] + half, t[4]});
    u.push_back({t[3], t[4], t[0] + half});
    v.push_back({t[3], t[4], t[1] + half});
  }
  for (int o = FitOrderForPointCount(n).value_or(0); o >= 1; --o) {
    auto fx = FitPolynomial(x, o), fy = FitPolynomial(y, o), fu = FitPolynomial(u, o), fv = FitPolynomial(v, o);
    if (fx && fy && fu && fv) {
      toModelX_ = *fx;
      toModelY_ = *fy;
      toPixelX_ = *fu;
      toPixelY_ = *fv;
      affine_ = false;
      info_.rasterToModel = "fit to " + std::to_string(n) + " tiepoints";
      return true;
    }
  }
  error = "a tiepoint without a pixel scale, or tiepoints that do not place the image";
  return false;
}

std::optional<PlanePoint> CGeoTiffChart::PixelToModel(PixelPoint pixel) const {
  if (!georeferenced_ && info_.rasterToModel.empty()) return std::nullopt;
  if (!affine_) return PlanePoint{toModelX_.Evaluate(pixel.x, pixel.y), toModelY_.Evaluate(pixel.x, pixel.y)};
  const auto& gt = info_.geoTransform;
  return PlanePoint{gt[0] + gt[1] * pixel.x + gt[2] * pixel.y, gt[3] + gt[4] * pixel.x + gt[5] * pixel.y};
}

std::optional<PixelPoint> CGeoTiffChart::ModelToPixel(PlanePoint model) const {
  if (!affine_) return PixelPoint{toPixelX_.Evaluate(model.x, model.y), toPixelY_.Evaluate(model.x, model.y)};
  const auto& t = inverse_;
  return PixelPoint{t[0] + t[1] * model.x + t[2] * model.y, t[3] + t[4] * model.x + t[5] * model.y};
}

std::optional<LatLon> CGeoTiffChart::PixelToGeo(PixelPoint pixel) const {
  if (!georeferenced_) return std::nullopt;
  const auto model = PixelToModel(pixel);
  if (!model) return std::nullopt;
  switch (plane_) {
    case Plane::kGeographicWgs84:
      if (std::abs(model->y) > 90 || !std::isfinite(model->x)) return std::nullopt;
      return LatLon{model->y, model->x > 180 || model->x < -180 ? std::remainder(model->x, 360.0) : model->x};
    case Plane::kChartMercator:
      return MercatorInverse(model->x, model->y);
    case Plane::kProj:
      return proj_->Inverse(*model);
  }
  return std::nullopt;
}

std::optional<PixelPoint> CGeoTiffChart::GeoToPixel(LatLon position) const {
  if (!georeferenced_) return std::nullopt;
  std::optional<PlanePoint> model;
  switch (plane_) {
    case Plane::kGeographicWgs84: {
      // The longitude nearest the image's own.
      const double centre = info_.geoTransform[0] + info_.geoTransform[1] * info_.width / 2.0;
      model = PlanePoint{centre + std::remainder(position.lon - centre, 360.0), position.lat};
      break;
    }
    case Plane::kChartMercator: {
      const MercatorPoint m = MercatorForward(position.lat, position.lon);
      model = PlanePoint{m.x, m.y};
      break;
    }
    case Plane::kProj:
      model = proj_->Forward(position);
      break;
  }
  if (!model) return std::nullopt;
  return ModelToPixel(*model);
}

std::optional<PixelPoint> CGeoTiffChart::MercatorToPixel(MercatorPoint point) const {
  if (georeferenced_ && plane_ == Plane::kChartMercator) {
    const double centre = info_.geoTransform[0] + info_.geoTransform[1] * info_.width / 2.0;
    return ModelToPixel({centre + std::remainder(point.x - centre, kMercatorWorldWidth), point.y});
  }
  return CGeoRaster::MercatorToPixel(point);
}

// Copies `columns` pixels of row r of a decoded block (rows rowBytes long, perPixel
// samples each) into out at column x0; with separate planes, into sample `plane`.
void CGeoTiffChart::CopyBlockRow(const uint8_t* block, size_t rowBytes, int r, int x0, int columns, int plane,
                                 uint8_t* out) const {
  const int spp = info_.samplesPerPixel;
  const int perPixel = separatePlanes_ ? 1 : spp;
  uint8_t* row = out + static_cast<size_t>(x0) * static_cast<size_t>(spp);
  for (int c = 0; c < columns; ++c) {
    for (int s = 0; s < perPixel; ++s) {
      row[static_cast<size_t>(c * spp + (separatePlanes_ ? plane : s))] =
          SampleAt(block, rowBytes, c, r, info_.bitsPerSample, perPixel, s);
    }
  }
}

bool CGeoTiffChart::ReadsScanlines() const {
  return !info_.tiled && !separatePlanes_ && info_.blockHeight > kMaxRowsPerRead;
}

std::pair<int, int> CGeoTiffChart::RowsReadWith(int y) const {
  const int bh = info_.blockHeight;
  if (!ReadsScanlines()) {
    const int first = y - y % bh;
    return {first, std::min(bh, info_.height - first)};
  }
  const int first = y - y % kMaxRowsPerRead;
  const int stripEnd = std::min(info_.height, (y / bh + 1) * bh);
  return {first, std::min(kMaxRowsPerRead, stripEnd - first)};
}

bool CGeoTiffChart::ReadBlocks(int first, int rows, std::vector<uint8_t>& samples) const {
  const size_t rowSamples = static_cast<size_t>(info_.width) * static_cast<size_t>(info_.samplesPerPixel);
  samples.assign(static_cast<size_t>(rows) * rowSamples, 0);
  const int planes = separatePlanes_ ? info_.samplesPerPixel : 1;
  const int bw = info_.blockWidth;
  const tmsize_t blockSize = info_.tiled ? TIFFTileSize(tif_) : TIFFStripSize(tif_);
  const tmsize_t rowBytes = info_.tiled ? TIFFTileRowSize(tif_) : TIFFScanlineSize(tif_);
  if (blockSize <= 0 || rowBytes <= 0) return false;
  std::vector<uint8_t> block(static_cast<size_t>(blockSize));
  const int across = info_.tiled ? (info_.width + bw - 1) / bw : 1;
  for (int plane = 0; plane < planes; ++plane) {
    const auto sample = static_cast<uint16_t>(plane);
    for (int t = 0; t < across; ++t) {
      const tmsize_t got =
          info_.tiled
              ? TIFFReadEncodedTile(tif_, TIFFComputeTile(tif_, static_cast<uint32_t>(t * bw), static_cast<uint32_t>(first), 0, sample),
                                    block.data(), blockSize)
              : TIFFReadEncodedStrip(tif_, TIFFComputeStrip(tif_, static_cast<uint32_t>(first), sample), block.data(), blockSize);
      if (got < 0) return false;
      if (got < blockSize) std::fill(block.begin() + got, block.end(), 0);
      const int columns = std::min(bw, info_.width - t * bw);
      for (int r = 0; r < rows; ++r) {
        CopyBlockRow(block.data(), static_cast<size_t>(rowBytes), r, t * bw, columns, plane,
                     samples.data() + static_cast<size_t>(r) * rowSamples);
      }
    }
  }
  return true;
}

CScanLineCache::Row CGeoTiffChart::MakeRow(const uint8_t* samples) const {
  const int spp = info_.samplesPerPixel;
  const size_t width = static_cast<size_t>(info_.width);
  if (palettes_[0]) return std::make_shared<const std::vector<uint8_t>>(samples, samples + width);
  auto row = std::make_shared<std::vector<uint8_t>>(4 * width);
  for (size_t x = 0; x < width; ++x) {
    const uint8_t* p = samples + x * static_cast<size_t>(spp);
    const uint32_t argb = spp == 2 ? Premultiplied(p[0], p[0], p[0], p[1])
                                   : Premultiplied(p[0], p[1], p[2], spp == 4 && info_.hasAlpha ? p[3] : 255);
    std::memcpy(row->data() + 4 * x, &argb, 4);
  }
  return row;
}

CScanLineCache::Row CGeoTiffChart::DecodeRowsAround(int y) const {
  CScanLineCache& cache = CScanLineCache::Shared();
  std::lock_guard lock(tiffMutex_);
  if (auto row = cache.Find(cacheOwner_, static_cast<uint32_t>(y))) return row;  // another thread was first
  const auto [first, rows] = RowsReadWith(y);
  const size_t rowSamples = static_cast<size_t>(info_.width) * static_cast<size_t>(info_.samplesPerPixel);
  CScanLineCache::Row wanted;
  auto keep = [&](int r, const uint8_t* samples) {
    CScanLineCache::Row row = MakeRow(samples);
    if (r == y) wanted = row;
    cache.Insert(cacheOwner_, static_cast<uint32_t>(r), std::move(row));
  };
  bool ok = true;
  if (ReadsScanlines()) {
    // Compressed strips decode only forwards from their start: go on from
    // where the last run stopped when that is not past this one.
    const int stripStart = y - y % info_.blockHeight;
    int from = info_.compression == COMPRESSION_NONE ? first : stripStart;
    if (nextScanline_ >= stripStart && nextScanline_ <= first) from = nextScanline_;
    std::vector<uint8_t> line(static_cast<size_t>(std::max<tmsize_t>(TIFFScanlineSize(tif_), 1)));
    std::vector<uint8_t> samples(rowSamples);
    nextScanline_ = -1;
    for (int r = from; ok && r < first + rows; ++r) {
      ok = TIFFReadScanline(tif_, line.data(), static_cast<uint32_t>(r), 0) >= 0;
      if (!ok) break;
      CopyBlockRow(line.data(), line.size(), 0, 0, info_.width, 0, samples.data());
      keep(r, samples.data());
      nextScanline_ = r + 1;
    }
  } else {
    std::vector<uint8_t> samples;
    ok = ReadBlocks(first, rows, samples);
    for (int r = 0; ok && r < rows; ++r) keep(first + r, samples.data() + static_cast<size_t>(r) * rowSamples);
  }
  if (!ok) {
    Log("CGeoTiffChart: cannot read the rows around %d of %s: %s\n", y, path_.c_str(), tiffError_.c_str());
    return nullptr;
  }
  return wanted;
}

RasterRow CGeoTiffChart::ReadRow(int y, ColourScheme scheme) const {
  if (y < 0 || y >= info_.height) return {};
  const auto& palette = palettes_[static_cast<size_t>(scheme)];
  CScanLineCache::Row row = CScanLineCache::Shared().Find(cacheOwner_, static_cast<uint32_t>(y));
  if (!row) row = DecodeRowsAround(y);
  return {row, palette ? &*palette : nullptr};
}

}  // namespace tarnwick
