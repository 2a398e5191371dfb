#pragma once
// The own-ship state as the navigation data store published it on one tick
// ("UpdateNavInfo"): a plain immutable value that any thread reads without the
// store's lock. Each value carries its age at the time of the tick; an empty
// member means "not available".

#include <cstdint>
#include <optional>
#include <string>

#include "core/geo/LatLon.h"
#include "instruments/navdata/NavFix.h"

namespace tarnwick {

struct OwnShipValue {
  double value = 0;
  uint64_t ageMs = 0;  // tick of the snapshot minus the tick of the data
};

struct OwnShipFix {
  int quality = kFixNoGps;  // fix quality value (NavFix.h)
  std::string text;         // status text: "GPS FIX", "D.R.", "AIS FIX", "LOST GPS"...
  FixSourceKind sourceKind = FixSourceKind::Receiver;
  std::string source;              // the position source's display name, "" when none
  std::optional<LatLon> position;  // degrees; only with a usable fix (quality >= 1)
  std::optional<double> altitude;  // metres
  std::optional<double> hdop;
  std::optional<double> utcSeconds;  // time of fix, seconds of the day
  uint64_t ageMs = 0;                // age of the fix's report
  bool deadReckoning = false;        // dead reckoning is the selected position source
  bool simulated = false;            // the simulator runs
  // The datum the position source reports its positions on (DTM), when it is
  // not WGS 84: the positions may then be offset from the chart.
  std::optional<std::string> localDatum;
};

struct OwnShipWind {
  std::optional<OwnShipValue> apparentSpeed;  // knots
  std::optional<OwnShipValue> apparentAngle;  // degrees clockwise from the bow
  std::optional<OwnShipValue> trueSpeed;      // knots
  std::optional<OwnShipValue> trueDirection;  // degrees clockwise from the bow
};

struct OwnShipSnapshot {
  uint64_t sequence = 0;  // 1 for the first snapshot, then increasing
  uint64_t tickMs = 0;    // TickCount() of the tick
  int64_t utcMs = 0;      // UTC of the tick, ms since 1970
  OwnShipFix fix;
  std::optional<OwnShipValue> cog;               // degrees true
  std::optional<OwnShipValue> sog;               // knots
  std::optional<OwnShipValue> headingTrue;       // degrees true
  std::optional<OwnShipValue> headingMagnetic;   // degrees magnetic
  std::optional<OwnShipValue> stw;               // knots
  std::optional<OwnShipValue> depth;             // metres
  std::optional<OwnShipValue> rot;               // degrees per minute
  std::optional<OwnShipValue> waterTemperature;  // degrees Celsius
  OwnShipWind wind;
};

}  // namespace tarnwick
