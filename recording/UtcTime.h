#pragma once
// Calendar parts of UTC times held as milliseconds since 1970, without any
// dependence on the process's time zone, and the ISO 8601 texts the recording
// tools accept.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

struct UtcParts {
  int year = 1970;
  int month = 1;        // 1..12
  int day = 1;          // 1..31
  int hour = 0;         // 0..23
  int minute = 0;       // 0..59
  int second = 0;       // 0..59
  int millisecond = 0;  // 0..999
};

// Splits milliseconds since 1970 (negative allowed) into UTC calendar parts.
UtcParts SplitUtc(int64_t utcMs);
// Milliseconds since 1970 of UTC calendar parts (fields may overflow: hour 24 is the next day).
int64_t MakeUtcMs(const UtcParts& parts);
// Milliseconds since 1970 of the first instant of the UTC day of utcMs.
int64_t StartOfUtcDay(int64_t utcMs);

// "2021-06-30T14:05:00Z", "2021-06-30T14:05:00.250Z", "2021-06-30 14:05:00" and
// the compact "20210630T140500[Z]"; all read as UTC. Empty when not a time.
std::optional<int64_t> ParseIsoUtc(std::string_view text);
// "2021-06-30T14:05:00.250Z".
std::string FormatIsoUtcMs(int64_t utcMs);

}  // namespace tarnwick
