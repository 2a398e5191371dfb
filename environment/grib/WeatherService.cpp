#include "environment/grib/WeatherService.h"

#include "core/Log.h"
#include "environment/grib/WeatherLoad.h"

namespace tarnwick {

const char* WeatherStateName(WeatherState state) {
  switch (state) {
    case WeatherState::None: return "none";
    case WeatherState::Loading: return "loading";
    case WeatherState::Loaded: return "loaded";
    case WeatherState::Failed: return "failed";
  }
  return "none";
}

CWeatherService::~CWeatherService() {
  Stop();
}

void CWeatherService::JoinWorker() {
  if (cancel_) cancel_->store(true);
  if (worker_.joinable()) worker_.join();
  cancel_.reset();
}

void CWeatherService::Open(const std::filesystem::path& path) {
  std::lock_guard open(openMutex_);
  JoinWorker();
  auto cancel = std::make_shared<std::atomic<bool>>(false);
  uint64_t generation = 0;
  {
    std::lock_guard lock(mutex_);
    generation = status_.generation + 1;
    status_ = WeatherStatus{};
    status_.state = WeatherState::Loading;
    status_.path = path;
    status_.generation = generation;
  }
  cancel_ = cancel;
  worker_ = std::thread([this, generation, path, cancel] {
    const WeatherLoadResult result = LoadWeatherFile(
        path,
        [this, generation](int percent) {
          std::lock_guard lock(mutex_);
          if (status_.generation == generation) status_.progress = percent;
        },
        cancel.get());
    if (result.cancelled) return;
    WeatherStatus finished;
    std::function<void(const WeatherStatus&)> onFinished;
    {
      std::lock_guard lock(mutex_);
      if (status_.generation != generation) return;
      status_.progress = 100;
      status_.forecast = result.forecast;
      status_.state = result.forecast ? WeatherState::Loaded : WeatherState::Failed;
      status_.message = result.forecast ? (result.truncated ? "Read in part: " + result.truncation : "") : result.message;
      finished = status_;
      onFinished = onFinished_;
    }
    if (onFinished) onFinished(finished);
  });
}

void CWeatherService::Close() {
  std::lock_guard open(openMutex_);
  JoinWorker();
  std::lock_guard lock(mutex_);
  const uint64_t generation = status_.generation + 1;
  status_ = WeatherStatus{};
  status_.generation = generation;
}

void CWeatherService::Stop() {
  std::lock_guard open(openMutex_);
  JoinWorker();
}

WeatherStatus CWeatherService::Status() const {
  std::lock_guard lock(mutex_);
  return status_;
}

void CWeatherService::SetOnFinished(std::function<void(const WeatherStatus&)> onFinished) {
  std::lock_guard lock(mutex_);
  onFinished_ = std::move(onFinished);
}

CWeatherService& WeatherService() {
  static CWeatherService service;
  return service;
}

}  // namespace tarnwick
