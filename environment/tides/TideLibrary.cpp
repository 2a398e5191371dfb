#include "environment/tides/TideLibrary.h"

#include <algorithm>
#include <cctype>

#include "core/DataProducts.h"
#include "core/Log.h"
#include "core/Paths.h"
#include "core/geo/Geodesy.h"
#include "environment/tides/HarmonicProvider.h"
#include "environment/tides/JsonStationProvider.h"

namespace tarnwick {
namespace {

// Open stations kept at most; beyond, the least recent ones are let go.
constexpr size_t kOpenStationLimit = 1024;

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

const std::vector<std::string>& TideProviderNames() {
  static const std::vector<std::string> names = {"noaa_tides",        "noaa_currents",
                                                 "new_noaa_tides",    "new_noaa_currents",
                                                 "chs_tides",         "chs_currents"};
  return names;
}

int CTideLibrary::Load() {
  Clear();
  // The shipped harmonic database serves both harmonic providers unless the
  // store points them elsewhere.
  for (const char* name : {"noaa_tides", "noaa_currents"}) {
    SetDefaultDataProduct(name, "database", ProgramFolder() / kShippedHarmonicDatabase);
  }
  std::map<std::string, std::shared_ptr<CHarmonicYears>> yearsByFile;
  int opened = 0;
  for (const std::string& name : TideProviderNames()) {
    const auto path = DataProductPath(name, "database");
    if (!path) continue;
    std::error_code ec;
    if (!std::filesystem::exists(*path, ec)) {
      LogDebug("%s: no database at %s\n", name.c_str(), path->string().c_str());
      continue;
    }
    const TideStationKind kind =
        name.find("currents") != std::string::npos ? TideStationKind::Current : TideStationKind::Tide;
    std::string error;
    std::unique_ptr<ITideProvider> provider;
    if (name.rfind("noaa_", 0) == 0) {
      const std::string file = std::filesystem::weakly_canonical(*path, ec).string();
      auto harmonic = CHarmonicProvider::Open(name, kind, *path, yearsByFile[file], error);
      if (harmonic) yearsByFile[file] = harmonic->Years();
      provider = std::move(harmonic);
    } else {
      provider = CJsonStationProvider::Open(name, kind, *path, error);
    }
    if (!provider) {
      Log("%s: Can't open database (%s)\n", name.c_str(), error.c_str());
      continue;
    }
    AddProvider(std::move(provider));
    ++opened;
  }
  Log("Tides: %d station databases, %zu stations\n", opened, StationCount());
  return opened;
}

void CTideLibrary::AddProvider(std::unique_ptr<ITideProvider> provider) {
  std::vector<TideStationSummary> stations = provider->Stations();
  std::lock_guard lock(mutex_);
  const std::string name = provider->Name();
  std::erase_if(stations_, [&](const TideStationSummary& s) { return s.provider == name; });
  stations_.insert(stations_.end(), stations.begin(), stations.end());
  std::erase_if(open_, [&](const auto& entry) { return entry.first.find("://" + name + "/") != std::string::npos; });
  providers_[name] = std::move(provider);
}

void CTideLibrary::Clear() {
  std::lock_guard lock(mutex_);
  open_.clear();
  stations_.clear();
  providers_.clear();
}

size_t CTideLibrary::StationCount() const {
  std::lock_guard lock(mutex_);
  return stations_.size();
}

std::vector<TideStationMatch> CTideLibrary::Find(const TideStationQuery& query) const {
  const std::string needle = Lower(query.name);
  const bool near = query.nearLat && query.nearLon;
  const LatLon here{query.nearLat.value_or(0), query.nearLon.value_or(0)};
  std::vector<TideStationMatch> matches;
  {
    std::lock_guard lock(mutex_);
    for (const TideStationSummary& s : stations_) {
      if (query.kind && s.kind != *query.kind) continue;
      if (!needle.empty() && Lower(s.name).find(needle) == std::string::npos) continue;
      TideStationMatch match{s, std::nullopt};
      if (near) {
        match.distanceNm = GreatCircleDistance(here, LatLon{s.lat, s.lon});
        if (query.radiusNm > 0 && *match.distanceNm > query.radiusNm) continue;
      }
      matches.push_back(std::move(match));
    }
  }
  if (near) {
    std::stable_sort(matches.begin(), matches.end(), [](const auto& a, const auto& b) {
      return *a.distanceNm < *b.distanceNm;
    });
  }
  if (query.limit > 0 && matches.size() > query.limit) matches.resize(query.limit);
  return matches;
}

bool CTideLibrary::WithStation(const std::string& url,
                               const std::function<void(ITideStation&)>& use,
                               std::string& error) {
  const auto parsed = ParseStationUrl(url);
  if (!parsed) {
    error = "not a station URL: " + url;
    return false;
  }
  const std::string canonical = MakeStationUrl(parsed->kind, parsed->provider, parsed->key);
  std::shared_ptr<OpenStation> entry;
  {
    std::lock_guard lock(mutex_);
    if (auto it = open_.find(canonical); it != open_.end()) {
      entry = it->second;
    } else {
      const auto provider = providers_.find(parsed->provider);
      if (provider == providers_.end() || provider->second->Kind() != parsed->kind) {
        error = "no station database " + parsed->provider + " for " + TideStationKindName(parsed->kind) + " stations";
        return false;
      }
      auto station = provider->second->Open(parsed->key);
      if (!station) {
        error = "no usable station " + parsed->key + " in " + parsed->provider;
        return false;
      }
      if (open_.size() >= kOpenStationLimit) open_.clear();
      entry = std::make_shared<OpenStation>();
      entry->station = std::move(station);
      open_[canonical] = entry;
    }
  }
  std::lock_guard lock(entry->mutex);
  use(*entry->station);
  return true;
}

CTideLibrary& TideLibrary() {
  static CTideLibrary library;
  return library;
}

}  // namespace tarnwick
