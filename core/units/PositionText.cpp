#include "core/units/PositionText.h"

#include <cctype>
#include <charconv>
#include <cmath>

#include "core/geo/Datum.h"

namespace tarnwick {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
char Upper(char c) {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}
bool IsHemisphere(char c) {
  const char u = Upper(c);
  return u == 'N' || u == 'S' || u == 'E' || u == 'W';
}

void SkipBlanks(std::string_view& s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
}

void SkipSeparators(std::string_view& s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '.' || s.front() == ','))
    s.remove_prefix(1);
}

bool Consume(std::string_view& s, std::string_view prefix) {
  if (!s.starts_with(prefix)) return false;
  s.remove_prefix(prefix.size());
  return true;
}

// digits with at most one '.', optionally signed; none when there is no digit.
std::optional<double> ReadNumber(std::string_view& s, bool allowSign) {
  size_t i = 0;
  bool negative = false;
  if (allowSign && i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  const size_t start = i;
  bool point = false, digit = false;
  for (; i < s.size(); ++i) {
    if (IsDigit(s[i]))
      digit = true;
    else if (s[i] == '.' && !point)
      point = true;
    else
      break;
  }
  if (!digit) return std::nullopt;
  double value = 0.0;
  const auto [end, ec] = std::from_chars(s.data() + start, s.data() + i, value);
  if (ec != std::errc() || end != s.data() + i) return std::nullopt;
  s.remove_prefix(i);
  return negative ? -value : value;
}

// After blanks: a further number of the angle follows (not a hemisphere letter).
bool NumberFollows(std::string_view s) {
  SkipBlanks(s);
  return !s.empty() && (IsDigit(s.front()) || (s.front() == '.' && s.size() > 1 && IsDigit(s[1])));
}

// The hemisphere letter at the front after blanks (upper case), or 0.
char PeekHemisphere(std::string_view s) {
  SkipBlanks(s);
  return !s.empty() && IsHemisphere(s.front()) ? Upper(s.front()) : 0;
}

void TakeHemisphere(std::string_view& s) {
  SkipBlanks(s);
  s.remove_prefix(1);
}

}  // namespace

std::optional<double> ReadAngle(std::string_view& text) {
  std::string_view s = text;
  const std::optional<double> degrees = ReadNumber(s, true);
  if (!degrees) return std::nullopt;
  double angle = *degrees;
  if (!Consume(s, "\xC2\xB0") && !Consume(s, "\xB0") && !Consume(s, "o")) Consume(s, "-");
  if (NumberFollows(s)) {
    SkipBlanks(s);
    angle += *ReadNumber(s, false) / 60.0;
    if (!Consume(s, "'") && !Consume(s, "`")) Consume(s, "-");
    if (NumberFollows(s)) {
      SkipBlanks(s);
      angle += *ReadNumber(s, false) / 3600.0;
      Consume(s, "\"");
    }
  }
  text = s;
  return angle;
}

std::optional<LatLon> ParseLatLon(std::string_view text) {
  std::string_view s = text;
  SkipBlanks(s);
  bool prefix = false;
  double latSign = 1.0, lonSign = 1.0;
  if (!s.empty() && (Upper(s.front()) == 'N' || Upper(s.front()) == 'S')) {
    prefix = true;
    latSign = Upper(s.front()) == 'S' ? -1.0 : 1.0;
    s.remove_prefix(1);
    SkipBlanks(s);
  }
  std::optional<double> lat = ReadAngle(s);
  if (!lat) return std::nullopt;
  if (!prefix) {
    const char h = PeekHemisphere(s);
    if (h != 'N' && h != 'S') return std::nullopt;
    latSign = h == 'S' ? -1.0 : 1.0;
    TakeHemisphere(s);
  }
  SkipSeparators(s);
  if (prefix) {
    if (s.empty() || (Upper(s.front()) != 'E' && Upper(s.front()) != 'W')) return std::nullopt;
    lonSign = Upper(s.front()) == 'W' ? -1.0 : 1.0;
    s.remove_prefix(1);
    SkipBlanks(s);
  }
  std::optional<double> lon = ReadAngle(s);
  if (!lon) return std::nullopt;
  if (!prefix) {
    const char h = PeekHemisphere(s);
    if (h == 'E' || h == 'W') {
      lonSign = h == 'W' ? -1.0 : 1.0;
      TakeHemisphere(s);
    } else if (*lon != 0.0 ||
               (!s.empty() && !IsBlank(s.front()) && s.front() != ',' && s.front() != '.')) {
      return std::nullopt;
    }
  }
  SkipSeparators(s);
  const LatLon pos{*lat * latSign, *lon * lonSign};
  if (!(pos.lat >= -90.0 && pos.lat <= 90.0 && pos.lon >= -180.0 && pos.lon <= 180.0))
    return std::nullopt;

  while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r' || s.back() == '\n'))
    s.remove_suffix(1);
  if (s.empty()) return pos;
  const std::optional<CDatum> datum = FindDatum(s);
  if (!datum) return std::nullopt;
  return Wgs84Datum().ToDatum(*datum, pos);
}

}  // namespace tarnwick
