#pragma once
// The recordings folder: file names of hourly and daily recordings, listing
// them in time order, finding the one that holds a time, and purging old ones.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "recording/vdr/VdrFormat.h"

namespace tarnwick {

inline constexpr const char* kRecordingExtension = ".skvdr";

// "%04d%02d%02dT%02dZ.skvdr" of the UTC hour of utcMs.
std::string HourlyRecordingName(int64_t utcMs);
// "%04d%02d%02dZ.skvdr" of the UTC day of utcMs (files of earlier versions).
std::string DailyRecordingName(int64_t utcMs);

struct RecordingFile {
  std::filesystem::path path;
  vdr::Date date;
  bool daily = false;
  int64_t startUtcMs = 0;  // first instant the file covers
  int64_t endUtcMs = 0;    // exclusive
};

// The file a recording name describes; empty for any other name.
std::optional<RecordingFile> ParseRecordingName(const std::filesystem::path& path);
// Every recording file in folder, ordered by start time (a daily file before
// hourly files of its day).
std::vector<RecordingFile> ListRecordingFiles(const std::filesystem::path& folder);
// The file that holds utcMs: the day's daily file when it exists, else the hour's file.
std::optional<RecordingFile> FindRecordingFile(const std::filesystem::path& folder, int64_t utcMs);

// Reads a duration with its unit ("30 days", "12 hours", "3 months", "1 year":
// every unit of ParseDurationSeconds) or a bare number of days as seconds;
// empty when the text is not a duration.
std::optional<int64_t> ParseKeepForSeconds(std::string_view text);

struct PurgeResult {
  int deleted = 0;
  int failed = 0;
  int64_t keptForSeconds = 0;  // the period actually applied (at least one day)
};
// Deletes the recordings in folder (files with recording names, no links or
// other files) last written before nowUtcMs minus the kept period; keepFor
// below one day or unreadable counts as one day.
PurgeResult PurgeRecordings(const std::filesystem::path& folder, std::string_view keepFor,
                            int64_t nowUtcMs);

// The recordings folder: VDR_DataLog, or "DataLog" in the data folder, which is
// then stored back into VDR_DataLog.
std::filesystem::path RecordingsFolder();

// Empty when folder may become the recordings folder (VDR_DataLog) from the
// page or the command line: an absolute path to a folder the program will make,
// an empty folder or one that already holds recordings. Else why not, for the
// user: the recorder would write there and purge its own files there.
std::string CheckRecordingsFolderChoice(const std::filesystem::path& folder);

}  // namespace tarnwick
