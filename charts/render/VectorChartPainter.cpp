#include "charts/render/VectorChartPainter.h"

#include "charts/render/PixelClip.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace tarnwick {
namespace {

constexpr double kPi = 3.14159265358979323846;
// Features this many pixels outside the view still draw their symbols and
// texts into it, so that neighbouring tiles meet.
constexpr double kMarginPx = 48;
// Dash patterns of simple lines, millimetres on screen: dash, gap.
constexpr double kDashMm[2] = {3.6, 1.8};
constexpr double kDotMm[2] = {0.6, 1.2};

struct Ctx {
  cairo_t* cr;
  const RenderView& view;
  double xOffset;
  const CS52Library& library;
  const CSymbolArt& art;
  S52Scheme scheme;
  double ppu;       // device pixels per library unit
  double pxPerMm;   // device pixels per millimetre
  PixelRect rect;  // what is drawn: the view and a margin, pixels

  Px ToPx(S52Point p) const { return {view.PixelX(p.x + xOffset), view.PixelY(p.y)}; }
  S52Rgb Colour(std::string_view token) const {
    auto rgb = library.Colours().Find(scheme, token);
    return rgb ? *rgb : S52Rgb{255, 0, 255};
  }
  void SetColour(S52Rgb c, double alpha = 1) const {
    cairo_set_source_rgba(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0, alpha);
  }
};

// The feature's parts in pixels.
std::vector<Polyline> PartsPx(const Ctx& c, const IS52Feature& f) {
  std::vector<Polyline> out;
  out.reserve(f.PartCount());
  for (size_t i = 0; i < f.PartCount(); ++i) {
    const S52Part part = f.Part(i);
    Polyline line;
    line.reserve(part.points.size());
    for (const S52Point& p : part.points) line.push_back(c.ToPx(p));
    out.push_back(std::move(line));
  }
  return out;
}

// The vertex runs of parts (every part when there are none).
std::vector<Polyline> RunsOf(const std::vector<Polyline>& parts, const std::vector<S52VertexRun>& runs) {
  if (runs.empty()) return parts;
  std::vector<Polyline> out;
  for (const S52VertexRun& run : runs) {
    if (run.part >= parts.size()) continue;
    const Polyline& part = parts[run.part];
    if (run.first >= part.size()) continue;
    const size_t last = std::min<size_t>(run.last, part.size() - 1);
    out.emplace_back(part.begin() + run.first, part.begin() + static_cast<ptrdiff_t>(last) + 1);
  }
  return out;
}

// A point inside an area (metres): the middle of the widest run of a
// horizontal line through the middle of its box; the box's middle when none.
S52Point InsidePoint(const IS52Feature& f) {
  const S52Box box = f.Box();
  const double y = (box.south + box.north) / 2;
  std::vector<double> crossings;
  for (size_t i = 0; i < f.PartCount(); ++i) {
    const auto pts = f.Part(i).points;
    for (size_t k = 1; k < pts.size(); ++k) {
      const S52Point a = pts[k - 1], b = pts[k];
      if ((a.y > y) != (b.y > y)) crossings.push_back(a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y));
    }
  }
  std::sort(crossings.begin(), crossings.end());
  S52Point best{(box.west + box.east) / 2, y};
  double widest = -1;
  for (size_t k = 0; k + 1 < crossings.size(); k += 2) {
    if (crossings[k + 1] - crossings[k] > widest) {
      widest = crossings[k + 1] - crossings[k];
      best.x = (crossings[k] + crossings[k + 1]) / 2;
    }
  }
  return best;
}

// The point halfway along a line's first part (metres).
S52Point LineMiddle(const IS52Feature& f) {
  if (f.PartCount() == 0) return {};
  const auto pts = f.Part(0).points;
  if (pts.empty()) return {};
  double total = 0;
  for (size_t k = 1; k < pts.size(); ++k) total += std::hypot(pts[k].x - pts[k - 1].x, pts[k].y - pts[k - 1].y);
  double left = total / 2;
  for (size_t k = 1; k < pts.size(); ++k) {
    const double len = std::hypot(pts[k].x - pts[k - 1].x, pts[k].y - pts[k - 1].y);
    if (len >= left && len > 0) {
      const double t = left / len;
      return {pts[k - 1].x + t * (pts[k].x - pts[k - 1].x), pts[k - 1].y + t * (pts[k].y - pts[k - 1].y)};
    }
    left -= len;
  }
  return pts.back();
}

