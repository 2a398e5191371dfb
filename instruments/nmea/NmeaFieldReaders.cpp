#include "instruments/nmea/NmeaFieldReaders.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace tarnwick {

std::optional<double> NmeaNumber(std::string_view field) {
  if (!field.empty() && field[0] == '+') field.remove_prefix(1);
  if (field.empty()) return std::nullopt;
  double value = 0.0;
  auto [end, error] =
      std::from_chars(field.data(), field.data() + field.size(), value, std::chars_format::fixed);
  if (error != std::errc() || end != field.data() + field.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::optional<int> NmeaInteger(std::string_view field) {
  if (!field.empty() && field[0] == '+') field.remove_prefix(1);
  if (field.empty()) return std::nullopt;
  int value = 0;
  auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
  if (error != std::errc() || end != field.data() + field.size()) return std::nullopt;
  return value;
}

char NmeaChar(std::string_view field) {
  return field.size() == 1 ? field[0] : 0;
}

double NmeaAngle(std::string_view field, std::string_view hemisphere) {
  const double value = NmeaNumber(field).value_or(0.0);
  const double degrees = std::trunc(value / 100.0);
  const double minutes = value - degrees * 100.0;
  if (value < 0 || minutes >= 60.0) return std::numeric_limits<double>::quiet_NaN();
  double result = degrees + minutes / 60.0;
  const char side = NmeaFirstChar(hemisphere);
  if (side == 'S' || side == 'W') result = -result;
  return result;
}

int NmeaDecimals(std::string_view field) {
  size_t point = field.find('.');
  if (point == std::string_view::npos) return 0;
  int count = 0;
  for (size_t i = point + 1; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) ++count;
  return count;
}

std::string NmeaUnescape(std::string_view field) {
  std::string text;
  text.reserve(field.size());
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '^' && i + 2 < field.size()) {
      auto hex = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
      };
      int high = hex(field[i + 1]);
      int low = hex(field[i + 2]);
      if (high >= 0 && low >= 0) {
        text.push_back(static_cast<char>(high * 16 + low));
        i += 2;
        continue;
      }
    }
    text.push_back(field[i]);
  }
  return text;
}

}  // namespace tarnwick
