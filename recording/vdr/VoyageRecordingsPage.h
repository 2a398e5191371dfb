#pragma once
// The day list of voyage recordings ("voyage_recordings"): one link per UTC day
// with its first and last recorded time, grouped by month.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

struct RecordingDay {
  int year = 0;
  int month = 0;           // 1..12
  int day = 0;             // 1..31
  int64_t firstUtcMs = 0;  // first record of the day
  int64_t lastUtcMs = 0;   // last record of the day
};

// The days that have at least one record, oldest first.
std::vector<RecordingDay> ListRecordingDays(const std::filesystem::path& folder);

// The page for the days; vessel names the recording's vessel in the play links.
std::string BuildVoyageRecordingsPage(const std::vector<RecordingDay>& days,
                                      std::string_view vessel);

}  // namespace tarnwick
