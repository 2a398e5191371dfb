#pragma once
// What one drawing covers: a box of the chart Mercator (EPSG:3395 metres)
// drawn north up into an image of width x height pixels, with the pixel size
// on screen that sets symbol and text sizes, and the display settings and
// colour scheme it is drawn with.

#include <cairo/cairo.h>

#include <cmath>
#include <vector>

#include "charts/library/ChartCoverage.h"
#include "charts/raster/RasterRender.h"
#include "charts/s52/S52MarinerSettings.h"
#include "core/geo/Mercator.h"

namespace tarnwick {

// The size of a screen pixel the chart is drawn for, millimetres (the
// standard display pixel).
inline constexpr double kChartPixelMm = 0.28;

struct RenderView {
  MercatorBox box;
  int width = 256;
  int height = 256;
  S52Scheme scheme = S52Scheme::Day;
  S52MarinerSettings settings;

  double MetresPerPixel() const { return (box.east - box.west) / width; }
  double PixelX(double x) const { return (x - box.west) * width / (box.east - box.west); }
  double PixelY(double y) const { return (box.north - y) * height / (box.north - box.south); }
  // The view's display scale denominator (at its middle latitude).
  double DisplayScale() const;
  // Symbol size: device pixels per library unit (0.01 mm) at the chart's
  // pixel size (S52_SymbolScaling may scale it per chart).
  double PixelsPerUnit() const { return 0.01 / kChartPixelMm; }
};

// Adds region (view metres) to cr's path as rings, for filling or clipping
// with the even-odd rule.
void AddRegionPath(cairo_t* cr, const RenderView& view, const ChartRegion& region);

}  // namespace tarnwick
