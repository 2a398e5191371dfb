#pragma once
// One line of a track's point list in an object file:
// "20240501T093000 47.600000 N 122.335000 W dpt=12.5m;".

#include <optional>
#include <string>
#include <string_view>

#include "navobjects/model/Track.h"

namespace tarnwick {

// Appends the point's text, ending in ';' (no line end): the UTC time and a
// blank (a single blank without time), the position with whole degrees and
// six truncated decimals, and " dpt=<metres>m" when the depth is not 0.
void AppendTrackPointText(std::string& out, const TrackPoint& point);

// Reads one point's text (without its ';'): optional time, blanks, a
// position, blanks, optional "dpt=" and a length (converted to metres). None
// when the position does not parse.
std::optional<TrackPoint> ParseTrackPointText(std::string_view text);

}  // namespace tarnwick
