#include "navobjects/model/PropertyText.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "core/units/PositionText.h"
#include "core/units/UnitFormat.h"
#include "core/units/UnitSystem.h"
#include "navobjects/model/FileTime.h"

namespace tarnwick {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  return text;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// Reads a finite number from the front of text and advances past it.
std::optional<double> ReadNumber(std::string_view& text) {
  std::string buffer(text.substr(0, 64));
  const char* begin = buffer.c_str();
  char* end = nullptr;
  const double value = strtod(begin, &end);
  if (end == begin || !std::isfinite(value)) return std::nullopt;
  // strtod accepts "inf", "nan" and hex; only plain decimals are numbers here.
  for (const char* p = begin; p < end; ++p)
    if (!(std::isdigit(static_cast<unsigned char>(*p)) || *p == '.' || *p == '-' || *p == '+' ||
          *p == 'e' || *p == 'E' || *p == ' ' || *p == '\t'))
      return std::nullopt;
  text.remove_prefix(static_cast<size_t>(end - begin));
  return value;
}

std::optional<int32_t> ParseInteger(std::string_view text) {
  text = Trim(text);
  if (text.empty() || text.size() > 12) return std::nullopt;
  size_t i = (text[0] == '-' || text[0] == '+') ? 1 : 0;
  if (i == text.size()) return std::nullopt;
  for (size_t j = i; j < text.size(); ++j)
    if (!std::isdigit(static_cast<unsigned char>(text[j]))) return std::nullopt;
  const long long value = std::strtoll(std::string(text).c_str(), nullptr, 10);
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
    return std::nullopt;
  return static_cast<int32_t>(value);
}

std::optional<bool> ParseBoolean(std::string_view text) {
  text = Trim(text);
  for (const char* yes : {"true", "yes", "on", "1"})
    if (EqualsNoCase(text, yes)) return true;
  for (const char* no : {"false", "no", "off", "0"})
    if (EqualsNoCase(text, no)) return false;
  return std::nullopt;
}

std::string FormatLf(double value) {
  char text[400];
  snprintf(text, sizeof text, "%lf", value);
  return text;
}

std::string FormatG(double value) {
  char text[64];
  snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string UnitWordOf(std::string_view& text) {
  text = Trim(text);
  std::string word;
  while (!text.empty() &&
         (std::isalpha(static_cast<unsigned char>(text.front())) || text.front() == '/')) {
    word.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(text.front()))));
    text.remove_prefix(1);
  }
  return word;
}

}  // namespace

std::string FormatColourText(Rgb colour) {
  return "rgb(" + FormatG(colour.Red() / 255.0) + ", " + FormatG(colour.Green() / 255.0) + ", " +
         FormatG(colour.Blue() / 255.0) + ")";
}

std::optional<Rgb> ParseColourText(std::string_view text) {
  text = Trim(text);
  struct Named {
    const char* name;
    Rgb colour;
  };
  static const Named kNames[] = {
      {"black", kRgbBlack},
      {"white", Rgb::FromBytes(255, 255, 255)},
      {"red", kRgbRed},
      {"green", kRgbGreen},
      {"blue", kRgbBlue},
      {"yellow", Rgb::FromBytes(255, 255, 0)},
      {"magenta", kRgbMagenta},
      {"cyan", Rgb::FromBytes(0, 255, 255)},
      {"grey", kRgbGrey},
      {"gray", kRgbGrey},
      {"orange", Rgb::FromBytes(255, 165, 0)},
  };
  for (const Named& named : kNames)
    if (EqualsNoCase(text, named.name)) return named.colour;
  if (text.size() == 7 && text[0] == '#') {
    unsigned value = 0;
    for (size_t i = 1; i < 7; ++i) {
      const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
      if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
      value = value * 16 + static_cast<unsigned>(c <= '9' ? c - '0' : c - 'a' + 10);
    }
    return Rgb::FromBytes(value >> 16, value >> 8, value);
  }
  if (text.size() < 5 || !EqualsNoCase(text.substr(0, 4), "rgb(") || text.back() != ')')
    return std::nullopt;
  std::string_view inner = text.substr(4, text.size() - 5);
  double channels[3];
  for (int i = 0; i < 3; ++i) {
    inner = Trim(inner);
    auto value = ReadNumber(inner);
    if (!value || *value < 0) return std::nullopt;
    channels[i] = *value;
    inner = Trim(inner);
    if (i < 2) {
      if (inner.empty() || inner.front() != ',') return std::nullopt;
      inner.remove_prefix(1);
    }
  }
  if (!inner.empty()) return std::nullopt;
  const bool fractions = channels[0] <= 1.0 && channels[1] <= 1.0 && channels[2] <= 1.0;
  unsigned bytes[3];
  for (int i = 0; i < 3; ++i) {
    const double scaled = fractions ? channels[i] * 255.0 : channels[i];
    if (scaled > 255.0) return std::nullopt;
    bytes[i] = static_cast<unsigned>(std::lround(scaled));
  }
  return Rgb::FromBytes(bytes[0], bytes[1], bytes[2]);
}

