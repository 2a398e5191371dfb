#pragma once
// Read access to a world coastline file (layout in CoastlineFormat.h). The file
// is memory-mapped and checked whole when opened (checksum and every cell's
// structure), so the queries afterwards never read outside it. An open file is
// immutable and may be queried from any number of threads at once.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "charts/coastline/CoastlineGrid.h"
#include "core/geo/LatLon.h"

namespace tarnwick {

// A box in degrees: south <= north within [-90, 90], west <= east within [-180, 180].
struct CoastBox {
  double west = -180;
  double south = -90;
  double east = 180;
  double north = 90;
};

struct CoastFileInfo {
  CoastResolution resolution = CoastResolution::Crude;
  uint32_t cellMinutes = 0;  // cell side, arc minutes
  uint32_t columns = 0;
  uint32_t rows = 0;
  CoastBox bounds;  // of all points; all 0 when the file is empty
  uint32_t partCount = 0;
  uint32_t pointCount = 0;
  uint64_t fileSize = 0;  // bytes
};

enum class CoastPartKind { Polygon, Line };

// One part as it lies in the file, valid during the visit only.
struct CoastPartView {
  CoastPartKind kind = CoastPartKind::Polygon;
  uint8_t level = 1;
  double cellWest = 0;              // degrees, the cell's south-west corner
  double cellSouth = 0;             // degrees
  double cellSize = 0;              // degrees, the cell's side
  uint32_t count = 0;               // points
  const uint8_t* points = nullptr;  // count * (u16 x, u16 y), little-endian

  CoastPoint Raw(uint32_t i) const;
  // Longitude and latitude of point i in degrees.
  LatLon At(uint32_t i) const;
};

class CCoastlineFile {
 public:
  ~CCoastlineFile();
  CCoastlineFile(const CCoastlineFile&) = delete;
  CCoastlineFile& operator=(const CCoastlineFile&) = delete;

  // Maps and checks the file. Null with a reason in error when it is missing,
  // truncated or damaged.
  static std::unique_ptr<CCoastlineFile> Open(const std::filesystem::path& path,
                                              std::string& error);
  // The same over bytes held in memory. checkCrc false skips the checksum (the
  // structure is still checked), for fuzzing the structural checks.
  static std::unique_ptr<CCoastlineFile> FromBytes(std::string bytes, std::string& error,
                                                   bool checkCrc = true);

  const CoastFileInfo& Info() const { return info_; }

  // Calls visit for every part of every cell that overlaps box (degrees, not
  // crossing 180; a box crossing it is two calls). Parts are not clipped.
  void Visit(const CoastBox& box, const std::function<void(const CoastPartView&)>& visit) const;

  // The level at a position (degrees): 0 sea, 1 land, 2 lake, 3 island in a
  // lake, 4 pond; the highest level whose polygon holds the point.
  int LevelAt(LatLon position) const;

 private:
  CCoastlineFile() = default;
  bool Check(bool checkCrc, std::string& error);
  template <typename Fn>
  void ForEachPart(uint32_t cellIndex, Fn&& fn) const;

  std::string owned_;
  void* map_ = nullptr;
  size_t mapSize_ = 0;
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  CoastFileInfo info_;
};

}  // namespace tarnwick
