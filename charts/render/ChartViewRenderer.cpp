#include "charts/render/ChartViewRenderer.h"

#include <algorithm>
#include <cmath>

#include "charts/render/ChartText.h"
#include "charts/render/PixelClip.h"
#include "charts/render/VectorChartPainter.h"
#include "core/Log.h"

namespace tarnwick {
namespace {

constexpr double kWorldWidth = 2 * 3.14159265358979323846 * 6378137.0;
// Base map colours when the presentation library is missing.
constexpr S52Rgb kFallbackSea{201, 237, 255};
constexpr S52Rgb kFallbackLand{201, 185, 122};
constexpr S52Rgb kFallbackShore{82, 90, 92};

// The coarsest coastline that still looks right at a pixel size.
CoastResolution ResolutionFor(double metresPerPixel) {
  if (metresPerPixel > 20000) return CoastResolution::Crude;
  if (metresPerPixel > 2500) return CoastResolution::Low;
  if (metresPerPixel > 300) return CoastResolution::Intermediate;
  return CoastResolution::High;
}

size_t Slot(CoastResolution r) {
  return r == CoastResolution::Crude ? 0 : r == CoastResolution::Low ? 1 : r == CoastResolution::Intermediate ? 2 : 3;
}

ColourScheme RasterScheme(S52Scheme scheme) {
  return scheme == S52Scheme::Night ? ColourScheme::kNight
         : scheme == S52Scheme::Dusk ? ColourScheme::kDusk
                                     : ColourScheme::kDay;
}

double LatitudeOf(double y) {
  const auto ll = MercatorInverse(0, y);
  return ll ? ll->lat : (y > 0 ? 90.0 : -90.0);
}

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

CChartViewRenderer::CChartViewRenderer(const CS52Library& library, std::filesystem::path coastFolder)
    : library_(library), art_(library), portrayals_(library), coastFolder_(std::move(coastFolder)) {}

CChartViewRenderer::~CChartViewRenderer() = default;

const CCoastlineFile* CChartViewRenderer::Coast(double metresPerPixel) {
  const CoastResolution resolution = ResolutionFor(metresPerPixel);
  const size_t slot = Slot(resolution);
  std::lock_guard lock(coastMutex_);
  if (!coast_[slot] && !coastFailed_[slot] && !coastFolder_.empty()) {
    std::string error;
    coast_[slot] = CCoastlineFile::Open(coastFolder_ / CoastFileName(resolution), error);
    if (!coast_[slot]) {
      Log("Chart base map: coastline not available: %s\n", error.c_str());
      coastFailed_[slot] = true;
    }
  }
  return coast_[slot].get();
}

void CChartViewRenderer::DrawBaseMap(cairo_t* cr, const RenderView& view) {
  auto colour = [&](const char* token, S52Rgb fallback) {
    const auto rgb = library_.Colours().Find(view.scheme, token);
    // Without the library's tables, dusk and night dim the day colours.
    const double dim = rgb ? 1.0 : view.scheme == S52Scheme::Night ? 0.2 : view.scheme == S52Scheme::Dusk ? 0.5 : 1.0;
    const S52Rgb c = rgb ? *rgb : fallback;
    cairo_set_source_rgb(cr, c.r / 255.0 * dim, c.g / 255.0 * dim, c.b / 255.0 * dim);
  };
  colour("DEPDW", kFallbackSea);
  cairo_paint(cr);
  const CCoastlineFile* file = Coast(view.MetresPerPixel());
  if (file == nullptr) return;

  // Land (odd levels) and water (even levels) polygons, lowest level first,
  // and the shorelines; the view may reach past the antimeridian.
  const PixelRect rect{-2.0, -2.0, view.width + 2.0, view.height + 2.0};
  std::array<std::vector<Polyline>, 5> levels;
  std::vector<Polyline> shores;
  const double half = kWorldWidth / 2;
  for (double shift : {-kWorldWidth, 0.0, kWorldWidth}) {
    const double west = std::max(view.box.west + shift, -half);
    const double east = std::min(view.box.east + shift, half);
    if (west >= east) continue;
    CoastBox box;
    box.west = std::clamp(west / half * 180, -180.0, 180.0);
    box.east = std::clamp(east / half * 180, -180.0, 180.0);
    box.south = LatitudeOf(view.box.south);
    box.north = LatitudeOf(view.box.north);
    file->Visit(box, [&](const CoastPartView& part) {
      Polyline line;
      line.reserve(part.count);
      for (uint32_t i = 0; i < part.count; ++i) {
        const LatLon ll = part.At(i);
        const MercatorPoint m = MercatorForward(ll.lat, ll.lon);
        line.push_back({view.PixelX(m.x - shift), view.PixelY(m.y)});
      }
      if (part.kind == CoastPartKind::Line) shores.push_back(std::move(line));
      else levels[std::min<size_t>(part.level, 4)].push_back(std::move(line));
    });
  }
  for (size_t level = 1; level < levels.size(); ++level) {
    if (levels[level].empty()) continue;
    cairo_new_path(cr);
    for (const Polyline& ring : levels[level]) AddPolylines(cr, ClipRings(rect, {ring}), true);
    if (level % 2 == 1) colour("LANDA", kFallbackLand);
    else colour("DEPDW", kFallbackSea);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    cairo_fill(cr);
  }
  if (!shores.empty()) {
    cairo_new_path(cr);
    AddPolylines(cr, ClipLines(rect, shores), false);
    colour("CSTLN", kFallbackShore);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
  }
}

void CChartViewRenderer::DrawRaster(cairo_t* cr, const RenderView& view, const ViewChart& chart) {
  cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, view.width, view.height);
  cairo_surface_flush(image);
  const ArgbImage argb{reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(image)),
                       cairo_image_surface_get_width(image), cairo_image_surface_get_height(image),
                       cairo_image_surface_get_stride(image)};
  const MercatorBox box{view.box.west - chart.xOffset, view.box.south, view.box.east - chart.xOffset,
                        view.box.north};
  RenderMercatorBox(*chart.raster, box, RasterScheme(view.scheme), argb);
  cairo_surface_mark_dirty(image);
  cairo_set_source_surface(cr, image, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  cairo_paint(cr);
  cairo_surface_destroy(image);
}

cairo_surface_t* CChartViewRenderer::Render(const RenderView& view, const std::vector<ViewChart>& charts,
                                            ViewRenderStats* stats) {
  ViewRenderStats local;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, view.width, view.height);
  cairo_t* cr = cairo_create(surface);
  cairo_set_antialias(cr, view.settings.antiAlias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);

