#pragma once
// The unclean-exit detector: a "Watchdog" key with the run's "StartTime" is
// written at start and deleted at a clean exit, so a key found at start means
// the previous run crashed or was killed.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace tarnwick {

class CRegistryFile;

struct UncleanExit {
  bool previousRunUnclean = false;
  std::optional<int64_t> previousStartUtcMs;  // when that run started, when known
  // A crash report written after the previous run's start, when there is one.
  std::optional<std::filesystem::path> crashReport;
};

class CWatchdog {
 public:
  // crashFolder: where the fatal-signal handler writes "*.dmp" reports.
  CWatchdog(CRegistryFile& registry, std::filesystem::path crashFolder);

  // Checks for a left-over key, then writes the new "StartTime" (UTC now).
  // A key that cannot be written logs "Failed to create watchdog (%d)\n".
  UncleanExit Arm(int64_t nowUtcMs);
  // Deletes the key (clean exit); logs "Exit_Watchdog: Cannot remove watchdog (%d)\n" on failure.
  void Disarm();

 private:
  CRegistryFile& registry_;
  std::filesystem::path crashFolder_;
};

// "%04d%02d%02dT%02d%02d%02dZ" of a UTC time in milliseconds, and back.
std::string FormatCompactUtc(int64_t utcMs);
std::optional<int64_t> ParseCompactUtc(const std::string& text);

}  // namespace tarnwick
