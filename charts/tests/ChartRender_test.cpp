// The chart renderer: the symbol drawings read into paths, clipping, golden
// tiles of the Kaneohe Bay cell (NOAA US5HA57M) (with a tolerance for anti-aliasing and
// font hinting), and what the display settings and the colour scheme must
// change in a tile. Set TW_UPDATE_GOLDEN=1 to write the golden files anew
// (look at them before committing).

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "charts/library/ChartCoverage.h"
#include "charts/render/ChartText.h"
#include "charts/render/ChartViewRenderer.h"
#include "charts/render/PixelClip.h"
#include "charts/render/SymbolArt.h"
#include "charts/s57/S57ChartReader.h"
#include "charts/s57/SencWriter.h"
#include "core/tests/support/TestSupport.h"

namespace tarnwick {
namespace {

const std::filesystem::path kData = std::filesystem::path(TW_SOURCE_DIR) / "charts/tests/data";

TEST(SymbolArt, DrawingsBecomePaths) {
  CS52ColourTables colours;  // no tables: every colour is the unknown magenta
  struct Row {
    const char* drawing;
    size_t elements;
    bool fill;
    std::vector<ArtStep::Kind> kinds;
    double x, y;  // the first step's point (arcs: centre)
  };
  const Row rows[] = {
      // Offsets of nested groups add up.
      {"<g transform='translate(-10,-20)'><g transform='translate(5,5)'>"
       "<line x1='1' y1='2' x2='3' y2='4' stroke='${CHBLK}' stroke-width='32'/></g></g>",
       1, false, {ArtStep::kMove, ArtStep::kLine}, -4, -13},
      // A filled circle as two half arcs around the centre.
      {"<path fill-rule='evenodd' d='M100,50  m-10,0 a10,10,0,1,0,20,0 a10,10,0,1,0,-20,0' fill='${CHRED}'/>",
       1, true, {ArtStep::kMove, ArtStep::kMove, ArtStep::kArcNegative, ArtStep::kArcNegative}, 100, 50},
      {"<circle cx='7' cy='8' r='3' fill='none' stroke='${CHBLK}' stroke-width='32'/>", 1, false,
       {ArtStep::kMove, ArtStep::kArc}, 10, 8},
      // Pairs after a move draw.
      {"<path d='M0,0 L10,0 20,0' fill='none' stroke='${CHBLK}' stroke-width='32'/>", 1, false,
       {ArtStep::kMove, ArtStep::kLine, ArtStep::kLine}, 0, 0},
      // Filled and stroked: two elements; unknown elements and broken paths are skipped.
      {"<rect x='1'/><path d='M0,0 L5,5' fill='${A}' stroke='${B}' stroke-width='1'/>", 2, true,
       {ArtStep::kMove, ArtStep::kLine}, 0, 0},
      {"<path d='M0' fill='${A}'/>", 0, false, {}, 0, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.drawing);
    const auto elements = ParseArt(row.drawing, colours);
    ASSERT_EQ(elements.size(), row.elements);
    if (elements.empty()) continue;
    EXPECT_EQ(elements[0].fill, row.fill);
    std::vector<ArtStep::Kind> kinds;
    for (const ArtStep& s : elements[0].steps) kinds.push_back(s.kind);
    EXPECT_EQ(kinds, row.kinds);
    EXPECT_DOUBLE_EQ(elements[0].steps[0].x, row.x);
    EXPECT_DOUBLE_EQ(elements[0].steps[0].y, row.y);
  }
  // The half arcs of the circle: centre (100,50), radius 10, from west to east and back.
  const auto circle = ParseArt(rows[1].drawing, colours)[0].steps;
  EXPECT_NEAR(circle[2].x, 100, 1e-9);
  EXPECT_NEAR(circle[2].y, 50, 1e-9);
  EXPECT_NEAR(circle[2].r, 10, 1e-9);
  EXPECT_NEAR(circle[3].x, 100, 1e-9);
}

double RingArea(const Polyline& ring) {
  double a = 0;
  for (size_t i = 0; i < ring.size(); ++i) {
    const Px& p = ring[i];
    const Px& q = ring[(i + 1) % ring.size()];
    a += p.x * q.y - q.x * p.y;
  }
  return std::abs(a) / 2;
}

TEST(PixelClip, RingsAndLinesCutAtTheView) {
  const PixelRect rect{0, 0, 100, 100};
  // A square half outside, and a far-away square: only the inside half stays.
  const auto rings = ClipRings(rect, {{{50, 50}, {150, 50}, {150, 150}, {50, 150}},
                                      {{1e7, 1e7}, {1e7 + 10, 1e7}, {1e7 + 10, 1e7 + 10}}});
  ASSERT_EQ(rings.size(), 1u);
  EXPECT_NEAR(RingArea(rings[0]), 2500, 1);
  // A line through the view and out and in again falls into two pieces.
  const auto lines = ClipLines(rect, {{{-50, 10}, {50, 10}, {50, 200}, {90, 200}, {90, 50}}});
  ASSERT_EQ(lines.size(), 2u);
}

TEST(ChartText, PlacedByJustificationAndDecluttered) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 200, 100);
  cairo_t* cr = cairo_create(surface);
  // Columns of ink, so where a text landed can be seen.
  auto inkColumns = [&] {
    cairo_surface_flush(surface);
    int first = 200, last = -1;
    for (int y = 0; y < 100; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface));
      for (int x = 0; x < 200; ++x)
        if (row[x] >> 24) first = std::min(first, x), last = std::max(last, x);
    }
    return std::pair{first, last};
  };
  auto clear = [&] {
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr);
    cairo_restore(cr);
  };
  S52Text text;
  text.text = "Kekepa I";
  struct Row {
    int hjust;
    bool inkLeftOfAnchor, inkRightOfAnchor;
  } const rows[] = {{1, true, true}, {2, true, false}, {3, false, true}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.hjust);
    clear();
    CTextPlacer placer(ChartFonts(), true, 1.0, kChartPixelMm);
    text.hjust = row.hjust;
    ASSERT_TRUE(placer.Draw(cr, text, 100, 50, {0, 0, 0}));
    const auto [first, last] = inkColumns();
    EXPECT_EQ(first < 98, row.inkLeftOfAnchor);
    EXPECT_EQ(last > 102, row.inkRightOfAnchor);
  }
  // A second text over the first is left out when decluttering, drawn otherwise.
  for (bool declutter : {true, false}) {
    CTextPlacer placer(ChartFonts(), declutter, 1.0, kChartPixelMm);
    EXPECT_TRUE(placer.Draw(cr, text, 100, 50, {0, 0, 0}));
    EXPECT_EQ(placer.Draw(cr, text, 104, 52, {0, 0, 0}), !declutter);
    EXPECT_TRUE(placer.Draw(cr, text, 100, 90, {0, 0, 0}));  // clear of both
  }
  // Bytes that are not UTF-8 (a Latin-1 name) still draw, and never break the drawing.
  CTextPlacer placer(ChartFonts(), false, 1.0, kChartPixelMm);
  text.text = "Mol\xe8ne \xff\x80";
  EXPECT_TRUE(placer.Draw(cr, text, 100, 50, {0, 0, 0}));
  text.text = "\x01\x80";
  EXPECT_FALSE(placer.Draw(cr, text, 100, 50, {0, 0, 0}));
  EXPECT_EQ(cairo_status(cr), CAIRO_STATUS_SUCCESS);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}

