#include "charts/render/PixelClip.h"

#include <polyclipping/clipper.hpp>

#include <cmath>

namespace tarnwick {
namespace {

constexpr double kClipScale = 64;

ClipperLib::Path ToClipper(const Polyline& line) {
  ClipperLib::Path path;
  path.reserve(line.size());
  for (const Px& p : line)
    path.emplace_back(static_cast<ClipperLib::cInt>(std::llround(p.x * kClipScale)),
                      static_cast<ClipperLib::cInt>(std::llround(p.y * kClipScale)));
  return path;
}

Polyline FromClipper(const ClipperLib::Path& path) {
  Polyline line;
  line.reserve(path.size());
  for (const auto& p : path) line.push_back({p.X / kClipScale, p.Y / kClipScale});
  return line;
}

ClipperLib::Path RectPath(const PixelRect& r) {
  return ToClipper({{r.x0, r.y0}, {r.x1, r.y0}, {r.x1, r.y1}, {r.x0, r.y1}});
}

}  // namespace

bool PixelRect::Contains(const Polyline& line) const {
  for (const Px& p : line)
    if (!Contains(p)) return false;
  return true;
}

std::vector<Polyline> ClipRings(const PixelRect& rect, const std::vector<Polyline>& rings) {
  bool inside = true;
  for (const Polyline& r : rings) inside = inside && rect.Contains(r);
  if (inside) return rings;
  ClipperLib::Clipper clipper;
  for (const Polyline& r : rings)
    if (r.size() >= 3) clipper.AddPath(ToClipper(r), ClipperLib::ptSubject, true);
  clipper.AddPath(RectPath(rect), ClipperLib::ptClip, true);
  ClipperLib::Paths out;
  clipper.Execute(ClipperLib::ctIntersection, out, ClipperLib::pftEvenOdd, ClipperLib::pftNonZero);
  std::vector<Polyline> result;
  result.reserve(out.size());
  for (const auto& p : out) result.push_back(FromClipper(p));
  return result;
}

std::vector<Polyline> ClipLines(const PixelRect& rect, const std::vector<Polyline>& lines) {
  std::vector<Polyline> result;
  ClipperLib::Clipper clipper;
  bool any = false;
  for (const Polyline& l : lines) {
    if (l.size() < 2) continue;
    if (rect.Contains(l)) {
      result.push_back(l);
    } else {
      clipper.AddPath(ToClipper(l), ClipperLib::ptSubject, false);
      any = true;
    }
  }
  if (!any) return result;
  clipper.AddPath(RectPath(rect), ClipperLib::ptClip, true);
  ClipperLib::PolyTree tree;
  clipper.Execute(ClipperLib::ctIntersection, tree, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
  ClipperLib::Paths open;
  ClipperLib::OpenPathsFromPolyTree(tree, open);
  for (const auto& p : open) result.push_back(FromClipper(p));
  return result;
}

void AddPolylines(cairo_t* cr, const std::vector<Polyline>& lines, bool close) {
  for (const Polyline& l : lines) {
    if (l.empty()) continue;
    cairo_move_to(cr, l[0].x, l[0].y);
    for (size_t i = 1; i < l.size(); ++i) cairo_line_to(cr, l[i].x, l[i].y);
    if (close) cairo_close_path(cr);
  }
}

}  // namespace tarnwick
