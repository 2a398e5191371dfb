#include "charts/raster/RasterChart.h"

#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <ctime>

#include "charts/raster/BsbText.h"
#include "charts/raster/KapRows.h"
#include "core/Log.h"

namespace tarnwick {
namespace {

std::string IsoTime(int64_t ns) {
  const time_t seconds = static_cast<time_t>(ns / 1000000000);
  struct tm utc {};
  gmtime_r(&seconds, &utc);
  char text[80];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", utc.tm_year + 1900,
                utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
  return text;
}

// "80000" -> "80,000"; other text unchanged.
std::string WithThousands(const std::string& number) {
  if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) return number;
  std::string out;
  const size_t n = number.size();
  for (size_t i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) out += ',';
    out += number[i];
  }
  return out;
}

ArgbPalette ToArgb(const KapPalette& palette, double brightness) {
  ArgbPalette out{};
  for (int entry = 0; entry < 256; ++entry) {
    if (!palette.present[static_cast<size_t>(entry)]) continue;
    const KapColour c = palette.colours[static_cast<size_t>(entry)];
    auto dim = [brightness](uint8_t v) { return static_cast<uint8_t>(std::lround(v * brightness)); };
    // Decoded indices are the file's entry numbers minus one.
    out[static_cast<uint8_t>(entry - 1)] = OpaqueArgb(dim(c.r), dim(c.g), dim(c.b));
  }
  return out;
}

}  // namespace

std::unique_ptr<CRasterChart> CRasterChart::ReadKapFile(const std::filesystem::path& path,
                                                        KapOpenError& error) {
  CMappedFile::Failure failure;
  int code = 0;
  auto file = CMappedFile::Map(path, failure, code);
  if (!file) {
    const std::string name = path.string();
    switch (failure) {
      case CMappedFile::Failure::kOpen:
        Log("ReadKapFile: CreateFile(%s) failed: %d\n", name.c_str(), code);
        error = {"Cannot open file", "Cannot open this file.", std::strerror(code)};
        break;
      case CMappedFile::Failure::kStat:
        Log("ReadKapFile: CreateFileMapping failed: %d %s\n", code, name.c_str());
        error = {"Invalid KAP file", "This is not a valid BSB chart", std::strerror(code)};
        break;
      default:
        Log("ReadKapFile: MapViewOfFile failed: %d %s\n", code, name.c_str());
        error = {"Invalid KAP file", "This is not a valid BSB chart",
                 code == EINVAL ? "the file is empty" : std::strerror(code)};
        break;
    }
    return nullptr;
  }
  auto chart = FromFile(std::move(file), path.string(), error);
  if (chart) chart->path_ = path;
  return chart;
}

std::unique_ptr<CRasterChart> CRasterChart::FromBytes(std::string bytes, const std::string& name,
                                                      KapOpenError& error) {
  auto chart = FromFile(CMappedFile::FromBytes(std::move(bytes)), name, error);
  if (chart) chart->fromBytes_ = true;
  return chart;
}

std::unique_ptr<CRasterChart> CRasterChart::FromFile(std::unique_ptr<CMappedFile> file,
                                                     const std::string& name,
                                                     KapOpenError& error) {
  std::unique_ptr<CRasterChart> chart(new CRasterChart);
  chart->path_ = name;
  const auto bytes = file->Bytes();
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  std::string why;
  if (!DecodeKapHeader(BsbHeaderText(text), name, chart->header_, why)) {
    error = {"Invalid KAP file", "This is not a valid BSB chart", why};
    return nullptr;
  }
  auto bitmap = std::make_shared<Bitmap>();
  auto rows = ReadRowIndex(bytes, chart->header_.height, chart->rowIndexRebuilt_);
  if (!rows) {
    Log("ReadKapFile: no raster rows in %s\n", name.c_str());
    error = {"Invalid KAP file", "This is not a valid BSB chart", "no raster rows after the header"};
    return nullptr;
  }
  if (chart->rowIndexRebuilt_) Log("ReadKapFile: row index rebuilt by reading the rows of %s\n", name.c_str());
  bitmap->rows = std::move(*rows);
  chart->fileTimeNs_ = file->ModifiedNs();
  bitmap->file = std::move(file);
  chart->bitmap_ = std::move(bitmap);
  chart->cacheOwner_ = CScanLineCache::NewOwner();

  std::string georefWhy;
  chart->georef_ = CKapGeoref::Create(chart->header_, georefWhy);
  if (!chart->georef_) {
    chart->georefError_ = georefWhy;
    Log("Invalid georeferencing: %s\n", (name + ": " + georefWhy).c_str());
  }
  chart->SetUpProperties();
  chart->SetUpPalettes();
  chart->SetUpOutline();
  return chart;
}

