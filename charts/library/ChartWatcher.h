#pragma once
// Follows the chart folders with inotify: a file written, moved in or out, or
// deleted in a watched folder makes the watcher call back with the source the
// folder belongs to, once the folder has been quiet for a moment (copying an
// exchange set writes many files). A thread of its own waits for the events.

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace tarnwick {

class CChartWatcher {
 public:
  using Changed = std::function<void(const std::filesystem::path& source)>;

  // quietMs: how long a source must be without events before changed runs.
  CChartWatcher(Changed changed, uint64_t quietMs = 1500);
  ~CChartWatcher();
  CChartWatcher(const CChartWatcher&) = delete;
  CChartWatcher& operator=(const CChartWatcher&) = delete;

  // False (logged) when inotify is not available.
  bool Start();
  void Stop();
  // Watches folders for source, replacing what was watched for it before.
  void Watch(const std::filesystem::path& source,
             const std::vector<std::filesystem::path>& folders);
  void Forget(const std::filesystem::path& source);

 private:
  void Run();
  void RemoveWatchesLocked(const std::filesystem::path& source);

  Changed changed_;
  const uint64_t quietMs_;
  int fd_ = -1;
  std::thread thread_;
  std::atomic<bool> stopping_{false};
  std::mutex mutex_;
  std::map<int, std::set<std::filesystem::path>> sourcesOfWatch_;
  std::map<std::filesystem::path, std::set<int>> watchesOfSource_;
  std::map<std::filesystem::path, std::chrono::steady_clock::time_point> dirty_;
};

}  // namespace tarnwick
