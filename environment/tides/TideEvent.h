#pragma once
// One predicted tide or current event, and the calendar helpers that every
// station kind shares.

#include <cstdint>

namespace tarnwick {

// Event types; the values are stored and exchanged.
enum TideEventType : int {
  kTideEventDiscarded = 0,
  kTideLow = 1,             // low water / maximum ebb
  kTideHigh = 2,            // high water / maximum flood
  kSlackBeforeEbb = 4,      // slack water, turning to ebb
  kSlackBeforeFlood = 8,    // slack water, turning to flood
};

// The value of a current speed that is not known (the largest float).
inline constexpr double kUnknownSpeed = 3.4028234663852886e38;

struct TideEvent {
  int type = kTideEventDiscarded;
  int64_t time = 0;    // seconds since 1970-01-01 UTC
  double value = 0;    // height in station units, or knots (positive = flood)
  double refValue = 0;  // the reference station's value before offsets
  int64_t refTime = 0;  // the reference station's time before offsets
};

// Seconds since 1970 of 1 January 00:00 UTC of year.
int64_t YearStartUtc(int year);
// Calendar year (UTC) of t, seconds since 1970.
int YearOfUtc(int64_t t);

}  // namespace tarnwick
