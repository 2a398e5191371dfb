#include "core/Watchdog.h"

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "core/Log.h"
#include "core/RegistryFile.h"

namespace tarnwick {
namespace {
constexpr const char* kKey = "Watchdog";
constexpr const char* kStartTime = "StartTime";
}  // namespace

std::string FormatCompactUtc(int64_t utcMs) {
  time_t seconds = static_cast<time_t>(utcMs / 1000);
  tm parts{};
  gmtime_r(&seconds, &parts);
  char text[80];
  snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02dZ", parts.tm_year + 1900, parts.tm_mon + 1,
           parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
  return text;
}

std::optional<int64_t> ParseCompactUtc(const std::string& text) {
  tm parts{};
  char zone = 0;
  if (sscanf(text.c_str(), "%4d%2d%2dT%2d%2d%2d%c", &parts.tm_year, &parts.tm_mon, &parts.tm_mday,
             &parts.tm_hour, &parts.tm_min, &parts.tm_sec, &zone) != 7 ||
      zone != 'Z')
    return std::nullopt;
  parts.tm_year -= 1900;
  parts.tm_mon -= 1;
  return static_cast<int64_t>(timegm(&parts)) * 1000;
}

CWatchdog::CWatchdog(CRegistryFile& registry, std::filesystem::path crashFolder)
    : registry_(registry), crashFolder_(std::move(crashFolder)) {}

UncleanExit CWatchdog::Arm(int64_t nowUtcMs) {
  UncleanExit result;
  bool existed = false;
  if (!registry_.CreateKey(kKey, &existed)) {
    Log("Failed to create watchdog (%d)\n", errno);
    return result;
  }
  if (existed) {
    result.previousRunUnclean = true;
    auto started = registry_.GetValue(kKey, kStartTime);
    auto startMs = started ? ParseCompactUtc(*started) : std::nullopt;
    result.previousStartUtcMs = startMs;
    std::error_code ec;
    std::filesystem::file_time_type newest{};
    for (const auto& entry : std::filesystem::directory_iterator(crashFolder_, ec)) {
      if (entry.path().extension() != ".dmp") continue;
      auto written = entry.last_write_time(ec);
      auto writtenMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::file_clock::to_sys(written)
                               .time_since_epoch())
                           .count();
      if (startMs && writtenMs < *startMs) continue;
      if (!result.crashReport || written > newest) {
        result.crashReport = entry.path();
        newest = written;
      }
    }
  }
  if (!registry_.SetValue(kKey, kStartTime, FormatCompactUtc(nowUtcMs)))
    Log("Failed to create watchdog (%d)\n", errno);
  return result;
}

void CWatchdog::Disarm() {
  if (!registry_.KeyExists(kKey)) return;
  if (!registry_.DeleteKey(kKey)) Log("Exit_Watchdog: Cannot remove watchdog (%d)\n", errno);
}

}  // namespace tarnwick
