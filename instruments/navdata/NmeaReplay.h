#pragma once
// Replaying a recorded NMEA file as if it were a port: each line gets the time
// at which it is fed, measured from the start of the replay. Files with
// position fixes are paced by the UTC times of those fixes; files without any
// go at 10 lines a second.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// Spacing of the lines of a file without fix times, ms.
inline constexpr uint64_t kReplayLineSpacingMs = 100;
// Longest pause the replay makes between two fixes, ms (a longer gap in the
// recording is shortened to this).
inline constexpr uint64_t kReplayMaxGapMs = 300000;

struct ReplayLine {
  std::string text;       // the sentence without line end
  uint64_t offsetMs = 0;  // when it is fed, ms after the start of the replay
};

// The UTC time of day (seconds) of an RMC, GGA, GNS or GLL sentence, or empty
// for other sentences and for sentences without a readable time.
std::optional<double> FixTimeOfDay(std::string_view sentence);

// Times the lines of one file (line ends removed, empty lines dropped). Lines
// before the first fix are fed at once; each fix is fed the time between its
// UTC time and the previous fix's after that one (across midnight as well; a
// time that goes back adds no pause), and the lines after it with it.
std::vector<ReplayLine> ScheduleReplay(const std::vector<std::string>& lines);

}  // namespace tarnwick
