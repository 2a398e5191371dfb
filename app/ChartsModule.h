#pragma once
// Plugs the chart library into the application: the catalogue is opened in
// "Init_ENC" (the library is then the process-wide ChartLibrary(), with the
// folder of the setting Charts_InstallationFolder), its workers start looking
// at the chart folders in "Init Charts", the look-ahead for dangers runs in
// "UpdateObstacles" (charts/lookahead/ObstacleAlarm.h), the charted depth under
// the ship feeds the depth alert, and the library stops in "Exit_Charts".
//
// The command line's chart commands, run on the process-wide library (in the
// running program through its control socket, else in the command's own
// process):
//   charts.add PATH       a folder or chart file; out: SOURCE (charts/library/ChartJson.h)
//   charts.list           out: one CHART line per chart
//   charts.remove NAME    a chart name, a chart file or a registered folder;
//                         out: the names removed, one a line
//   charts.sources        out: one SOURCE line per folder or file

#include <functional>
#include <string>
#include <vector>

#include "app/ControlCommands.h"

namespace tarnwick {

class CApplication;

void RegisterCharts(CApplication& app);

// The look-ahead's state as OBSTACLE JSON (charts/lookahead/ObstacleAlarm.h); any thread.
std::string ObstacleStateJson();
// Receives the OBSTACLE JSON when the alarm is raised, changes or clears, and
// at most once a second while the sweep moves (the live feed's "obstacle"
// event). User-interface thread; nullptr: nobody.
void SetObstacleEventSink(std::function<void(const std::string& json)> sink);

// Runs a chart command on ChartLibrary(); exit 1 with the reason when there
// is no library or the command is refused.
CommandResult RunChartsCommand(const std::string& command, const std::vector<std::string>& args);

}  // namespace tarnwick
