#pragma once
// Plugs the navigation data store into the application: created in
// "Loading instruments" (and made the NMEA decoder's sensor registry), the
// own-ship snapshot published in "UpdateNavInfo", the depth alert checked in
// "UpdateAlarms", and the store destroyed after the ports in "Exit_Ports".

#include <functional>
#include <optional>
#include <string>

#include "core/geo/LatLon.h"

namespace tarnwick {

class CApplication;

void RegisterNavData(CApplication& app);

// The charted depth (metres) at a position, for the depth alert without a
// sounder; set by the charts once they can answer. User-interface thread.
void SetChartedDepthProvider(std::function<std::optional<double>(const LatLon&)> provider);

// Told of each sensor alarm as it starts (the depth alert beyond a limit, a
// lost depth reading), not of its repetitions: source is the sensor's kind
// ("Depth Sounder"), text the announced text. User-interface thread. Set
// before start-up; nullptr: nobody is told.
using SensorAlarmHook = std::function<void(const std::string& source, const std::string& text)>;
void SetSensorAlarmHook(SensorAlarmHook hook);

}  // namespace tarnwick
