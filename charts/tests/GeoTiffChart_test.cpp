// GeoTIFF images: every sample layout read back pixel for pixel from files
// that libtiff itself writes (strips and tiles, planes, 1 to 8 bits, palette,
// grey, RGB with and without alpha), layouts that are refused, and the
// georeferencing cases: user-defined Lambert, the chart Mercator, pixel is
// point, and an image without a coordinate reference system.

#include "charts/geotiff/GeoTiffChart.h"

#include <geotiff.h>
#include <geovalues.h>
#include <gtest/gtest.h>
#include <tiffio.h>
#include <xtiffio.h>

#include <cmath>
#include <cstring>

#include "core/tests/support/TestSupport.h"

namespace tarnwick {
namespace {

constexpr int kW = 37;  // not a multiple of the 16-pixel tiles
constexpr int kH = 150;  // taller than a run of scanlines read at once

struct Layout {
  const char* name;
  uint16_t photometric;
  uint16_t bits;
  uint16_t samples;
  bool tiled;
  int rowsPerStrip;  // strips only
  bool separate;
  uint16_t compression;
  bool alpha;
};

uint8_t Value(int x, int y, int s, int bits) { return static_cast<uint8_t>((x * 7 + y * 13 + s * 50) % (1 << bits)); }

// Palette entry i: red = i, green = 255 - i, blue = 3 i, as 16-bit values.
uint32_t PaletteColour(int i) {
  return OpaqueArgb(static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(3 * i));
}

void WriteImage(const std::string& path, const Layout& l) {
  TIFF* tif = XTIFFOpen(path.c_str(), "w");
  ASSERT_TRUE(tif);
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kW);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, kH);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, l.bits);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, l.samples);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, l.photometric);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, l.separate ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, l.compression);
  if (l.alpha) {
    const uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, extra);
  }
  if (l.photometric == PHOTOMETRIC_PALETTE) {
    std::vector<uint16_t> r(1u << l.bits), g(r.size()), b(r.size());
    for (size_t i = 0; i < r.size(); ++i) {
      r[i] = static_cast<uint16_t>(i * 257);
      g[i] = static_cast<uint16_t>((255 - i) * 257);
      b[i] = static_cast<uint16_t>((3 * i % 256) * 257);
    }
    TIFFSetField(tif, TIFFTAG_COLORMAP, r.data(), g.data(), b.data());
  }
  const int planes = l.separate ? l.samples : 1;
  const int perPixel = l.separate ? 1 : l.samples;
  // Packs pixel samples [x0, x0 + n) of row y of a plane into bytes (images
  // of more than 8 bits a sample are left zero: they are refused unread).
  auto pack = [&](int x0, int n, int y, int plane, uint8_t* out) {
    for (int c = 0; c < n && l.bits <= 8; ++c) {
      for (int s = 0; s < perPixel; ++s) {
        const int x = x0 + c;
        const uint8_t v = x < kW && y < kH ? Value(x, y, l.separate ? plane : s, l.bits) : 0;
        const size_t bit = static_cast<size_t>(c * perPixel + s) * l.bits;
        out[bit / 8] |= static_cast<uint8_t>(v << (8 - l.bits - bit % 8));
      }
    }
  };
  if (l.tiled) {
    TIFFSetField(tif, TIFFTAG_TILEWIDTH, 16);
    TIFFSetField(tif, TIFFTAG_TILELENGTH, 16);
    std::vector<uint8_t> tile(static_cast<size_t>(TIFFTileSize(tif)));
    const tmsize_t rowBytes = TIFFTileRowSize(tif);
    for (int plane = 0; plane < planes; ++plane) {
      for (int ty = 0; ty < kH; ty += 16) {
        for (int tx = 0; tx < kW; tx += 16) {
          std::fill(tile.begin(), tile.end(), 0);
          for (int r = 0; r < 16; ++r) pack(tx, 16, ty + r, plane, tile.data() + r * rowBytes);
          TIFFWriteEncodedTile(tif, TIFFComputeTile(tif, tx, ty, 0, static_cast<uint16_t>(plane)), tile.data(),
                               static_cast<tmsize_t>(tile.size()));
        }
      }
    }
  } else {
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, l.rowsPerStrip);
    std::vector<uint8_t> line(static_cast<size_t>(TIFFScanlineSize(tif)));
    for (int plane = 0; plane < planes; ++plane) {
      for (int y = 0; y < kH; ++y) {
        std::fill(line.begin(), line.end(), 0);
        pack(0, kW, y, plane, line.data());
        TIFFWriteScanline(tif, line.data(), static_cast<uint32_t>(y), static_cast<uint16_t>(plane));
      }
    }
  }
  XTIFFClose(tif);
}

