#pragma once
// Objects drawn through marks besides routes (boundaries, channels,
// range-and-bearing lines) and free text annotations.

#include <optional>
#include <string>

#include "navobjects/model/MarkPath.h"

namespace tarnwick {

// An area (three or more marks, closed) or a line (two marks) that can watch
// own ship for crossings and speed limits.
class CBoundary final : public CMarkPath {
 public:
  CBoundary() : CMarkPath(Descriptor()) {}
  static const CClassDescriptor& Descriptor();
  // Three or more marks close into an area.
  bool IsArea() const { return Marks().size() >= 3; }

  bool displayLegRangeBearing = false;
  Rgb color = kRgbRed;
  bool fillArea = false;
  bool enableAlarm = true;
  double minSpeedLimit = 0;  // knots; applied only above 0
  double maxSpeedLimit = 0;  // knots; applied only above 0
};

class CChannel final : public CMarkPath {
 public:
  CChannel() : CMarkPath(Descriptor()) {}
  static const CClassDescriptor& Descriptor();

  bool displayLegRangeBearing = false;
  Rgb color = kRgbBlue;
};

// RangeBearing.RefPoint values: which end the bearing is measured from.
enum RangeBearingReference : int32_t {
  kMeasureFromFirst = 0,
  kMeasureFromSecond = 1,
};

// A measuring line between a pair of marks.
class CRangeBearing final : public CMarkPath {
 public:
  CRangeBearing() : CMarkPath(Descriptor()) {}
  static const CClassDescriptor& Descriptor();

  // Nautical miles between the two marks; none without two marks.
  std::optional<double> RangeNm() const;
  // Degrees true from the reference end to the other; none without two marks.
  std::optional<double> BearingDegrees() const;

  bool displayLegRangeBearing = true;
  bool fixedRangeBearing = false;
  Rgb color = kRgbMagenta;
  int32_t refPoint = kMeasureFromFirst;
};

// A text placed on the chart; the text is the object's description.
class CAnnotation final : public CNavObject {
 public:
  CAnnotation() : CNavObject(Descriptor()) {}
  static const CClassDescriptor& Descriptor();

  LatLon position;
  Rgb color = kRgbBlack;
};

}  // namespace tarnwick
