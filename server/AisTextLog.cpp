#include "server/AisTextLog.h"

namespace tarnwick {

void CAisTextLog::Add(uint32_t mmsi, int64_t utcMs, std::string text) {
  std::lock_guard lock(mutex_);
  // A flood of senders must not grow the log without bound.
  if (!texts_.count(mmsi) && texts_.size() >= kMaxTargets) texts_.clear();
  auto& list = texts_[mmsi];
  list.push_back({utcMs, std::move(text)});
  while (list.size() > kPerTarget) list.pop_front();
}

std::vector<AisText> CAisTextLog::Texts(uint32_t mmsi) const {
  std::lock_guard lock(mutex_);
  auto it = texts_.find(mmsi);
  if (it == texts_.end()) return {};
  return {it->second.begin(), it->second.end()};
}

}  // namespace tarnwick