uint32_t Expected(const Layout& l, int x, int y) {
  const int top = (1 << l.bits) - 1;
  if (l.photometric == PHOTOMETRIC_PALETTE) return PaletteColour(Value(x, y, 0, l.bits));
  if (l.samples <= 2 && l.photometric != PHOTOMETRIC_RGB) {
    int v = Value(x, y, 0, l.bits);
    if (l.photometric == PHOTOMETRIC_MINISWHITE) v = top - v;
    const auto grey = static_cast<uint8_t>(v * 255 / top);
    if (l.samples == 1) return OpaqueArgb(grey, grey, grey);
    const int a = Value(x, y, 1, 8);
    const auto m = static_cast<uint8_t>((grey * a + 127) / 255);
    return (uint32_t(a) << 24) | (uint32_t(m) << 16) | (uint32_t(m) << 8) | m;
  }
  const int a = l.alpha ? Value(x, y, 3, 8) : 255;
  auto m = [a](int v) { return static_cast<uint32_t>((v * a + 127) / 255); };
  return (uint32_t(a) << 24) | (m(Value(x, y, 0, 8)) << 16) | (m(Value(x, y, 1, 8)) << 8) | m(Value(x, y, 2, 8));
}

TEST(GeoTiffChart, EveryLayoutReadsBackPixelForPixel) {
  const Layout layouts[] = {
      {"palette 8-bit LZW strips", PHOTOMETRIC_PALETTE, 8, 1, false, 5, false, COMPRESSION_LZW, false},
      {"palette 8-bit LZW in one strip", PHOTOMETRIC_PALETTE, 8, 1, false, kH, false, COMPRESSION_LZW, false},
      {"palette 4-bit tiles", PHOTOMETRIC_PALETTE, 4, 1, true, 0, false, COMPRESSION_NONE, false},
      {"palette 1-bit strips", PHOTOMETRIC_PALETTE, 1, 1, false, 5, false, COMPRESSION_PACKBITS, false},
      {"grey 2-bit tiles", PHOTOMETRIC_MINISBLACK, 2, 1, true, 0, false, COMPRESSION_NONE, false},
      {"white-is-zero 8-bit strips", PHOTOMETRIC_MINISWHITE, 8, 1, false, 5, false, COMPRESSION_NONE, false},
      {"grey with alpha", PHOTOMETRIC_MINISBLACK, 8, 2, false, 5, false, COMPRESSION_NONE, true},
      {"RGB deflate tiles", PHOTOMETRIC_RGB, 8, 3, true, 0, false, COMPRESSION_ADOBE_DEFLATE, false},
      {"RGB separate planes", PHOTOMETRIC_RGB, 8, 3, false, 5, true, COMPRESSION_NONE, false},
      {"RGB separate planes in tall strips", PHOTOMETRIC_RGB, 8, 3, false, 100, true, COMPRESSION_LZW, false},
      {"RGBA tiles in planes", PHOTOMETRIC_RGB, 8, 4, true, 0, true, COMPRESSION_LZW, true},
  };
  testing::CTempFolder folder;
  for (const Layout& l : layouts) {
    const std::string path = (folder / "image.tif").string();
    WriteImage(path, l);
    std::string error;
    auto chart = CGeoTiffChart::Open(path, error);
    ASSERT_TRUE(chart) << l.name << ": " << error;
    EXPECT_FALSE(chart->Georeferenced()) << l.name;
    int wrong = 0;
    for (int y = kH - 1; y >= 0; --y) {  // bottom up: rows of later blocks first
      const RasterRow row = chart->ReadRow(y, ColourScheme::kDay);
      ASSERT_TRUE(row.bytes) << l.name << " row " << y;
      for (int x = 0; x < kW; ++x) {
        uint32_t got;
        if (row.palette) {
          got = (*row.palette)[(*row.bytes)[static_cast<size_t>(x)]];
        } else {
          std::memcpy(&got, row.bytes->data() + 4 * x, 4);
        }
        wrong += got != Expected(l, x, y);
      }
    }
    EXPECT_EQ(wrong, 0) << l.name;
    if (l.photometric == PHOTOMETRIC_PALETTE) {
      const RasterRow night = chart->ReadRow(3, ColourScheme::kNight);
      const int v = Value(5, 3, 0, l.bits);
      EXPECT_EQ((*night.palette)[(*night.bytes)[5]],
                OpaqueArgb(static_cast<uint8_t>(std::lround(v / 4.0)), static_cast<uint8_t>(std::lround((255 - v) / 4.0)),
                           static_cast<uint8_t>(std::lround(3 * v % 256 / 4.0))))
          << l.name;
    }
  }
}

