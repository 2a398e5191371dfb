#pragma once
// What the navigation data store needs from the AIS receiver: the own vessel's
// last position report as our transponder gave it on a port. The AIS receiver
// (or an adapter over it) implements the interface; the store asks it with
// the store's lock held, so an implementation may take the receiver's lock
// (store first, then receiver) but never the store's.

#include <cstdint>
#include <optional>

#include "core/geo/LatLon.h"

namespace tarnwick {

class CNavSource;

struct AisOwnShipReport {
  std::optional<LatLon> position;  // degrees
  std::optional<double> heading;   // degrees true
  std::optional<double> cog;       // degrees true
  std::optional<double> sog;       // knots
  uint64_t tick = 0;               // receive tick (ms) of the report
};

class IAisOwnShipSource {
 public:
  virtual ~IAisOwnShipSource() = default;
  // The last own-vessel report received on the port whose navigation source
  // is source, or empty when that port has given none.
  virtual std::optional<AisOwnShipReport> OwnShipReport(const CNavSource& source) const = 0;
};

// How old an own-ship report may be for its heading, speed and course, ms.
inline constexpr uint64_t kAisOwnShipHoldMs = 5000;
// How old an own-ship report may be for its position to stand in as a fix, ms
// (a class B transponder under way reports every 30 s).
inline constexpr uint64_t kAisOwnShipPositionHoldMs = 30000;

}  // namespace tarnwick
