#include "charts/s52/S52VectorDrawing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace tarnwick {
namespace {

constexpr int kPenUnit = 32;  // one pen width in library units (0.32 mm)

struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};

// One closed ring of the polygon buffer: a point list, or a circle.
struct Ring {
  std::vector<Point> points;
  bool circle = false;
  Point centre;
  int radius = 0;
};

// Parses "a,b,c" into integers; false when any is not an integer.
bool ParseInts(std::string_view text, std::vector<int>& out) {
  out.clear();
  if (text.empty()) return true;
  size_t at = 0;
  while (at <= text.size()) {
    size_t end = text.find(',', at);
    if (end == std::string_view::npos) end = text.size();
    const int value = S52FixedInt(text.substr(at, end - at), INT32_MIN);
    if (value == INT32_MIN) return false;
    out.push_back(value);
    at = end + 1;
  }
  return true;
}

class CInterpreter {
 public:
  CInterpreter(const S52VectorModule& module, const S52ModuleResolver& resolver, int depth)
      : module_(module), resolver_(resolver), depth_(depth) {}

  S52Drawing Run() {
    S52Drawing drawing;
    char head[64];
    std::snprintf(head, sizeof head, "<g transform='translate(%d,%d)'>", -module_.pivotX,
                  -module_.pivotY);
    out_ = head;
    std::string_view commands = module_.vectors;
    size_t at = 0;
    while (at < commands.size()) {
      size_t end = commands.find(';', at);
      if (end == std::string_view::npos) end = commands.size();
      std::string_view command = commands.substr(at, end - at);
      at = end + 1;
      while (!command.empty() && command.front() == ' ') command.remove_prefix(1);
      if (command.empty()) continue;
      if (!Execute(command) && warning_.empty())
        warning_ = module_.name + ": cannot read \"" + std::string(command) + "\"";
    }
    FlushStroke();
    out_ += "</g>";
    drawing.text = std::move(out_);
    drawing.warning = std::move(warning_);
    drawing.minX = minX_;
    drawing.minY = minY_;
    drawing.maxX = maxX_;
    drawing.maxY = maxY_;
    return drawing;
  }

 private:
  std::string Colour() const {
    const std::string& token = module_.PenColour(pen_);
    return "${" + (token.empty() ? std::string("CHMGD") : token) + "}";
  }
  // Grows the extent by a box around (x, y) of half-size r.
  void Extend(int x, int y, int r = 0) {
    minX_ = std::min(minX_, x - r);
    minY_ = std::min(minY_, y - r);
    maxX_ = std::max(maxX_, x + r);
    maxY_ = std::max(maxY_, y + r);
  }

  std::string StrokeAttributes() const {
    return "stroke='" + Colour() + "' stroke-width='" + std::to_string(width_ * kPenUnit) + "'";
  }

