#pragma once
// Virtual time: while a recording plays back (or the time bar is moved away
// from now) the program shows another time than now, and features that record
// the present, such as the logbook's track, pause. Safe from any thread.

#include <atomic>
#include <cstdint>
#include <optional>

namespace tarnwick {

class CVirtualTime {
 public:
  // Enters virtual time at utcMs (UTC milliseconds since 1970), or moves it.
  void Set(int64_t utcMs);
  // Back to real time.
  void End();
  bool IsActive() const { return active_.load(); }
  // The virtual UTC time while active.
  std::optional<int64_t> UtcMs() const;

 private:
  std::atomic<bool> active_{false};
  std::atomic<int64_t> utcMs_{0};
};

CVirtualTime& VirtualTime();

}  // namespace tarnwick
