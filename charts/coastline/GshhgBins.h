#pragma once
// The binned shoreline sets of GSHHG (the "binned_GSHHS_X.nc" files that GMT
// reads) and their assembly into our coastline grid.
//
// In those files the globe is cut into square bins (row 0 the northernmost,
// its north edge at 90 N; column 0 with its west edge at 0 E). Each bin holds
// shoreline segments clipped to the bin, with points relative to the bin's
// south-west corner in 1/65535 of the bin side. A segment either is a closed
// ring inside the bin or runs from one bin side to another; land is always on
// its left (land rings counter-clockwise, lake rings clockwise). Each bin
// also gives the hierarchy level at its four corners, which decides bins that
// no segment crosses. Antarctica comes twice: its ice front (level 1, flagged)
// and its grounding line (level 6); we keep the ice front, the edge a vessel
// meets.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "charts/coastline/CoastlineGrid.h"

namespace tarnwick {

// The arrays of one binned file as the netCDF variables hold them.
struct GshhgArrays {
  int32_t binMinutes = 0;                  // "Bin_size_in_minutes"
  int32_t columns = 0;                     // "N_bins_in_360_longitude_range"
  int32_t rows = 0;                        // "N_bins_in_180_degree_latitude_range"
  std::vector<int32_t> binFirstSegment;    // "Id_of_first_segment_in_a_bin"
  std::vector<int16_t> binSegmentCount;    // "N_segments_in_a_bin"
  std::vector<int16_t> binCornerLevels;    // "Embedded_node_levels_in_a_bin"
  std::vector<int32_t> segmentInfo;        // "Embedded_npts_levels_exit_entry_for_a_segment"
  std::vector<int32_t> segmentFirstPoint;  // "Id_of_first_point_in_a_segment"
  std::vector<int8_t> segmentAntarctic;    // "Embedded_ANT_flag"
  std::vector<int16_t> pointX;  // "Relative_longitude_from_SW_corner_of_bin", unsigned 0..65535
  std::vector<int16_t> pointY;  // "Relative_latitude_from_SW_corner_of_bin", unsigned 0..65535
};

// Bin sides, counter-clockwise from the south side; kSideNone for a closed ring.
enum GshhgSide : uint8_t {
  kSideSouth = 0,
  kSideEast = 1,
  kSideNorth = 2,
  kSideWest = 3,
  kSideNone = 4
};

// The packed fields of "Embedded_npts_levels_exit_entry_for_a_segment":
//   bits 9..31 number of points, bits 6..8 level, bits 3..5 side of the first
//   point (entry), bits 0..2 side of the last point (exit).
struct GshhgSegmentInfo {
  uint32_t points = 0;
  uint8_t level = 0;
  uint8_t entry = kSideNone;
  uint8_t exit = kSideNone;
};
GshhgSegmentInfo DecodeSegmentInfo(int32_t packed);

// The packed corner levels of "Embedded_node_levels_in_a_bin": 3 bits per
// corner, south-west in bits 9..11, then south-east, north-east, north-west.
std::array<uint8_t, 4> DecodeCornerLevels(int16_t packed);

struct GshhgSegment {
  uint8_t level = 1;  // 1..4
  uint8_t entry = kSideNone;
  uint8_t exit = kSideNone;
  std::vector<CoastPoint> points;  // bin-relative
};

struct GshhgBin {
  std::array<uint8_t, 4> corners{};  // levels at SW, SE, NE, NW
  std::vector<GshhgSegment> segments;
};

// Builds one of our cells from a bin: for each level L from 1 to 4 the rings
// of the region of level >= L (segments of level L joined along the bin border
// counter-clockwise, or the whole bin when no such segment crosses it and its
// corners are at level >= L), and every segment as a shoreline line.
CoastCell AssembleBin(const GshhgBin& bin);

struct GshhgConversion {
  bool ok = false;
  std::string error;  // why the arrays were refused
  CoastGrid grid;
  uint32_t segmentsSkipped = 0;  // grounding-line and malformed segments
};

// Checks the arrays (every index in range) and assembles every bin into a grid
// of the bins' size, shifted so that column 0 starts at 180 W.
GshhgConversion ConvertGshhg(const GshhgArrays& arrays, CoastResolution resolution);

}  // namespace tarnwick
