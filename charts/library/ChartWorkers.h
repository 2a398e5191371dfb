#pragma once
// The chart library's worker threads: a queue of keyed jobs (a source to
// search, a chart to build) run in posting order, a job not queued twice
// while it waits, and the progress the page shows: jobs done and queued since
// the workers were last idle, and what each busy worker is doing.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "charts/library/ChartLibrary.h"

namespace tarnwick {

class CChartWorkers {
 public:
  // A job; say() replaces the worker's progress text.
  using Work = std::function<void(const std::function<void(const std::string&)>& say)>;

  explicit CChartWorkers(unsigned threads);
  ~CChartWorkers();
  CChartWorkers(const CChartWorkers&) = delete;
  CChartWorkers& operator=(const CChartWorkers&) = delete;

  void Start();
  // Drops the queued jobs and waits for the running ones.
  void Stop();
  // Queues work unless a job of the same key waits already; label is the
  // progress text until the job says otherwise. False when not queued.
  bool Post(const std::string& key, const std::string& label, Work work);
  ChartBuildProgress Progress() const;
  bool WaitIdle(uint64_t timeoutMs) const;

 private:
  struct Job {
    std::string key;
    std::string label;
    Work work;
  };
  void Run(size_t slot);

  const unsigned threads_;
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::deque<Job> queue_;
  std::set<std::string> queuedKeys_;
  std::vector<std::string> current_;  // per worker, "" when idle
  std::vector<std::thread> pool_;
  size_t running_ = 0;
  size_t done_ = 0;
  size_t total_ = 0;
  bool started_ = false;
  bool stopping_ = false;
};

}  // namespace tarnwick
