#pragma once
// What the charts say at a point (the navigator's pick): the features of the
// vector charts drawn there whose geometry lies within a tolerance of it
// (points and lines) or holds it (areas), with their attributes as S-57
// acronyms and what they mean by the object catalogue. Points first, then
// lines, then areas; meta objects (M_COVR, M_QUAL...) last.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "charts/library/ChartLibrary.h"
#include "core/geo/LatLon.h"

namespace tarnwick {

struct PickedAttribute {
  std::string acronym;  // "COLOUR"
  std::string name;     // "Colour" ("" when the catalogue does not know it)
  std::string value;    // as the cell gives it ("3,4")
  std::string meaning;  // "red, green" for listed values; "" otherwise
};

struct PickedFeature {
  uint32_t index = 0;     // in its cell
  std::string acronym;    // "BOYLAT"
  std::string className;  // "Buoy, lateral"
  uint8_t prim = 0;       // 1 point, 2 line, 3 area
  bool meta = false;
  std::optional<double> sounding;  // a sounding group's depth nearest the point, metres
  std::vector<PickedAttribute> attributes;
};

struct PickedChart {
  ChartRecord chart;
  std::vector<PickedFeature> features;
};

// The features at position (degrees) on the charts drawn at display scale
// 1:scaleDenominator; toleranceMetres: how far (on the ground) a point or
// line may lie. Any thread.
std::vector<PickedChart> FeaturesAt(const CChartLibrary& library, const LatLon& position,
                                    double scaleDenominator, double toleranceMetres);

// The meaning of an attribute value by the catalogue: the listed meaning of
// an enumerated value, the meanings of a list's values joined by ", ", else "".
std::string AttributeMeaning(uint16_t attl, std::string_view value);

}  // namespace tarnwick
