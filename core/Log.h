#pragma once
// The diagnostic log: "Application.log" in the data folder, one time-stamped
// line per message, written by any thread.

#include <cstdarg>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// Most characters one formatted log message keeps; longer ones are cut.
inline constexpr size_t kLogLineMax = 510;

// One append-only log file. Each line is prefixed with seconds since the file
// object was opened, seconds since its previous line and the writing thread's
// id ("%.3f:%.3f:0x%x: "); each line feed is written as CR LF.
class CLogFile {
 public:
  // sizeCapKb: 0 for no cap; otherwise the file is trimmed to its newest
  // 90 % when a write leaves it larger than sizeCapKb * 1024 bytes.
  explicit CLogFile(std::filesystem::path path, unsigned sizeCapKb = 0);
  ~CLogFile();
  CLogFile(const CLogFile&) = delete;
  CLogFile& operator=(const CLogFile&) = delete;

  // Appends message (already formatted, cut to kLogLineMax). Thread-safe.
  void Write(std::string_view message);
  const std::filesystem::path& Path() const { return path_; }

 private:
  bool OpenLocked();
  void TrimLocked();

  std::mutex mutex_;
  std::filesystem::path path_;
  unsigned sizeCapKb_;
  int fd_ = -1;
  uint64_t openTick_;
  uint64_t lastTick_;
};

// The size of Application.log beyond which it is trimmed to its newest 90 %:
// a flood of log lines (a failing device, a stream of bad input) cannot fill
// the disk.
inline constexpr unsigned kApplicationLogCapKb = 10 * 1024;

// Renames an existing Application.log in dataFolder to PreviousApplication.log
// and makes a fresh Application.log (capped at kApplicationLogCapKb) the
// target of Log(). Returns its path.
std::filesystem::path OpenApplicationLog(const std::filesystem::path& dataFolder);
// Stops writing to the application log (lines are then only echoed or captured).
void CloseApplicationLog();

// Writes a printf-style message to the application log.
void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));
void LogV(const char* format, va_list args);
// Like Log, but only when debug logging is on (--debug) or a capture is active.
void LogDebug(const char* format, ...) __attribute__((format(printf, 1, 2)));

void SetDebugLogging(bool on);
bool DebugLogging();
// True when LogDebug writes somewhere (debug logging on, or a capture active
// on this thread): lets a caller skip preparing a line nobody reads.
bool DebugLogActive();
// When on, every log line is also written to standard error (subcommands).
void SetLogEcho(bool on);

// Collects, for its lifetime, every line (debug lines included) that the
// constructing thread logs. Captures nest; the innermost one receives lines.
class CLogCapture {
 public:
  CLogCapture();
  ~CLogCapture();
  CLogCapture(const CLogCapture&) = delete;
  CLogCapture& operator=(const CLogCapture&) = delete;

  const std::vector<std::string>& Lines() const { return lines_; }
  void Clear() { lines_.clear(); }
  void Add(std::string_view line) { lines_.emplace_back(line); }
  void Add(std::string&& line) { lines_.push_back(std::move(line)); }

 private:
  CLogCapture* previous_;
  std::vector<std::string> lines_;
};

}  // namespace tarnwick
