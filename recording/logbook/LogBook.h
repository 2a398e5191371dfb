#pragma once
// The logbook database "log.db": events of the system in `Entries` and one
// own-ship point a minute in `Track`. Opened on first use, then held open.
// Writes come from the user-interface thread; a lock makes any thread safe.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string_view>

#include "core/Sqlite.h"
#include "core/geo/LatLon.h"
#include "recording/logbook/LogEntry.h"

namespace tarnwick {

struct LogTrackPoint {
  LatLon position;                // decimal degrees
  double sog = 0;                 // speed over ground, knots
  double cog = 0;                 // course over ground, degrees true
  std::optional<double> heading;  // degrees true; empty when no valid heading
  std::optional<double> depth;    // metres; empty when no valid depth
};

class CLogBook {
 public:
  explicit CLogBook(std::filesystem::path path);
  CLogBook(const CLogBook&) = delete;
  CLogBook& operator=(const CLogBook&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // Opens the database if it is not open yet; false when it cannot be.
  bool Open();
  void Close();

  // Adds an entry (direct form): content NULL when empty, parent NULL when 0.
  // Returns the new ROWID, or empty when the row could not be written.
  std::optional<int64_t> AddEntry(int category, int type, std::optional<std::string_view> content,
                                  int64_t parent = 0);
  // Writes a collected entry when it holds at least one field.
  std::optional<int64_t> Write(const LogEntry& entry);
  // Adds one `Track` row (heading and depth NULL when absent); false when not written.
  bool AddTrackPoint(const LogTrackPoint& point);

  // Tick count (ms) of the last successful write, 0 before any.
  uint64_t LastWriteTick() const { return lastWriteTick_.load(); }

 private:
  bool OpenLocked();

  std::filesystem::path path_;
  std::mutex mutex_;
  CSqliteDatabase db_;
  std::atomic<uint64_t> lastWriteTick_{0};
};

// The program's logbook, DataFolder()/"log.db".
CLogBook& LogBook();

}  // namespace tarnwick
