#pragma once
// Geometry in device pixels and its clipping to a rectangle, so that Cairo
// never sees the far-away coordinates (or the thousands of vertices) of
// features much larger than the view: lines by Clipper (in 1/64 pixel
// integers) after the segments wholly beyond one side are cut away, area
// rings by moving their vertices onto the rectangle (which fills exactly the
// same pixels inside it).

#include <cairo/cairo.h>

#include <vector>

namespace tarnwick {

struct Px {
  double x, y;
};
using Polyline = std::vector<Px>;

struct PixelRect {
  double x0, y0, x1, y1;
  bool Contains(Px p) const { return p.x >= x0 && p.x <= x1 && p.y >= y0 && p.y <= y1; }
  bool Contains(const Polyline& line) const;
};

// Rings (even-odd or non-zero) reduced to rect, as rings that fill the same
// pixels inside it.
std::vector<Polyline> ClipRings(const PixelRect& rect, const std::vector<Polyline>& rings);
// Open lines clipped to rect; a line may fall into several pieces.
std::vector<Polyline> ClipLines(const PixelRect& rect, const std::vector<Polyline>& lines);
// Adds the lines to cr's path, each closed when close is set.
void AddPolylines(cairo_t* cr, const std::vector<Polyline>& lines, bool close);

}  // namespace tarnwick
