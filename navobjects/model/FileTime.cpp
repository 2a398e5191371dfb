#include "navobjects/model/FileTime.h"

#include <cstdio>
#include <ctime>

#include "core/Clock.h"

namespace tarnwick {
namespace {

// File-time ticks between 1601-01-01 and 1970-01-01.
constexpr int64_t kUnixEpochTicks = 116444736000000000LL;
constexpr int64_t kTicksPerMs = 10000;
constexpr int64_t kTicksPerSecond = 10000000;

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

struct Civil {
  int year, month, day, hour, minute, second;
};

Civil ToCivil(FileTime time) {
  int64_t seconds = (time.ticks - kUnixEpochTicks) / kTicksPerSecond;
  if ((time.ticks - kUnixEpochTicks) % kTicksPerSecond < 0) --seconds;
  int64_t days = seconds / 86400;
  int64_t rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(days - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  const int64_t y = static_cast<int64_t>(yoe) + era * 400 + (m <= 2);
  return Civil{static_cast<int>(y),
               static_cast<int>(m),
               static_cast<int>(d),
               static_cast<int>(rest / 3600),
               static_cast<int>(rest / 60 % 60),
               static_cast<int>(rest % 60)};
}

std::optional<FileTime> FromCivil(const Civil& c) {
  if (c.year < 1601 || c.year > 30000 || c.month < 1 || c.month > 12 || c.day < 1 || c.day > 31 ||
      c.hour < 0 || c.hour > 23 || c.minute < 0 || c.minute > 59 || c.second < 0 || c.second > 60)
    return std::nullopt;
  const int64_t days =
      DaysFromCivil(c.year, static_cast<unsigned>(c.month), static_cast<unsigned>(c.day));
  const int64_t seconds = days * 86400 + c.hour * 3600 + c.minute * 60 + c.second;
  return FileTime{seconds * kTicksPerSecond + kUnixEpochTicks};
}

// Reads exactly `width` digits.
bool ReadDigits(std::string_view& text, int width, int& out) {
  if (text.size() < static_cast<size_t>(width)) return false;
  out = 0;
  for (int i = 0; i < width; ++i) {
    const char c = text[static_cast<size_t>(i)];
    if (c < '0' || c > '9') return false;
    out = out * 10 + (c - '0');
  }
  text.remove_prefix(static_cast<size_t>(width));
  return true;
}

bool Expect(std::string_view& text, char c) {
  if (text.empty() || text.front() != c) return false;
  text.remove_prefix(1);
  return true;
}

}  // namespace

FileTime FileTimeFromUnixMs(int64_t unixMs) {
  return FileTime{unixMs * kTicksPerMs + kUnixEpochTicks};
}

int64_t UnixMsFromFileTime(FileTime time) {
  return (time.ticks - kUnixEpochTicks) / kTicksPerMs;
}

FileTime FileTimeNow() {
  return FileTimeFromUnixMs(UtcNowMs());
}

std::string FormatCompactTime(FileTime time, bool withZone) {
  const Civil c = ToCivil(time);
  char text[48];
  snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02d%s", c.year, c.month, c.day, c.hour,
           c.minute, c.second, withZone ? "Z" : "");
  return text;
}

std::optional<FileTime> ParseCompactTime(std::string_view text) {
  Civil c{};
  if (!ReadDigits(text, 4, c.year) || !ReadDigits(text, 2, c.month) ||
      !ReadDigits(text, 2, c.day) || !Expect(text, 'T') || !ReadDigits(text, 2, c.hour) ||
      !ReadDigits(text, 2, c.minute) || !ReadDigits(text, 2, c.second))
    return std::nullopt;
  if (!text.empty() && text.front() == 'Z') text.remove_prefix(1);
  if (!text.empty()) return std::nullopt;
  return FromCivil(c);
}

std::string FormatIsoTime(FileTime time) {
  const Civil c = ToCivil(time);
  char text[48];
  snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", c.year, c.month, c.day, c.hour,
           c.minute, c.second);
  return text;
}

std::optional<FileTime> ParseIsoTime(std::string_view text) {
  Civil c{};
  if (!ReadDigits(text, 4, c.year) || !Expect(text, '-') || !ReadDigits(text, 2, c.month) ||
      !Expect(text, '-') || !ReadDigits(text, 2, c.day) || !Expect(text, 'T') ||
      !ReadDigits(text, 2, c.hour) || !Expect(text, ':') || !ReadDigits(text, 2, c.minute) ||
      !Expect(text, ':') || !ReadDigits(text, 2, c.second))
    return std::nullopt;
  int64_t fractionTicks = 0;
  if (!text.empty() && text.front() == '.') {
    text.remove_prefix(1);
    int64_t scale = kTicksPerSecond / 10;
    bool any = false;
    while (!text.empty() && text.front() >= '0' && text.front() <= '9') {
      fractionTicks += (text.front() - '0') * scale;
      scale /= 10;
      text.remove_prefix(1);
      any = true;
    }
    if (!any) return std::nullopt;
  }
  int offsetMinutes = 0;
  if (!text.empty() && text.front() == 'Z') {
    text.remove_prefix(1);
  } else if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    const int sign = text.front() == '-' ? -1 : 1;
    text.remove_prefix(1);
    int hours = 0;
    int minutes = 0;
    if (!ReadDigits(text, 2, hours)) return std::nullopt;
    if (!text.empty() && text.front() == ':') text.remove_prefix(1);
    if (!ReadDigits(text, 2, minutes)) return std::nullopt;
    offsetMinutes = sign * (hours * 60 + minutes);
  }
  if (!text.empty()) return std::nullopt;
  auto base = FromCivil(c);
  if (!base) return std::nullopt;
  base->ticks += fractionTicks - static_cast<int64_t>(offsetMinutes) * 60 * kTicksPerSecond;
  return base;
}

}  // namespace tarnwick