std::string FormatPositionText(const LatLon& position) {
  char text[128];
  snprintf(text, sizeof text, "%lf %c %lf %c", std::fabs(position.lat),
           position.lat < 0 ? 'S' : 'N', std::fabs(position.lon), position.lon < 0 ? 'W' : 'E');
  return text;
}

std::string FormatSpeedText(double knots) {
  return FormatNumber(knots, 2) + " kt";
}

std::optional<double> ParseSpeedText(std::string_view text) {
  text = Trim(text);
  auto value = ReadNumber(text);
  if (!value) return std::nullopt;
  const std::string unit = UnitWordOf(text);
  if (!Trim(text).empty()) return std::nullopt;
  if (unit.empty() || unit == "kt" || unit == "kts" || unit == "kn" || unit == "knot" ||
      unit == "knots")
    return *value;
  if (unit == "mph") return *value * 1609.344 / 1852.0;
  if (unit == "kph" || unit == "km/h") return *value * 1000.0 / 1852.0;
  if (unit == "m/s") return *value * 3600.0 / 1852.0;
  return std::nullopt;
}

std::string FormatDurationText(double seconds) {
  struct Unit {
    double seconds;
    const char* word;
  };
  static const Unit kUnits[] = {{86400, "d"}, {3600, "h"}, {60, "min"}};
  if (seconds != 0 && std::fabs(seconds) < 1e12 && seconds == std::floor(seconds)) {
    for (const Unit& unit : kUnits) {
      if (std::fmod(seconds, unit.seconds) == 0)
        return FormatNumber(seconds / unit.seconds, 0) + " " + unit.word;
    }
  }
  return FormatNumber(seconds, 3) + " s";
}

std::optional<double> ParseDurationText(std::string_view text) {
  text = Trim(text);
  if (text.empty()) return std::nullopt;
  double total = 0;
  while (!text.empty()) {
    auto value = ReadNumber(text);
    if (!value) return std::nullopt;
    const std::string unit = UnitWordOf(text);
    double scale = 0;
    if (unit.empty() || unit == "s" || unit == "sec" || unit == "secs" || unit == "second" ||
        unit == "seconds")
      scale = 1;
    else if (unit == "m" || unit == "min" || unit == "mins" || unit == "minute" ||
             unit == "minutes")
      scale = 60;
    else if (unit == "h" || unit == "hr" || unit == "hrs" || unit == "hour" || unit == "hours")
      scale = 3600;
    else if (unit == "d" || unit == "day" || unit == "days")
      scale = 86400;
    else
      return std::nullopt;
    total += *value * scale;
    text = Trim(text);
  }
  if (!std::isfinite(total)) return std::nullopt;
  return total;
}

std::string FormatDistanceText(const Length& length) {
  std::string text = FormatLength(length, false);
  std::erase(text, ',');
  return text;
}

