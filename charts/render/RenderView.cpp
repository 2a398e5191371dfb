#include "charts/render/RenderView.h"

#include "charts/library/ChartLibrary.h"

namespace tarnwick {

double RenderView::DisplayScale() const {
  const auto middle = MercatorInverse((box.west + box.east) / 2, (box.south + box.north) / 2);
  return DisplayScaleDenominator(MetresPerPixel(), middle ? middle->lat : 0.0);
}

void AddRegionPath(cairo_t* cr, const RenderView& view, const ChartRegion& region) {
  for (const ChartRing& ring : region) {
    if (ring.size() < 3) continue;
    cairo_move_to(cr, view.PixelX(ring[0].x), view.PixelY(ring[0].y));
    for (size_t i = 1; i < ring.size(); ++i) cairo_line_to(cr, view.PixelX(ring[i].x), view.PixelY(ring[i].y));
    cairo_close_path(cr);
  }
}

}  // namespace tarnwick
