#pragma once
// Man-overboard device reports (MOB sentences) as they arrive, for the
// user-interface thread to act on. Thread-safe: the ports' decoders add, the
// user-interface thread takes.

#include <deque>
#include <mutex>
#include <vector>

#include "instruments/nmea/NmeaRecords.h"

namespace tarnwick {

class CMobReports {
 public:
  // Reports kept until taken; the oldest are dropped beyond this.
  static constexpr size_t kKept = 64;

  void Add(MobEvent event);
  // The reports added since the last call, oldest first.
  std::vector<MobEvent> Take();

 private:
  std::mutex mutex_;
  std::deque<MobEvent> pending_;
};

// The program's reports.
CMobReports& MobReports();

}  // namespace tarnwick
