#pragma once
// Layout of the world coastline files ("world_c.b.qtc" ... "world_h.b.qtc").
// All numbers are little-endian; every block starts on a 4-byte boundary.
//
// Header, 48 bytes:
//   offset size field
//        0    8 magic "TWCOAST\0"
//        8    2 version (1)
//       10    1 resolution letter 'c', 'l', 'i' or 'h'
//       11    1 reserved, 0
//       12    4 cell side in arc minutes (divides 10800)
//       16    2 columns = 21600 / cell minutes
//       18    2 rows = 10800 / cell minutes
//       20    4 west  \  bounds of all points, signed 1e-6 degrees
//       24    4 south  | (all 0 when the file holds no part)
//       28    4 east   |
//       32    4 north /
//       36    4 number of parts (polygons + lines) in the file
//       40    4 number of points in the file
//       44    4 CRC-32 (zlib) of every byte after the header
// Cell index, at 48: rows * columns entries, row 0 southernmost, column 0 at
// 180 W, each:
//        0    4 offset of the cell block from the start of the file
//        4    4 size of the cell block in bytes (0: empty cell, offset ignored)
// Cell block:
//        0    4 number of polygons
//        4    4 number of lines
//        8      the polygons, then the lines, each a part:
//                 0  4 number of points (polygons >= 3, lines >= 2)
//                 4  1 level 1..4
//                 5  3 reserved, 0
//                 8  4 per point: u16 x, u16 y, cell-relative (0..65535 spans
//                    the cell from its west/south edge to its east/north edge)
// A cell block is exactly as long as its parts.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tarnwick::coastfmt {

inline constexpr char kMagic[8] = {'T', 'W', 'C', 'O', 'A', 'S', 'T', '\0'};
inline constexpr uint16_t kVersion = 1;
inline constexpr size_t kHeaderSize = 48;
inline constexpr size_t kIndexEntrySize = 8;
inline constexpr size_t kCellHeaderSize = 8;
inline constexpr size_t kPartHeaderSize = 8;
inline constexpr size_t kPointSize = 4;

// Field offsets of the header.
inline constexpr size_t kOffMagic = 0;
inline constexpr size_t kOffVersion = 8;
inline constexpr size_t kOffResolution = 10;
inline constexpr size_t kOffCellMinutes = 12;
inline constexpr size_t kOffColumns = 16;
inline constexpr size_t kOffRows = 18;
inline constexpr size_t kOffWest = 20;
inline constexpr size_t kOffSouth = 24;
inline constexpr size_t kOffEast = 28;
inline constexpr size_t kOffNorth = 32;
inline constexpr size_t kOffPartCount = 36;
inline constexpr size_t kOffPointCount = 40;
inline constexpr size_t kOffCrc = 44;

inline uint16_t Load16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t Load32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void Store16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void Store32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace tarnwick::coastfmt