std::string PersistentText(const PropertyDescriptor& row, const PropertyValue& value) {
  switch (row.Type()) {
    case PropertyType::Text:
    case PropertyType::Icon:
      if (auto* s = std::get_if<std::string>(&value)) return *s;
      break;
    case PropertyType::Integer:
      if (auto* i = std::get_if<int32_t>(&value)) return std::to_string(*i);
      break;
    case PropertyType::Boolean:
      if (auto* b = std::get_if<bool>(&value)) return *b ? "true" : "false";
      break;
    case PropertyType::Number:
    case PropertyType::Bearing:
      if (auto* d = std::get_if<double>(&value)) return FormatLf(*d);
      break;
    case PropertyType::Position:
      if (auto* p = std::get_if<LatLon>(&value)) return FormatPositionText(*p);
      break;
    case PropertyType::Colour:
      if (auto* c = std::get_if<Rgb>(&value)) return FormatColourText(*c);
      break;
    case PropertyType::Distance:
      if (auto* l = std::get_if<Length>(&value)) return FormatDistanceText(*l);
      break;
    case PropertyType::Time:
    case PropertyType::DateTime:
      if (auto* t = std::get_if<FileTime>(&value))
        return t->IsSet() ? FormatCompactTime(*t, row.Type() == PropertyType::DateTime) : "";
      break;
    case PropertyType::Offset:
      if (auto* o = std::get_if<ScreenOffset>(&value))
        return std::to_string(o->x) + "," + std::to_string(o->y);
      break;
    case PropertyType::Speed:
      if (auto* d = std::get_if<double>(&value)) return FormatSpeedText(*d);
      break;
    case PropertyType::Duration:
      if (auto* d = std::get_if<double>(&value)) return FormatDurationText(*d);
      break;
    default:
      break;
  }
  return "";
}

std::string DisplayText(const PropertyDescriptor& row, const PropertyValue& value) {
  switch (row.Type()) {
    case PropertyType::Integer:
      if (auto* i = std::get_if<int32_t>(&value)) {
        for (const ValueChoice& choice : row.choices)
          if (choice.value == *i) return choice.label;
      }
      break;
    case PropertyType::Boolean:
      if (auto* b = std::get_if<bool>(&value)) return *b ? "Yes" : "No";
      break;
    case PropertyType::Number:
      if (auto* d = std::get_if<double>(&value)) return FormatNumber(*d, 6);
      break;
    case PropertyType::Bearing:
      if (auto* d = std::get_if<double>(&value))
        return FormatBearing(*d, LatLon{}, kBearingTrue, true);
      break;
    case PropertyType::Position:
      if (auto* p = std::get_if<LatLon>(&value))
        return FormatLatitude(p->lat) + " " + FormatLongitude(p->lon);
      break;
    case PropertyType::Colour:
      if (auto* c = std::get_if<Rgb>(&value)) {
        char text[48];
        snprintf(text, sizeof text, "rgb(%u, %u, %u)", c->Red(), c->Green(), c->Blue());
        return text;
      }
      break;
    case PropertyType::Distance:
      if (auto* l = std::get_if<Length>(&value)) return FormatLength(*l, false);
      break;
    case PropertyType::Time:
    case PropertyType::DateTime:
      if (auto* t = std::get_if<FileTime>(&value)) return t->IsSet() ? FormatIsoTime(*t) : "";
      break;
    case PropertyType::Attachments:
    case PropertyType::MarkList:
      if (auto* list = std::get_if<std::vector<std::string>>(&value)) {
        std::string text;
        for (const std::string& item : *list) text += (text.empty() ? "" : "\n") + item;
        return text;
      }
      break;
    default:
      break;
  }
  return PersistentText(row, value);
}

