#include "charts/coastline/CoastlineGeoJson.h"

#include <polyclipping/clipper.hpp>

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace tarnwick {
namespace {

using ClipperLib::cInt;
using ClipperLib::IntPoint;
using ClipperLib::Path;
using ClipperLib::Paths;

// Clipper works in integers: 1e-7 degree.
constexpr double kScale = 1e7;

cInt ToUnits(double degrees) {
  return static_cast<cInt>(std::llround(degrees * kScale));
}

// Writes a coordinate held in 1e-7 degree with six decimals (about 0.1 m).
void AppendDegrees(std::string& out, cInt units) {
  const cInt micro = units >= 0 ? (units + 5) / 10 : -((-units + 5) / 10);
  const cInt whole = micro / 1000000;
  const cInt fraction = std::llabs(micro % 1000000);
  if (micro < 0) out += '-';
  char buffer[24];
  auto end = std::to_chars(buffer, buffer + sizeof buffer, std::llabs(whole)).ptr;
  out.append(buffer, end);
  if (fraction != 0) {
    char digits[7] = {'0', '0', '0', '0', '0', '0', '\0'};
    cInt f = fraction;
    for (int i = 5; i >= 0; --i, f /= 10) digits[i] = static_cast<char>('0' + f % 10);
    int length = 6;
    while (digits[length - 1] == '0') --length;
    out += '.';
    out.append(digits, static_cast<size_t>(length));
  }
}

void AppendPoint(std::string& out, const IntPoint& p) {
  out += '[';
  AppendDegrees(out, p.X);
  out += ',';
  AppendDegrees(out, p.Y);
  out += ']';
}

// A ring written closed, as GeoJSON wants it.
void AppendRing(std::string& out, const Path& ring) {
  out += '[';
  for (const IntPoint& p : ring) {
    AppendPoint(out, p);
    out += ',';
  }
  AppendPoint(out, ring.front());
  out += ']';
}

void AppendLine(std::string& out, const Path& line) {
  out += '[';
  for (size_t i = 0; i < line.size(); ++i) {
    if (i > 0) out += ',';
    AppendPoint(out, line[i]);
  }
  out += ']';
}

// A part in Clipper units, and whether its cell lies wholly in the box (then
// it needs no clipping).
struct Piece {
  Path path;
  bool inside = false;
};

struct LevelParts {
  std::vector<Piece> polygons;
  std::vector<Piece> lines;
};

Path BoxPath(const CoastBox& box) {
  return {{ToUnits(box.west), ToUnits(box.south)},
          {ToUnits(box.east), ToUnits(box.south)},
          {ToUnits(box.east), ToUnits(box.north)},
          {ToUnits(box.west), ToUnits(box.north)}};
}

void AppendPolygon(std::string& out, const Path& ring) {
  if (!out.empty()) out += ',';
  out += '[';
  AppendRing(out, ring);
  out += ']';
}

// The polygons of one level merged across cells and clipped to the box, as
// the coordinates of a MultiPolygon ("" when nothing is left).
std::string MergedPolygons(const std::vector<Piece>& pieces, const Path& clip) {
  if (pieces.empty()) return {};
  ClipperLib::Clipper clipper;
  for (const Piece& piece : pieces) clipper.AddPath(piece.path, ClipperLib::ptSubject, true);
  clipper.AddPath(clip, ClipperLib::ptClip, true);
  ClipperLib::PolyTree tree;
  clipper.Execute(ClipperLib::ctIntersection, tree, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
  std::string polygons;
  // Outer rings with their holes; islands inside holes are outers again.
  std::vector<const ClipperLib::PolyNode*> outers(tree.Childs.begin(), tree.Childs.end());
  while (!outers.empty()) {
    const ClipperLib::PolyNode* outer = outers.back();
    outers.pop_back();
    if (outer->Contour.size() < 3) continue;
    if (!polygons.empty()) polygons += ',';
    polygons += '[';
    AppendRing(polygons, outer->Contour);
    for (const ClipperLib::PolyNode* hole : outer->Childs) {
      if (hole->Contour.size() >= 3) {
        polygons += ',';
        AppendRing(polygons, hole->Contour);
      }
      outers.insert(outers.end(), hole->Childs.begin(), hole->Childs.end());
    }
    polygons += ']';
  }
  return polygons;
}

// The polygons of one level cell by cell: whole where the cell lies in the
// box, clipped one by one on its edge. Cell rings have no holes, so neither
// have their clipped pieces.
std::string CellPolygons(const std::vector<Piece>& pieces, const Path& clip) {
  std::string polygons;
  for (const Piece& piece : pieces) {
    if (piece.inside) {
      AppendPolygon(polygons, piece.path);
      continue;
    }
    ClipperLib::Clipper clipper;
    clipper.AddPath(piece.path, ClipperLib::ptSubject, true);
    clipper.AddPath(clip, ClipperLib::ptClip, true);
    Paths result;
    clipper.Execute(ClipperLib::ctIntersection, result, ClipperLib::pftNonZero,
                    ClipperLib::pftNonZero);
    for (const Path& ring : result) {
      if (ring.size() >= 3) AppendPolygon(polygons, ring);
    }
  }
  return polygons;
}

// The lines of one level clipped to the box, as MultiLineString coordinates;
// lines of cells wholly inside pass unclipped unless all go through Clipper.
std::string ClippedLines(const std::vector<Piece>& pieces, const Path& clip, bool clipAll) {
  std::string text;
  auto append = [&](const Path& line) {
    if (line.size() < 2) return;
    if (!text.empty()) text += ',';
    AppendLine(text, line);
  };
  ClipperLib::Clipper clipper;
  bool any = false;
  for (const Piece& piece : pieces) {
    if (piece.inside && !clipAll) {
      append(piece.path);
    } else {
      clipper.AddPath(piece.path, ClipperLib::ptSubject, false);
      any = true;
    }
  }
  if (any) {
    clipper.AddPath(clip, ClipperLib::ptClip, true);
    ClipperLib::PolyTree tree;
    clipper.Execute(ClipperLib::ctIntersection, tree, ClipperLib::pftNonZero,
                    ClipperLib::pftNonZero);
    Paths lines;
    ClipperLib::OpenPathsFromPolyTree(tree, lines);
    for (const Path& line : lines) append(line);
  }
  return text;
}

void AppendFeatureStart(std::string& out, bool& first, const char* kind, int level,
                        const char* type) {
  if (!first) out += ',';
  first = false;
  out += R"({"type":"Feature","properties":{"kind":")";
  out += kind;
  out += R"(","level":)";
  out += std::to_string(level);
  out += R"(},"geometry":{"type":")";
  out += type;
  out += R"(","coordinates":[)";
}

}  // namespace