  bool Execute(std::string_view command) {
    if (command.size() < 2) return false;
    const std::string_view op = command.substr(0, 2);
    const std::string_view args = command.substr(2);
    std::vector<int> numbers;
    if (op == "SP") {
      if (args.size() != 1) return false;
      FlushStroke();
      pen_ = args[0];
      return true;
    }
    if (op == "SC") return CallSymbol(args);
    if (!ParseInts(args, numbers)) return false;
    if (op == "SW") {
      if (numbers.size() != 1 || numbers[0] < 0) return false;
      FlushStroke();
      width_ = numbers[0];
      return true;
    }
    if (op == "ST") {
      if (numbers.size() != 1 || numbers[0] < 0 || numbers[0] > 4) return false;
      transparency_ = numbers[0];
      return true;
    }
    // A trailing odd value after the coordinate pairs (some library symbols carry one) is ignored.
    if ((op == "PU" || op == "PD") && numbers.size() % 2 != 0 && numbers.size() > 1) numbers.pop_back();
    if (op == "PU") {
      if (numbers.size() < 2) return false;
      FlushStroke();
      pos_ = {numbers[numbers.size() - 2], numbers[numbers.size() - 1]};
      if (polygonMode_) StartRing();
      return true;
    }
    if (op == "PD") {
      if (numbers.empty()) {
        if (polygonMode_) return true;
        FlushStroke();
        Dot();
        return true;
      }
      if (numbers.size() < 2) return false;
      for (size_t i = 0; i + 1 < numbers.size(); i += 2) DrawTo({numbers[i], numbers[i + 1]});
      return true;
    }
    if (op == "CI") {
      if (numbers.size() != 1 || numbers[0] <= 0) return false;
      Extend(pos_.x, pos_.y, numbers[0]);
      if (polygonMode_) {
        Ring ring;
        ring.circle = true;
        ring.centre = pos_;
        ring.radius = numbers[0];
        buffer_.push_back(ring);
        StartRing();
      } else {
        FlushStroke();
        char text[96];
        std::snprintf(text, sizeof text, "<circle cx='%d' cy='%d' r='%d' fill='none' ", pos_.x, pos_.y,
                      numbers[0]);
        out_ += text + StrokeAttributes() + "/>";
      }
      return true;
    }
    if (op == "AA") {
      if (numbers.size() != 3) return false;
      Arc({numbers[0], numbers[1]}, numbers[2]);
      return true;
    }
    if (op == "PM") {
      if (numbers.size() != 1) return false;
      if (numbers[0] == 0) {
        FlushStroke();
        buffer_.clear();
        polygonMode_ = true;
        StartRing();
      } else if (numbers[0] == 1 && polygonMode_) {
        StartRing();
      } else if (numbers[0] == 2 && polygonMode_) {
        polygonMode_ = false;
        if (!buffer_.empty() && !buffer_.back().circle && buffer_.back().points.size() < 2)
          buffer_.pop_back();
      } else {
        return false;
      }
      return true;
    }
    if (op == "FP" || op == "EP") {
      if (!numbers.empty()) return false;
      FlushStroke();
      EmitPolygon(op == "FP");
      return true;
    }
    return false;
  }

  void StartRing() {
    if (!buffer_.empty() && !buffer_.back().circle && buffer_.back().points.size() < 2)
      buffer_.back().points.assign(1, pos_);
    else
      buffer_.push_back(Ring{{pos_}, false, {}, 0});
  }

  void DrawTo(Point to) {
    Extend(pos_.x, pos_.y);
    Extend(to.x, to.y);
    if (polygonMode_) {
      if (buffer_.empty() || buffer_.back().circle) StartRing();
      buffer_.back().points.push_back(to);
    } else {
      if (stroke_.empty()) stroke_.push_back(pos_);
      stroke_.push_back(to);
    }
    pos_ = to;
  }

  void Dot() {
    Extend(pos_.x, pos_.y, width_ * kPenUnit / 2);
    char text[96];
    std::snprintf(text, sizeof text, "<line x1='%d' y1='%d' x2='%d' y2='%d' stroke-linecap='round' ",
                  pos_.x, pos_.y, pos_.x, pos_.y);
    out_ += text + StrokeAttributes() + "/>";
  }

  void FlushStroke() {
    if (stroke_.size() == 2) {
      char text[96];
      std::snprintf(text, sizeof text, "<line x1='%d' y1='%d' x2='%d' y2='%d' ", stroke_[0].x,
                    stroke_[0].y, stroke_[1].x, stroke_[1].y);
      out_ += text + StrokeAttributes() + "/>";
    } else if (stroke_.size() > 2) {
      out_ += "<path d='" + PathOf(stroke_, false) + "' fill='none' " + StrokeAttributes() + "/>";
    }
    stroke_.clear();
  }

  static std::string PathOf(const std::vector<Point>& points, bool close) {
    std::string d;
    char text[48];
    std::snprintf(text, sizeof text, "M%d,%d ", points[0].x, points[0].y);
    d += text;
    for (size_t i = 1; i < points.size(); ++i) {
      std::snprintf(text, sizeof text, " L%d,%d", points[i].x, points[i].y);
      d += text;
    }
    if (close) d += " Z";
    return d;
  }

