#pragma once
// The in-memory form of a world coastline set: a grid of square cells covering
// the globe, each holding the filled regions (clipped to the cell) and the true
// shoreline polylines inside it. This is what the converter builds and what
// the file writer stores; the reader answers queries straight from the file.
//
// Levels follow the shoreline hierarchy: 1 land, 2 lake, 3 island in a lake,
// 4 pond on such an island. Odd levels are land, even levels are water. The
// polygon of level L covers everything of level >= L, so drawing the levels in
// rising order (land, then lakes, then islands in lakes, ...) paints the map.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tarnwick {

// Points are cell-relative fixed point: 0 is the cell's west (south) edge,
// kCoastUnits its east (north) edge.
inline constexpr uint32_t kCoastUnits = 65535;
inline constexpr uint8_t kCoastMaxLevel = 4;

struct CoastPoint {
  uint16_t x = 0;  // 0..65535 from the cell's west edge to its east edge
  uint16_t y = 0;  // 0..65535 from the cell's south edge to its north edge
  friend bool operator==(const CoastPoint&, const CoastPoint&) = default;
};

// One polygon ring (closed, first point not repeated) or one polyline.
struct CoastPart {
  uint8_t level = 1;  // 1..4
  std::vector<CoastPoint> points;
  friend bool operator==(const CoastPart&, const CoastPart&) = default;
};

struct CoastCell {
  std::vector<CoastPart> polygons;  // counter-clockwise rings, level >= 1 region of each level
  std::vector<CoastPart> lines;     // shoreline only, never the cell border
  friend bool operator==(const CoastCell&, const CoastCell&) = default;
};

// The resolutions of the world files: crude, low, intermediate, high.
enum class CoastResolution : char { Crude = 'c', Low = 'l', Intermediate = 'i', High = 'h' };

// 'c', 'l', 'i' or 'h' (also the whole word "crude", "low", ...); empty otherwise.
std::optional<CoastResolution> ParseCoastResolution(std::string_view text);
// The file name of a resolution's world file: "world_c.b.qtc" and so on.
const char* CoastFileName(CoastResolution resolution);

struct CoastGrid {
  CoastResolution resolution = CoastResolution::Crude;
  uint32_t cellMinutes = 1200;  // side of a cell in arc minutes; divides 10800
  // Row-major, row 0 the southernmost (its south edge at 90 S), column 0 the
  // westernmost (its west edge at 180 W).
  std::vector<CoastCell> cells;

  uint32_t Columns() const { return 21600 / cellMinutes; }
  uint32_t Rows() const { return 10800 / cellMinutes; }
  // An empty grid of the right size for cellMinutes (which must divide 10800).
  static CoastGrid Empty(CoastResolution resolution, uint32_t cellMinutes);
  CoastCell& At(uint32_t column, uint32_t row) { return cells[row * Columns() + column]; }
};

}  // namespace tarnwick
