#pragma once
// Plugs the chart library into the application: the catalogue is opened in
// "Init_ENC" (the library is then the process-wide ChartLibrary(), with the
// folder of the setting Charts_InstallationFolder), its workers start looking
// at the chart folders in "Init Charts", the look-ahead for dangers runs in
// "UpdateObstacles", and the library stops in "Exit_Charts".
//
// The command line's chart commands, run on the process-wide library (in the
// running program through its control socket, else in the command's own
// process):
//   charts.add PATH       a folder or chart file; out: SOURCE (charts/library/ChartJson.h)
//   charts.list           out: one CHART line per chart
//   charts.remove NAME    a chart name, a chart file or a registered folder;
//                         out: the names removed, one a line
//   charts.sources        out: one SOURCE line per folder or file

#include <string>
#include <vector>

#include "app/ControlCommands.h"

namespace tarnwick {

class CApplication;

void RegisterCharts(CApplication& app);

// Runs a chart command on ChartLibrary(); exit 1 with the reason when there
// is no library or the command is refused.
CommandResult RunChartsCommand(const std::string& command, const std::vector<std::string>& args);

}  // namespace tarnwick
