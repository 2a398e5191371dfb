#pragma once
// The position fix a sensor or the store reports, the fix quality values and
// the status texts shown for them.

#include <cstdint>
#include <optional>
#include <string>

#include "core/geo/LatLon.h"

namespace tarnwick {

// Fix quality values.
inline constexpr int kFixLostGps = -2;  // the source had a fix and has none now
inline constexpr int kFixNoGps = -1;    // no source has ever given a fix
inline constexpr int kFixInvalid = 0;
inline constexpr int kFixGps = 1;
inline constexpr int kFixDgps = 2;
inline constexpr int kFixPrecise = 3;    // GNS mode P
inline constexpr int kFixRtk = 4;        // GNS mode R
inline constexpr int kFixFloatRtk = 5;   // GNS mode F
inline constexpr int kFixEstimated = 6;  // dead reckoning
inline constexpr int kFixManual = 7;
inline constexpr int kFixSimulated = 8;

// Where a fix came from.
enum class FixSourceKind : int {
  Estimated = 1,   // dead reckoning or the simulator
  Receiver = 2,    // a navigation receiver's sentences
  AisOwnShip = 3,  // the own AIS transponder's position report
};

struct NavFix {
  FixSourceKind sourceKind = FixSourceKind::Receiver;
  bool ownShip = false;              // fed by the own-ship AIS report
  int quality = kFixNoGps;           // the values above
  LatLon position;                   // degrees; the last known one for kFixLostGps
  std::optional<double> altitude;    // metres above the geoid
  std::optional<double> utcSeconds;  // time of fix, seconds of the day
  std::optional<double> hdop;        // when the source reports one
  uint64_t tick = 0;                 // tick (ms) of the report the fix came from
  std::string sourceName;            // the sensor's display name
};

// "LOST GPS", "NO GPS", "INVALID", "GPS FIX", "DGPS FIX", "ESTIMATED",
// "MANUAL", "SIMULATED"; "" for the qualities without a status text (3 to 5)
// and unknown values.
const char* FixQualityText(int quality);

// Shown when dead reckoning is the selected position source.
inline constexpr const char* kDeadReckoningText = "D.R.";
// Shown when the position comes from the own AIS transponder.
inline constexpr const char* kAisFixText = "AIS FIX";

}  // namespace tarnwick