  static std::string CirclePath(const Ring& ring) {
    char text[160];
    const int r = ring.radius;
    std::snprintf(text, sizeof text, "M%d,%d  m%d,0 a%d,%d,0,1,0,%d,0 a%d,%d,0,1,0,%d,0", ring.centre.x,
                  ring.centre.y, -r, r, r, 2 * r, r, r, -2 * r);
    return text;
  }

  void EmitPolygon(bool fill) {
    std::string d;
    for (const auto& ring : buffer_) {
      if (!ring.circle && ring.points.size() < 2) continue;
      if (!d.empty()) d += ' ';
      d += ring.circle ? CirclePath(ring) : PathOf(ring.points, true);
    }
    if (d.empty()) return;
    if (fill) {
      out_ += "<path fill-rule='evenodd' d='" + d + "' fill='" + Colour() + "'";
      if (transparency_ > 0) {
        char text[48];
        std::snprintf(text, sizeof text, " fill-transparency='%.02f'/>", transparency_ * 0.25);
        out_ += text;
      } else {
        out_ += " />";
      }
    } else {
      out_ += "<path d='" + d + "' fill='none' " + StrokeAttributes() + "/>";
    }
  }

  void Arc(Point centre, int degrees) {
    FlushStroke();
    const double dx = pos_.x - centre.x;
    const double dy = pos_.y - centre.y;
    const double radius = std::hypot(dx, dy);
    if (radius < 0.5 || degrees == 0) return;
    Extend(centre.x, centre.y, static_cast<int>(std::lround(radius)));
    if (std::abs(degrees) >= 360) {
      char text[96];
      std::snprintf(text, sizeof text, "<circle cx='%d' cy='%d' r='%ld' fill='none' ", centre.x, centre.y,
                    std::lround(radius));
      out_ += text + StrokeAttributes() + "/>";
      return;
    }
    // Screen y grows downwards: a counter-clockwise turn as seen subtracts from the angle.
    const double start = std::atan2(dy, dx);
    const double end = start - degrees * M_PI / 180.0;
    const Point to{static_cast<int>(std::lround(centre.x + radius * std::cos(end))),
                   static_cast<int>(std::lround(centre.y + radius * std::sin(end)))};
    char text[160];
    std::snprintf(text, sizeof text, "<path d='M%d,%d A%ld,%ld,0,%d,%d,%d,%d' fill='none' ", pos_.x, pos_.y,
                  std::lround(radius), std::lround(radius), std::abs(degrees) > 180 ? 1 : 0,
                  degrees > 0 ? 0 : 1, to.x, to.y);
    out_ += text + StrokeAttributes() + "/>";
    pos_ = to;
  }

  bool CallSymbol(std::string_view args) {
    if (args.size() < 8) return false;
    const std::string_view name = args.substr(0, 8);
    FlushStroke();
    const S52VectorModule* symbol = resolver_ && depth_ == 0 ? resolver_(name) : nullptr;
    if (!symbol || symbol->kind != S52ModuleKind::Symbol) {
      if (warning_.empty()) warning_ = module_.name + ": symbol " + std::string(name) + " not drawn";
      return true;
    }
    CInterpreter inner(*symbol, resolver_, depth_ + 1);
    S52Drawing drawing = inner.Run();
    if (drawing.minX <= drawing.maxX) {
      Extend(pos_.x + drawing.minX - symbol->pivotX, pos_.y + drawing.minY - symbol->pivotY);
      Extend(pos_.x + drawing.maxX - symbol->pivotX, pos_.y + drawing.maxY - symbol->pivotY);
    }
    char text[64];
    std::snprintf(text, sizeof text, "<g transform='translate(%d,%d)'>", pos_.x, pos_.y);
    out_ += text + drawing.text + "</g>";
    return true;
  }

