#include "charts/render/SymbolArt.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace tarnwick {
namespace {

constexpr double kPi = 3.14159265358979323846;

// The value of attribute name='...' within one element's text, or "".
std::string_view AttributeOf(std::string_view element, std::string_view name) {
  size_t at = 0;
  while ((at = element.find(name, at)) != std::string_view::npos) {
    const bool wordStart = at == 0 || element[at - 1] == ' ' || element[at - 1] == '<';
    const size_t eq = at + name.size();
    if (wordStart && eq + 1 < element.size() && element[eq] == '=' && element[eq + 1] == '\'') {
      const size_t close = element.find('\'', eq + 2);
      if (close == std::string_view::npos) return {};
      return element.substr(eq + 2, close - eq - 2);
    }
    at = eq;
  }
  return {};
}

double Number(std::string_view text) {
  return std::strtod(std::string(text).c_str(), nullptr);
}

// Reads numbers from text at pos (skipping blanks and commas); false at a letter or the end.
bool NextNumber(std::string_view text, size_t& pos, double& value) {
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == ',')) ++pos;
  if (pos >= text.size()) return false;
  const char c = text[pos];
  if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '+' || c == '.')) return false;
  const std::string rest(text.substr(pos, 32));
  char* end = nullptr;
  value = std::strtod(rest.c_str(), &end);
  if (end == rest.c_str()) return false;
  pos += static_cast<size_t>(end - rest.c_str());
  return true;
}

// An SVG arc of a circle from (x1, y1) to (x2, y2) as a centre arc.
ArtStep CircleArc(double x1, double y1, double r, bool large, bool sweep, double x2, double y2) {
  const double hx = (x1 - x2) / 2, hy = (y1 - y2) / 2;
  const double d2 = hx * hx + hy * hy;
  r = std::max(r, std::sqrt(d2));
  double coef = d2 > 0 ? std::sqrt(std::max(0.0, (r * r - d2) / d2)) : 0;
  if (large == sweep) coef = -coef;
  const double cx = coef * hy + (x1 + x2) / 2, cy = -coef * hx + (y1 + y2) / 2;
  ArtStep step;
  step.kind = sweep ? ArtStep::kArc : ArtStep::kArcNegative;
  step.x = cx;
  step.y = cy;
  step.r = r;
  step.a1 = std::atan2(y1 - cy, x1 - cx);
  step.a2 = std::atan2(y2 - cy, x2 - cx);
  return step;
}

void ParsePath(std::string_view d, double ox, double oy, std::vector<ArtStep>& out) {
  double x = 0, y = 0, startX = 0, startY = 0;
  char command = 0;
  size_t pos = 0;
  while (pos < d.size()) {
    while (pos < d.size() && (d[pos] == ' ' || d[pos] == ',')) ++pos;
    if (pos >= d.size()) break;
    if (std::isalpha(static_cast<unsigned char>(d[pos]))) {
      command = d[pos++];
      if (command == 'Z' || command == 'z') {
        out.push_back({ArtStep::kClose});
        x = startX;
        y = startY;
      }
      continue;
    }
    const bool relative = std::islower(static_cast<unsigned char>(command)) != 0;
    const double bx = relative ? x : ox, by = relative ? y : oy;
    double v[7];
    const int need = (command == 'A' || command == 'a') ? 7 : 2;
    int got = 0;
    while (got < need && NextNumber(d, pos, v[got])) ++got;
    if (got < need) return;  // malformed: keep what was read
    switch (command) {
      case 'M':
      case 'm':
        x = bx + v[0];
        y = by + v[1];
        startX = x;
        startY = y;
        out.push_back({ArtStep::kMove, x, y});
        command = relative ? 'l' : 'L';  // later pairs draw
        break;
      case 'L':
      case 'l':
        x = bx + v[0];
        y = by + v[1];
        out.push_back({ArtStep::kLine, x, y});
        break;
      case 'A':
      case 'a': {
        const double tx = bx + v[5], ty = by + v[6];
        out.push_back(CircleArc(x, y, v[0], v[3] != 0, v[4] != 0, tx, ty));
        x = tx;
        y = ty;
        break;
      }
      default:
        return;
    }
  }
}