TEST(GeoTiffChart, LayoutsThatAreRefused) {
  testing::CTempFolder folder;
  const Layout refused[] = {
      {"16-bit grey", PHOTOMETRIC_MINISBLACK, 16, 1, false, 5, false, COMPRESSION_NONE, false},
      {"CMYK", PHOTOMETRIC_SEPARATED, 8, 4, false, 5, false, COMPRESSION_NONE, false},
  };
  for (const Layout& l : refused) {
    WriteImage((folder / "image.tif").string(), l);
    std::string error;
    EXPECT_FALSE(CGeoTiffChart::Open(folder / "image.tif", error)) << l.name;
    EXPECT_EQ(error.rfind("unsupported image: ", 0), 0u) << error;
  }
  testing::WriteFile(folder / "text.tif", "not a TIFF");
  std::string error;
  EXPECT_FALSE(CGeoTiffChart::Open(folder / "text.tif", error));
  EXPECT_NE(error, "");
}

// Writes a 100 x 50 grey image in the chart Mercator (EPSG:3395) whose
// tiepoint puts raster point (0, 0) at x = 1000 km, y = 5000 km, 100 m pixels.
void WriteMercatorImage(const std::string& path, bool pixelIsPoint) {
  TIFF* tif = XTIFFOpen(path.c_str(), "w");
  ASSERT_TRUE(tif);
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 100);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 50);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 50);
  const double tiepoint[] = {0, 0, 0, 1000000, 5000000, 0};
  const double scale[] = {100, 100, 0};
  TIFFSetField(tif, TIFFTAG_GEOTIEPOINTS, 6, tiepoint);
  TIFFSetField(tif, TIFFTAG_GEOPIXELSCALE, 3, scale);
  GTIF* gtif = GTIFNew(tif);
  GTIFKeySet(gtif, GTModelTypeGeoKey, TYPE_SHORT, 1, ModelTypeProjected);
  GTIFKeySet(gtif, GTRasterTypeGeoKey, TYPE_SHORT, 1, pixelIsPoint ? RasterPixelIsPoint : RasterPixelIsArea);
  GTIFKeySet(gtif, ProjectedCSTypeGeoKey, TYPE_SHORT, 1, 3395);
  GTIFWriteKeys(gtif);
  GTIFFree(gtif);
  std::vector<uint8_t> line(100, 7);
  for (uint32_t y = 0; y < 50; ++y) TIFFWriteScanline(tif, line.data(), y, 0);
  XTIFFClose(tif);
}

TEST(GeoTiffChart, Georeferencing) {
  std::string error;
  auto lambert = CGeoTiffChart::Open(testing::TestDataFolder() / "geotiff" / "Sample.tiff", error);
  ASSERT_TRUE(lambert && lambert->Georeferenced()) << error << (lambert ? lambert->GeorefError() : "");
  const auto golden = lambert->PixelToGeo({5212, 5934});  // that image's publisher's check
  ASSERT_TRUE(golden);
  EXPECT_NEAR(golden->lon, -95.0, 0.001);
  EXPECT_NEAR(golden->lat, 39.0, 0.001);
  const auto back = lambert->GeoToPixel(*golden);
  EXPECT_NEAR(back->x, 5212, 1e-6);
  EXPECT_NEAR(back->y, 5934, 1e-6);
  EXPECT_EQ(lambert->Outline().size(), 64u);

  testing::CTempFolder folder;
  for (const bool point : {false, true}) {
    WriteMercatorImage((folder / "merc.tif").string(), point);
    auto chart = CGeoTiffChart::Open(folder / "merc.tif", error);
    ASSERT_TRUE(chart && chart->Georeferenced()) << error;
    // Raster point (0, 0) is a pixel's corner, or with pixel-is-point its centre.
    const double offset = point ? 0.5 : 0.0;
    const auto model = chart->PixelToModel({offset, offset});
    EXPECT_DOUBLE_EQ(model->x, 1000000);
    EXPECT_DOUBLE_EQ(model->y, 5000000);
    const auto position = MercatorInverse(1000000 + 250, 5000000 - 550);
    const auto pixel = chart->MercatorToPixel({1000000 + 250, 5000000 - 550});
    EXPECT_NEAR(pixel->x, 2.5 + offset, 1e-9);
    EXPECT_NEAR(pixel->y, 5.5 + offset, 1e-9);
    const auto viaGeo = chart->GeoToPixel(*position);
    EXPECT_NEAR(viaGeo->x, 2.5 + offset, 1e-6);
  }

  auto unplaced = CGeoTiffChart::Open(testing::TestDataFolder() / "geotiff" / "rotated.tif", error);
  ASSERT_TRUE(unplaced);
  EXPECT_FALSE(unplaced->Georeferenced());
  EXPECT_EQ(unplaced->GeorefError(), "no coordinate reference system in the GeoKeys");
  EXPECT_EQ(unplaced->Info().rasterToModel, "matrix");
  EXPECT_FALSE(unplaced->PixelToGeo({1, 1}));
  EXPECT_TRUE(unplaced->Outline().empty());
}

}  // namespace
}  // namespace tarnwick