  // The base map where no chart shows: the view less every chart's visible
  // part (the parts do not overlap, so even-odd over all of them is the rest).
  double covered = 0;
  for (const ViewChart& chart : charts) covered += RegionArea(chart.visible);
  const double viewArea = (view.box.east - view.box.west) * (view.box.north - view.box.south);
  if (covered < viewArea * (1 - 1e-9)) {
    cairo_save(cr);
    cairo_new_path(cr);
    cairo_rectangle(cr, 0, 0, view.width, view.height);
    for (const ViewChart& chart : charts) AddRegionPath(cr, view, chart.visible);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_clip(cr);
    DrawBaseMap(cr, view);
    local.baseMap = true;
    cairo_restore(cr);
  }

  static const double kTextSize[5] = {0.75, 0.875, 1.0, 1.2, 1.4};
  CTextPlacer placer(ChartFonts(), view.settings.declutterText, kTextSize[std::clamp(view.settings.textSize, 0, 4)],
                     kChartPixelMm);
  const CVectorChartPainter painter(library_, art_, portrayals_);
  for (const ViewChart& chart : charts) {
    if (chart.visible.empty()) continue;
    cairo_save(cr);
    cairo_new_path(cr);
    AddRegionPath(cr, view, chart.visible);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_clip(cr);
    if (chart.vector) {
      // Where the cell has no feature, it shows "no data".
      const auto nodata = library_.Colours().Find(view.scheme, "NODTA");
      const S52Rgb c = nodata ? *nodata : kFallbackSea;
      cairo_set_source_rgb(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0);
      cairo_paint(cr);
      const VectorPaintStats s = painter.Paint(cr, view, chart.vector, chart.xOffset, chart.scale, placer);
      local.features += s.features;
      local.texts += s.texts;
    } else if (chart.raster) {
      DrawRaster(cr, view, chart);
    }
    cairo_restore(cr);
    ++local.charts;
  }
  if (cairo_status(cr) != CAIRO_STATUS_SUCCESS)
    Log("Chart view: drawing failed: %s\n", cairo_status_to_string(cairo_status(cr)));
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  if (stats != nullptr) *stats = local;
  return surface;
}

std::string CChartViewRenderer::RenderPng(const RenderView& view, const std::vector<ViewChart>& charts,
                                          ViewRenderStats* stats) {
  cairo_surface_t* surface = Render(view, charts, stats);
  std::string png = SurfaceToPng(surface);
  cairo_surface_destroy(surface);
  return png;
}

std::string SurfaceToPng(cairo_surface_t* surface) {
  std::string out;
  if (cairo_surface_write_to_png_stream(surface, AppendBytes, &out) != CAIRO_STATUS_SUCCESS) return {};
  return out;
}

RenderView TileView(int zoom, int x, int y, S52Scheme scheme, const S52MarinerSettings& settings) {
  RenderView view;
  view.box = XyzTileBox(zoom, x, y);
  view.width = view.height = 256;
  view.scheme = scheme;
  view.settings = settings;
  return view;
}

}  // namespace tarnwick
