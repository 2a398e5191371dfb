// KAP panels end to end: the golden decode of the libbsb sample, NOAA panels'
// properties and georeferencing, the fitted georeferencing in each chart
// projection, the datum shift, charts across 180 degrees, damaged files and
// the bitmap's release and return.

#include "charts/raster/RasterChart.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "charts/raster/ProjPlane.h"
#include "charts/tests/KapTestFiles.h"
#include "core/Log.h"
#include "core/tests/support/TestSupport.h"

namespace tarnwick {
namespace {

std::filesystem::path Bsb(const char* name) { return testing::TestDataFolder() / "bsb" / name; }

std::unique_ptr<CRasterChart> Open(const std::filesystem::path& path) {
  KapOpenError error;
  auto chart = CRasterChart::ReadKapFile(path, error);
  EXPECT_TRUE(chart) << path << ": " << error.detail;
  return chart;
}

std::unique_ptr<CRasterChart> FromText(const std::string& header, int width = 4, int height = 2) {
  std::vector<std::vector<uint8_t>> rows;
  for (int y = 0; y < height; ++y) rows.push_back({static_cast<uint8_t>(y + 1), 0x20, 0x00});
  KapOpenError error;
  auto chart = CRasterChart::FromBytes(
      testing::MakeKap("BSB/NA=T,NU=1,RA=" + std::to_string(width) + "," + std::to_string(height) +
                           "\nIFM/3\nRGB/1,0,0,0\n" + header,
                       3, rows),
      "made.kap", error);
  EXPECT_TRUE(chart) << error.detail;
  return chart;
}

double PixelDistance(PixelPoint a, PixelPoint b) { return std::hypot(a.x - b.x, a.y - b.y); }

TEST(RasterChart, DecodesTheSampleExactlyAsItsGoldenImage) {
  auto chart = Open(Bsb("australia4c.kap"));
  ASSERT_TRUE(chart);
  cairo_surface_t* golden = cairo_image_surface_create_from_png(Bsb("australia4c_decoded.png").c_str());
  ASSERT_EQ(cairo_surface_status(golden), CAIRO_STATUS_SUCCESS);
  ASSERT_EQ(cairo_image_surface_get_width(golden), chart->Width());
  ASSERT_EQ(cairo_image_surface_get_height(golden), chart->Height());
  const unsigned char* data = cairo_image_surface_get_data(golden);
  const int stride = cairo_image_surface_get_stride(golden);
  const ArgbPalette& palette = *chart->SchemePalette(ColourScheme::kDay);  // no DAY/: RGB/
  int differing = 0;
  std::vector<uint8_t> row(static_cast<size_t>(chart->Width()));
  for (int y = 0; y < chart->Height(); ++y) {
    ASSERT_TRUE(chart->DecodeScanLine(y, row)) << y;
    const auto* expected = reinterpret_cast<const uint32_t*>(data + y * stride);
    for (int x = 0; x < chart->Width(); ++x) {
      differing += (palette[row[static_cast<size_t>(x)]] | 0xFF000000u) != (expected[x] | 0xFF000000u);
    }
  }
  cairo_surface_destroy(golden);
  EXPECT_EQ(differing, 0);
}

TEST(RasterChart, NoaaPanelPropertiesAndGeoreferencing) {
  auto chart = Open(Bsb("12205_12.KAP"));
  ASSERT_TRUE(chart);
  EXPECT_EQ(chart->Title(), "536 LITTLE RIVER EXTENSION Raster Chart (1:80,000)");
  const auto& p = chart->Properties();
  EXPECT_EQ(p.at("Scale"), "80000");
  EXPECT_EQ(p.at("SkewAngle"), "343.4711111");
  EXPECT_EQ(p.at("SoundingDatum"), "MEAN LOWER LOW WATER");
  EXPECT_EQ(p.at("SourceEdition"), "34");
  EXPECT_EQ(p.at("ClearedDate"), "10/25/2014");
  EXPECT_EQ(p.count("BitmapFileTime"), 1u);
  EXPECT_DOUBLE_EQ(chart->Scale(), 80000);
  ASSERT_TRUE(chart->Georef());
  EXPECT_EQ(chart->Georef()->GetMethod(), CKapGeoref::Method::kPolynomial);
  EXPECT_LT(chart->Georef()->MaxResidual(), 1.0);
  // Every REF/ point both ways within a pixel, and the round trip closes.
  for (const KapRefPoint& r : chart->Header().references) {
    const auto pixel = chart->GeoToPixel({r.lat, r.lon});
    ASSERT_TRUE(pixel);
    EXPECT_LT(PixelDistance(*pixel, {r.x, r.y}), 1.0);
    const auto back = chart->PixelToGeo(*pixel);
    ASSERT_TRUE(back);
    EXPECT_LT(PixelDistance(*chart->GeoToPixel(*back), *pixel), 0.05);
  }
  ASSERT_EQ(chart->Outline().size(), 4u);
  EXPECT_NEAR(*chart->MercatorMetresPerPixel(), 5.08 / std::cos(36.18 * 3.14159265 / 180), 0.2);
}

// REF/ points made by projecting a pixel grid through the named projection;
// a fit in the right plane puts a point between them where it belongs.
TEST(RasterChart, FittedGeoreferencingInEachChartProjection) {
  struct Row {
    const char* projection;  // KNP/PR
    const char* extra;       // more KNP/ and KNQ/ text
    const char* proj;        // the same plane for PROJ
  };
  const Row rows[] = {
      {"MERCATOR", "", "+proj=merc +ellps=WGS84 +type=crs"},
      {"TRANSVERSE MERCATOR", ",PP=-123", "+proj=tmerc +lon_0=-123 +ellps=WGS84 +type=crs"},
      {"UTM", ",PP=-123", "+proj=tmerc +lon_0=-123 +k=0.9996 +ellps=WGS84 +type=crs"},
      {"POLYCONIC", ",PP=-121", "+proj=poly +lon_0=-121 +ellps=WGS84 +type=crs"},
      {"LAMBERT CONFORMAL CONIC", ",PP=-120\nKNQ/P2=40,P3=60",
       "+proj=lcc +lon_0=-120 +lat_1=40 +lat_2=60 +ellps=WGS84 +type=crs"},
  };
  for (const Row& row : rows) {
    std::string error;
    auto plane = CProjPlane::Create(row.proj, error);
    ASSERT_TRUE(plane) << error;
    // A 1000 x 800 chart of 200 m pixels around 49 N 123 W, turned by 10 degrees (skewed).
    const auto origin = *plane->Forward({49.5, -124.0});
    const double c = std::cos(0.1745), s = std::sin(0.1745);
    auto toPlane = [&](double x, double y) {
      return PlanePoint{origin.x + 200 * (c * x + s * y), origin.y - 200 * (-s * x + c * y)};
    };
    std::string header = std::string("KNP/SC=1000000,PR=") + row.projection + row.extra + "\n";
    for (int i = 0; i < 4; ++i) {
      const double x = (i % 2) * 1000.0, y = (i / 2) * 800.0;
      const LatLon p = *plane->Inverse(toPlane(x, y));
      char ref[128];
      std::snprintf(ref, sizeof ref, "REF/%d,%g,%g,%.10f,%.10f\n", i + 1, x, y, p.lat, p.lon);
      header += ref;
    }
    auto chart = FromText(header, 1000, 800);
    ASSERT_TRUE(chart && chart->Georef()) << row.projection;
    EXPECT_EQ(chart->Georef()->GetMethod(), CKapGeoref::Method::kReferenceFit);
    const LatLon middle = *plane->Inverse(toPlane(333, 555));
    const auto pixel = chart->GeoToPixel(middle);
    ASSERT_TRUE(pixel) << row.projection;
    EXPECT_LT(PixelDistance(*pixel, {333, 555}), 0.01) << row.projection;
    const auto position = chart->PixelToGeo({333, 555});
    EXPECT_NEAR(position->lat, middle.lat, 1e-7) << row.projection;
    EXPECT_NEAR(position->lon, middle.lon, 1e-7) << row.projection;
  }
}

TEST(RasterChart, DatumShiftMovesEveryPositionByItsSeconds) {
  const std::string polynomials =
      "WPX/1,7600,100,0\nWPY/1,3600,0,-100\nPWX/1,-76,0.01,0\nPWY/1,36,0,-0.01\n";
  auto plain = FromText(polynomials);
  auto shifted = FromText(polynomials + "DTM/2.5,-1.8\n");
  ASSERT_TRUE(plain && shifted);
  const LatLon a = *plain->PixelToGeo({10, 20});
  const LatLon b = *shifted->PixelToGeo({10, 20});
  EXPECT_NEAR(b.lat - a.lat, 2.5 / 3600, 1e-12);
  EXPECT_NEAR(b.lon - a.lon, -1.8 / 3600, 1e-12);
  EXPECT_LT(PixelDistance(*shifted->GeoToPixel(b), {10, 20}), 1e-9);
}

TEST(RasterChart, ChartsAcrossTheAntimeridian) {
  // REF/ fit: longitudes 179.5 E to 179.5 W over 100 pixels.
  auto fitted = FromText(
      "REF/1,0,0,10,179.5\nREF/2,100,0,10,-179.5\nREF/3,100,100,9,-179.5\nREF/4,0,100,9,179.5\n",
      100, 100);
  ASSERT_TRUE(fitted && fitted->Georef());
  EXPECT_NEAR(std::abs(fitted->PixelToGeo({50, 50})->lon), 180.0, 1e-6);
  EXPECT_NEAR(fitted->GeoToPixel({9.5, -179.9})->x, 60.0, 0.01);
  double east = 0;
  for (const MercatorPoint& p : fitted->MercatorOutline()) east = std::max(east, p.x);
  EXPECT_GT(east, kMercatorWorldWidth / 2);  // continuous past 180

  // Header polynomials written in longitudes shifted by the CPH/ value.
  const std::string shifted =
      "WPX/1,50,100,0\nWPY/1,950,0,-100\nPWX/1,-0.5,0.01,0\nPWY/1,9.5,0,-0.01\n"
      "REF/1,0,0,9.5,179.5\nREF/2,100,0,9.5,-179.5\nREF/3,50,100,8.5,180\nCPH/180\n";
  auto polynomial = FromText(shifted, 100, 100);
  ASSERT_TRUE(polynomial && polynomial->Georef());
  EXPECT_EQ(polynomial->Georef()->GetMethod(), CKapGeoref::Method::kPolynomial);
  EXPECT_NE(polynomial->Georef()->PolynomialLongitudeShift(), 0.0);
  EXPECT_NEAR(polynomial->GeoToPixel({9.5, -179.9})->x, 60.0, 1e-6);
}

TEST(RasterChart, PolynomialsThatMissTheReferencePointsAreSetAside) {
  CLogCapture log;
  auto chart = FromText(
      "WPX/1,7600,100,0\nWPY/1,3600,0,-100\nPWX/1,-76,0.01,0\nPWY/1,36,0,-0.01\n"
      "REF/1,0,0,30,-70\nREF/2,100,0,30,-69\nREF/3,0,100,29,-70\n",
      100, 100);
  ASSERT_TRUE(chart && chart->Georef());
  EXPECT_EQ(chart->Georef()->GetMethod(), CKapGeoref::Method::kReferenceFit);
  EXPECT_NE(chart->Georef()->PolynomialRejection(), "");
  EXPECT_NEAR(chart->PixelToGeo({100, 100})->lon, -69, 1e-9);
}

TEST(RasterChart, ChartsThatCannotBeOpenedOrPlaced) {
  testing::CTempFolder folder;
  testing::WriteFile(folder / "empty.kap", "");
  testing::WriteFile(folder / "text.kap", "just some text\n");
  struct Row {
    std::filesystem::path path;
    const char* user;
    const char* logged;
  };
  const Row rows[] = {
      {folder / "missing.kap", "Cannot open this file.", "ReadKapFile: CreateFile("},
      {folder.Path(), "This is not a valid BSB chart", "ReadKapFile: CreateFileMapping failed: 21"},
      {folder / "empty.kap", "This is not a valid BSB chart", "ReadKapFile: MapViewOfFile failed: 22"},
      {folder / "text.kap", "This is not a valid BSB chart", "m_nCompType == 0"},
  };
  for (const Row& row : rows) {
    CLogCapture log;
    KapOpenError error;
    EXPECT_FALSE(CRasterChart::ReadKapFile(row.path, error)) << row.path;
    EXPECT_EQ(error.userMessage, row.user) << row.path;
    ASSERT_FALSE(log.Lines().empty());
    EXPECT_NE(log.Lines()[0].find(row.logged), std::string::npos) << log.Lines()[0];
  }

  CLogCapture log;
  auto unplaced = FromText("REF/1,0,0,30,-70\nREF/2,4,0,30,-69\nWPX/2,1,2\n");
  ASSERT_TRUE(unplaced);
  EXPECT_FALSE(unplaced->Georef());
  EXPECT_FALSE(unplaced->PixelToGeo({1, 1}));
  EXPECT_TRUE(unplaced->Outline().empty());
  EXPECT_EQ(unplaced->PolynomialNotice(), "Invalid polynomial in KAP file!");
  bool logged = false;
  for (const auto& line : log.Lines()) logged |= line.find("Invalid georeferencing: ") == 0;
  EXPECT_TRUE(logged);
}

TEST(RasterChart, RowsEndingInsideTheDataAreDrawnAsFarAsTheyGo) {
  // Row 2 stops inside a run: the file ends there (no index table).
  std::string kap = testing::MakeKap("BSB/RA=4,2\nIFM/3\nRGB/1,0,0,0\n", 3, {{0x01, 0x23, 0x00}, {0x02, 0x21, 0xB0}});
  kap.resize(kap.size() - 12);
  KapOpenError error;
  auto chart = CRasterChart::FromBytes(kap, "cut.kap", error);
  ASSERT_TRUE(chart) << error.detail;
  EXPECT_TRUE(chart->RowIndexRebuilt());
  CLogCapture log;
  std::vector<uint8_t> row(4, 9);
  EXPECT_TRUE(chart->DecodeScanLine(0, row));
  EXPECT_FALSE(chart->DecodeScanLine(1, row));
  EXPECT_EQ(log.Lines().at(0), "DecodeScanLine failed!");
}

TEST(RasterChart, BitmapIsMappedAgainAfterItsRelease) {
  testing::CTempFolder folder;
  std::filesystem::copy_file(Bsb("12205_7.KAP"), folder / "copy.kap");
  auto chart = Open(folder / "copy.kap");
  ASSERT_TRUE(chart);
  std::vector<uint8_t> before(static_cast<size_t>(chart->Width()));
  std::vector<uint8_t> after(before.size());
  ASSERT_TRUE(chart->DecodeScanLine(300, before));
  chart->UnlockBitmap();
  ASSERT_TRUE(chart->DecodeScanLine(300, after));
  EXPECT_EQ(before, after);

  chart->UnlockBitmap();
  std::filesystem::last_write_time(folder / "copy.kap",
                                   std::filesystem::last_write_time(folder / "copy.kap") + std::chrono::seconds(5));
  CLogCapture log;
  EXPECT_FALSE(chart->LockBitmap());
  EXPECT_EQ(log.Lines().at(0), "CRasterChart::LockBitmap: ReadKapFile failed");
}

}  // namespace
}  // namespace tarnwick
