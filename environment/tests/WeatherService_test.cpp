// The program's forecast service: loads on its own thread, a newer open
// replaces an older one under way, and readers on other threads see whole
// states only.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "core/tests/support/TestSupport.h"
#include "environment/grib/WeatherService.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

fs::path Data(const char* name) {
  return testing::TestDataFolder() / "grib" / name;
}

WeatherStatus WaitWhileLoading(CWeatherService& service) {
  for (int i = 0; i < 500; ++i) {
    const WeatherStatus status = service.Status();
    if (status.state != WeatherState::Loading) return status;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return service.Status();
}

TEST(WeatherService, OpensReplacesAndCloses) {
  CWeatherService service;
  std::atomic<int> finished{0};
  service.SetOnFinished([&](const WeatherStatus&) { ++finished; });

  // Readers on other threads while files open one after the other.
  std::atomic<bool> stop{false};
  std::vector<std::thread> readers;
  for (int t = 0; t < 3; ++t) {
    readers.emplace_back([&] {
      while (!stop) {
        const WeatherStatus s = service.Status();
        if (s.state == WeatherState::Loaded) {
          EXPECT_TRUE(s.forecast);
          EXPECT_FALSE(s.forecast->Times().empty());
        } else if (s.state == WeatherState::Loading) {
          EXPECT_FALSE(s.forecast);
        }
      }
    });
  }
  for (const char* name : {"rotated_ll.grib1", "multi_param_on_multi_dims.grib", "fixtures/waves.grb"}) service.Open(Data(name));
  const WeatherStatus loaded = WaitWhileLoading(service);
  EXPECT_EQ(loaded.state, WeatherState::Loaded);
  EXPECT_EQ(loaded.path.filename(), "waves.grb") << "the last open wins";
  EXPECT_EQ(loaded.progress, 100);

  service.Open(Data("spherical_harmonics.grib"));
  const WeatherStatus failed = WaitWhileLoading(service);
  EXPECT_EQ(failed.state, WeatherState::Failed);
  EXPECT_EQ(failed.message, "No supported weather types were found in this file.");

  service.Close();
  EXPECT_EQ(service.Status().state, WeatherState::None);
  EXPECT_GT(service.Status().generation, loaded.generation);
  stop = true;
  for (auto& r : readers) r.join();
  EXPECT_GE(finished.load(), 2) << "the replaced loads may end before they are replaced";
}

}  // namespace
}  // namespace tarnwick
