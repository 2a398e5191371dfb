#pragma once
// Closest point of approach between the own vessel and one target, with the
// program's fixed arithmetic (speeds scaled by 60 x one mile in radians, TCPA
// rounded to whole seconds).

#include <cstdint>
#include <optional>

#include "core/geo/LatLon.h"
#include "instruments/ais/AisAssessmentSettings.h"

namespace tarnwick {

// The own vessel's motion as the navigation data store (or our own AIS
// transponder) reports it; an empty member means "not available".
struct OwnShipKinematics {
  std::optional<LatLon> position;
  std::optional<double> cog;      // degrees true, 0..360
  std::optional<double> sog;      // knots, >= 0
  std::optional<double> heading;  // degrees true, 0..360
  uint64_t tickMs = 0;            // TickCount() of the data, ms

  friend bool operator==(const OwnShipKinematics&, const OwnShipKinematics&) = default;
};

struct CpaResult {
  int bearing = 0;     // whole degrees true from the own vessel to the target, 0..359
  double range = 0.0;  // nautical miles
  // Only when the target is closing:
  std::optional<double> cpa;       // nautical miles
  std::optional<int> tcpa;         // seconds
  std::optional<LatLon> ownAtCpa;  // own position advanced along its course by TCPA
};

// Speeds in knots, courses in degrees true. Bearing and range follow the
// process-wide sailing mode.
CpaResult AssessCpa(const LatLon& own, double ownCog, double ownSog, const LatLon& target,
                    double targetCog, double targetSog);

// The danger rule: CPA below the danger CPA and TCPA below the danger TCPA,
// unless the target is inside a monitored area or (with stationary targets
// assumed safe) makes 0.5 knot or less. targetSog in knots.
bool IsDangerousApproach(const CpaResult& result, double targetSog, bool inMonitoredArea,
                         const AisAssessmentSettings& settings);

}  // namespace tarnwick