CRasterChart::~CRasterChart() {
  if (cacheOwner_) CScanLineCache::Shared().Forget(cacheOwner_);
}

void CRasterChart::SetUpProperties() {
  auto set = [this](const char* name, const std::string& value) {
    if (!value.empty()) properties_[name] = value;
  };
  auto field = [](const std::map<std::string, std::string>& fields, const char* key) {
    const auto it = fields.find(key);
    return it == fields.end() ? std::string() : it->second;
  };
  set("BitmapFile", path_.string());
  set("Type", "Raster Chart");
  set("SourceEdition", field(header_.ced, "SE"));
  set("EditionDate", field(header_.ced, "ED"));
  set("Updated", field(header_.ntm, "NE"));
  set("ClearedDate", field(header_.ntm, "ND"));
  set("DepthUnits", header_.Knp("UN"));
  set("SoundingDatum", header_.Knp("SD"));
  set("Datum", header_.Knp("GD"));
  set("Projection", header_.Knp("PR"));
  set("Scale", header_.Knp("SC"));
  set("SkewAngle", header_.Knp("SK"));
  if (!fromBytes_ && fileTimeNs_ != 0) set("BitmapFileTime", IsoTime(fileTimeNs_));
}

void CRasterChart::SetUpPalettes() {
  const KapPalette* base = header_.Palette(KapPaletteKind::RGB);
  if (!base) {
    for (const auto& p : header_.palettes) {
      if (p) {
        base = &*p;
        break;
      }
    }
  }
  const std::pair<ColourScheme, KapPaletteKind> own[] = {{ColourScheme::kDay, KapPaletteKind::DAY},
                                                         {ColourScheme::kDusk, KapPaletteKind::DSK},
                                                         {ColourScheme::kNight, KapPaletteKind::NGT}};
  for (const auto& [scheme, kind] : own) {
    auto& slot = schemePalettes_[static_cast<size_t>(scheme)];
    if (const KapPalette* p = header_.Palette(kind)) {
      slot = ToArgb(*p, 1.0);
    } else if (base) {
      slot = ToArgb(*base, SchemeBrightness(scheme));
    }
  }
}

void CRasterChart::SetUpOutline() {
  if (!georef_) return;
  if (header_.border.size() >= 3) {
    for (const LatLon& p : header_.border) {
      outline_.push_back({p.lat + header_.datumShiftLat, p.lon + header_.datumShiftLon});
    }
    UnwrapLongitudes(outline_);
  } else {
    outline_ = RasterEdgeOutline(*this, 8);
  }
  mercatorOutline_ = MercatorRing(outline_);
}

std::string CRasterChart::Title() const {
  auto field = [this](const char* key) {
    const auto it = header_.chart.find(key);
    return it == header_.chart.end() ? std::string() : it->second;
  };
  const auto type = properties_.find("Type");
  char text[1200];
  std::snprintf(text, sizeof text, "%s %s %s (1:%s)", field("NU").c_str(), field("NA").c_str(),
                type == properties_.end() ? "" : type->second.c_str(),
                WithThousands(header_.Knp("SC")).c_str());
  return text;
}

std::string CRasterChart::PolynomialNotice() const {
  return header_.invalidPolynomial ? "Invalid polynomial in KAP file!" : "";
}

std::shared_ptr<const CRasterChart::Bitmap> CRasterChart::CurrentBitmap() const {
  std::lock_guard lock(bitmapMutex_);
  return bitmap_;
}

