#include "environment/grib/GribTime.h"

#include <algorithm>
#include <cstdio>

namespace tarnwick {
namespace {

constexpr int64_t kDay = 86400;

bool IsLeap(int64_t year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int64_t year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t year, int month, int day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yoe = year - era * 400;
  const int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

struct Civil {
  int64_t year;
  int month;
  int day;
};

Civil CivilFromDays(int64_t days) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t doe = days - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return {yoe + era * 400 + (month <= 2), month, day};
}

int64_t FloorDiv(int64_t a, int64_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

int64_t AddMonths(int64_t reference, int64_t months) {
  const int64_t days = FloorDiv(reference, kDay);
  const int64_t secondOfDay = reference - days * kDay;
  const Civil date = CivilFromDays(days);
  const int64_t index = date.year * 12 + (date.month - 1) + months;
  const int64_t year = FloorDiv(index, 12);
  const int month = static_cast<int>(index - year * 12) + 1;
  const int day = std::min(date.day, DaysInMonth(year, month));
  return DaysFromCivil(year, month, day) * kDay + secondOfDay;
}

}  // namespace

std::optional<int64_t> UtcSeconds(int year, int month, int day, int hour, int minute, int second) {
  if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return std::nullopt;
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) return std::nullopt;
  return DaysFromCivil(year, month, day) * kDay + hour * 3600 + minute * 60 + second;
}

int64_t AddForecastTime(int64_t reference, int unit, int64_t amount) {
  switch (unit) {
    case 0: return reference + amount * 60;
    case 1: return reference + amount * 3600;
    case 2: return reference + amount * kDay;
    case 3: return AddMonths(reference, amount);
    case 4: return AddMonths(reference, amount * 12);
    case 5: return AddMonths(reference, amount * 120);
    case 6: return AddMonths(reference, amount * 360);
    case 7: return AddMonths(reference, amount * 1200);
    case 10: return reference + amount * 3 * 3600;
    case 11: return reference + amount * 6 * 3600;
    case 12: return reference + amount * 12 * 3600;
    case 13: return reference + amount * 900;
    case 14: return reference + amount * 1800;
    case 254: return reference + amount;
    default: return reference + amount * 3600;
  }
}

std::string FormatUtc(int64_t seconds) {
  const int64_t days = FloorDiv(seconds, kDay);
  const int64_t rest = seconds - days * kDay;
  const Civil date = CivilFromDays(days);
  char text[40];
  std::snprintf(text, sizeof text, "%04lld-%02d-%02dT%02d:%02d:%02dZ", static_cast<long long>(date.year),
                date.month, date.day, static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60),
                static_cast<int>(rest % 60));
  return text;
}

std::optional<int64_t> ParseUtc(std::string_view text) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  const std::string s(text);
  int fields = 0;
  int used = 0;
  if (std::sscanf(s.c_str(), "%4d-%2d-%2d%n", &year, &month, &day, &used) == 3 && used == 10) {
    fields = 3;
    if (s.size() > 10) {
      if (s[10] != 'T' && s[10] != ' ') return std::nullopt;
      int more = 0;
      const int n = std::sscanf(s.c_str() + 11, "%2d:%2d%n:%2d%n", &hour, &minute, &more, &second, &more);
      if (n < 2) return std::nullopt;
      fields += n;
      const std::string tail = s.substr(11 + more);
      if (!tail.empty() && tail != "Z") return std::nullopt;
      if (more != 5 && more != 8) return std::nullopt;
    }
  }
  if (fields < 3) return std::nullopt;
  return UtcSeconds(year, month, day, hour, minute, second);
}

}  // namespace tarnwick
