#pragma once
// A compiled S-57 feature: the form in which a cell's features are written into
// the SENC and in which the portrayal and the chart view see them (class code,
// primitive, attributes as text, geometry parts in projected metres, box).

#include <cfloat>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// A box in projected metres (or degrees before projection). The empty box is
// north -DBL_MAX, west +DBL_MAX, south +DBL_MAX, east -DBL_MAX.
struct ProjectedBox {
  double north = -DBL_MAX;
  double west = DBL_MAX;
  double south = DBL_MAX;
  double east = -DBL_MAX;

  bool Empty() const { return north < south || east < west; }
  void Add(double x, double y) {
    if (y > north) north = y;
    if (y < south) south = y;
    if (x < west) west = x;
    if (x > east) east = x;
  }
  void Add(const ProjectedBox& other) {
    if (other.Empty()) return;
    Add(other.west, other.south);
    Add(other.east, other.north);
  }
  // True when the boxes share a point (touching edges count).
  bool Meets(const ProjectedBox& other) const {
    return !Empty() && !other.Empty() && west <= other.east && other.west <= east &&
           south <= other.north && other.south <= north;
  }
  friend bool operator==(const ProjectedBox&, const ProjectedBox&) = default;
};

// Primitive of a feature (PRIM).
enum : uint8_t { kPrimPoint = 1, kPrimLine = 2, kPrimArea = 3 };

// The class code as kept in 10 bits: OBJL 18000 and above less 17360, 17000 to
// 17999 less 16488, others unchanged.
constexpr uint16_t CompactClassCode(uint32_t objl) {
  uint32_t code = objl;
  if (objl >= 18000) {
    code = objl - 17360;
  } else if (objl >= 17000) {
    code = objl - 16488;
  }
  return static_cast<uint16_t>(code & 0x3FF);
}

// The OBJL a compacted class code stands for (the inverse of CompactClassCode
// for every code of the S-57 and Inland ENC catalogues).
constexpr uint16_t ExpandClassCode(uint16_t code) {
  if (code >= 640) return static_cast<uint16_t>(code + 17360);
  if (code >= 512) return static_cast<uint16_t>(code + 16488);
  return code;
}

inline constexpr uint16_t kClassSoundg = 129;  // SOUNDG
inline constexpr uint16_t kAttrScamin = 133;   // SCAMIN
inline constexpr uint16_t kAttrQuapos = 402;   // QUAPOS

// One geometry part: a point, a sounding group (with depths), or a chained
// line or ring. x, y are longitude and latitude in degrees while the cell is
// compiled and projected metres once the feature is projected.
struct S57GeometryPart {
  uint8_t quapos = 0;     // quality of position, 0 when absent (4 bits kept)
  bool interior = false;  // an inner ring of an area (the edge's USAG was 2)
  bool hasDepths = false;
  std::vector<double> xy;      // x0, y0, x1, y1, ...
  std::vector<double> depths;  // metres, one per point when hasDepths

  size_t Count() const { return xy.size() / 2; }
};

struct S57Feature {
  uint32_t index = 0;  // position among the cell's feature records, from 0
  // Identity in the cell (not written into the SENC).
  uint32_t rcid = 0;
  uint16_t agen = 0;
  uint32_t fidn = 0;
  uint16_t fids = 0;
  uint16_t objl = 0;       // as in the cell
  uint16_t classCode = 0;  // CompactClassCode(objl)
  uint8_t prim = 0;
  int32_t scamin = 0;      // attribute 133, 0 when absent
  // One entry per attribute: its code and the byte offset of its value in
  // attributeText, where values are NUL-terminated, in field order.
  std::vector<std::pair<uint16_t, uint16_t>> attributes;
  std::string attributeText;
  std::vector<S57GeometryPart> parts;
  ProjectedBox box;

  // The value of attribute i (without its NUL).
  std::string_view AttributeValue(size_t i) const {
    return std::string_view(attributeText.c_str() + attributes[i].second);
  }
};

}  // namespace tarnwick
