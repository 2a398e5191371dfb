#include "charts/coastline/CoastlineGrid.h"

namespace tarnwick {

std::optional<CoastResolution> ParseCoastResolution(std::string_view text) {
  static constexpr struct {
    std::string_view letter;
    std::string_view word;
    CoastResolution resolution;
  } kNames[] = {
      {"c", "crude", CoastResolution::Crude},
      {"l", "low", CoastResolution::Low},
      {"i", "intermediate", CoastResolution::Intermediate},
      {"h", "high", CoastResolution::High},
  };
  for (const auto& name : kNames) {
    if (text == name.letter || text == name.word) return name.resolution;
  }
  return std::nullopt;
}

const char* CoastFileName(CoastResolution resolution) {
  switch (resolution) {
    case CoastResolution::Crude:
      return "world_c.b.qtc";
    case CoastResolution::Low:
      return "world_l.b.qtc";
    case CoastResolution::Intermediate:
      return "world_i.b.qtc";
    case CoastResolution::High:
      return "world_h.b.qtc";
  }
  return "world_c.b.qtc";
}

CoastGrid CoastGrid::Empty(CoastResolution resolution, uint32_t cellMinutes) {
  CoastGrid grid;
  grid.resolution = resolution;
  grid.cellMinutes = cellMinutes;
  grid.cells.resize(static_cast<size_t>(grid.Columns()) * grid.Rows());
  return grid;
}

}  // namespace tarnwick
