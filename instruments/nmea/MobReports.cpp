#include "instruments/nmea/MobReports.h"

namespace tarnwick {

void CMobReports::Add(MobEvent event) {
  std::lock_guard lock(mutex_);
  pending_.push_back(std::move(event));
  while (pending_.size() > kKept) pending_.pop_front();
}

std::vector<MobEvent> CMobReports::Take() {
  std::lock_guard lock(mutex_);
  std::vector<MobEvent> taken(std::make_move_iterator(pending_.begin()),
                              std::make_move_iterator(pending_.end()));
  pending_.clear();
  return taken;
}

CMobReports& MobReports() {
  static CMobReports reports;
  return reports;
}

}  // namespace tarnwick
