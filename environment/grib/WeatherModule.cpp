#include "environment/grib/WeatherModule.h"

#include <mutex>

#include "core/Application.h"
#include "core/Clock.h"
#include "core/JobQueue.h"
#include "core/Log.h"
#include "core/Notifications.h"
#include "core/settings/WeatherSettings.h"
#include "environment/grib/ForecastRequest.h"
#include "environment/grib/GribTables.h"
#include "environment/grib/GribTime.h"
#include "environment/grib/WeatherFolderWatch.h"
#include "environment/grib/WeatherGroups.h"
#include "environment/grib/WeatherService.h"

namespace tarnwick {
namespace {

// A file opened this recently is not opened again when the folder reports it
// (an uploaded file is opened by its route and seen arriving as well).
constexpr uint64_t kReopenQuietMs = 3000;
// How often the weather folder is looked at.
constexpr uint64_t kFolderPollMs = 500;

CWeatherFolderWatch g_watch;
std::mutex g_openMutex;
std::filesystem::path g_lastOpened;
uint64_t g_lastOpenedMs = 0;

// Runs on the user-interface thread when a load has ended.
void Finished(const WeatherStatus& status) {
  const std::string name = status.path.filename().string();
  if (status.state != WeatherState::Loaded || !status.forecast) {
    Notifications().Post(NotificationKind::Error, name + ": " + status.message);
    return;
  }
  opt::Weather_LastFile.Set(status.path.string());
  const auto times = status.forecast->Times();
  std::string text = "Weather forecast " + name + ": " + std::to_string(status.forecast->Types().size()) +
                     " weather types";
  if (!times.empty()) text += ", " + FormatUtc(times.front()) + " to " + FormatUtc(times.back());
  text += ".";
  if (!status.message.empty()) text += " " + status.message;
  Notifications().Post(NotificationKind::Message, text);
}

}  // namespace

void OpenWeatherFile(const std::filesystem::path& path) {
  {
    std::lock_guard lock(g_openMutex);
    g_lastOpened = path;
    g_lastOpenedMs = TickCount();
  }
  WeatherService().Open(path);
}

void CloseWeatherFile() {
  WeatherService().Close();
  opt::Weather_LastFile.Set("");
}

void RegisterWeather(CApplication& app) {
  app.OnStartupStage("Init Weather", [] {
    UpgradeWeatherGroups();
    WeatherService().SetOnFinished([](const WeatherStatus& status) {
      UiJobs().Post([status] { Finished(status); });
    });
    std::string error;
    if (!g_watch.Start(WeatherFolder(), error)) Log("CWeather: not watching the weather folder: %s\n", error.c_str());
    // Forecasts are opened from the weather folder only; a setting naming a
    // file elsewhere (it can be written over HTTP) is not followed.
    const std::filesystem::path last = opt::Weather_LastFile.Text();
    std::error_code ec;
    if (!last.empty() && last.parent_path() == WeatherFolder() && std::filesystem::is_regular_file(last, ec))
      OpenWeatherFile(last);
    return true;
  });
  app.AddTimer(kFolderPollMs, [] {
    const auto arrived = g_watch.Poll();
    if (arrived.empty()) return;
    const std::filesystem::path& newest = arrived.back();
    {
      std::lock_guard lock(g_openMutex);
      if (newest == g_lastOpened && TickCount() - g_lastOpenedMs < kReopenQuietMs) return;
    }
    Log("CWeather: %s arrived in the weather folder\n", newest.c_str());
    OpenWeatherFile(newest);
  });
  app.OnShutdownStage("Exit_Charts", [] {
    g_watch.Stop();
    WeatherService().Stop();
    WeatherService().SetOnFinished({});
  });
}

}  // namespace tarnwick
