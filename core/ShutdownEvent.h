#pragma once
// The process-wide shutdown event: signalled once when shutdown begins; every
// worker thread waits on it (with its own timeouts) and ends when it is set.

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace tarnwick {

class CShutdownEvent {
 public:
  void Signal();
  bool IsSet() const;
  // Waits up to timeoutMs milliseconds; true when the event is set.
  bool WaitFor(uint64_t timeoutMs) const;
  // Clears the event (tests that start the frame more than once).
  void Reset();

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable signalled_;
  bool set_ = false;
};

CShutdownEvent& ShutdownEvent();

}  // namespace tarnwick
