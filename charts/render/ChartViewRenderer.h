#pragma once
// Draws a view of the charts: the world coastline base map where no chart
// covers the view, then the quilted charts bottom first (as the chart library
// gives them for the view), each clipped to the part of the view it shows:
// vector charts by their S-52 portrayal, raster charts (KAP, GeoTIFF)
// reprojected with the scheme's palette. Texts of all vector charts share one
// declutter.
//
// Thread safety: Render may be called from several threads at once.

#include <cairo/cairo.h>

#include <array>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "charts/coastline/CoastlineFile.h"
#include "charts/library/ChartLibrary.h"
#include "charts/render/ChartPortrayals.h"
#include "charts/render/RenderView.h"
#include "charts/render/SymbolArt.h"

namespace tarnwick {

struct ViewRenderStats {
  size_t charts = 0;    // charts drawn
  size_t features = 0;  // vector features drawn
  size_t texts = 0;     // texts placed
  bool baseMap = false; // some of the view shows the base map
};

class CChartViewRenderer {
 public:
  // coastFolder holds the world coastline files (world_c.b.qtc ...); when
  // they are missing the base map is plain sea.
  CChartViewRenderer(const CS52Library& library, std::filesystem::path coastFolder);
  ~CChartViewRenderer();
  CChartViewRenderer(const CChartViewRenderer&) = delete;
  CChartViewRenderer& operator=(const CChartViewRenderer&) = delete;

  // The view drawn into a new ARGB32 image surface (the caller destroys it).
  cairo_surface_t* Render(const RenderView& view, const std::vector<ViewChart>& charts,
                          ViewRenderStats* stats = nullptr);
  // The same as PNG bytes; empty when encoding failed.
  std::string RenderPng(const RenderView& view, const std::vector<ViewChart>& charts,
                        ViewRenderStats* stats = nullptr);

 private:
  // The coastline file fit for a pixel size, or null.
  const CCoastlineFile* Coast(double metresPerPixel);
  void DrawBaseMap(cairo_t* cr, const RenderView& view);
  void DrawRaster(cairo_t* cr, const RenderView& view, const ViewChart& chart);

  const CS52Library& library_;
  CSymbolArt art_;
  CChartPortrayals portrayals_;
  std::filesystem::path coastFolder_;
  std::mutex coastMutex_;
  std::array<std::unique_ptr<CCoastlineFile>, 4> coast_;
  std::array<bool, 4> coastFailed_{};
};

// PNG bytes of an image surface; empty when encoding failed.
std::string SurfaceToPng(cairo_surface_t* surface);

// The view of XYZ tile (zoom, x, y), 256 pixels a side.
RenderView TileView(int zoom, int x, int y, S52Scheme scheme, const S52MarinerSettings& settings);

}  // namespace tarnwick
