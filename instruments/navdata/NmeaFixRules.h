#pragma once
// The fix rules of one NMEA source: which of its position sentences (GGA, GNS,
// RMC, GLL) gives the fix and with what quality. Pure functions over the
// source's values; the caller holds the source's lock.

#include <optional>

#include "instruments/navdata/NavFix.h"
#include "instruments/nmea/NavSource.h"

namespace tarnwick {

// GNS mode indicator character -> quality: A 1, D 2, P 3, R 4, F 5, E 6, M 7,
// S 8, anything else 0.
int QualityFromGnsMode(char mode);

// RMC and GLL status and mode characters -> quality: mode D gives 2 with
// status A, else 0; E 6; M and S 8; N 0; any other mode (or 0 for none)
// gives 1 with status A, else 0.
int QualityFromStatusAndMode(char status, char mode);

// The best current fix of the source's position sentences at tick now (ms),
// taken in the order GGA, GNS, RMC, GLL; a later candidate replaces the best
// only with a strictly higher quality. Empty when none is current. The fix
// carries the source's current HDOP and altitude when it has them.
std::optional<NavFix> NmeaReceiverFix(const NavSourceData& data, uint64_t now);

// True for the qualities that mark a source as having had a fix (1 to 5).
inline bool IsSatelliteFix(int quality) {
  return quality >= kFixGps && quality <= kFixFloatRtk;
}

}  // namespace tarnwick
