#include "core/SettingValues.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "core/units/Duration.h"
#include "core/units/Length.h"

namespace tarnwick {
namespace {

// Nautical miles: the distance index used where a length has no unit (only
// "0" is read so). A fixed index keeps the check free of other settings.
constexpr int kNauticalMilesIndex = 3;

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  return text;
}

std::string Quoted(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

// A plain decimal number: sign, digits with at most one point, an exponent.
// No hexadecimal, infinity or NaN.
std::optional<double> DecimalNumber(std::string_view text) {
  text = Trim(text);
  size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  bool digits = false, point = false;
  for (; i < text.size(); ++i) {
    if (std::isdigit(static_cast<unsigned char>(text[i]))) {
      digits = true;
    } else if (text[i] == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!digits) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    const size_t exponentStart = j;
    while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) ++j;
    if (j == exponentStart) return std::nullopt;
    i = j;
  }
  if (i != text.size()) return std::nullopt;
  const std::string copy(text.front() == '+' ? text.substr(1) : text);
  double value = 0;
  const auto [end, ec] = std::from_chars(copy.data(), copy.data() + copy.size(), value);
  if (ec != std::errc() || end != copy.data() + copy.size() || !std::isfinite(value))
    return std::nullopt;
  return value;
}

bool HasLetter(std::string_view text) {
  for (char c : text)
    if (std::isalpha(static_cast<unsigned char>(c)) || c == '\'' || c == '"') return true;
  return false;
}

std::string NumberText(double value) {
  char text[32];
  snprintf(text, sizeof text, "%g", value);
  return text;
}

}  // namespace

std::optional<std::string> CValueDescriptor::Refusal(std::string_view text) const {
  switch (kind_) {
    case SettingValueKind::FreeText:
      return std::nullopt;
    case SettingValueKind::Number:
    case SettingValueKind::Integer: {
      const auto value = DecimalNumber(text);
      if (!value) return Quoted(text) + " is not a number";
      if (kind_ == SettingValueKind::Integer && *value != std::floor(*value))
        return Quoted(text) + " is not a whole number";
      if (*value < minimum_ || *value > maximum_)
        return Quoted(text) + " is out of range (" + NumberText(minimum_) + " to " +
               NumberText(maximum_) + ")";
      return std::nullopt;
    }
    case SettingValueKind::Duration:
      if (Trim(text).empty() || !ParseDurationSeconds(text))
        return Quoted(text) +
               " is not a duration (a number and a unit: s, min, h, days, weeks, months, years)";
      return std::nullopt;
    case SettingValueKind::Length:
      if (Trim(text).empty() || !ParseLength(text, kNauticalMilesIndex).IsValid())
        return Quoted(text) + " is not a length (a number and a unit: nm, m, ft, yd, km, mi, fm)";
      return std::nullopt;
  }
  return std::nullopt;
}

const CValueDescriptor& NumberDescriptor() {
  static const CValueDescriptor descriptor(SettingValueKind::Number);
  return descriptor;
}

const CValueDescriptor& DurationDescriptor() {
  static const CValueDescriptor descriptor(SettingValueKind::Duration);
  return descriptor;
}

const CValueDescriptor& LengthDescriptor() {
  static const CValueDescriptor descriptor(SettingValueKind::Length);
  return descriptor;
}

const CSettingDescriptor& DescriptorForDefault(std::string_view defaultText) {
  if (DecimalNumber(defaultText)) return NumberDescriptor();
  if (HasLetter(defaultText)) {
    // "15 m" is read as minutes: a duration is tried before a length.
    if (ParseDurationSeconds(defaultText)) return DurationDescriptor();
    if (ParseLength(defaultText, kNauticalMilesIndex).IsValid()) return LengthDescriptor();
  }
  return TextDescriptor();
}

SettingValueKind ValueKindOf(const CSetting& setting) {
  if (setting.Kind() != SettingKind::Text) return SettingValueKind::FreeText;
  const auto* value = dynamic_cast<const CValueDescriptor*>(setting.Descriptor());
  return value ? value->Kind() : SettingValueKind::FreeText;
}

std::optional<std::string> BooleanRefusal(std::string_view text) {
  const std::string_view t = Trim(text);
  for (const char* word : {"true", "false", "yes", "no", "on", "off"})
    if (EqualsIgnoreCase(t, word)) return std::nullopt;
  if (const auto value = DecimalNumber(t); value && *value == std::floor(*value))
    return std::nullopt;
  return Quoted(text) + " is not a boolean (true or false)";
}

}  // namespace tarnwick
