#pragma once
// The value rules of one NMEA source: which of its sentences answers each data
// item, the first current rule winning. Pure functions over the source's
// values; the caller holds the source's lock.

#include <optional>

#include "instruments/navdata/NavItems.h"
#include "instruments/nmea/NavSource.h"

namespace tarnwick {

struct NmeaValueOptions {
  bool useCompass = true;     // magnetic sensor headings (HDG, HDM) may give headings
  bool useVhwHeading = true;  // the VHW heading may stand in for a true heading
};

// The current value of item at tick now (ms), with the tick of the oldest
// sentence it was made from. Empty when no rule has a current value, and for
// items a port's sentences never give (the true wind derived from apparent
// wind is the store's work).
std::optional<NavReading> NmeaSourceValue(const NavSourceData& data, NavItem item, uint64_t now,
                                          const NmeaValueOptions& options = {});

// Barometric pressure: inches of mercury to millibars.
inline constexpr double kMillibarsPerInchHg = 33.86530748663101;

}  // namespace tarnwick