bool CRasterChart::LockBitmap() const {
  std::lock_guard lock(bitmapMutex_);
  if (bitmap_) return true;
  CMappedFile::Failure failure;
  int code = 0;
  auto file = CMappedFile::Map(path_, failure, code);
  if (!file) {
    Log("CRasterChart::LockBitmap: MapViewOfFile failed (%d)\n", code);
    return false;
  }
  bool rebuilt = false;
  auto rows = ReadRowIndex(file->Bytes(), header_.height, rebuilt);
  if (file->ModifiedNs() != fileTimeNs_ || !rows) {
    Log("CRasterChart::LockBitmap: ReadKapFile failed\n");
    return false;
  }
  auto bitmap = std::make_shared<Bitmap>();
  bitmap->file = std::move(file);
  bitmap->rows = std::move(*rows);
  bitmap_ = std::move(bitmap);
  return true;
}

void CRasterChart::UnlockBitmap() {
  if (fromBytes_) return;
  std::lock_guard lock(bitmapMutex_);
  bitmap_.reset();
}

bool CRasterChart::DecodeScanLine(int y, std::span<uint8_t> row) const {
  if (y < 0 || y >= header_.height || row.size() != static_cast<size_t>(header_.width))
    return false;
  if (!LockBitmap()) return false;
  const auto bitmap = CurrentBitmap();
  if (!bitmap) return false;
  const ScanLineResult result =
      tarnwick::DecodeScanLine(bitmap->file->Bytes(), bitmap->rows[static_cast<size_t>(y)],
                               header_.bitsPerPixel, row);
  if (result == ScanLineResult::kComplete) return true;
  if (!decodeFailureLogged_.exchange(true)) {
    Log("DecodeScanLine failed!\n");
    Log("  %s row %d: %s\n", path_.c_str(), y,
        result == ScanLineResult::kNoData ? "no data" : "data ends inside the row");
  }
  return false;
}

CScanLineCache::Row CRasterChart::ScanLine(int y) const {
  if (y < 0 || y >= header_.height) return nullptr;
  return CScanLineCache::Shared().FindOrDecode(
      cacheOwner_, static_cast<uint32_t>(y), [&]() -> CScanLineCache::Row {
        auto row = std::make_shared<std::vector<uint8_t>>(static_cast<size_t>(header_.width), 0);
        if (!DecodeScanLine(y, *row)) {
          // A row that ends early is drawn as far as it goes; one without data is not.
          const auto bitmap = CurrentBitmap();
          if (!bitmap || bitmap->rows[static_cast<size_t>(y)] == kNoRow) return nullptr;
        }
        return row;
      });
}

const ArgbPalette* CRasterChart::SchemePalette(ColourScheme scheme) const {
  const auto& slot = schemePalettes_[static_cast<size_t>(scheme)];
  return slot ? &*slot : nullptr;
}

std::optional<LatLon> CRasterChart::PixelToGeo(PixelPoint pixel) const {
  return georef_ ? georef_->PixelToGeo(pixel) : std::nullopt;
}

std::optional<PixelPoint> CRasterChart::GeoToPixel(LatLon position) const {
  return georef_ ? georef_->GeoToPixel(position) : std::nullopt;
}

std::optional<PixelPoint> CRasterChart::MercatorToPixel(MercatorPoint point) const {
  return georef_ ? georef_->MercatorToPixel(point) : std::nullopt;
}

double CRasterChart::Scale() const {
  const auto scale = ParseBsbDouble(header_.Knp("SC"));
  return scale && *scale > 0 ? *scale : 0.0;
}

RasterRow CRasterChart::ReadRow(int y, ColourScheme scheme) const {
  const ArgbPalette* palette = SchemePalette(scheme);
  if (!palette) {
    if (!paletteFailureLogged_.exchange(true)) Log("CRasterChart::Draw: InitBitmapInfo failed!\n");
    return {};
  }
  return {ScanLine(y), palette};
}

}  // namespace tarnwick
