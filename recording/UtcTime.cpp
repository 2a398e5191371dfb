#include "recording/UtcTime.h"

#include <chrono>
#include <cstdio>

namespace tarnwick {
namespace {

constexpr int64_t kMsPerDay = 86'400'000;

int64_t FloorDiv(int64_t a, int64_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// Reads exactly `digits` decimal digits at text[pos]; advances pos.
std::optional<int> Digits(std::string_view text, size_t& pos, int digits) {
  if (pos + static_cast<size_t>(digits) > text.size()) return std::nullopt;
  int value = 0;
  for (int i = 0; i < digits; ++i) {
    const char c = text[pos + static_cast<size_t>(i)];
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  pos += static_cast<size_t>(digits);
  return value;
}

bool Take(std::string_view text, size_t& pos, char c) {
  if (pos < text.size() && text[pos] == c) {
    ++pos;
    return true;
  }
  return false;
}

}  // namespace

UtcParts SplitUtc(int64_t utcMs) {
  using namespace std::chrono;
  const int64_t days = FloorDiv(utcMs, kMsPerDay);
  const int64_t msOfDay = utcMs - days * kMsPerDay;
  const year_month_day date{sys_days{std::chrono::days{days}}};
  UtcParts parts;
  parts.year = static_cast<int>(date.year());
  parts.month = static_cast<int>(static_cast<unsigned>(date.month()));
  parts.day = static_cast<int>(static_cast<unsigned>(date.day()));
  parts.hour = static_cast<int>(msOfDay / 3'600'000);
  parts.minute = static_cast<int>(msOfDay / 60'000 % 60);
  parts.second = static_cast<int>(msOfDay / 1000 % 60);
  parts.millisecond = static_cast<int>(msOfDay % 1000);
  return parts;
}

int64_t MakeUtcMs(const UtcParts& parts) {
  using namespace std::chrono;
  const year_month_day date{year{parts.year}, month{static_cast<unsigned>(parts.month)},
                            day{static_cast<unsigned>(parts.day)}};
  const int64_t days = sys_days{date}.time_since_epoch().count();
  return days * kMsPerDay + static_cast<int64_t>(parts.hour) * 3'600'000 +
         static_cast<int64_t>(parts.minute) * 60'000 + static_cast<int64_t>(parts.second) * 1000 +
         parts.millisecond;
}

int64_t StartOfUtcDay(int64_t utcMs) {
  return FloorDiv(utcMs, kMsPerDay) * kMsPerDay;
}

std::optional<int64_t> ParseIsoUtc(std::string_view text) {
  size_t pos = 0;
  UtcParts parts;
  auto year = Digits(text, pos, 4);
  if (!year) return std::nullopt;
  const bool extended = Take(text, pos, '-');
  auto month = Digits(text, pos, 2);
  if (extended && !Take(text, pos, '-')) return std::nullopt;
  auto day = Digits(text, pos, 2);
  if (!month || !day) return std::nullopt;
  if (!Take(text, pos, 'T') && !Take(text, pos, ' ')) return std::nullopt;
  auto hour = Digits(text, pos, 2);
  if (extended && !Take(text, pos, ':')) return std::nullopt;
  auto minute = Digits(text, pos, 2);
  if (extended && !Take(text, pos, ':')) return std::nullopt;
  auto second = Digits(text, pos, 2);
  if (!hour || !minute || !second) return std::nullopt;
  int millisecond = 0;
  if (Take(text, pos, '.')) {
    int scale = 100;
    size_t digits = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
      millisecond += (text[pos] - '0') * scale;
      scale /= 10;
      ++pos;
      ++digits;
    }
    if (digits == 0) return std::nullopt;
  }
  Take(text, pos, 'Z');
  if (pos != text.size()) return std::nullopt;
  const std::chrono::year_month_day date{std::chrono::year{*year},
                                         std::chrono::month{static_cast<unsigned>(*month)},
                                         std::chrono::day{static_cast<unsigned>(*day)}};
  if (!date.ok() || *hour > 23 || *minute > 59 || *second > 59) return std::nullopt;
  parts.year = *year;
  parts.month = *month;
  parts.day = *day;
  parts.hour = *hour;
  parts.minute = *minute;
  parts.second = *second;
  parts.millisecond = millisecond;
  return MakeUtcMs(parts);
}

std::string FormatIsoUtcMs(int64_t utcMs) {
  const UtcParts p = SplitUtc(utcMs);
  char text[40];
  snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", p.year, p.month, p.day, p.hour,
           p.minute, p.second, p.millisecond);
  return text;
}

}  // namespace tarnwick
