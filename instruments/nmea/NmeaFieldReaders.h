#pragma once
// Readers of single NMEA fields. A field is valid only when all of it is the
// expected thing; an empty optional means "empty or malformed".

#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// The whole field as a decimal number ("12.5", "-3", "+0.25", ".5").
std::optional<double> NmeaNumber(std::string_view field);
// The whole field as a decimal integer.
std::optional<int> NmeaInteger(std::string_view field);
// The field's single character, or 0 when the field is empty or longer.
char NmeaChar(std::string_view field);
// The first character of the field, or 0 when empty.
inline char NmeaFirstChar(std::string_view field) {
  return field.empty() ? 0 : field[0];
}

// A latitude or longitude field (ddmm.mmm / dddmm.mmm) with its hemisphere:
// value = the field as a number (0 when it has trailing characters), degrees =
// integer part of value / 100, result = degrees + remainder / 60, negated for
// hemisphere 'S' or 'W'. Result in degrees; NaN for a negative value or 60
// minutes or more (no angle).
double NmeaAngle(std::string_view field, std::string_view hemisphere);
// Digits after the decimal point of a numeric field (0 when there is no point).
int NmeaDecimals(std::string_view field);

// Replaces every "^hh" escape of a received text field by its character.
std::string NmeaUnescape(std::string_view field);

}  // namespace tarnwick