std::optional<PropertyValue> ParsePropertyText(const PropertyDescriptor& row,
                                               std::string_view text) {
  switch (row.Type()) {
    case PropertyType::Text:
    case PropertyType::Icon:
      return PropertyValue(std::string(text));
    case PropertyType::Integer: {
      if (auto i = ParseInteger(text)) return PropertyValue(*i);
      for (const ValueChoice& choice : row.choices)
        if (EqualsNoCase(Trim(text), choice.label)) return PropertyValue(choice.value);
      return std::nullopt;
    }
    case PropertyType::Boolean:
      if (auto b = ParseBoolean(text)) return PropertyValue(*b);
      return std::nullopt;
    case PropertyType::Number:
    case PropertyType::Bearing: {
      std::string_view rest = Trim(text);
      auto d = ReadNumber(rest);
      rest = Trim(rest);
      // A bearing may carry the degree sign and a 'T' for true.
      if (d && row.Type() == PropertyType::Bearing) {
        if (rest.starts_with("\xC2\xB0")) rest.remove_prefix(2);
        if (rest == "T" || rest == "t") rest = {};
      }
      if (!d || !rest.empty()) return std::nullopt;
      return PropertyValue(*d);
    }
    case PropertyType::Position:
      if (auto p = ParseLatLon(text)) return PropertyValue(*p);
      return std::nullopt;
    case PropertyType::Colour:
      if (auto c = ParseColourText(text)) return PropertyValue(*c);
      return std::nullopt;
    case PropertyType::Distance: {
      if (Trim(text).empty()) return std::nullopt;
      const Length length = ParseLength(Trim(text));
      if (!length.IsValid() || !std::isfinite(length.value)) return std::nullopt;
      return PropertyValue(length);
    }
    case PropertyType::Time:
    case PropertyType::DateTime: {
      const std::string_view trimmed = Trim(text);
      if (trimmed.empty()) return PropertyValue(FileTime{});
      if (auto t = ParseCompactTime(trimmed)) return PropertyValue(*t);
      if (auto t = ParseIsoTime(trimmed)) return PropertyValue(*t);
      return std::nullopt;
    }
    case PropertyType::Offset: {
      const std::string_view trimmed = Trim(text);
      const size_t comma = trimmed.find(',');
      if (comma == std::string_view::npos) return std::nullopt;
      auto x = ParseInteger(trimmed.substr(0, comma));
      auto y = ParseInteger(trimmed.substr(comma + 1));
      if (!x || !y) return std::nullopt;
      return PropertyValue(ScreenOffset{*x, *y});
    }
    case PropertyType::Speed:
      if (auto d = ParseSpeedText(text)) return PropertyValue(*d);
      return std::nullopt;
    case PropertyType::Duration:
      if (auto d = ParseDurationText(text)) return PropertyValue(*d);
      return std::nullopt;
    case PropertyType::Attachments:
    case PropertyType::MarkList: {
      std::vector<std::string> items;
      std::string_view rest = text;
      while (!rest.empty()) {
        const size_t end = rest.find('\n');
        const std::string_view item = Trim(rest.substr(0, end));
        if (!item.empty()) items.emplace_back(item);
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
      }
      return PropertyValue(std::move(items));
    }
    default:
      return std::nullopt;
  }
}

bool IsOmittedValue(const PropertyDescriptor& row, const PropertyValue& value) {
  switch (row.Type()) {
    case PropertyType::Integer:
      if (auto* i = std::get_if<int32_t>(&value))
        return *i == static_cast<int32_t>(row.defaultValue);
      break;
    case PropertyType::Colour:
      if (auto* c = std::get_if<Rgb>(&value))
        return c->value == static_cast<uint32_t>(row.defaultValue);
      break;
    case PropertyType::Boolean:
      if (auto* b = std::get_if<bool>(&value)) return *b == (row.defaultValue != 0);
      break;
    case PropertyType::Number:
    case PropertyType::Speed:
    case PropertyType::Bearing:
    case PropertyType::Duration:
      if (auto* d = std::get_if<double>(&value)) return *d == row.defaultValue;
      break;
    case PropertyType::Offset:
      if (auto* o = std::get_if<ScreenOffset>(&value)) return *o == ScreenOffset{};
      break;
    case PropertyType::Distance:
      if (auto* l = std::get_if<Length>(&value)) {
        if (!l->IsValid()) return true;
        return std::string_view(row.name) == "TurnRadius" && l->value == 0;
      }
      break;
    case PropertyType::Attachments:
    case PropertyType::MarkList:
      if (auto* list = std::get_if<std::vector<std::string>>(&value)) return list->empty();
      break;
    default:
      break;
  }
  return PersistentText(row, value).empty();
}

}  // namespace tarnwick
