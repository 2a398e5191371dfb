#include "core/units/Duration.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>

#include "core/Setting.h"

namespace tarnwick {
namespace {

// Calendar units as averages of the Gregorian calendar: a year of 365.2425
// days and a month of a twelfth of it.
constexpr double kWeek = 7 * 86400.0;
constexpr double kYear = 365.2425 * 86400.0;
constexpr double kMonth = kYear / 12.0;

struct DurationUnit {
  const char* word;
  double seconds;
};

constexpr DurationUnit kUnits[] = {
    {"s", 1},     {"sec", 1},     {"secs", 1},     {"second", 1},  {"seconds", 1},
    {"m", 60},    {"min", 60},    {"mins", 60},    {"minute", 60}, {"minutes", 60},
    {"h", 3600},  {"hr", 3600},   {"hrs", 3600},   {"hour", 3600}, {"hours", 3600},
    {"d", 86400}, {"day", 86400}, {"days", 86400},
    {"w", kWeek}, {"wk", kWeek}, {"wks", kWeek}, {"week", kWeek}, {"weeks", kWeek},
    {"mo", kMonth}, {"mon", kMonth}, {"month", kMonth}, {"months", kMonth},
    {"y", kYear}, {"yr", kYear}, {"yrs", kYear}, {"year", kYear}, {"years", kYear},
};

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  return text;
}

void AppendCount(std::string& text, int count, const char* unit) {
  if (!text.empty()) text += ' ';
  text += std::to_string(count);
  text += ' ';
  text += unit;
  if (count != 1) text += 's';
}

}  // namespace

std::optional<double> ParseDurationSeconds(std::string_view text) {
  const std::string trimmed(Trim(text));
  if (trimmed.empty()) return std::nullopt;
  char* end = nullptr;
  const double value = std::strtod(trimmed.c_str(), &end);
  if (end == trimmed.c_str() || !std::isfinite(value) || value < 0.0) return std::nullopt;
  const std::string_view unit = Trim(std::string_view(end));
  if (unit.empty()) return value;
  for (const DurationUnit& candidate : kUnits) {
    if (EqualsIgnoreCase(unit, candidate.word)) return value * candidate.seconds;
  }
  return std::nullopt;
}

std::string FormatDurationText(int seconds) {
  if (seconds < 0) seconds = 0;
  const int hours = seconds / 3600;
  const int minutes = seconds / 60 % 60;
  const int rest = seconds % 60;
  std::string text;
  if (hours > 0) AppendCount(text, hours, "hour");
  if (minutes > 0) AppendCount(text, minutes, "minute");
  if (rest > 0 || text.empty()) {
    if (hours == 0) AppendCount(text, rest, "second");
  }
  return text;
}

}  // namespace tarnwick
