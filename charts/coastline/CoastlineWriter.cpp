#include "charts/coastline/CoastlineWriter.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fstream>
#include <system_error>

#include "charts/coastline/CoastlineFormat.h"
#include "core/Log.h"

namespace tarnwick {
namespace {

using namespace coastfmt;

bool Storable(const CoastPart& part, size_t minPoints) {
  return part.level >= 1 && part.level <= kCoastMaxLevel && part.points.size() >= minPoints &&
         part.points.size() <= UINT32_MAX;
}

class CBytes {
 public:
  void U8(uint8_t v) { bytes_.push_back(static_cast<char>(v)); }
  void U16(uint16_t v) {
    uint8_t b[2];
    Store16(b, v);
    bytes_.append(reinterpret_cast<char*>(b), 2);
  }
  void U32(uint32_t v) {
    uint8_t b[4];
    Store32(b, v);
    bytes_.append(reinterpret_cast<char*>(b), 4);
  }
  void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
  size_t Size() const { return bytes_.size(); }
  void Patch32(size_t at, uint32_t v) {
    Store32(reinterpret_cast<uint8_t*>(bytes_.data() + at), v);
  }
  std::string& Data() { return bytes_; }

 private:
  std::string bytes_;
};

// Running bounds in 1e-6 degrees.
struct Bounds {
  int64_t west = INT64_MAX, south = INT64_MAX, east = INT64_MIN, north = INT64_MIN;
  void Add(int64_t lon, int64_t lat) {
    west = std::min(west, lon);
    east = std::max(east, lon);
    south = std::min(south, lat);
    north = std::max(north, lat);
  }
};

}  // namespace

std::string EncodeCoastlineFile(const CoastGrid& grid) {
  const uint32_t columns = grid.Columns();
  const uint32_t rows = grid.Rows();
  const size_t cellCount = static_cast<size_t>(columns) * rows;
  CBytes out;
  out.Data().reserve(kHeaderSize + cellCount * kIndexEntrySize);
  out.Data().append(kMagic, sizeof kMagic);
  out.U16(kVersion);
  out.U8(static_cast<uint8_t>(grid.resolution));
  out.U8(0);
  out.U32(grid.cellMinutes);
  out.U16(static_cast<uint16_t>(columns));
  out.U16(static_cast<uint16_t>(rows));
  for (int i = 0; i < 7; ++i) out.U32(0);  // bounds, counts and CRC, patched below
  for (size_t i = 0; i < cellCount; ++i) {
    out.U32(0);
    out.U32(0);
  }

  // Cell size in 1e-6 degrees; a point's absolute position is corner + v * size / 65535.
  const int64_t cellMicro = static_cast<int64_t>(grid.cellMinutes) * 1000000 / 60;
  Bounds bounds;
  uint32_t partCount = 0;
  uint32_t pointCount = 0;
  for (size_t index = 0; index < cellCount && index < grid.cells.size(); ++index) {
    const CoastCell& cell = grid.cells[index];
    auto polygons = std::count_if(cell.polygons.begin(), cell.polygons.end(),
                                  [](const CoastPart& p) { return Storable(p, 3); });
    auto lines = std::count_if(cell.lines.begin(), cell.lines.end(),
                               [](const CoastPart& p) { return Storable(p, 2); });
    if (polygons == 0 && lines == 0) continue;
    const int64_t west = -180000000 + static_cast<int64_t>(index % columns) * cellMicro;
    const int64_t south = -90000000 + static_cast<int64_t>(index / columns) * cellMicro;
    const size_t start = out.Size();
    out.U32(static_cast<uint32_t>(polygons));
    out.U32(static_cast<uint32_t>(lines));
    auto writeParts = [&](const std::vector<CoastPart>& parts, size_t minPoints) {
      for (const CoastPart& part : parts) {
        if (!Storable(part, minPoints)) continue;
        out.U32(static_cast<uint32_t>(part.points.size()));
        out.U8(part.level);
        out.U8(0);
        out.U8(0);
        out.U8(0);
        for (const CoastPoint& p : part.points) {
          out.U16(p.x);
          out.U16(p.y);
          bounds.Add(west + p.x * cellMicro / kCoastUnits, south + p.y * cellMicro / kCoastUnits);
        }
        ++partCount;
        pointCount += static_cast<uint32_t>(part.points.size());
      }
    };
    writeParts(cell.polygons, 3);
    writeParts(cell.lines, 2);
    out.Patch32(kHeaderSize + index * kIndexEntrySize, static_cast<uint32_t>(start));
    out.Patch32(kHeaderSize + index * kIndexEntrySize + 4,
                static_cast<uint32_t>(out.Size() - start));
  }
  if (partCount > 0) {
    out.Patch32(kOffWest, static_cast<uint32_t>(static_cast<int32_t>(bounds.west)));
    out.Patch32(kOffSouth, static_cast<uint32_t>(static_cast<int32_t>(bounds.south)));
    out.Patch32(kOffEast, static_cast<uint32_t>(static_cast<int32_t>(bounds.east)));
    out.Patch32(kOffNorth, static_cast<uint32_t>(static_cast<int32_t>(bounds.north)));
  }
  out.Patch32(kOffPartCount, partCount);
  out.Patch32(kOffPointCount, pointCount);
  const std::string& data = out.Data();
  uLong crc = crc32(0L, Z_NULL, 0);
  crc = crc32(crc, reinterpret_cast<const Bytef*>(data.data() + kHeaderSize),
              static_cast<uInt>(data.size() - kHeaderSize));
  out.Patch32(kOffCrc, static_cast<uint32_t>(crc));
  return std::move(out.Data());
}

bool WriteCoastlineFile(const std::filesystem::path& path, const CoastGrid& grid) {
  const std::string bytes = EncodeCoastlineFile(grid);
  std::filesystem::path temporary = path;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      Log("Cannot write coastline file %s: %s\n", temporary.c_str(), std::strerror(errno));
      return false;
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) {
    Log("Cannot replace coastline file %s: %s\n", path.c_str(), error.message().c_str());
    std::filesystem::remove(temporary, error);
    return false;
  }
  return true;
}

}  // namespace tarnwick
