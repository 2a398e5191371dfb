#pragma once
// Finds the charts of a source: in a folder (searched to any depth, links to
// folders not followed) every exchange set with its catalogue (its cells
// checked against the catalogue's CRC-32 values when built), every other S-57
// base cell, every BSB/KAP panel and every GeoTIFF file; or the one chart
// file a source names. Also the signature of a chart's files, which changes
// when a file the chart is read from changes (for a cell: the base file and
// each update file from the base's own update on).

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "charts/library/ChartLibrary.h"
#include "charts/s57/ExchangeSet.h"

namespace tarnwick {

struct FoundChart {
  std::filesystem::path path;  // absolute, normalised
  ChartKind kind = ChartKind::kVector;
  std::string name;  // upper-case cell name, or the raster file's stem
  // The exchange set whose catalogue lists the cell; null for cells on their own.
  std::shared_ptr<const CExchangeSet> set;
};

struct FoundCharts {
  std::vector<FoundChart> charts;
  std::vector<std::string> problems;           // damaged catalogues, unreadable folders...
  std::vector<std::filesystem::path> folders;  // every folder searched (for the watch)
};

// The kind of chart a file name is by its extension (any case): ".000"
// vector, ".kap" KAP, ".tif"/".tiff" GeoTIFF; none for others.
std::optional<ChartKind> ChartKindOfFile(const std::filesystem::path& path);

// The charts of a folder, or of one chart file.
FoundCharts FindCharts(const std::filesystem::path& source, bool folder);

// Sizes and modification times of the files chart is read from; "" when its
// main file is gone.
std::string ChartSignature(const std::filesystem::path& path, ChartKind kind);

// The name a chart file is listed under.
std::string ChartNameOf(const std::filesystem::path& path, ChartKind kind);

}  // namespace tarnwick
