#pragma once
// Work handed to the user-interface thread: any thread posts a job; the tick's
// "DoAllJobs" stage runs every queued job in posting order.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace tarnwick {

class CJobQueue {
 public:
  using Job = std::function<void()>;

  // Queues job and wakes the user-interface thread's wait.
  void Post(Job job);
  // Runs the jobs queued so far (jobs they post run on the next call); returns how many ran.
  size_t RunAll();
  size_t Pending() const;
  // Blocks until a job is posted or timeoutMs passes (the main loop's wait).
  void WaitForWork(uint64_t timeoutMs);
  // Wakes a WaitForWork without posting (shutdown requests).
  void Wake();

 private:
  mutable std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<Job> jobs_;
  bool woken_ = false;
};

// The user-interface thread's queue.
CJobQueue& UiJobs();

}  // namespace tarnwick
