#include "core/JobQueue.h"

#include <chrono>

namespace tarnwick {

void CJobQueue::Post(Job job) {
  {
    std::lock_guard lock(mutex_);
    jobs_.push_back(std::move(job));
  }
  posted_.notify_all();
}

size_t CJobQueue::RunAll() {
  std::deque<Job> batch;
  {
    std::lock_guard lock(mutex_);
    batch.swap(jobs_);
  }
  for (auto& job : batch) job();
  return batch.size();
}

size_t CJobQueue::Pending() const {
  std::lock_guard lock(mutex_);
  return jobs_.size();
}

void CJobQueue::WaitForWork(uint64_t timeoutMs) {
  std::unique_lock lock(mutex_);
  posted_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                   [this] { return !jobs_.empty() || woken_; });
  woken_ = false;
}

void CJobQueue::Wake() {
  {
    std::lock_guard lock(mutex_);
    woken_ = true;
  }
  posted_.notify_all();
}

CJobQueue& UiJobs() {
  static CJobQueue queue;
  return queue;
}

}  // namespace tarnwick
