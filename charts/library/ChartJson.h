#pragma once
// The chart library's records as JSON, one shape for the command line's
// `tarnwick charts list` lines and the page's chart list:
//
//   CHART = {"id":n,"name":"US5HA57M","path":"/...","kind":"vector"|"kap"|"geotiff",
//            "source":"/...","scale":12000,"edition":7,"update":0,
//            "extent":{"north","west","south","east"},"status":"ready",
//            "message":"...","failedUpdate":"US5HA57M.003","updateError":"Can't apply..."}
//
// scale is 0 when unknown; edition and update are absent when unknown;
// extent is in degrees (west > east for a chart across the antimeridian) and
// absent before the chart was read; message, failedUpdate and updateError
// are absent when empty.
//
//   SOURCE = {"path":"/...","folder":true,"installation":false,"charts":n}
//   PROGRESS = {"busy":bool,"done":n,"total":n,"current":["Building SENC from ..."]}

#include <string>

#include "charts/library/ChartLibrary.h"
#include "core/JsonWriter.h"

namespace tarnwick {

void WriteChartJson(CJsonWriter& json, const ChartRecord& chart);
void WriteSourceJson(CJsonWriter& json, const ChartSource& source);
void WriteProgressJson(CJsonWriter& json, const ChartBuildProgress& progress);
// A box of the chart Mercator as {"north","west","south","east"} in degrees.
void WriteDegreeBox(CJsonWriter& json, const MercatorBox& box);

// One CHART as a line of text (without the line feed).
std::string ChartJsonLine(const ChartRecord& chart);

}  // namespace tarnwick