// Where a command is drawn: the point, a multipoint's vertex, a line's middle
// or an area's inside. None when the vertex does not exist.
std::optional<S52Point> Anchor(const IS52Feature& f, const S52DrawCommand& cmd) {
  if (cmd.vertex >= 0) {
    int32_t left = cmd.vertex;
    for (size_t i = 0; i < f.PartCount(); ++i) {
      const auto pts = f.Part(i).points;
      if (left < static_cast<int32_t>(pts.size())) return pts[static_cast<size_t>(left)];
      left -= static_cast<int32_t>(pts.size());
    }
    return std::nullopt;
  }
  switch (f.Primitive()) {
    case S52Primitive::Line:
      return LineMiddle(f);
    case S52Primitive::Area:
      return InsidePoint(f);
    default:
      if (f.PartCount() == 0 || f.Part(0).points.empty()) return std::nullopt;
      return f.Part(0).points[0];
  }
}

void StrokeSimple(const Ctx& c, const std::vector<Polyline>& lines, const S52DrawCommand& cmd) {
  cairo_new_path(c.cr);
  AddPolylines(c.cr, lines, false);
  c.SetColour(c.Colour(cmd.name));
  cairo_set_line_width(c.cr, std::max(1.0, cmd.width * 0.32 * c.pxPerMm));
  cairo_set_line_join(c.cr, CAIRO_LINE_JOIN_ROUND);
  if (cmd.style != S52LineStyle::Solid) {
    const double* mm = cmd.style == S52LineStyle::Dashed ? kDashMm : kDotMm;
    const double dashes[2] = {mm[0] * c.pxPerMm, mm[1] * c.pxPerMm};
    cairo_set_dash(c.cr, dashes, 2, 0);
  }
  cairo_stroke(c.cr);
  cairo_set_dash(c.cr, nullptr, 0, 0);
}

// A complex line: the line style's drawing repeated along each segment,
// turned with it; what is left of a segment shorter than one repeat is a
// plain line in the style's first colour.
void StrokeComplex(const Ctx& c, const std::vector<Polyline>& lines, const S52DrawCommand& cmd) {
  const Art* art = c.art.LineStyle(cmd.name);
  if (art == nullptr) return;
  const double repeat = art->width * c.ppu;
  const S52Rgb plain = art->firstColour[static_cast<int>(c.scheme)];
  cairo_new_path(c.cr);
  for (const Polyline& l : lines) {
    for (size_t k = 1; k < l.size(); ++k) {
      const double dx = l[k].x - l[k - 1].x, dy = l[k].y - l[k - 1].y;
      const double len = std::hypot(dx, dy);
      if (len <= 0) continue;
      const double ux = dx / len, uy = dy / len;
      const int n = repeat >= 2 ? static_cast<int>(len / repeat) : 0;
      const double angle = std::atan2(dy, dx) * 180 / kPi;
      for (int i = 0; i < n; ++i) {
        const double along = i * repeat - art->left * c.ppu;
        CSymbolArt::Draw(c.cr, *art, c.scheme, l[k - 1].x + ux * along, l[k - 1].y + uy * along, angle, c.ppu);
      }
      cairo_move_to(c.cr, l[k - 1].x + ux * n * repeat, l[k - 1].y + uy * n * repeat);
      cairo_line_to(c.cr, l[k].x, l[k].y);
    }
  }
  c.SetColour(plain);
  cairo_set_line_width(c.cr, std::max(1.0, 0.32 * c.pxPerMm));
  cairo_stroke(c.cr);
}

