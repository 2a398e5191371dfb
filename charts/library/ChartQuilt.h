#pragma once
// Quilting: which of the charts that meet a view are drawn, in which order,
// and which part of the view each one shows. The larger scale lies on top; at
// equal scales a vector chart lies over a raster one. A chart hidden under
// larger scales, or too detailed for the display scale (its usage band), is
// left out.

#include <cstdint>
#include <memory>
#include <vector>

#include "charts/library/ChartCoverage.h"
#include "charts/library/ChartLibrary.h"

namespace tarnwick {

struct QuiltCandidate {
  int64_t id = 0;
  ChartKind kind = ChartKind::kVector;
  double scale = 0;  // denominator; 0 unknown (drawn below every chart of known scale)
  std::shared_ptr<const ChartCoverage> coverage;
  double xOffset = 0;  // metres added to the coverage's x to place it in the view
};

struct QuiltLayer {
  size_t candidate = 0;  // index into the candidates
  ChartRegion visible;   // in the view's x
};

// The layers to draw for box at display scale 1:displayScale, bottom first.
// zoomOutLimit: a chart of scale S is left out when displayScale > S * limit.
std::vector<QuiltLayer> QuiltView(const std::vector<QuiltCandidate>& candidates,
                                  const MercatorBox& box, double displayScale, double zoomOutLimit);

}  // namespace tarnwick
