#pragma once
// Watches the weather folder for forecast files dropped into it (written and
// closed there, or moved in): ".grb", ".grib", ".grb1", ".grib1", ".bz2",
// ".bzz" and ".skw" names. Built on inotify without a thread of its own: the
// owner polls it (once a tick), and each poll returns the files that arrived.

#include <filesystem>
#include <string>
#include <vector>

namespace tarnwick {

class CWeatherFolderWatch {
 public:
  CWeatherFolderWatch() = default;
  ~CWeatherFolderWatch();
  CWeatherFolderWatch(const CWeatherFolderWatch&) = delete;
  CWeatherFolderWatch& operator=(const CWeatherFolderWatch&) = delete;

  // Creates the folder when missing and starts watching it; false, with
  // error set, when it cannot.
  bool Start(const std::filesystem::path& folder, std::string& error);
  void Stop();
  bool Watching() const { return fd_ >= 0; }

  // The forecast files that arrived since the last poll, in arrival order.
  std::vector<std::filesystem::path> Poll();

 private:
  std::filesystem::path folder_;
  int fd_ = -1;
  int watch_ = -1;
};

// Whether a file name has one of the forecast file extensions (any case).
bool IsForecastFileName(const std::string& name);

}  // namespace tarnwick
