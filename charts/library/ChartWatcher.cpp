#include "charts/library/ChartWatcher.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/Log.h"
#include "core/Stage.h"

namespace tarnwick {
namespace {

constexpr uint32_t kEvents = IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE | IN_CREATE |
                             IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
constexpr int kPollMs = 250;

}  // namespace

CChartWatcher::CChartWatcher(Changed changed, uint64_t quietMs)
    : changed_(std::move(changed)), quietMs_(quietMs) {}

CChartWatcher::~CChartWatcher() {
  Stop();
}

bool CChartWatcher::Start() {
  if (fd_ >= 0) return true;
  fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd_ < 0) {
    Log("CChartWatcher: inotify is not available (%s); chart folders are looked at on request\n",
        std::strerror(errno));
    return false;
  }
  stopping_ = false;
  thread_ = std::thread([this] { Run(); });
  return true;
}

void CChartWatcher::Stop() {
  stopping_ = true;
  if (thread_.joinable()) thread_.join();
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  std::lock_guard lock(mutex_);
  sourcesOfWatch_.clear();
  watchesOfSource_.clear();
  dirty_.clear();
}

void CChartWatcher::RemoveWatchesLocked(const std::filesystem::path& source) {
  const auto it = watchesOfSource_.find(source);
  if (it == watchesOfSource_.end()) return;
  for (int wd : it->second) {
    auto& sources = sourcesOfWatch_[wd];
    sources.erase(source);
    if (sources.empty()) {
      sourcesOfWatch_.erase(wd);
      inotify_rm_watch(fd_, wd);
    }
  }
  watchesOfSource_.erase(it);
}

void CChartWatcher::Watch(const std::filesystem::path& source,
                          const std::vector<std::filesystem::path>& folders) {
  std::lock_guard lock(mutex_);
  if (fd_ < 0) return;
  RemoveWatchesLocked(source);
  std::set<int>& watches = watchesOfSource_[source];
  bool warned = false;
  for (const std::filesystem::path& folder : folders) {
    const int wd = inotify_add_watch(fd_, folder.c_str(), kEvents);
    if (wd < 0) {
      if (!warned)
        Log("CChartWatcher: cannot watch %s (%s)\n", folder.c_str(), std::strerror(errno));
      warned = true;
      continue;
    }
    watches.insert(wd);
    sourcesOfWatch_[wd].insert(source);
  }
}

void CChartWatcher::Forget(const std::filesystem::path& source) {
  std::lock_guard lock(mutex_);
  if (fd_ >= 0) RemoveWatchesLocked(source);
  dirty_.erase(source);
}

void CChartWatcher::Run() {
  CStageScope stage("Chart folder watch");
  alignas(inotify_event) char buffer[16384];
  while (!stopping_) {
    pollfd p{fd_, POLLIN, 0};
    const int ready = poll(&p, 1, kPollMs);
    if (ready > 0) {
      for (;;) {
        const ssize_t n = read(fd_, buffer, sizeof buffer);
        if (n <= 0) break;
        std::lock_guard lock(mutex_);
        const auto now = std::chrono::steady_clock::now();
        for (ssize_t at = 0; at < n;) {
          const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
          at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
          const auto it = sourcesOfWatch_.find(event->wd);
          if (it == sourcesOfWatch_.end()) continue;
          for (const std::filesystem::path& source : it->second) dirty_[source] = now;
        }
      }
    }
    std::vector<std::filesystem::path> due;
    {
      std::lock_guard lock(mutex_);
      const auto now = std::chrono::steady_clock::now();
      for (auto it = dirty_.begin(); it != dirty_.end();) {
        if (now - it->second >= std::chrono::milliseconds(quietMs_)) {
          due.push_back(it->first);
          it = dirty_.erase(it);
        } else {
          ++it;
        }
      }
    }
    for (const std::filesystem::path& source : due) changed_(source);
  }
}

}  // namespace tarnwick
