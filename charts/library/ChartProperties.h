#pragma once
// The properties the chart information page shows for a chart of the
// library, in order. A vector chart: its cell's properties ("Name",
// "Source", "Edition", "Update", "SoundingDatum", "IntendedUsage",
// "UpdateApplicationDate", "Updated", "IssueDate") and the information
// page's ("Scale" as "Vector Chart (1:52,000)", "Projection", "Datum",
// "VerticalDatum", "SoundingDatum", "Depth Units"). A KAP chart: "Name" (its
// title) and the properties of its header ("Type", "SourceEdition",
// "EditionDate", "Scale", "Projection", "Datum", "DepthUnits"...). A GeoTIFF
// image: "Name", "Type", "Size", "Projection", "Scale" (estimated).

#include <string>
#include <utility>
#include <vector>

#include "charts/library/ChartLibrary.h"

namespace tarnwick {

using ChartPropertyList = std::vector<std::pair<std::string, std::string>>;

// Empty when the chart is not ready or cannot be opened.
ChartPropertyList ChartProperties(const CChartLibrary& library, const ChartRecord& chart);

}  // namespace tarnwick
