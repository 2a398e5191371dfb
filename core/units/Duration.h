#pragma once
// Durations as settings carry them ("5 min", "30 secs", "1 hr") and as the
// program says them ("4 minutes 50 seconds").

#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// Seconds of "<number> <unit>" with units (any case) s, sec, secs, second(s),
// m, min, mins, minute(s), h, hr, hrs, hour(s), d, day(s), w, wk, wks, week(s),
// mo, mon, month(s) (a twelfth of 365.2425 days), y, yr, yrs, year(s) (365.2425
// days); a bare number is seconds. Nothing for unreadable, negative or
// infinite text.
std::optional<double> ParseDurationSeconds(std::string_view text);

// Whole seconds (>= 0) as "45 seconds", "1 minute", "4 minutes 50 seconds",
// "1 hour 5 minutes".
std::string FormatDurationText(int seconds);

}  // namespace tarnwick
