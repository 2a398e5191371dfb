#include "charts/s52/S52Colours.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/Setting.h"

namespace tarnwick {

const char* S52SchemeName(S52Scheme scheme) {
  switch (scheme) {
    case S52Scheme::Day: return "DAY";
    case S52Scheme::Dusk: return "DUSK";
    case S52Scheme::Night: return "NIGHT";
  }
  return "DAY";
}

std::optional<S52Scheme> ParseS52Scheme(std::string_view name) {
  for (int i = 0; i < kS52SchemeCount; ++i) {
    const auto scheme = static_cast<S52Scheme>(i);
    if (EqualsIgnoreCase(name, S52SchemeName(scheme))) return scheme;
  }
  return std::nullopt;
}

std::string S52RgbHex(S52Rgb rgb) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", rgb.r, rgb.g, rgb.b);
  return text;
}

namespace {

uint8_t EncodeChannel(double linear) {
  double c = linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1.0 / 2.4) - 0.055;
  c = std::clamp(c, 0.0, 1.0);
  return static_cast<uint8_t>(std::lround(c * 255.0));
}

// A decimal number filling the whole text, or none.
std::optional<double> ParseNumber(std::string_view text) {
  const std::string copy(text);
  char* end = nullptr;
  const double value = std::strtod(copy.c_str(), &end);
  if (copy.empty() || *end != '\0' || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace

S52Rgb S52CieToRgb(double x, double y, double luminance) {
  const double xd = x * 1.1167858;
  const double yd = y * 1.0612903;
  if (yd <= 0.0) return {};
  const double Y = luminance * 0.01;
  const double X = xd * Y / yd;
  const double Z = (1.0 - xd - yd) * Y / yd;
  const double r = 3.2406 * X - 1.5372 * Y - 0.4986 * Z;
  const double g = -0.9689 * X + 1.8758 * Y + 0.0415 * Z;
  const double b = 0.0557 * X - 0.2040 * Y + 1.0570 * Z;
  return {EncodeChannel(r), EncodeChannel(g), EncodeChannel(b)};
}

bool CS52ColourTables::AddModule(const S52Module& module, std::string& error) {
  const S52ModuleField* head = module.Find("COLS");
  if (!head) {
    error = "not a colour table (no COLS field)";
    return false;
  }
  if (head->content.size() < 10) {
    error = "COLS field too short";
    return false;
  }
  std::string_view name = head->content.substr(10);
  name = name.substr(0, name.find(kS52UnitTerminator));
  const auto scheme = ParseS52Scheme(name);
  if (!scheme) return true;
  std::vector<S52Colour> colours;
  for (const auto& field : module.fields) {
    if (field.tag != "CCIE") continue;
    const auto& content = field.content;
    if (content.size() < 5) {
      error = "CCIE field too short";
      return false;
    }
    const auto units = SplitS52Units(content.substr(5));
    if (units.size() < 3) {
      error = "CCIE " + std::string(content.substr(0, 5)) + ": fewer than three numbers";
      return false;
    }
    const auto x = ParseNumber(units[0]);
    const auto y = ParseNumber(units[1]);
    const auto l = ParseNumber(units[2]);
    if (!x || !y || !l) {
      error = "CCIE " + std::string(content.substr(0, 5)) + ": bad number";
      return false;
    }
    S52Colour colour;
    colour.token = std::string(content.substr(0, 5));
    colour.x = *x;
    colour.y = *y;
    colour.luminance = *l;
    if (units.size() > 3) colour.name = std::string(units[3]);
    colour.rgb = S52CieToRgb(*x, *y, *l);
    colours.push_back(std::move(colour));
  }
  std::stable_sort(colours.begin(), colours.end(),
                   [](const S52Colour& a, const S52Colour& b) { return a.token < b.token; });
  // A token listed twice keeps its first definition.
  colours.erase(std::unique(colours.begin(), colours.end(),
                            [](const S52Colour& a, const S52Colour& b) { return a.token == b.token; }),
                colours.end());
  tables_[static_cast<int>(*scheme)] = std::move(colours);
  return true;
}

std::optional<S52Rgb> CS52ColourTables::Find(S52Scheme scheme, std::string_view token) const {
  const auto& table = tables_[static_cast<int>(scheme)];
  auto it = std::lower_bound(table.begin(), table.end(), token,
                             [](const S52Colour& c, std::string_view t) { return c.token < t; });
  if (it == table.end() || it->token != token) return std::nullopt;
  return it->rgb;
}

bool CS52ColourTables::Empty() const {
  for (const auto& table : tables_)
    if (!table.empty()) return false;
  return true;
}

}  // namespace tarnwick
