#include "charts/library/ChartCoverage.h"

#include <polyclipping/clipper.hpp>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tarnwick {
namespace {

// Clipper works on integers: decimetres keep every Mercator coordinate within
// its fast range (below 2^30).
constexpr double kUnitsPerMetre = 10.0;

ClipperLib::Paths ToPaths(const ChartRegion& region) {
  ClipperLib::Paths paths;
  paths.reserve(region.size());
  for (const ChartRing& ring : region) {
    ClipperLib::Path path;
    path.reserve(ring.size());
    for (const MercatorPoint& p : ring)
      path.emplace_back(static_cast<ClipperLib::cInt>(std::llround(p.x * kUnitsPerMetre)),
                        static_cast<ClipperLib::cInt>(std::llround(p.y * kUnitsPerMetre)));
    if (path.size() >= 3) paths.push_back(std::move(path));
  }
  return paths;
}

ChartRegion FromPaths(const ClipperLib::Paths& paths) {
  ChartRegion region;
  region.reserve(paths.size());
  for (const ClipperLib::Path& path : paths) {
    if (path.size() < 3) continue;
    ChartRing ring;
    ring.reserve(path.size());
    for (const ClipperLib::IntPoint& p : path)
      ring.push_back(
          {static_cast<double>(p.X) / kUnitsPerMetre, static_cast<double>(p.Y) / kUnitsPerMetre});
    region.push_back(std::move(ring));
  }
  return region;
}

ChartRegion Run(ClipperLib::ClipType type, const ChartRegion& a, const ChartRegion& b) {
  ClipperLib::Clipper clipper;
  clipper.AddPaths(ToPaths(a), ClipperLib::ptSubject, true);
  clipper.AddPaths(ToPaths(b), ClipperLib::ptClip, true);
  ClipperLib::Paths out;
  clipper.Execute(type, out, ClipperLib::pftEvenOdd, ClipperLib::pftEvenOdd);
  return FromPaths(out);
}

void Put32(std::string& out, uint32_t value) {
  char bytes[4];
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  out.append(bytes, 4);
}

void PutDouble(std::string& out, double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, 8);
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
}

uint64_t LoadLe(std::string_view bytes, size_t at, int size) {
  uint64_t value = 0;
  for (int i = size - 1; i >= 0; --i)
    value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
  return value;
}

}  // namespace

ChartCoverage ChartCoverage::FromRings(ChartRegion rings) {
  ChartCoverage coverage;
  bool first = true;
  for (ChartRing& ring : rings) {
    if (ring.size() < 3) continue;
    for (const MercatorPoint& p : ring) {
      if (first) {
        coverage.box = {p.x, p.y, p.x, p.y};
        first = false;
      }
      coverage.box.west = std::min(coverage.box.west, p.x);
      coverage.box.east = std::max(coverage.box.east, p.x);
      coverage.box.south = std::min(coverage.box.south, p.y);
      coverage.box.north = std::max(coverage.box.north, p.y);
    }
    coverage.rings.push_back(std::move(ring));
  }
  return coverage;
}

ChartCoverage ChartCoverage::FromBox(const MercatorBox& box) {
  return FromRings(BoxRegion(box));
}

bool ChartCoverage::Contains(MercatorPoint p) const {
  if (p.x < box.west || p.x > box.east || p.y < box.south || p.y > box.north) return false;
  return RegionContains(rings, p);
}

bool BoxesMeet(const MercatorBox& a, const MercatorBox& b) {
  return a.west <= b.east && b.west <= a.east && a.south <= b.north && b.south <= a.north;
}

MercatorBox ShiftBox(const MercatorBox& box, double dx) {
  return {box.west + dx, box.south, box.east + dx, box.north};
}

bool RegionContains(const ChartRegion& region, MercatorPoint p) {
  bool inside = false;
  for (const ChartRing& ring : region) {
    for (size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
      const MercatorPoint& a = ring[i];
      const MercatorPoint& b = ring[j];
      if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x)
        inside = !inside;
    }
  }
  return inside;
}

ChartRegion IntersectRegions(const ChartRegion& a, const ChartRegion& b) {
  return Run(ClipperLib::ctIntersection, a, b);
}

ChartRegion SubtractRegions(const ChartRegion& a, const ChartRegion& b) {
  return Run(ClipperLib::ctDifference, a, b);
}

ChartRegion UniteRegions(const ChartRegion& a, const ChartRegion& b) {
  return Run(ClipperLib::ctUnion, a, b);
}

ChartRegion BoxRegion(const MercatorBox& box) {
  return {
      {{box.west, box.south}, {box.east, box.south}, {box.east, box.north}, {box.west, box.north}}};
}

double RegionArea(const ChartRegion& region) {
  // Clipper's output has outer rings one way round and holes the other, so
  // the signed areas add up to the covered area.
  ClipperLib::Clipper clipper;
  clipper.AddPaths(ToPaths(region), ClipperLib::ptSubject, true);
  ClipperLib::Paths out;
  clipper.Execute(ClipperLib::ctUnion, out, ClipperLib::pftEvenOdd, ClipperLib::pftEvenOdd);
  double area = 0;
  for (const ClipperLib::Path& path : out) area += ClipperLib::Area(path);
  return std::fabs(area) / (kUnitsPerMetre * kUnitsPerMetre);
}

ChartRegion ShiftRegion(const ChartRegion& region, double dx) {
  ChartRegion out = region;
  for (ChartRing& ring : out)
    for (MercatorPoint& p : ring) p.x += dx;
  return out;
}

std::string EncodeRegion(const ChartRegion& region) {
  std::string out;
  Put32(out, static_cast<uint32_t>(region.size()));
  for (const ChartRing& ring : region) {
    Put32(out, static_cast<uint32_t>(ring.size()));
    for (const MercatorPoint& p : ring) {
      PutDouble(out, p.x);
      PutDouble(out, p.y);
    }
  }
  return out;
}

ChartRegion DecodeRegion(std::string_view bytes) {
  ChartRegion region;
  if (bytes.size() < 4) return {};
  const uint64_t rings = LoadLe(bytes, 0, 4);
  size_t at = 4;
  for (uint64_t r = 0; r < rings; ++r) {
    if (bytes.size() - at < 4) return {};
    const uint64_t count = LoadLe(bytes, at, 4);
    at += 4;
    if (count > (bytes.size() - at) / 16) return {};
    ChartRing ring;
    ring.reserve(count);
    for (uint64_t i = 0; i < count; ++i) {
      const uint64_t xb = LoadLe(bytes, at, 8), yb = LoadLe(bytes, at + 8, 8);
      double x, y;
      std::memcpy(&x, &xb, 8);
      std::memcpy(&y, &yb, 8);
      if (!std::isfinite(x) || !std::isfinite(y)) return {};
      ring.push_back({x, y});
      at += 16;
    }
    region.push_back(std::move(ring));
  }
  return at == bytes.size() ? region : ChartRegion{};
}

}  // namespace tarnwick
