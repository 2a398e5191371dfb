// Pacing of replayed NMEA files.

#include <gtest/gtest.h>

#include "core/tests/support/TestSupport.h"
#include "instruments/navdata/NmeaReplay.h"

namespace tarnwick {
namespace {

std::vector<uint64_t> Offsets(const std::vector<std::string>& lines) {
  std::vector<uint64_t> offsets;
  for (const ReplayLine& l : ScheduleReplay(lines)) offsets.push_back(l.offsetMs);
  return offsets;
}

TEST(NmeaReplay, FixTimes) {
  const std::pair<const char*, std::optional<double>> cases[] = {
      {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W", 45319.0},
      {"$GPGGA,235959.50,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,", 86399.5},
      {"$GPGLL,4807.038,N,01131.000,E,000001,A", 1.0},
      {"$GNGNS,010203,4807.038,N,01131.000,E,AN,08,0.9,545.4,46.9,,", 3723.0},
      {"$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K", std::nullopt},
      {"$GPRMC,,V,,,,,,,,,", std::nullopt},
      {"$GPRMC,25x519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W", std::nullopt},
      {"$GPRMC,246000,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W", std::nullopt},
      {"!AIVDM,1,1,,A,13aGmP0P00PD;88MD5MTDww@2D7k,0*46", std::nullopt},
      {"garbage", std::nullopt},
  };
  for (const auto& [sentence, seconds] : cases)
    EXPECT_EQ(FixTimeOfDay(sentence), seconds) << sentence;
}

TEST(NmeaReplay, Schedules) {
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    std::vector<uint64_t> offsets;
  };
  const Case cases[] = {
      {"TenLinesASecondWithoutFixes",
       {"$SDDPT,5.0,0.5", "$HEHDT,10,T\r", "", "$SDDPT,5.1,0.5"},
       {0, 100, 200}},
      {"PacedByFixTimes",
       {"$SDDPT,5.0,0.5", "$GPGLL,4807.038,N,01131.000,E,120000,A", "$SDDPT,5.0,0.5",
        "$GPGLL,4807.038,N,01131.000,E,120002.5,A", "$GPGLL,4807.038,N,01131.000,E,120002.5,A"},
       {0, 0, 0, 2500, 2500}},
      {"AcrossMidnight",
       {"$GPGLL,4807.038,N,01131.000,E,235959,A", "$GPGLL,4807.038,N,01131.000,E,000001,A"},
       {0, 2000}},
      {"TimeGoingBackAddsNoPause",
       {"$GPGLL,4807.038,N,01131.000,E,120010,A", "$GPGLL,4807.038,N,01131.000,E,120005,A",
        "$GPGLL,4807.038,N,01131.000,E,120006,A"},
       {0, 0, 1000}},
      {"LongGapIsShortened",
       {"$GPGLL,4807.038,N,01131.000,E,100000,A", "$GPGLL,4807.038,N,01131.000,E,140000,A"},
       {0, kReplayMaxGapMs}},
  };
  for (const Case& c : cases) EXPECT_EQ(Offsets(c.lines), c.offsets) << c.name;
}

TEST(NmeaReplay, RealLogWithATimeThatGoesBack) {
  const std::string text = ::tarnwick::testing::ReadFile(::tarnwick::testing::TestDataFolder() /
                                                         "navdata/humminbird-M37.log");
  ASSERT_FALSE(text.empty());
  std::vector<std::string> lines;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  const std::vector<ReplayLine> schedule = ScheduleReplay(lines);
  // The comment header is fed at once, and nothing is ever fed earlier than its predecessor.
  EXPECT_EQ(schedule.front().offsetMs, 0u);
  for (size_t i = 1; i < schedule.size(); ++i)
    ASSERT_GE(schedule[i].offsetMs, schedule[i - 1].offsetMs) << schedule[i].text;
  // 194101 .. 194124, then back to 194111 .. the last fix: every second of the
  // recording except the 13 that were recorded twice.
  const auto last = std::find_if(schedule.rbegin(), schedule.rend(),
                                 [](const ReplayLine& l) { return FixTimeOfDay(l.text); });
  ASSERT_NE(last, schedule.rend());
  const double lastTime = *FixTimeOfDay(last->text);
  const double span = (194124 - 194101) + (lastTime - (19 * 3600 + 41 * 60 + 11));
  EXPECT_EQ(last->offsetMs, static_cast<uint64_t>(span * 1000));
}

}  // namespace
}  // namespace tarnwick
