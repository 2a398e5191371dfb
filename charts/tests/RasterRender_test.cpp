// Drawing rasters into chart Mercator boxes: a NOAA panel drawn at its own
// scale against the decoded image reprojected pixel by pixel, clipping to the
// border, the colour schemes, XYZ tile boxes, a chart across 180 degrees, and
// the same tiles of a KAP panel and a GeoTIFF drawn by several threads at once.

#include "charts/raster/RasterRender.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "charts/geotiff/GeoTiffChart.h"
#include "charts/raster/RasterChart.h"
#include "charts/tests/KapTestFiles.h"
#include "core/tests/support/TestSupport.h"

namespace tarnwick {
namespace {

constexpr uint32_t kUntouched = 0x12345678;

std::unique_ptr<CRasterChart> Open(const char* name) {
  KapOpenError error;
  auto chart = CRasterChart::ReadKapFile(testing::TestDataFolder() / "bsb" / name, error);
  EXPECT_TRUE(chart) << error.detail;
  return chart;
}

struct Canvas {
  Canvas(int w, int h) : pixels(static_cast<size_t>(w * h), kUntouched), image{pixels.data(), w, h, 4 * w} {}
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  std::vector<uint32_t> pixels;
  ArgbImage image;
  uint32_t At(int i, int j) const { return pixels[static_cast<size_t>(j * image.width + i)]; }
};

bool InsideRing(const std::vector<MercatorPoint>& ring, double x, double y) {
  bool inside = false;
  for (size_t k = 0, l = ring.size() - 1; k < ring.size(); l = k++) {
    if ((ring[k].y > y) != (ring[l].y > y) &&
        x < ring[k].x + (y - ring[k].y) * (ring[l].x - ring[k].x) / (ring[l].y - ring[k].y))
      inside = !inside;
  }
  return inside;
}

TEST(RasterRender, PanelDrawnAsItsDecodedImageReprojected) {
  auto chart = Open("12205_12.KAP");
  ASSERT_TRUE(chart);
  // A box over the panel's middle at about its own resolution, and one wider
  // than the panel so that its border clips.
  const LatLon centre = *chart->PixelToGeo({1150, 615});
  const MercatorPoint c = MercatorForward(centre.lat, centre.lon);
  for (const double half : {900.0, 9000.0}) {
    const MercatorBox box{c.x - half, c.y - half * 0.75, c.x + half, c.y + half * 0.75};
    Canvas canvas(300, 225);
    const size_t drawn = RenderMercatorBox(*chart, box, ColourScheme::kDay, canvas.image);
    const ArgbPalette& palette = *chart->SchemePalette(ColourScheme::kDay);
    std::vector<uint8_t> row(static_cast<size_t>(chart->Width()));
    size_t expectedDrawn = 0;
    int wrong = 0;
    const double dx = (box.east - box.west) / 300, dy = (box.north - box.south) / 225;
    for (int j = 0; j < 225; ++j) {
      for (int i = 0; i < 300; ++i) {
        const double x = box.west + (i + 0.5) * dx, y = box.north - (j + 0.5) * dy;
        const auto p = chart->MercatorToPixel({x, y});
        ASSERT_TRUE(p);
        const bool inside = InsideRing(chart->MercatorOutline(), x, y) && p->x >= 0 && p->y >= 0 &&
                            p->x < chart->Width() && p->y < chart->Height();
        uint32_t expected = kUntouched;
        if (inside) {
          ASSERT_TRUE(chart->DecodeScanLine(static_cast<int>(p->y), row));
          expected = palette[row[static_cast<size_t>(p->x)]];
          ++expectedDrawn;
        }
        // The interpolated mapping may take the neighbour of a pixel whose
        // centre lies within a hundredth of a pixel of its edge.
        const bool onEdge = std::abs(p->x - std::round(p->x)) < 0.01 || std::abs(p->y - std::round(p->y)) < 0.01;
        if (canvas.At(i, j) != expected && !onEdge) ++wrong;
      }
    }
    EXPECT_EQ(wrong, 0) << half;
    EXPECT_NEAR(static_cast<double>(drawn), static_cast<double>(expectedDrawn), expectedDrawn * 0.002 + 1) << half;
    EXPECT_GT(drawn, 1000u);
    if (half > 1000) {
      EXPECT_EQ(canvas.At(0, 0), kUntouched);  // beyond the border
    }
  }
}

TEST(RasterRender, SchemesDrawWithTheirPalettes) {
  auto chart = Open("12205_12.KAP");
  ASSERT_TRUE(chart);
  const LatLon centre = *chart->PixelToGeo({1150, 615});
  const MercatorPoint c = MercatorForward(centre.lat, centre.lon);
  const MercatorBox box{c.x - 500, c.y - 500, c.x + 500, c.y + 500};
  Canvas day(64, 64), dusk(64, 64), night(64, 64);
  RenderMercatorBox(*chart, box, ColourScheme::kDay, day.image);
  RenderMercatorBox(*chart, box, ColourScheme::kDusk, dusk.image);
  RenderMercatorBox(*chart, box, ColourScheme::kNight, night.image);
  const KapHeader& h = chart->Header();
  for (size_t k = 0; k < day.pixels.size(); ++k) {
    int entry = 1;
    while (entry < 256 && OpaqueArgb(h.Palette(KapPaletteKind::DAY)->colours[entry].r,
                                     h.Palette(KapPaletteKind::DAY)->colours[entry].g,
                                     h.Palette(KapPaletteKind::DAY)->colours[entry].b) != day.pixels[k])
      ++entry;
    ASSERT_LT(entry, 256) << "not a DAY/ colour";
    const KapColour d = h.Palette(KapPaletteKind::DSK)->colours[entry];
    const KapColour n = h.Palette(KapPaletteKind::NGT)->colours[entry];
    EXPECT_EQ(dusk.pixels[k], OpaqueArgb(d.r, d.g, d.b));
    EXPECT_EQ(night.pixels[k], OpaqueArgb(n.r, n.g, n.b));
  }
}

TEST(RasterRender, TileBoxesAndChartsAcrossTheAntimeridian) {
  const MercatorBox world = XyzTileBox(0, 0, 0);
  EXPECT_DOUBLE_EQ(world.east - world.west, kMercatorWorldWidth);
  EXPECT_DOUBLE_EQ(world.north, kMercatorWorldWidth / 2);
  const MercatorBox northWest = XyzTileBox(1, 0, 0);
  EXPECT_DOUBLE_EQ(northWest.east, 0.0);
  EXPECT_DOUBLE_EQ(northWest.south, 0.0);

  // A 100 x 100 panel from 179.5 E to 179.5 W, every pixel of colour entry 2.
  std::vector<std::vector<uint8_t>> rows;
  for (int y = 0; y < 100; ++y) rows.push_back({static_cast<uint8_t>(y + 1), 0xA0, 0x63, 0x00});
  KapOpenError error;
  auto chart = CRasterChart::FromBytes(
      testing::MakeKap("BSB/RA=100,100\nIFM/3\nRGB/2,10,20,30\nREF/1,0,0,10,179.5\n"
                       "REF/2,100,0,10,-179.5\nREF/3,100,100,9,-179.5\nREF/4,0,100,9,179.5\n",
                       3, rows),
      "antimeridian.kap", error);
  ASSERT_TRUE(chart) << error.detail;
  const double y = MercatorForward(9.5, 0).y;
  const double half = kMercatorWorldWidth / 2;
  // The tile east of 180 as the chart view asks for it (west edge -pi a), and one west of it.
  for (const MercatorBox box : {MercatorBox{-half, y - 1000, -half + 20000, y + 1000},
                                MercatorBox{half - 20000, y - 1000, half, y + 1000}}) {
    Canvas canvas(20, 2);
    EXPECT_TRUE(RasterTouchesBox(*chart, box));
    EXPECT_EQ(RenderMercatorBox(*chart, box, ColourScheme::kDay, canvas.image), 40u);
    EXPECT_EQ(canvas.At(5, 1), OpaqueArgb(10, 20, 30));
  }
  const MercatorBox elsewhere{0, y - 1000, 20000, y + 1000};
  Canvas canvas(20, 2);
  EXPECT_FALSE(RasterTouchesBox(*chart, elsewhere));
  EXPECT_EQ(RenderMercatorBox(*chart, elsewhere, ColourScheme::kDay, canvas.image), 0u);
}

TEST(RasterRender, ThreadsDrawTheSameTilesAsOneThread) {
  // A KAP panel at zoom 14, and the tiled GeoTIFF world at zoom 3, whose rows
  // come a row of tiles at a time from one libtiff handle.
  std::string error;
  auto world = CGeoTiffChart::Open(testing::TestDataFolder() / "geotiff" / "world.byte.tif", error);
  ASSERT_TRUE(world) << error;
  auto panel = Open("12205_8.KAP");
  ASSERT_TRUE(panel);
  for (const auto& [raster, zoom] : {std::pair<const CGeoRaster*, int>{panel.get(), 14}, {world.get(), 3}}) {
    const LatLon centre = *raster->PixelToGeo({raster->Width() / 2.0, raster->Height() / 2.0});
    const MercatorPoint c = MercatorForward(centre.lat, centre.lon);
    const double side = kMercatorWorldWidth / (1 << zoom);
    const int tx = static_cast<int>((c.x + kMercatorWorldWidth / 2) / side);
    const int ty = static_cast<int>((kMercatorWorldWidth / 2 - c.y) / side);
    using Tiles = std::vector<std::unique_ptr<Canvas>>;
    auto makeTiles = [] {
      Tiles tiles;
      for (int k = 0; k < 16; ++k) tiles.push_back(std::make_unique<Canvas>(256, 256));
      return tiles;
    };
    auto drawAll = [&](Tiles& tiles, int thread, int threads) {
      for (int k = thread; k < 16; k += threads) {
        RenderMercatorBox(*raster, XyzTileBox(zoom, tx - 2 + k % 4, ty - 2 + k / 4), ColourScheme::kDay,
                          tiles[static_cast<size_t>(k)]->image);
      }
    };
    Tiles single = makeTiles();
    drawAll(single, 0, 1);
    CScanLineCache::Shared().Clear();
    Tiles shared = makeTiles();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) threads.emplace_back([&, t] { drawAll(shared, t, 4); });
    for (auto& t : threads) t.join();
    for (size_t k = 0; k < 16; ++k) EXPECT_EQ(shared[k]->pixels, single[k]->pixels) << zoom << " " << k;
  }
}

}  // namespace
}  // namespace tarnwick
