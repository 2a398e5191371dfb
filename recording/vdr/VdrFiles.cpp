#include "recording/vdr/VdrFiles.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "core/Log.h"
#include "core/Paths.h"
#include "core/settings/VdrSettings.h"
#include "core/units/Duration.h"
#include "recording/UtcTime.h"

namespace tarnwick {
namespace {

constexpr int64_t kOneDaySeconds = 86400;
constexpr double kLongestKeptSeconds = 3.2e13;

}  // namespace

std::string HourlyRecordingName(int64_t utcMs) {
  const UtcParts p = SplitUtc(utcMs);
  char name[40];
  snprintf(name, sizeof name, "%04d%02d%02dT%02dZ.skvdr", p.year, p.month, p.day, p.hour);
  return name;
}

std::string DailyRecordingName(int64_t utcMs) {
  const UtcParts p = SplitUtc(utcMs);
  char name[40];
  snprintf(name, sizeof name, "%04d%02d%02dZ.skvdr", p.year, p.month, p.day);
  return name;
}

std::optional<RecordingFile> ParseRecordingName(const std::filesystem::path& path) {
  const std::string name = path.filename().string();
  int year = 0, month = 0, day = 0, hour = 0;
  int consumed = 0;
  RecordingFile file;
  file.path = path;
  if (name.size() == 18 &&
      sscanf(name.c_str(), "%4d%2d%2dT%2dZ.skvdr%n", &year, &month, &day, &hour, &consumed) == 4 &&
      consumed == 18) {
    file.daily = false;
  } else if (name.size() == 15 &&
             sscanf(name.c_str(), "%4d%2d%2dZ.skvdr%n", &year, &month, &day, &consumed) == 3 &&
             consumed == 15) {
    file.daily = true;
  } else {
    return std::nullopt;
  }
  for (char c : name.substr(0, 8))
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
  const std::chrono::year_month_day date{std::chrono::year{year},
                                         std::chrono::month{static_cast<unsigned>(month)},
                                         std::chrono::day{static_cast<unsigned>(day)}};
  if (!date.ok() || hour < 0 || hour > 23) return std::nullopt;
  file.date = vdr::Date{year, month, day};
  UtcParts parts{year, month, day, file.daily ? 0 : hour, 0, 0, 0};
  file.startUtcMs = MakeUtcMs(parts);
  file.endUtcMs = file.startUtcMs + (file.daily ? 86'400'000 : 3'600'000);
  return file;
}

std::vector<RecordingFile> ListRecordingFiles(const std::filesystem::path& folder) {
  std::vector<RecordingFile> files;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    if (!entry.is_regular_file(ec)) continue;
    if (auto file = ParseRecordingName(entry.path())) files.push_back(std::move(*file));
  }
  std::sort(files.begin(), files.end(), [](const RecordingFile& a, const RecordingFile& b) {
    if (a.startUtcMs != b.startUtcMs) return a.startUtcMs < b.startUtcMs;
    return a.daily && !b.daily;
  });
  return files;
}

std::optional<RecordingFile> FindRecordingFile(const std::filesystem::path& folder, int64_t utcMs) {
  std::error_code ec;
  for (const std::string& name : {DailyRecordingName(utcMs), HourlyRecordingName(utcMs)}) {
    const auto path = folder / name;
    if (std::filesystem::is_regular_file(path, ec)) return ParseRecordingName(path);
  }
  return std::nullopt;
}

std::optional<int64_t> ParseKeepForSeconds(std::string_view text) {
  // A bare number counts days; anything else is a duration with its unit.
  const std::string copy(text);
  char* end = nullptr;
  const double days = strtod(copy.c_str(), &end);
  const char* stop = end;
  const bool bare = stop != copy.c_str() && std::all_of(stop, copy.c_str() + copy.size(), [](char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
  });
  const std::optional<double> seconds =
      bare ? (days >= 0 ? std::optional<double>(days * kOneDaySeconds) : std::nullopt)
           : ParseDurationSeconds(text);
  // Beyond a million years the count would not fit the file times.
  if (!seconds || *seconds > kLongestKeptSeconds) return std::nullopt;
  return static_cast<int64_t>(*seconds);
}

PurgeResult PurgeRecordings(const std::filesystem::path& folder, std::string_view keepFor,
                            int64_t nowUtcMs) {
  PurgeResult result;
  const auto seconds = ParseKeepForSeconds(keepFor);
  result.keptForSeconds = seconds && *seconds >= kOneDaySeconds ? *seconds : kOneDaySeconds;
  const int64_t cutoffMs = nowUtcMs - result.keptForSeconds * 1000;
  // Only the recorder's own files: recording names, plain files (no links).
  for (const RecordingFile& file : ListRecordingFiles(folder)) {
    std::error_code fileError;
    if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(file.path, fileError)))
      continue;
    const auto written = std::filesystem::last_write_time(file.path, fileError);
    if (fileError) continue;
    const int64_t writtenMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  std::chrono::file_clock::to_sys(written).time_since_epoch())
                                  .count();
    if (writtenMs >= cutoffMs) continue;
    if (std::filesystem::remove(file.path, fileError)) {
      ++result.deleted;
    } else {
      ++result.failed;
      Log("VDR: cannot delete %s (%s)\n", file.path.c_str(), fileError.message().c_str());
    }
  }
  return result;
}

std::string CheckRecordingsFolderChoice(const std::filesystem::path& folder) {
  if (!folder.is_absolute()) return "The recordings folder must be a full path (/...).";
  std::error_code ec;
  const auto status = std::filesystem::symlink_status(folder, ec);
  if (!std::filesystem::exists(status)) return "";
  if (!std::filesystem::is_directory(status))
    return folder.string() + " is not a folder (links are not followed).";
  if (std::filesystem::is_empty(folder, ec) || !ListRecordingFiles(folder).empty()) return "";
  return folder.string() +
         " holds other files; choose an empty or new folder, or one with voyage recordings.";
}

std::filesystem::path RecordingsFolder() {
  std::string text = opt::VDR_DataLog.Text();
  if (!text.empty()) return std::filesystem::path(text);
  const auto folder = DataFolder() / "DataLog";
  opt::VDR_DataLog.Set(folder.string());
  return folder;
}

}  // namespace tarnwick
