#pragma once
// "AIS.LOG": one CSV line per received position report while AIS_Logging is
// on, and the "AisLog" command that turns it on and off.

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>

#include "instruments/ReceiveTime.h"

namespace tarnwick {

class CAisTarget;

// Largest size of AIS.LOG; when a write passes it, the oldest tenth is cut.
inline constexpr unsigned kAisLogLimitKb = 10240;

// The log line of a target just updated by a position report of messageType.
std::string FormatAisLogLine(const CAisTarget& target, int messageType, int64_t utcMs);

// Appends lines to a file, trimming it to its newest 90 % when it grows past
// the limit. Thread-safe.
class CAisLogFile {
 public:
  CAisLogFile(std::filesystem::path path, unsigned limitKb);
  const std::filesystem::path& Path() const { return path_; }
  unsigned LimitKb() const { return limitKb_; }
  // Appends text; false (and a log line) when the file cannot be written.
  bool Append(std::string_view text);

 private:
  void TrimLocked();

  std::mutex mutex_;
  std::filesystem::path path_;
  unsigned limitKb_;
};

// The process-wide AIS.LOG in the data folder.
CAisLogFile& AisLogFile();

// The "AisLog" command: args "on" or "off" sets AIS_Logging and answers
// "AIS Logging is now $1." with the log file and limit; anything else answers
// "Usage: $AisLog on|off".
std::string AisLogCommand(std::string_view args);

}  // namespace tarnwick
