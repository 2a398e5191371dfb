#include "charts/coastline/GshhgBins.h"

#include <algorithm>
#include <cstdint>

namespace tarnwick {
namespace {

constexpr int64_t kU = kCoastUnits;
constexpr int64_t kPerimeter = 4 * kU;
// Levels of the Antarctic ice front and grounding line in the source hierarchy.
constexpr uint8_t kAntarcticIceLevel = 5;
constexpr uint8_t kAntarcticGroundLevel = 6;

// Where a border point lies on the bin's perimeter, counter-clockwise from the
// south-west corner: south side 0..U, east U..2U, north 2U..3U, west 3U..4U.
int64_t PerimeterPosition(uint8_t side, CoastPoint p) {
  switch (side) {
    case kSideSouth:
      return p.x;
    case kSideEast:
      return kU + p.y;
    case kSideNorth:
      return 2 * kU + (kU - p.x);
    default:
      return (3 * kU + (kU - p.y)) % kPerimeter;
  }
}

CoastPoint CornerPoint(int corner) {
  static constexpr CoastPoint kCorners[4] = {{0, 0},
                                             {static_cast<uint16_t>(kU), 0},
                                             {static_cast<uint16_t>(kU), static_cast<uint16_t>(kU)},
                                             {0, static_cast<uint16_t>(kU)}};
  return kCorners[corner];
}

void Append(std::vector<CoastPoint>& ring, CoastPoint p) {
  if (ring.empty() || !(ring.back() == p)) ring.push_back(p);
}

void FinishRing(std::vector<CoastPoint>& ring, uint8_t level, std::vector<CoastPart>& out) {
  while (ring.size() > 1 && ring.front() == ring.back()) ring.pop_back();
  if (ring.size() >= 3) out.push_back({level, std::move(ring)});
}

// A segment of the level being assembled, turned so that the region of that
// level lies on its left.
struct Oriented {
  const GshhgSegment* segment;
  bool reversed;
  int64_t entry;  // perimeter positions
  int64_t exit;
  CoastPoint Point(size_t i) const {
    const auto& p = segment->points;
    return reversed ? p[p.size() - 1 - i] : p[i];
  }
};

// Joins the border-crossing segments of one level into closed rings by walking
// counter-clockwise along the bin border from each exit to the nearest entry.
void JoinAlongBorder(std::vector<Oriented>& open, uint8_t level, std::vector<CoastPart>& out) {
  std::vector<bool> used(open.size(), false);
  for (size_t start = 0; start < open.size(); ++start) {
    if (used[start]) continue;
    std::vector<CoastPoint> ring;
    size_t current = start;
    for (size_t step = 0; step <= open.size(); ++step) {
      used[current] = true;
      const Oriented& seg = open[current];
      for (size_t i = 0; i < seg.segment->points.size(); ++i) Append(ring, seg.Point(i));
      // The next entry counter-clockwise from this exit; the start closes the ring.
      size_t next = start;
      int64_t best = (open[start].entry - seg.exit + kPerimeter) % kPerimeter;
      for (size_t j = 0; j < open.size(); ++j) {
        if (used[j]) continue;
        const int64_t d = (open[j].entry - seg.exit + kPerimeter) % kPerimeter;
        if (d < best) {
          best = d;
          next = j;
        }
      }
      // The bin corners passed on the way, in walking order: the distance from
      // the exit grows corner by corner from the first corner after it.
      const int firstCorner = static_cast<int>(seg.exit / kU + 1) % 4;
      for (int k = 0; k < 4; ++k) {
        const int corner = (firstCorner + k) % 4;
        const int64_t d = (corner * kU - seg.exit + kPerimeter) % kPerimeter;
        if (d > 0 && d < best) Append(ring, CornerPoint(corner));
      }
      if (next == start) break;
      current = next;
    }
    FinishRing(ring, level, out);
  }
}

}  // namespace

GshhgSegmentInfo DecodeSegmentInfo(int32_t packed) {
  const auto bits = static_cast<uint32_t>(packed);
  GshhgSegmentInfo info;
  info.points = bits >> 9;
  info.level = static_cast<uint8_t>((bits >> 6) & 7);
  info.entry = static_cast<uint8_t>((bits >> 3) & 7);
  info.exit = static_cast<uint8_t>(bits & 7);
  return info;
}

std::array<uint8_t, 4> DecodeCornerLevels(int16_t packed) {
  const auto bits = static_cast<uint16_t>(packed);
  std::array<uint8_t, 4> levels{};
  for (int corner = 0; corner < 4; ++corner) {
    uint8_t level = static_cast<uint8_t>((bits >> (9 - 3 * corner)) & 7);
    // An Antarctic corner counts as land.
    if (level == kAntarcticIceLevel || level == kAntarcticGroundLevel) level = 1;
    levels[corner] = level;
  }
  return levels;
}

CoastCell AssembleBin(const GshhgBin& bin) {
  CoastCell cell;
  for (uint8_t level = 1; level <= kCoastMaxLevel; ++level) {
    // Rings of land levels run counter-clockwise already; water levels are
    // turned round so that their own region lies on the left.
    const bool reverse = level % 2 == 0;
    std::vector<Oriented> open;
    for (const GshhgSegment& segment : bin.segments) {
      if (segment.level != level || segment.points.size() < 2) continue;
      const bool closed = segment.entry == kSideNone || segment.exit == kSideNone;
      if (closed) {
        std::vector<CoastPoint> ring(segment.points);
        if (reverse) std::reverse(ring.begin(), ring.end());
        FinishRing(ring, level, cell.polygons);
        continue;
      }
      Oriented o{&segment, reverse, 0, 0};
      const int64_t first = PerimeterPosition(segment.entry, segment.points.front());
      const int64_t last = PerimeterPosition(segment.exit, segment.points.back());
      o.entry = reverse ? last : first;
      o.exit = reverse ? first : last;
      open.push_back(o);
    }
    if (open.empty()) {
      const auto high = std::count_if(bin.corners.begin(), bin.corners.end(),
                                      [&](uint8_t corner) { return corner >= level; });
      if (high >= 2) {
        std::vector<CoastPoint> whole{CornerPoint(0), CornerPoint(1), CornerPoint(2),
                                      CornerPoint(3)};
        cell.polygons.push_back({level, std::move(whole)});
      }
    } else {
      JoinAlongBorder(open, level, cell.polygons);
    }
  }
  for (const GshhgSegment& segment : bin.segments) {
    if (segment.level < 1 || segment.level > kCoastMaxLevel || segment.points.size() < 2) continue;
    CoastPart line{segment.level, segment.points};
    if (segment.entry == kSideNone || segment.exit == kSideNone) {
      line.points.push_back(line.points.front());  // a closed shore is stroked all round
    }
    cell.lines.push_back(std::move(line));
  }
  return cell;
}

GshhgConversion ConvertGshhg(const GshhgArrays& a, CoastResolution resolution) {
  GshhgConversion result;
  if (a.binMinutes <= 0 || 10800 % a.binMinutes != 0 || a.columns != 21600 / a.binMinutes ||
      a.rows != 10800 / a.binMinutes) {
    result.error = "bad bin grid (" + std::to_string(a.binMinutes) + " minutes, " +
                   std::to_string(a.columns) + " x " + std::to_string(a.rows) + ")";
    return result;
  }
  const size_t bins = static_cast<size_t>(a.columns) * a.rows;
  if (a.binFirstSegment.size() != bins || a.binSegmentCount.size() != bins ||
      a.binCornerLevels.size() != bins) {
    result.error = "bin arrays do not match the bin grid";
    return result;
  }
  const size_t segments = a.segmentInfo.size();
  if (a.segmentFirstPoint.size() != segments ||
      (!a.segmentAntarctic.empty() && a.segmentAntarctic.size() != segments) ||
      a.pointX.size() != a.pointY.size()) {
    result.error = "segment or point arrays differ in length";
    return result;
  }
  result.grid = CoastGrid::Empty(resolution, static_cast<uint32_t>(a.binMinutes));
  const int32_t columns = a.columns;
  for (size_t b = 0; b < bins; ++b) {
    const int64_t first = a.binFirstSegment[b];
    const int64_t count = a.binSegmentCount[b];
    if (first < 0 || count < 0 || (count > 0 && static_cast<uint64_t>(first + count) > segments)) {
      result.error = "bin " + std::to_string(b) + " refers to segments outside the file";
      return result;
    }
    GshhgBin bin;
    bin.corners = DecodeCornerLevels(a.binCornerLevels[b]);
    for (int64_t s = first; s < first + count; ++s) {
      const GshhgSegmentInfo info = DecodeSegmentInfo(a.segmentInfo[s]);
      const int64_t p0 = a.segmentFirstPoint[s];
      if (p0 < 0 || static_cast<uint64_t>(p0) + info.points > a.pointX.size()) {
        result.error = "segment " + std::to_string(s) + " refers to points outside the file";
        return result;
      }
      const bool sidesOk = (info.entry == kSideNone) == (info.exit == kSideNone) &&
                           info.entry <= kSideNone && info.exit <= kSideNone;
      if (info.level < 1 || info.level > kCoastMaxLevel || info.points < 2 || !sidesOk) {
        ++result.segmentsSkipped;
        continue;
      }
      GshhgSegment segment{info.level, info.entry, info.exit, {}};
      segment.points.reserve(info.points);
      for (uint32_t i = 0; i < info.points; ++i) {
        segment.points.push_back(
            {static_cast<uint16_t>(a.pointX[p0 + i]), static_cast<uint16_t>(a.pointY[p0 + i])});
      }
      bin.segments.push_back(std::move(segment));
    }
    // Source row 0 is the northernmost and column 0 starts at 0 E; ours start
    // at 90 S and 180 W.
    const auto sourceColumn = static_cast<uint32_t>(static_cast<int64_t>(b) % columns);
    const auto sourceRow = static_cast<uint32_t>(static_cast<int64_t>(b) / columns);
    const uint32_t column =
        (sourceColumn + static_cast<uint32_t>(columns) / 2) % static_cast<uint32_t>(columns);
    const uint32_t row = static_cast<uint32_t>(a.rows) - 1 - sourceRow;
    result.grid.At(column, row) = AssembleBin(bin);
  }
  result.ok = true;
  return result;
}

}  // namespace tarnwick