// The Kaneohe Bay cell US5HA57M (the largest test cell) compiled in memory, and
// the renderer with the generated presentation library and coastline.
class ChartRenderTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    library_ = new CS52Library;
    std::string error;
    ASSERT_TRUE(library_->LoadArchive(TW_S52_ARCHIVE, error)) << error;
    renderer_ = new CChartViewRenderer(*library_, TW_COASTLINE_DIR);
    testing::CTempFolder folder;
    CS57ChartReader reader(folder.Path());
    const auto cell = reader.Compile(kData / "s57/noaa_US5HA57M_exchange_set/US5HA57M/US5HA57M.000", true, error);
    ASSERT_TRUE(cell) << error;
    chart_ = new std::shared_ptr<const CS57Chart>(
        CS57Chart::FromBytes(SerializeSenc(SencHeaderOf(cell->header), cell->features, cell->tree), "US5HA57M", error));
    ASSERT_TRUE(*chart_) << error;
  }
  static void TearDownTestSuite() {
    delete chart_;
    delete renderer_;
    delete library_;
  }

  // The cell as the library would give it for a view: its extent as coverage.
  static std::vector<ViewChart> Charts(const RenderView& view) {
    const ProjectedBox& e = (*chart_)->Extent();
    ViewChart chart;
    chart.vector = *chart_;
    chart.name = "US5HA57M";
    chart.scale = 15000;
    chart.visible = IntersectRegions(BoxRegion(view.box), BoxRegion(MercatorBox{e.west, e.south, e.east, e.north}));
    return {chart};
  }

  // The tile of zoom holding (lat, lon).
  static RenderView Tile(int zoom, double lat, double lon, S52Scheme scheme, const S52MarinerSettings& s = {}) {
    const double world = 2 * M_PI * 6378137.0;
    const MercatorPoint m = MercatorForward(lat, lon);
    const int side = 1 << zoom;
    return TileView(zoom, static_cast<int>((m.x + world / 2) / world * side),
                    static_cast<int>((world / 2 - m.y) / world * side), scheme, s);
  }

  static cairo_surface_t* Draw(const RenderView& view, ViewRenderStats* stats = nullptr) {
    return renderer_->Render(view, Charts(view), stats);
  }

  static CS52Library* library_;
  static CChartViewRenderer* renderer_;
  static std::shared_ptr<const CS57Chart>* chart_;
};

CS52Library* ChartRenderTest::library_ = nullptr;
CChartViewRenderer* ChartRenderTest::renderer_ = nullptr;
std::shared_ptr<const CS57Chart>* ChartRenderTest::chart_ = nullptr;