void FillArea(const Ctx& c, const std::vector<Polyline>& rings, const S52DrawCommand& cmd) {
  cairo_new_path(c.cr);
  AddPolylines(c.cr, rings, true);
  cairo_set_fill_rule(c.cr, CAIRO_FILL_RULE_EVEN_ODD);
  if (cmd.op == S52Op::AreaColour) {
    c.SetColour(c.Colour(cmd.name), 1.0 - std::clamp(cmd.transparency, 0, 4) / 4.0);
    cairo_fill(c.cr);
    return;
  }
  cairo_surface_t* tile = c.art.PatternTile(cmd.name, c.scheme, c.ppu);
  if (tile == nullptr) {
    cairo_new_path(c.cr);
    return;
  }
  cairo_pattern_t* pattern = cairo_pattern_create_for_surface(tile);
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
  // Anchored to the world's pixels, so that the tiles of a view line up.
  cairo_matrix_t m;
  const double res = c.view.MetresPerPixel();
  cairo_matrix_init_translate(&m, std::fmod(c.view.box.west / res, cairo_image_surface_get_width(tile)),
                              std::fmod(-c.view.box.north / res, cairo_image_surface_get_height(tile)));
  cairo_pattern_set_matrix(pattern, &m);
  cairo_set_source(c.cr, pattern);
  cairo_fill(c.cr);
  cairo_pattern_destroy(pattern);
}

// Screen angle (Cairo's, radians clockwise from east) of a true bearing.
double ScreenAngle(double bearingDeg) { return (bearingDeg - 90) * kPi / 180; }

void DrawArc(const Ctx& c, Px at, const S52DrawCommand& cmd) {
  const double r = cmd.length * c.pxPerMm;
  double from = cmd.bearing, to = cmd.bearingTo;
  while (to <= from) to += 360;
  auto arc = [&](S52Rgb colour, double width) {
    cairo_new_path(c.cr);
    cairo_arc(c.cr, at.x, at.y, r, ScreenAngle(from), ScreenAngle(to));
    c.SetColour(colour);
    cairo_set_line_width(c.cr, std::max(1.0, width * 0.32 * c.pxPerMm));
    cairo_set_line_cap(c.cr, CAIRO_LINE_CAP_BUTT);
    cairo_stroke(c.cr);
  };
  if (!cmd.outline.empty() && cmd.outlineWidth > 0) arc(c.Colour(cmd.outline), cmd.outlineWidth);
  arc(c.Colour(cmd.name), cmd.width);
}

void DrawLeg(const Ctx& c, Px at, S52Point atMetres, const S52DrawCommand& cmd) {
  double lengthPx = 0;
  if (cmd.length <= 0) {
    lengthPx = 2.0 * (c.rect.x1 - c.rect.x0 + c.rect.y1 - c.rect.y0);  // to the view's edge
  } else if (cmd.chartMetres) {
    // Ground metres to Mercator metres at the light's latitude.
    const auto ll = MercatorInverse(atMetres.x, atMetres.y);
    const double k = ll ? 1.0 / std::max(0.01, std::cos(ll->lat * kPi / 180)) : 1.0;
    lengthPx = cmd.length * k / c.view.MetresPerPixel();
  } else {
    lengthPx = cmd.length * c.pxPerMm;
  }
  const double a = ScreenAngle(cmd.bearing);
  std::vector<Polyline> line{{at, {at.x + std::cos(a) * lengthPx, at.y + std::sin(a) * lengthPx}}};
  StrokeSimple(c, ClipLines(c.rect, line), cmd);
}

int PrimitiveOrder(S52Primitive p) {
  return p == S52Primitive::Area ? 0 : p == S52Primitive::Line ? 1 : 2;
}

}  // namespace

