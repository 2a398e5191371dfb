#include "core/ShutdownEvent.h"

#include <chrono>

namespace tarnwick {

void CShutdownEvent::Signal() {
  {
    std::lock_guard lock(mutex_);
    set_ = true;
  }
  signalled_.notify_all();
}

bool CShutdownEvent::IsSet() const {
  std::lock_guard lock(mutex_);
  return set_;
}

bool CShutdownEvent::WaitFor(uint64_t timeoutMs) const {
  std::unique_lock lock(mutex_);
  return signalled_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return set_; });
}

void CShutdownEvent::Reset() {
  std::lock_guard lock(mutex_);
  set_ = false;
}

CShutdownEvent& ShutdownEvent() {
  static CShutdownEvent event;
  return event;
}

}  // namespace tarnwick
