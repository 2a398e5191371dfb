#include "charts/library/ChartQuilt.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace tarnwick {
namespace {

// The area of a region as the clipping operations return it (outer rings one
// way round, holes the other): the signed areas add up.
double NetArea(const ChartRegion& region) {
  double twice = 0;
  for (const ChartRing& ring : region)
    for (size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++)
      twice += (ring[j].x + ring[i].x) * (ring[j].y - ring[i].y);
  return std::fabs(twice) / 2;
}

// Whether the coverage holds the whole box (the common case of a view inside
// one chart): every corner inside and no edge of the coverage crossing it.
bool CoversBox(const ChartCoverage& coverage, double xOffset, const MercatorBox& box) {
  const MercatorBox local = ShiftBox(box, -xOffset);
  if (local.west < coverage.box.west || local.east > coverage.box.east ||
      local.south < coverage.box.south || local.north > coverage.box.north)
    return false;
  for (const MercatorPoint corner :
       {MercatorPoint{local.west, local.south}, MercatorPoint{local.east, local.south},
        MercatorPoint{local.east, local.north}, MercatorPoint{local.west, local.north}})
    if (!coverage.Contains(corner)) return false;
  for (const ChartRing& ring : coverage.rings)
    for (const MercatorPoint& p : ring)
      if (p.x > local.west && p.x < local.east && p.y > local.south && p.y < local.north)
        return false;
  return true;
}

}  // namespace

std::vector<QuiltLayer> QuiltView(const std::vector<QuiltCandidate>& candidates,
                                  const MercatorBox& box, double displayScale,
                                  double zoomOutLimit) {
  std::vector<size_t> order;
  for (size_t i = 0; i < candidates.size(); ++i) {
    const QuiltCandidate& c = candidates[i];
    if (!c.coverage || c.coverage->Empty()) continue;
    if (c.scale > 0 && displayScale > c.scale * zoomOutLimit) continue;
    if (!BoxesMeet(ShiftBox(c.coverage->box, c.xOffset), box)) continue;
    order.push_back(i);
  }
  // Top first: the largest scale (smallest denominator), vector over raster.
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    const QuiltCandidate& ca = candidates[a];
    const QuiltCandidate& cb = candidates[b];
    const double sa = ca.scale > 0 ? ca.scale : HUGE_VAL;
    const double sb = cb.scale > 0 ? cb.scale : HUGE_VAL;
    if (sa != sb) return sa < sb;
    const bool va = ca.kind == ChartKind::kVector, vb = cb.kind == ChartKind::kVector;
    if (va != vb) return va;
    return ca.id < cb.id;
  });

  const double boxArea = (box.east - box.west) * (box.north - box.south);
  const double sliver = boxArea * 1e-9;
  std::vector<QuiltLayer> layers;
  ChartRegion remaining = BoxRegion(box);
  for (size_t i : order) {
    const QuiltCandidate& c = candidates[i];
    if (layers.empty() && CoversBox(*c.coverage, c.xOffset, box)) {
      layers.push_back({i, std::move(remaining)});
      remaining.clear();
      break;
    }
    const ChartRegion coverage =
        c.xOffset == 0 ? c.coverage->rings : ShiftRegion(c.coverage->rings, c.xOffset);
    ChartRegion visible = IntersectRegions(remaining, coverage);
    if (NetArea(visible) <= sliver) continue;
    remaining = SubtractRegions(remaining, coverage);
    layers.push_back({i, std::move(visible)});
    if (NetArea(remaining) <= sliver) break;
  }
  std::reverse(layers.begin(), layers.end());
  return layers;
}

}  // namespace tarnwick
