#pragma once
// Reading one chart for the catalogue: a vector cell's SENC is built when
// the cell or its updates are newer than it (else the SENC is only opened),
// and its header values and coverage (M_COVR) are read; a raster chart is
// opened for its scale, edition, border and georeferencing.

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "charts/library/ChartLibrary.h"
#include "charts/s57/ExchangeSet.h"

namespace tarnwick {

struct ChartReadOutcome {
  bool ok = false;
  std::string error;     // why the chart cannot be used
  bool rebuilt = false;  // a SENC was written
  // Filled in: scale, edition, update, intendedUsage, title, failedUpdate,
  // updateError, extent, coverage.
  ChartRecord record;
};

// Builds (when needed) and reads the SENC of cell into sencFolder. set: the
// exchange set listing the cell (its files are checked against its
// catalogue), or null. previous: what the catalogue held for the cell, whose
// update error text is kept while the same update still cannot be applied.
// progress gets the reader's texts ("Building SENC from US5HA57M.000").
ChartReadOutcome ReadVectorChart(const std::filesystem::path& cell,
                                 const std::filesystem::path& sencFolder, const CExchangeSet* set,
                                 const ChartRecord& previous,
                                 const std::function<void(const std::string&)>& progress);

// Opens a KAP or GeoTIFF chart and reads its record; fails for an image
// without georeferencing.
ChartReadOutcome ReadRasterChart(const std::filesystem::path& file, ChartKind kind);

// The coverage of an open cell: its M_COVR areas of CATCOV 1 less those of
// CATCOV 2; the chart's extent when it has none.
ChartCoverage VectorCoverage(const CS57Chart& chart);

// The scale of a raster: its own, else the display scale at which one of its
// pixels is one screen pixel; 0 without georeferencing.
double RasterScale(const CGeoRaster& raster);

}  // namespace tarnwick