std::array<S52Rgb, kS52SchemeCount> ColourOf(std::string_view value, const CS52ColourTables& colours) {
  std::array<S52Rgb, kS52SchemeCount> out;
  out.fill(S52Rgb{255, 0, 255});
  if (value.size() > 3 && value.substr(0, 2) == "${" && value.back() == '}') {
    const std::string_view token = value.substr(2, value.size() - 3);
    for (int s = 0; s < kS52SchemeCount; ++s)
      if (auto rgb = colours.Find(static_cast<S52Scheme>(s), token)) out[s] = *rgb;
  }
  return out;
}

void SetColour(cairo_t* cr, S52Rgb rgb, double alpha) {
  cairo_set_source_rgba(cr, rgb.r / 255.0, rgb.g / 255.0, rgb.b / 255.0, alpha);
}

void AddSteps(cairo_t* cr, const std::vector<ArtStep>& steps) {
  for (const ArtStep& s : steps) {
    switch (s.kind) {
      case ArtStep::kMove:
        cairo_move_to(cr, s.x, s.y);
        break;
      case ArtStep::kLine:
        cairo_line_to(cr, s.x, s.y);
        break;
      case ArtStep::kArc:
        cairo_arc(cr, s.x, s.y, s.r, s.a1, s.a2);
        break;
      case ArtStep::kArcNegative:
        cairo_arc_negative(cr, s.x, s.y, s.r, s.a1, s.a2);
        break;
      case ArtStep::kClose:
        cairo_close_path(cr);
        break;
    }
  }
}

Art MakeArt(const S52LibraryModule& module, const CS52ColourTables& colours) {
  Art art;
  art.elements = ParseArt(module.drawing, colours);
  const S52VectorModule& m = module.module;
  art.left = m.boxX - m.pivotX;
  art.top = m.boxY - m.pivotY;
  art.width = m.boxWidth;
  art.height = m.boxHeight;
  art.spacing = m.minDistance;
  art.staggered = m.staggered;
  if (!art.elements.empty())
    for (int s = 0; s < kS52SchemeCount; ++s) art.firstColour[s] = art.elements.front().colour[s];
  return art;
}

}  // namespace

std::vector<ArtElement> ParseArt(std::string_view drawing, const CS52ColourTables& colours) {
  std::vector<ArtElement> out;
  std::vector<std::pair<double, double>> offsets{{0, 0}};
  size_t at = 0;
  while ((at = drawing.find('<', at)) != std::string_view::npos) {
    const size_t close = drawing.find('>', at);
    if (close == std::string_view::npos) break;
    const std::string_view element = drawing.substr(at, close - at + 1);
    at = close + 1;
    const auto [ox, oy] = offsets.back();
    if (element.starts_with("</g")) {
      if (offsets.size() > 1) offsets.pop_back();
      continue;
    }
    if (element.starts_with("<g")) {
      double tx = 0, ty = 0;
      const std::string_view transform = AttributeOf(element, "transform");
      if (transform.starts_with("translate(")) {
        size_t pos = 10;
        NextNumber(transform, pos, tx);
        NextNumber(transform, pos, ty);
      }
      offsets.emplace_back(ox + tx, oy + ty);
      continue;
    }
    ArtElement e;
    if (element.starts_with("<path")) {
      ParsePath(AttributeOf(element, "d"), ox, oy, e.steps);
    } else if (element.starts_with("<line")) {
      e.steps.push_back({ArtStep::kMove, ox + Number(AttributeOf(element, "x1")),
                         oy + Number(AttributeOf(element, "y1"))});
      e.steps.push_back({ArtStep::kLine, ox + Number(AttributeOf(element, "x2")),
                         oy + Number(AttributeOf(element, "y2"))});
    } else if (element.starts_with("<circle")) {
      ArtStep circle;
      circle.kind = ArtStep::kArc;
      circle.x = ox + Number(AttributeOf(element, "cx"));
      circle.y = oy + Number(AttributeOf(element, "cy"));
      circle.r = Number(AttributeOf(element, "r"));
      circle.a2 = 2 * kPi;
      e.steps.push_back({ArtStep::kMove, circle.x + circle.r, circle.y});
      e.steps.push_back(circle);
    } else {
      continue;
    }
    if (e.steps.empty()) continue;
    const std::string_view fill = AttributeOf(element, "fill");
    const std::string_view stroke = AttributeOf(element, "stroke");
    e.evenOdd = AttributeOf(element, "fill-rule") == "evenodd";
    e.roundCap = AttributeOf(element, "stroke-linecap") == "round";
    if (!fill.empty() && fill != "none") {
      ArtElement f = e;
      f.fill = true;
      f.colour = ColourOf(fill, colours);
      const std::string_view transparency = AttributeOf(element, "fill-transparency");
      if (!transparency.empty()) f.alpha = std::clamp(1.0 - Number(transparency), 0.0, 1.0);
      out.push_back(std::move(f));
    }
    if (!stroke.empty() && stroke != "none") {
      e.fill = false;
      e.colour = ColourOf(stroke, colours);
      e.width = Number(AttributeOf(element, "stroke-width"));
      out.push_back(std::move(e));
    }
  }
  return out;
}

