#include "recording/VirtualTime.h"

namespace tarnwick {

void CVirtualTime::Set(int64_t utcMs) {
  utcMs_.store(utcMs);
  active_.store(true);
}

void CVirtualTime::End() {
  active_.store(false);
}

std::optional<int64_t> CVirtualTime::UtcMs() const {
  if (!active_.load()) return std::nullopt;
  return utcMs_.load();
}

CVirtualTime& VirtualTime() {
  static CVirtualTime time;
  return time;
}

}  // namespace tarnwick