  const S52VectorModule& module_;
  const S52ModuleResolver& resolver_;
  const int depth_;
  std::string out_;
  std::string warning_;
  char pen_ = 'A';
  int width_ = 1;
  int transparency_ = 0;
  Point pos_;
  bool polygonMode_ = false;
  std::vector<Ring> buffer_;
  std::vector<Point> stroke_;
  int minX_ = INT32_MAX, minY_ = INT32_MAX, maxX_ = INT32_MIN, maxY_ = INT32_MIN;
};

}  // namespace

S52Drawing S52VectorToDrawing(const S52VectorModule& module, const S52ModuleResolver& resolver) {
  return CInterpreter(module, resolver, 0).Run();
}

std::string S52ResolveColours(std::string_view drawing, const CS52ColourTables& colours,
                              S52Scheme scheme) {
  std::string out;
  out.reserve(drawing.size());
  size_t at = 0;
  while (at < drawing.size()) {
    const size_t placeholder = drawing.find("${", at);
    const size_t transparency = drawing.find("fill-transparency='", at);
    const size_t next = std::min(placeholder, transparency);
    if (next == std::string_view::npos) {
      out.append(drawing.substr(at));
      break;
    }
    out.append(drawing.substr(at, next - at));
    if (next == placeholder) {
      const size_t close = drawing.find('}', placeholder);
      if (close == std::string_view::npos) {
        out.append(drawing.substr(placeholder));
        break;
      }
      const auto rgb = colours.Find(scheme, drawing.substr(placeholder + 2, close - placeholder - 2));
      out += rgb ? S52RgbHex(*rgb) : "#ff00ff";
      at = close + 1;
    } else {
      const size_t valueAt = transparency + 19;
      const size_t close = drawing.find('\'', valueAt);
      if (close == std::string_view::npos) {
        out.append(drawing.substr(transparency));
        break;
      }
      const double value = std::atof(std::string(drawing.substr(valueAt, close - valueAt)).c_str());
      char text[48];
      std::snprintf(text, sizeof text, "fill-opacity='%.2f'", 1.0 - value);
      out += text;
      at = close + 1;
    }
  }
  return out;
}

std::string S52ModuleToSvg(const S52VectorModule& module, const CS52ColourTables& colours,
                           S52Scheme scheme, const S52ModuleResolver& resolver, bool markPivot) {
  const S52Drawing drawing = S52VectorToDrawing(module, resolver);
  const int margin = 50;
  int x0 = module.boxX, y0 = module.boxY;
  int x1 = module.boxX + std::max(module.boxWidth, 1), y1 = module.boxY + std::max(module.boxHeight, 1);
  if (drawing.minX <= drawing.maxX) {
    x0 = std::min(x0, drawing.minX);
    y0 = std::min(y0, drawing.minY);
    x1 = std::max(x1, drawing.maxX);
    y1 = std::max(y1, drawing.maxY);
  }
  const int left = x0 - module.pivotX - margin;
  const int top = y0 - module.pivotY - margin;
  const int width = x1 - x0 + 2 * margin;
  const int height = y1 - y0 + 2 * margin;
  char head[320];
  std::snprintf(head, sizeof head,
                "<svg xmlns='http://www.w3.org/2000/svg' width='%.2fmm' height='%.2fmm' "
                "viewBox='%d %d %d %d' stroke-linecap='round' stroke-linejoin='round'>\n",
                width / 100.0, height / 100.0, left, top, width, height);
  std::string svg = head;
  svg += "<title>";
  for (char c : module.name + " (" + S52ModuleKindName(module.kind) + "): " + module.exposition) {
    if (c == '<') svg += "&lt;";
    else if (c == '&') svg += "&amp;";
    else svg += c;
  }
  svg += "</title>\n";
  svg += S52ResolveColours(drawing.text, colours, scheme) + "\n";
  if (markPivot)
    svg += "<path d='M-30,0 L30,0 M0,-30 L0,30' stroke='#ff00ff' stroke-width='4' fill='none'/>\n";
  svg += "</svg>\n";
  return svg;
}

}  // namespace tarnwick
