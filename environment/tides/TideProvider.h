#pragma once
// A source of tide or current stations (one database), and the station URLs
// "tide://PROVIDER/KEY" and "current://PROVIDER/KEY".

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "environment/tides/TideStation.h"

namespace tarnwick {

class ITideProvider {
 public:
  virtual ~ITideProvider() = default;
  // The provider's name, also the data product that locates its database.
  virtual const std::string& Name() const = 0;
  virtual TideStationKind Kind() const = 0;
  // Every station the provider offers.
  virtual std::vector<TideStationSummary> Stations() = 0;
  // The station of key; null (and logged) when there is none or it is unusable.
  virtual std::unique_ptr<ITideStation> Open(const std::string& key) = 0;
};

struct StationUrl {
  TideStationKind kind = TideStationKind::Tide;
  std::string provider;
  std::string key;
};

// "tide://noaa_tides/9447130"; a trailing "/" is accepted when parsing. Keys
// are 1..80 characters of letters, digits and "_-.".
std::string MakeStationUrl(TideStationKind kind, std::string_view provider, std::string_view key);
std::optional<StationUrl> ParseStationUrl(std::string_view url);

}  // namespace tarnwick
