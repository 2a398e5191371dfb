#pragma once
// The own-ship state the navigation-object engines read on each tick (track
// recording, boundary alarms). The navigation data store fills it.

#include <cstdint>
#include <optional>

#include "core/geo/LatLon.h"

namespace tarnwick {

struct OwnShipInput {
  std::optional<LatLon> position;     // degrees
  std::optional<double> cogDegrees;   // course over ground, degrees true 0..360
  std::optional<double> sogKnots;     // speed over ground, knots
  std::optional<double> depthMetres;  // depth below the transducer, metres
  bool fixValid = false;              // the position is from a valid fix
  int64_t utcMs = 0;                  // UTC of the state, ms since 1970
  bool played = false;                // from a voyage recording played back, not the present
};

}  // namespace tarnwick
