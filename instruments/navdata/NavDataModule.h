#pragma once
// Plugs the navigation data store into the application: created in
// "Loading instruments" (and made the NMEA decoder's sensor registry), the
// own-ship snapshot published in "UpdateNavInfo", the depth alert checked in
// "UpdateAlarms", and the store destroyed after the ports in "Exit_Ports".

#include <functional>
#include <optional>

#include "core/geo/LatLon.h"

namespace tarnwick {

class CApplication;

void RegisterNavData(CApplication& app);

// The charted depth (metres) at a position, for the depth alert without a
// sounder; set by the charts once they can answer. User-interface thread.
void SetChartedDepthProvider(std::function<std::optional<double>(const LatLon&)> provider);

}  // namespace tarnwick
