#pragma once
// UTC calendar arithmetic for forecast times, independent of the process's
// time zone: seconds since 1970 from calendar parts and back, forecast
// offsets by the GRIB1 units of time, and the ISO 8601 texts of the tools.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// Seconds since 1970 of a UTC date and time; empty when the parts are not a
// date (month 1..12, day within the month, hour 0..23, minute 0..59).
std::optional<int64_t> UtcSeconds(int year, int month, int day, int hour, int minute, int second = 0);

// The valid time of a forecast amount × unit after reference (GRIB1 code
// table 4: 0 minute, 1 hour, 2 day, 3 month, 4 year, 5 decade, 6 normal of 30
// years, 7 century, 10 3 hours, 11 6 hours, 12 12 hours, 13 15 minutes, 14 30
// minutes, 254 second; other units are taken as hours). Months and longer
// count on the calendar (the day of the month is kept, or the month's last day).
int64_t AddForecastTime(int64_t reference, int unit, int64_t amount);

// "2011-10-08T00:00:00Z".
std::string FormatUtc(int64_t seconds);
// "2011-10-08T00:00:00Z", "2011-10-08T00:00Z", "2011-10-08T00:00:00" or
// "2011-10-08" (all UTC); empty when the text is not such a time.
std::optional<int64_t> ParseUtc(std::string_view text);

}  // namespace tarnwick