VectorPaintStats CVectorChartPainter::Paint(cairo_t* cr, const RenderView& view,
                                            const std::shared_ptr<const CS57Chart>& chart, double xOffset,
                                            double chartScale, CTextPlacer& placer) const {
  VectorPaintStats stats;
  const std::shared_ptr<const CS52ChartSource> source = portrayals_.Source(chart);
  const double res = view.MetresPerPixel();
  const double margin = kMarginPx * res;
  const double displayScale = view.DisplayScale();
  const double symbolFactor = view.settings.symbolScaling && chartScale > 0 && displayScale > 0
                                  ? std::clamp(chartScale / displayScale, 0.5, 2.0)
                                  : 1.0;
  const Ctx c{cr, view, xOffset, library_, art_, view.scheme, view.PixelsPerUnit() * symbolFactor, 1.0 / kChartPixelMm,
              PixelRect{-kMarginPx, -kMarginPx, view.width + kMarginPx, view.height + kMarginPx}};
  const S52MarinerSettings& settings = view.settings;

  struct Item {
    int priority;
    int primitive;
    uint32_t index;
    const IS52Feature* feature;
    std::shared_ptr<const S52PortrayedFeature> portrayed;
  };
  std::vector<Item> items;
  ProjectedBox query;
  query.north = view.box.north + margin;
  query.south = view.box.south - margin;
  query.west = view.box.west - xOffset - margin;
  query.east = view.box.east - xOffset + margin;
  chart->Query(query, [&](const S57FeatureView& fv) {
    if (settings.useScaMin) {
      const int32_t scamin = fv.Scamin();
      if (scamin > 0 && displayScale > scamin) return;
    }
    const IS52Feature* feature = source->Feature(fv.Index());
    if (feature == nullptr) return;
    auto portrayed = portrayals_.Portray(*feature, *source, settings);
    if (!portrayed->shown || portrayed->commands.empty()) return;
    items.push_back({portrayed->priority, PrimitiveOrder(feature->Primitive()), fv.Index(), feature,
                     std::move(portrayed)});
  });
  std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
    if (a.priority != b.priority) return a.priority < b.priority;
    if (a.primitive != b.primitive) return a.primitive < b.primitive;
    return a.index < b.index;
  });

  struct PendingText {
    int priority;
    Px at;
    const S52DrawCommand* command;
  };
  std::vector<PendingText> texts;
  for (const Item& item : items) {
    const IS52Feature& f = *item.feature;
    const bool area = f.Primitive() == S52Primitive::Area;
    // Made on first use and shared by the feature's commands.
    std::optional<std::vector<Polyline>> parts, rings;
    std::optional<std::optional<S52Point>> anchor;
    auto Parts = [&]() -> const std::vector<Polyline>& {
      if (!parts) parts = PartsPx(c, f);
      return *parts;
    };
    auto AnchorOf = [&](const S52DrawCommand& cmd) -> std::optional<S52Point> {
      if (cmd.vertex >= 0) return Anchor(f, cmd);
      if (!anchor) anchor = Anchor(f, cmd);
      return *anchor;
    };
    for (const S52DrawCommand& cmd : item.portrayed->commands) {
      switch (cmd.op) {
        case S52Op::AreaColour:
        case S52Op::AreaPattern:
          if (!area) break;
          if (!rings) rings = ClipRings(c.rect, Parts());
          FillArea(c, *rings, cmd);
          break;
        case S52Op::SimpleLine:
        case S52Op::ComplexLine: {
          const auto lines = ClipLines(c.rect, RunsOf(Parts(), cmd.runs));
          if (cmd.op == S52Op::SimpleLine) StrokeSimple(c, lines, cmd);
          else StrokeComplex(c, lines, cmd);
          break;
        }
        case S52Op::Symbol: {
          const Art* art = art_.Symbol(cmd.name);
          const auto at = art ? AnchorOf(cmd) : std::nullopt;
          if (!at) break;
          const Px p = c.ToPx(*at);
          if (!c.rect.Contains(p)) break;
          CSymbolArt::Draw(cr, *art, c.scheme, p.x, p.y, cmd.rotation, c.ppu);
          break;
        }
        case S52Op::Text: {
          const auto at = AnchorOf(cmd);
          if (!at) break;
          const Px p = c.ToPx(*at);
          if (!c.rect.Contains(p)) break;
          texts.push_back({item.priority, p, &cmd});
          break;
        }
        case S52Op::Arc:
        case S52Op::Leg: {
          const auto at = AnchorOf(cmd);
          if (!at) break;
          const Px p = c.ToPx(*at);
          if (cmd.op == S52Op::Arc) DrawArc(c, p, cmd);
          else DrawLeg(c, p, *at, cmd);
          break;
        }
      }
    }
    ++stats.features;
  }
  // Texts over everything, the most important placed first.
  std::stable_sort(texts.begin(), texts.end(),
                   [](const PendingText& a, const PendingText& b) { return a.priority > b.priority; });
  for (const PendingText& t : texts)
    if (placer.Draw(cr, t.command->text, t.at.x, t.at.y, c.Colour(t.command->name))) ++stats.texts;
  return stats;
}

}  // namespace tarnwick
