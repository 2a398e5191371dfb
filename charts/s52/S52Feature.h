#pragma once
// What the portrayal needs to know of a chart feature, whatever holds it (the
// compiled cell of a chart, or a test's crafted feature): its class acronym,
// primitive, attribute values by acronym as text, and its geometry in
// projected metres (Mercator, x east, y north). A feature source answers for
// the features around a geometry, which some procedures need (the depth areas
// a danger lies in, the lights sharing a position).

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>

namespace tarnwick {

enum class S52Primitive : int { None = 0, Point = 1, Line = 2, Area = 3 };

struct S52Point {
  double x = 0;  // projected metres east
  double y = 0;  // projected metres north
};

// One geometry part: a point, a line, or a ring of an area (first point equal
// to the last). Soundings carry one depth per point.
struct S52Part {
  std::span<const S52Point> points;
  std::span<const double> depths;  // metres, positive down; empty when none
  int quapos = 0;                  // quality of position (S-57 QUAPOS), 0 when not given
  bool interior = false;           // an inner ring of an area
};

struct S52Box {
  double west = 0, south = 0, east = 0, north = 0;  // projected metres
  bool Intersects(const S52Box& o) const {
    return west <= o.east && o.west <= east && south <= o.north && o.south <= north;
  }
};

class IS52Feature {
 public:
  virtual ~IS52Feature() = default;
  // The S-57 object class acronym as the catalogue spells it ("DEPARE", and
  // the inland classes in lower case, "bcnlat").
  virtual std::string_view Acronym() const = 0;
  virtual S52Primitive Primitive() const = 0;
  // The attribute's value as text (list values comma-separated, "1,3"), or
  // none when the feature does not carry it. An empty text is a value given
  // as empty (it counts as unknown).
  virtual std::optional<std::string_view> Attribute(std::string_view acronym) const = 0;
  virtual size_t PartCount() const = 0;
  virtual S52Part Part(size_t index) const = 0;
  virtual S52Box Box() const = 0;
  // A number identifying the feature within its source for as long as the
  // source lives (the portrayal cache key).
  virtual uint64_t Key() const = 0;
};

class IS52FeatureSource {
 public:
  virtual ~IS52FeatureSource() = default;
  // Calls visit for every feature of one of the classes whose box meets box;
  // the feature itself may be among them. Order is unspecified.
  virtual void ForEachAround(const S52Box& box, std::span<const std::string_view> classes,
                             const std::function<void(const IS52Feature&)>& visit) const = 0;
  // True for an Inland ENC cell (inland look-up tables).
  virtual bool Inland() const = 0;
};

}  // namespace tarnwick
