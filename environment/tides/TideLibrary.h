#pragma once
// The station database of the program: every provider whose database the
// data-product registry locates, the list of their stations for searches and
// the chart, and the open stations (kept, each behind its own lock, so that
// their year and event caches serve the next request). Thread-safe.

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "environment/tides/TideProvider.h"

namespace tarnwick {

// The providers, by name, in the order they are searched.
const std::vector<std::string>& TideProviderNames();
// The shipped harmonic database of noaa_tides and noaa_currents, relative to
// the shipped-files folder.
inline constexpr const char* kShippedHarmonicDatabase = "tides/harmonics.db";

struct TideStationQuery {
  std::optional<double> nearLat;  // with nearLon: nearest first, distance given
  std::optional<double> nearLon;
  std::string name;               // part of the name, any case
  std::optional<TideStationKind> kind;
  size_t limit = 0;               // 0: all
  double radiusNm = 0;            // with near: only stations within; 0: any distance
};

struct TideStationMatch {
  TideStationSummary summary;
  std::optional<double> distanceNm;
};

class CTideLibrary {
 public:
  // Opens the providers found through the data-product registry (replacing
  // any open ones); logs each one that cannot be opened. Returns how many opened.
  int Load();
  // Adds a provider (replacing one of the same name).
  void AddProvider(std::unique_ptr<ITideProvider> provider);
  void Clear();

  std::vector<TideStationMatch> Find(const TideStationQuery& query) const;
  size_t StationCount() const;

  // Runs use with the station of url, under the station's lock. False with
  // error set when the URL is malformed or names no usable station.
  bool WithStation(const std::string& url, const std::function<void(ITideStation&)>& use,
                   std::string& error);

 private:
  struct OpenStation {
    std::mutex mutex;
    std::unique_ptr<ITideStation> station;
  };

  mutable std::mutex mutex_;
  std::map<std::string, std::unique_ptr<ITideProvider>> providers_;
  std::vector<TideStationSummary> stations_;
  std::map<std::string, std::shared_ptr<OpenStation>> open_;
};

// The program's station database.
CTideLibrary& TideLibrary();

}  // namespace tarnwick
