#include "charts/library/ChartProperties.h"

#include "charts/geotiff/GeoTiffChart.h"
#include "charts/raster/RasterChart.h"

namespace tarnwick {
namespace {

// 52000 -> "52,000".
std::string Grouped(uint64_t value) {
  std::string digits = std::to_string(value);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
    digits.insert(static_cast<size_t>(at), ",");
  return digits;
}

}  // namespace

ChartPropertyList ChartProperties(const CChartLibrary& library, const ChartRecord& chart) {
  ChartPropertyList out;
  if (chart.kind == ChartKind::kVector) {
    const auto cell = library.OpenVector(chart.id);
    if (!cell) return out;
    out = cell->Properties();
    for (auto& entry : cell->InfoProperties())
      if (entry.first != "SoundingDatum") out.push_back(std::move(entry));
    if (!cell->Header().title.empty()) out.insert(out.begin() + 1, {"Title", cell->Header().title});
    return out;
  }
  const auto raster = library.OpenRaster(chart.id);
  if (!raster) return out;
  if (const auto* kap = dynamic_cast<const CRasterChart*>(raster.get())) {
    out.emplace_back("Name", kap->Title());
    for (const auto& [name, value] : kap->Properties()) out.emplace_back(name, value);
    return out;
  }
  if (const auto* tiff = dynamic_cast<const CGeoTiffChart*>(raster.get())) {
    const GeoTiffInfo& info = tiff->Info();
    out.emplace_back("Name", chart.path.filename().string());
    out.emplace_back("Type", "GeoTIFF Image");
    out.emplace_back("Size", std::to_string(info.width) + " x " + std::to_string(info.height));
    out.emplace_back("Projection",
                     info.epsg ? "EPSG:" + std::to_string(info.epsg) : info.crsDefinition);
    if (chart.scale > 0) out.emplace_back("Scale", "1:" + Grouped(chart.scale));
  }
  return out;
}

}  // namespace tarnwick
