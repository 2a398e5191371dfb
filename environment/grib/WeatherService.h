#pragma once
// The open weather forecast of the running program: the file is loaded on a
// worker thread of its own (progress in percent, a newer open cancels an
// older load), and the loaded forecast is shared read-only with the chart's
// weather routes. All members may be called from any thread.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "environment/grib/WeatherForecast.h"

namespace tarnwick {

enum class WeatherState { None, Loading, Loaded, Failed };

const char* WeatherStateName(WeatherState state);  // "none", "loading", "loaded", "failed"

struct WeatherStatus {
  WeatherState state = WeatherState::None;
  std::filesystem::path path;   // the file open or being opened
  int progress = 0;             // percent read while loading
  std::string message;          // why it failed; or a note on a file read only in part
  std::shared_ptr<const CWeatherForecast> forecast;  // while loaded
  uint64_t generation = 0;      // grows with every open and close
};

class CWeatherService {
 public:
  CWeatherService() = default;
  ~CWeatherService();
  CWeatherService(const CWeatherService&) = delete;
  CWeatherService& operator=(const CWeatherService&) = delete;

  // Starts loading path, replacing the forecast and any load under way.
  void Open(const std::filesystem::path& path);
  // Closes the forecast (and stops a load).
  void Close();
  // Stops a load under way and waits for its thread (shutdown).
  void Stop();
  WeatherStatus Status() const;

  // Called on the loading thread when a load ends (loaded or failed, not when
  // cancelled), with the new status.
  void SetOnFinished(std::function<void(const WeatherStatus&)> onFinished);

 private:
  // Takes the worker out under the lock and joins it outside.
  void JoinWorker();

  mutable std::mutex mutex_;
  WeatherStatus status_;
  std::function<void(const WeatherStatus&)> onFinished_;
  std::thread worker_;
  std::shared_ptr<std::atomic<bool>> cancel_;
  std::mutex openMutex_;  // one open or close at a time
};

// The program's service.
CWeatherService& WeatherService();

}  // namespace tarnwick
