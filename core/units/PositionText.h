#pragma once
// Reading positions typed by the navigator: "47 36.5N 122 20.1W",
// "N47 36.5 W122 20.1", "47°36'30\"N 122°20'6\"W NAD27".

#include <optional>
#include <string_view>

#include "core/geo/LatLon.h"

namespace tarnwick {

// The position in WGS 84 degrees, or none when the text is not a position
// (latitude outside -90..90, longitude outside -180..180, missing hemisphere
// letters). A trailing datum name (NAD27, WGS72, ...) shifts it to WGS 84.
std::optional<LatLon> ParseLatLon(std::string_view text);

// One angle in degrees from the front of text ("47 36.5", "47°36'30\"",
// "-10.5"); text is advanced past it. None when it does not start with a number.
std::optional<double> ReadAngle(std::string_view& text);

}  // namespace tarnwick
