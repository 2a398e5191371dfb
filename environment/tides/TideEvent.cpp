#include "environment/tides/TideEvent.h"

#include <ctime>

namespace tarnwick {

int64_t YearStartUtc(int year) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mday = 1;
  return static_cast<int64_t>(timegm(&tm));
}

int YearOfUtc(int64_t t) {
  const time_t seconds = static_cast<time_t>(t);
  std::tm tm{};
  gmtime_r(&seconds, &tm);
  return tm.tm_year + 1900;
}

}  // namespace tarnwick
