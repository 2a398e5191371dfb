#pragma once
// The own ship's track as the AIS target simulator needs it: times, positions,
// course and speed over ground, read from an instrument log whose sentences
// carry only the time of day; and the track's simplification into a route.

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "core/geo/LatLon.h"

namespace tarnwick {

struct OwnShipFix {
  int64_t utcMs = 0;  // ms since 1970
  LatLon position;    // degrees
  double cogDeg = 0;  // degrees true, 0..360
  double sogKn = 0;   // knots, >= 0
};

// One line of the log with the UTC time it was received at.
struct TimedLine {
  int64_t utcMs = 0;
  std::string line;
};

struct OwnShipLog {
  std::vector<TimedLine> lines;   // every sentence, in log order, times non-decreasing
  std::vector<OwnShipFix> fixes;  // one per valid GLL or RMC position
};

// Reads an NMEA 0183 log whose GLL, RMC and ZDA sentences give the time of
// day. dayStartUtcMs: midnight UTC of the day the log starts on (ms). A line
// takes the last time of day seen (the first one for lines before it) plus
// 50 ms per line since that time was seen (at most 950), so the sentences of
// one second keep their order; a time of day more than 12 hours before the
// last one has passed midnight, one more than 12 hours after it is a late one
// of the day before; times never go back. The course and speed of a fix are those of the last VTG or
// RMC sentence. Blank lines and lines starting with '#' are skipped.
OwnShipLog ReadOwnShipLog(std::istream& in, int64_t dayStartUtcMs);

// The own ship at utcMs, interpolated linearly between the fixes around it
// (course by the shorter turn); the first or last fix outside the track.
// track must not be empty and must be in time order.
OwnShipFix OwnShipAt(const std::vector<OwnShipFix>& track, int64_t utcMs);

// The track reduced to at most maxPoints positions (>= 2) that stay within
// toleranceNm (nautical miles) of it where that many points allow it
// (Douglas-Peucker, the tolerance doubling until the count fits). The first
// and last positions are always kept.
std::vector<LatLon> SimplifyTrack(const std::vector<OwnShipFix>& track, double toleranceNm,
                                  size_t maxPoints);

}  // namespace tarnwick