CSymbolArt::CSymbolArt(const CS52Library& library) {
  for (const S52LibraryModule* module : library.Modules()) {
    if (module->module.raster) continue;
    ArtMap& map = module->module.kind == S52ModuleKind::Symbol      ? symbols_
                  : module->module.kind == S52ModuleKind::LineStyle ? lineStyles_
                                                                    : patterns_;
    map.emplace(module->module.name, MakeArt(*module, library.Colours()));
  }
}

CSymbolArt::~CSymbolArt() {
  for (auto& [key, surface] : tiles_) cairo_surface_destroy(surface);
}

const Art* CSymbolArt::Find(const ArtMap& map, std::string_view name) {
  const auto it = map.find(name);
  return it == map.end() ? nullptr : &it->second;
}

const Art* CSymbolArt::Symbol(std::string_view name) const { return Find(symbols_, name); }
const Art* CSymbolArt::LineStyle(std::string_view name) const { return Find(lineStyles_, name); }
const Art* CSymbolArt::Pattern(std::string_view name) const { return Find(patterns_, name); }

void CSymbolArt::Draw(cairo_t* cr, const Art& art, S52Scheme scheme, double x, double y,
                      double rotationDeg, double pixelsPerUnit) {
  const int s = static_cast<int>(scheme);
  cairo_save(cr);
  cairo_translate(cr, x, y);
  if (rotationDeg != 0) cairo_rotate(cr, rotationDeg * kPi / 180);
  cairo_scale(cr, pixelsPerUnit, pixelsPerUnit);
  // At least a device pixel wide, so thin pens stay visible.
  const double minWidth = 1.0 / pixelsPerUnit;
  for (const ArtElement& e : art.elements) {
    cairo_new_path(cr);
    AddSteps(cr, e.steps);
    SetColour(cr, e.colour[s], e.alpha);
    if (e.fill) {
      cairo_set_fill_rule(cr, e.evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
      cairo_fill(cr);
    } else {
      cairo_set_line_width(cr, std::max(e.width, minWidth));
      cairo_set_line_cap(cr, e.roundCap ? CAIRO_LINE_CAP_ROUND : CAIRO_LINE_CAP_BUTT);
      cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
      cairo_stroke(cr);
    }
  }
  cairo_restore(cr);
}

cairo_surface_t* CSymbolArt::PatternTile(std::string_view name, S52Scheme scheme,
                                         double pixelsPerUnit) const {
  const Art* art = Pattern(name);
  if (art == nullptr || art->width <= 0 || art->height <= 0) return nullptr;
  char key[96];
  std::snprintf(key, sizeof key, "%.*s/%d/%.5f", static_cast<int>(name.size()), name.data(),
                static_cast<int>(scheme), pixelsPerUnit);
  std::lock_guard lock(patternMutex_);
  if (auto it = tiles_.find(key); it != tiles_.end()) return it->second;
  // One repeat: the box and the spacing; staggered rows double the height
  // with the second row shifted by half a repeat.
  const double cellW = art->width + art->spacing, cellH = art->height + art->spacing;
  const int w = std::max(1, static_cast<int>(std::lround(cellW * pixelsPerUnit)));
  const int rows = art->staggered ? 2 : 1;
  const int h = std::max(1, static_cast<int>(std::lround(cellH * pixelsPerUnit))) * rows;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  cairo_t* cr = cairo_create(surface);
  const double ppuX = w / cellW, ppuY = h / (cellH * rows);
  const double ppu = std::min(ppuX, ppuY);
  auto place = [&](double cx, double cy) {
    Draw(cr, *art, scheme, cx - art->left * ppu, cy - art->top * ppu, 0, ppu);
  };
  const double pad = art->spacing / 2 * ppu;
  place(pad, pad);
  if (art->staggered) {
    const double y2 = pad + h / 2.0;
    place(pad + w / 2.0, y2);
    place(pad - w / 2.0, y2);
  }
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  tiles_.emplace(key, surface);
  return surface;
}

}  // namespace tarnwick
