#pragma once
// Writes a coastline grid as a world coastline file (layout in CoastlineFormat.h).

#include <filesystem>
#include <string>

#include "charts/coastline/CoastlineGrid.h"

namespace tarnwick {

// The whole file for grid. Parts that cannot be stored (level outside 1..4,
// polygons under 3 points, lines under 2) are left out.
std::string EncodeCoastlineFile(const CoastGrid& grid);

// Writes the file next to path and renames it into place, so a reader never
// sees half a file. False (and a log line) on failure.
bool WriteCoastlineFile(const std::filesystem::path& path, const CoastGrid& grid);

}  // namespace tarnwick