std::optional<CoastBox> ParseCoastBbox(std::string_view text) {
  std::array<double, 4> values{};
  size_t at = 0;
  for (size_t i = 0; i < values.size(); ++i) {
    const size_t comma = i + 1 < values.size() ? text.find(',', at) : text.size();
    if (comma == std::string_view::npos) return std::nullopt;
    std::string field(text.substr(at, comma - at));
    char* end = nullptr;
    values[i] = std::strtod(field.c_str(), &end);
    if (field.empty() || end != field.c_str() + field.size() || !std::isfinite(values[i])) {
      return std::nullopt;
    }
    at = comma + 1;
  }
  CoastBox box{values[0], values[1], values[2], values[3]};
  if (box.south < -90 || box.north > 90 || !(box.south < box.north)) return std::nullopt;
  if (box.west < -540 || box.west > 540 || box.east < -540 || box.east > 540) return std::nullopt;
  if (box.west > box.east) box.east += 360;
  if (!(box.west < box.east) || box.east - box.west > 360) return std::nullopt;
  return box;
}

std::string CoastlineGeoJson(const CCoastlineFile& file, const CoastBox& box, size_t mergeLimit) {
  std::array<LevelParts, kCoastMaxLevel + 1> levels;
  const Path clip = BoxPath(box);
  const cInt boxWest = clip[0].X, boxSouth = clip[0].Y, boxEast = clip[2].X, boxNorth = clip[2].Y;
  size_t points = 0;
  // The box in whole turns of the file's [-180, 180]: each piece is queried
  // in file longitudes and its parts shifted back by the turn.
  for (int turn = -2; turn <= 2; ++turn) {
    const double shift = 360.0 * turn;
    const double west = std::max(box.west, -180.0 + shift);
    const double east = std::min(box.east, 180.0 + shift);
    if (!(west < east)) continue;
    const CoastBox piece{west - shift, box.south, east - shift, box.north};
    const cInt offset = ToUnits(shift);
    file.Visit(piece, [&](const CoastPartView& part) {
      Piece item;
      item.path.reserve(part.count);
      const double west0 = part.cellWest * kScale + static_cast<double>(offset);
      const double south0 = part.cellSouth * kScale;
      const double step = part.cellSize * kScale / kCoastUnits;
      for (uint32_t i = 0; i < part.count; ++i) {
        const CoastPoint p = part.Raw(i);
        item.path.emplace_back(static_cast<cInt>(std::llround(west0 + p.x * step)),
                               static_cast<cInt>(std::llround(south0 + p.y * step)));
      }
      const cInt cellEast = static_cast<cInt>(std::llround(west0 + kCoastUnits * step));
      const cInt cellNorth = static_cast<cInt>(std::llround(south0 + kCoastUnits * step));
      item.inside = static_cast<cInt>(std::llround(west0)) >= boxWest && cellEast <= boxEast &&
                    static_cast<cInt>(std::llround(south0)) >= boxSouth && cellNorth <= boxNorth;
      points += part.count;
      auto& target = part.kind == CoastPartKind::Polygon ? levels[part.level].polygons
                                                         : levels[part.level].lines;
      target.push_back(std::move(item));
    });
  }

  const bool merge = points <= mergeLimit;
  std::string out = R"({"type":"FeatureCollection","features":[)";
  bool first = true;
  for (int level = 1; level <= kCoastMaxLevel; ++level) {
    const std::string polygons = merge ? MergedPolygons(levels[level].polygons, clip)
                                       : CellPolygons(levels[level].polygons, clip);
    if (polygons.empty()) continue;
    AppendFeatureStart(out, first, level % 2 == 1 ? "land" : "lake", level, "MultiPolygon");
    out += polygons;
    out += "]}}";
  }
  for (int level = 1; level <= kCoastMaxLevel; ++level) {
    const std::string lines = ClippedLines(levels[level].lines, clip, merge);
    if (lines.empty()) continue;
    AppendFeatureStart(out, first, "coast", level, "MultiLineString");
    out += lines;
    out += "]}}";
  }
  out += "]}";
  return out;
}

}  // namespace tarnwick
