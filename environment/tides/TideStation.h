#pragma once
// What every tide or current station offers, whatever its provider: its
// summary for lists and the chart, its level or speed at a time, its events
// and the keys of its information page.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "environment/tides/HarmonicStation.h"
#include "environment/tides/TideEvent.h"

namespace tarnwick {

enum class TideStationKind { Tide, Current };

struct TideStationSummary {
  std::string url;       // "tide://noaa_tides/9447130", "current://new_noaa_currents/12"
  std::string provider;  // "noaa_tides"
  std::string key;       // the station key within the provider
  std::string id;        // the source's own station identifier
  std::string name;
  double lat = 0;  // degrees north
  double lon = 0;  // degrees east
  TideStationKind kind = TideStationKind::Tide;
  bool reference = true;  // false: derived from another station by offsets
};

// Page keys in display order.
using StationPageKeys = std::vector<std::pair<std::string, std::string>>;

class ITideStation {
 public:
  virtual ~ITideStation() = default;
  virtual const TideStationSummary& Summary() const = 0;
  // "feet" or "meters" for tides, "knots" for currents.
  virtual std::string Units() const = 0;
  // Directions of flood and ebb in degrees true (currents); empty when unknown.
  virtual std::optional<int> FloodDirection() const { return std::nullopt; }
  virtual std::optional<int> EbbDirection() const { return std::nullopt; }
  // Level (station units above its chart datum) or current (knots, flood
  // positive) at t, seconds since 1970; empty when not available.
  virtual std::optional<double> Value(int64_t t) = 0;
  // Events with start <= time <= end, ordered by time.
  virtual std::vector<TideEvent> Events(int64_t start, int64_t end) = 0;
  // Whether the station has a curve to draw (Value between events).
  virtual bool CanGraph() const = 0;
  // The span of values for a graph; empty when not known.
  virtual std::optional<LevelRange> Range() = 0;
  // The keys of the station's information page.
  virtual StationPageKeys PageKeys() = 0;
};

// "tide" or "current".
const char* TideStationKindName(TideStationKind kind);

}  // namespace tarnwick
