#include "charts/library/ChartWorkers.h"

#include <chrono>

#include "core/Log.h"
#include "core/Stage.h"

namespace tarnwick {

CChartWorkers::CChartWorkers(unsigned threads) : threads_(threads == 0 ? 1 : threads) {
  current_.resize(threads_);
}

CChartWorkers::~CChartWorkers() {
  Stop();
}

void CChartWorkers::Start() {
  std::lock_guard lock(mutex_);
  if (started_ || stopping_) return;
  started_ = true;
  for (size_t slot = 0; slot < threads_; ++slot) pool_.emplace_back([this, slot] { Run(slot); });
}

void CChartWorkers::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    queue_.clear();
    queuedKeys_.clear();
  }
  changed_.notify_all();
  for (std::thread& thread : pool_)
    if (thread.joinable()) thread.join();
  pool_.clear();
}

bool CChartWorkers::Post(const std::string& key, const std::string& label, Work work) {
  {
    std::lock_guard lock(mutex_);
    if (stopping_ || !queuedKeys_.insert(key).second) return false;
    if (running_ == 0 && queue_.empty()) done_ = total_ = 0;
    queue_.push_back({key, label, std::move(work)});
    ++total_;
  }
  changed_.notify_all();
  return true;
}

void CChartWorkers::Run(size_t slot) {
  CStageScope stage("Chart library");
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
    if (stopping_) return;
    Job job = std::move(queue_.front());
    queue_.pop_front();
    queuedKeys_.erase(job.key);
    current_[slot] = job.label;
    ++running_;
    lock.unlock();
    job.work([this, slot](const std::string& text) {
      std::lock_guard inner(mutex_);
      current_[slot] = text;
    });
    lock.lock();
    current_[slot].clear();
    --running_;
    ++done_;
    changed_.notify_all();
  }
}

ChartBuildProgress CChartWorkers::Progress() const {
  std::lock_guard lock(mutex_);
  ChartBuildProgress progress;
  progress.busy = running_ > 0 || !queue_.empty();
  progress.done = done_;
  progress.total = total_;
  for (const std::string& text : current_)
    if (!text.empty()) progress.current.push_back(text);
  return progress;
}

bool CChartWorkers::WaitIdle(uint64_t timeoutMs) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [this] { return stopping_ || (running_ == 0 && queue_.empty()); });
}

}  // namespace tarnwick
