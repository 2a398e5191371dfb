#include "charts/render/PixelClip.h"

#include <polyclipping/clipper.hpp>

#include <algorithm>
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

namespace {

int Outcode(const PixelRect& r, Px p) {
  return (p.x < r.x0 ? 1 : 0) | (p.x > r.x1 ? 2 : 0) | (p.y < r.y0 ? 4 : 0) | (p.y > r.y1 ? 8 : 0);
}

// The ring with every vertex moved to the nearest point of rect: inside the
// rectangle it covers exactly what the ring covered (a point inside keeps its
// winding number), and the long runs of a large area outside the view fall
// onto the rectangle's edges, where repeated and collinear points are dropped.
Polyline ClampRing(const PixelRect& r, const Polyline& ring) {
  Polyline out;
  out.reserve(ring.size());
  for (const Px& p : ring) {
    const Px q{std::clamp(p.x, r.x0, r.x1), std::clamp(p.y, r.y0, r.y1)};
    if (!out.empty() && out.back().x == q.x && out.back().y == q.y) continue;
    // Three points on one edge of the rectangle: the middle one adds nothing.
    if (out.size() >= 2) {
      const Px& a = out[out.size() - 2];
      const Px& b = out.back();
      const bool onX = (a.x == b.x && b.x == q.x && (q.x == r.x0 || q.x == r.x1));
      const bool onY = (a.y == b.y && b.y == q.y && (q.y == r.y0 || q.y == r.y1));
      if (onX || onY) out.back() = q;
      else out.push_back(q);
    } else {
      out.push_back(q);
    }
  }
  return out;
}

}  // namespace

std::vector<Polyline> ClipRings(const PixelRect& rect, const std::vector<Polyline>& rings) {
  std::vector<Polyline> result;
  result.reserve(rings.size());
  for (const Polyline& ring : rings) {
    if (rect.Contains(ring)) {
      result.push_back(ring);
      continue;
    }
    Polyline clamped = ClampRing(rect, ring);
    if (clamped.size() >= 3) result.push_back(std::move(clamped));
  }
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
      continue;
    }
    // Segments wholly beyond one side of the rectangle cannot show: the line
    // is cut there, and Clipper clips what is left.
    Polyline piece;
    auto flush = [&] {
      if (piece.size() >= 2) {
        if (rect.Contains(piece)) {
          result.push_back(piece);
        } else {
          clipper.AddPath(ToClipper(piece), ClipperLib::ptSubject, false);
          any = true;
        }
      }
      piece.clear();
    };
    int previous = Outcode(rect, l[0]);
    piece.push_back(l[0]);
    for (size_t i = 1; i < l.size(); ++i) {
      const int code = Outcode(rect, l[i]);
      if ((code & previous) != 0) {
        flush();
      } else if (piece.empty()) {
        piece.push_back(l[i - 1]);
      }
      if ((code & previous) == 0) piece.push_back(l[i]);
      previous = code;
    }
    flush();
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
