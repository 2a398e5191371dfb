#pragma once
// Draws one vector chart of a view: the features whose boxes meet the view
// (less those below their SCAMIN with S52_UseScaMin), portrayed under the
// view's settings, in ascending display priority (areas before lines before
// points within a priority), each feature's drawing commands over its
// geometry clipped to the view with Clipper: colour and pattern fills,
// simple and complex lines, symbols with rotation, light sectors and legs;
// texts last, over everything the chart drew.
//
// The caller clips cr to the part of the view the chart shows.

#include <cairo/cairo.h>

#include <memory>

#include "charts/render/ChartPortrayals.h"
#include "charts/render/ChartText.h"
#include "charts/render/RenderView.h"
#include "charts/render/SymbolArt.h"

namespace tarnwick {

struct VectorPaintStats {
  size_t features = 0;  // features drawn
  size_t texts = 0;     // texts placed
};

class CVectorChartPainter {
 public:
  CVectorChartPainter(const CS52Library& library, const CSymbolArt& art, CChartPortrayals& portrayals)
      : library_(library), art_(art), portrayals_(portrayals) {}

  // Draws chart (placed in the view's x by xOffset metres) into cr; texts
  // go through placer (shared by the view's charts for decluttering).
  // chartScale: the chart's compilation scale denominator (0 unknown); with
  // S52_SymbolScaling, symbols, patterns and complex lines grow as the view
  // zooms in past it and shrink as it zooms out (at most by 2).
  VectorPaintStats Paint(cairo_t* cr, const RenderView& view, const std::shared_ptr<const CS57Chart>& chart,
                         double xOffset, double chartScale, CTextPlacer& placer) const;

 private:
  const CS52Library& library_;
  const CSymbolArt& art_;
  CChartPortrayals& portrayals_;
};

}  // namespace tarnwick