// Share of pixels whose colour differs by more than tolerance in a channel.
double DifferentShare(cairo_surface_t* a, cairo_surface_t* b, int tolerance) {
  const int w = cairo_image_surface_get_width(a), h = cairo_image_surface_get_height(a);
  if (w != cairo_image_surface_get_width(b) || h != cairo_image_surface_get_height(b)) return 1;
  size_t differ = 0;
  for (int y = 0; y < h; ++y) {
    const auto* ra = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(a) + y * cairo_image_surface_get_stride(a));
    const auto* rb = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(b) + y * cairo_image_surface_get_stride(b));
    for (int x = 0; x < w; ++x) {
      for (int shift = 0; shift < 32; shift += 8) {
        if (std::abs(static_cast<int>((ra[x] >> shift) & 255) - static_cast<int>((rb[x] >> shift) & 255)) > tolerance) {
          ++differ;
          break;
        }
      }
    }
  }
  return static_cast<double>(differ) / (static_cast<double>(w) * h);
}

TEST_F(ChartRenderTest, GoldenTiles) {
  struct Row {
    const char* file;
    int zoom;
    double lat, lon;
    S52Scheme scheme;
  };
  // The channel off Kekepa Island (lights, rocks, soundings, texts), the same at
  // night, the bay at a smaller scale, and the island under the base map.
  const Row rows[] = {
      {"channel_z16_day.png", 16, 21.4600, -157.7640, S52Scheme::Day},
      {"channel_z16_night.png", 16, 21.4600, -157.7640, S52Scheme::Night},
      {"bay_z14_dusk.png", 14, 21.4500, -157.8000, S52Scheme::Dusk},
      {"oahu_z8_day.png", 8, 21.45, -158.0, S52Scheme::Day},
  };
  const auto folder = std::filesystem::path(TW_SOURCE_DIR) / "charts/tests/data/render";
  const bool update = std::getenv("TW_UPDATE_GOLDEN") != nullptr;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.file);
    cairo_surface_t* drawn = Draw(Tile(row.zoom, row.lat, row.lon, row.scheme));
    const auto path = folder / row.file;
    if (update) {
      std::filesystem::create_directories(folder);
      ASSERT_EQ(cairo_surface_write_to_png(drawn, path.c_str()), CAIRO_STATUS_SUCCESS);
    }
    cairo_surface_t* golden = cairo_image_surface_create_from_png(path.c_str());
    ASSERT_EQ(cairo_surface_status(golden), CAIRO_STATUS_SUCCESS) << path;
    cairo_surface_t* golden32 = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 256, 256);
    cairo_t* cr = cairo_create(golden32);
    cairo_set_source_surface(cr, golden, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    // Anti-aliased edges and glyph hinting may move a little; shapes, colours
    // and symbols may not.
    EXPECT_LT(DifferentShare(drawn, golden32, 40), 0.01);
    cairo_surface_destroy(golden32);
    cairo_surface_destroy(golden);
    cairo_surface_destroy(drawn);
  }
}

TEST_F(ChartRenderTest, SettingsAndSchemeChangeTheTile) {
  ViewRenderStats stats;
  const RenderView day = Tile(16, 21.4600, -157.7640, S52Scheme::Day);
  cairo_surface_t* base = Draw(day, &stats);
  EXPECT_EQ(stats.charts, 1u);
  EXPECT_GT(stats.features, 20u);
  EXPECT_GT(stats.texts, 0u);
  EXPECT_FALSE(stats.baseMap);

  struct Row {
    const char* what;
    RenderView view;
    double atLeast;  // share of pixels that must change
  };
  RenderView night = day;
  night.scheme = S52Scheme::Night;
  RenderView shallow = day;
  shallow.settings.shallowContour = 1;
  shallow.settings.safetyContour = 2;
  RenderView scaled = day;  // 1:8,000 over a 1:15,000 chart: symbols larger
  scaled.settings.symbolScaling = true;
  RenderView noText = day;
  noText.settings.showImportantText = noText.settings.showNames = false;
  const Row rows[] = {
      {"night colours", night, 0.5},
      {"safety contour shallower: less water shaded shallow", shallow, 0.01},
      {"texts off", noText, 0.001},
      {"symbols scaled", scaled, 0.01},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    cairo_surface_t* other = Draw(row.view);
    EXPECT_GT(DifferentShare(base, other, 8), row.atLeast);
    cairo_surface_destroy(other);
  }
  cairo_surface_destroy(base);
}

TEST_F(ChartRenderTest, BaseMapOutsideTheChartsAndPng) {
  ViewRenderStats stats;
  const RenderView far = Tile(10, 20.8, -156.3, S52Scheme::Day);  // Maui, no chart
  const std::string png = renderer_->RenderPng(far, {}, &stats);
  EXPECT_TRUE(stats.baseMap);
  EXPECT_EQ(stats.charts, 0u);
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
}

}  // namespace
}  // namespace tarnwick
