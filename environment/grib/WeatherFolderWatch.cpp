#include "environment/grib/WeatherFolderWatch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/Paths.h"

namespace tarnwick {

bool IsForecastFileName(const std::string& name) {
  std::string lower;
  for (char c : name) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  if (lower.empty() || lower[0] == '.') return false;  // hidden and partial files
  for (const char* ext : {".grb", ".grib", ".grb1", ".grib1", ".bz2", ".bzz", ".skw"}) {
    const size_t n = std::strlen(ext);
    if (lower.size() > n && lower.compare(lower.size() - n, n, ext) == 0) return true;
  }
  return false;
}

CWeatherFolderWatch::~CWeatherFolderWatch() {
  Stop();
}

bool CWeatherFolderWatch::Start(const std::filesystem::path& folder, std::string& error) {
  Stop();
  if (!EnsureFolder(folder)) {
    error = "cannot create " + folder.string();
    return false;
  }
  fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd_ < 0) {
    error = std::string("inotify: ") + std::strerror(errno);
    return false;
  }
  watch_ = inotify_add_watch(fd_, folder.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO);
  if (watch_ < 0) {
    error = std::string("cannot watch ") + folder.string() + ": " + std::strerror(errno);
    Stop();
    return false;
  }
  folder_ = folder;
  return true;
}

void CWeatherFolderWatch::Stop() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  watch_ = -1;
}

std::vector<std::filesystem::path> CWeatherFolderWatch::Poll() {
  std::vector<std::filesystem::path> arrived;
  if (fd_ < 0) return arrived;
  alignas(inotify_event) char buffer[16 * 1024];
  for (;;) {
    const ssize_t got = ::read(fd_, buffer, sizeof buffer);
    if (got <= 0) break;
    for (ssize_t at = 0; at < got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      if (event->len == 0 || (event->mask & IN_ISDIR)) continue;
      const std::string name(event->name);
      if (!IsForecastFileName(name)) continue;
      const std::filesystem::path path = folder_ / name;
      arrived.erase(std::remove(arrived.begin(), arrived.end(), path), arrived.end());
      arrived.push_back(path);
    }
  }
  return arrived;
}

}  // namespace tarnwick
