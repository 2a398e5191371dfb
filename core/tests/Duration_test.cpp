// Duration texts of settings ("5 min") and of spoken messages ("4 minutes 50 seconds").

#include "core/units/Duration.h"

#include <gtest/gtest.h>

#include <optional>
#include <utility>

namespace tarnwick {
namespace {

TEST(Duration, ParsesAndFormats) {
  const std::pair<const char*, std::optional<double>> parses[] = {
      {"5 min", 300},
      {"1 min", 60},
      {"30 secs", 30},
      {"6 MIN", 360},
      {"1.5 hr", 5400},
      {" 2 hours ", 7200},
      {"45", 45},
      {"0", 0},
      {"", std::nullopt},
      {"min", std::nullopt},
      {"5 fortnights", std::nullopt},
      {"-5 min", std::nullopt},
      {"5minutes", 300},
      {"2 d", 172800},
      {"2 weeks", 1209600},
      {"3 months", 7889238},
      {"1 Year", 31556952},
      {"1e400 s", std::nullopt},
      {"inf", std::nullopt},
      {"nan min", std::nullopt},
      {"5 min later", std::nullopt},
  };
  for (const auto& [text, seconds] : parses) EXPECT_EQ(ParseDurationSeconds(text), seconds) << text;

  const std::pair<int, const char*> formats[] = {
      {0, "0 seconds"},
      {1, "1 second"},
      {45, "45 seconds"},
      {60, "1 minute"},
      {290, "4 minutes 50 seconds"},
      {3600, "1 hour"},
      {3900, "1 hour 5 minutes"},
      {-5, "0 seconds"},
  };
  for (const auto& [seconds, text] : formats) EXPECT_EQ(FormatDurationText(seconds), text);
}

}  // namespace
}  // namespace tarnwick
