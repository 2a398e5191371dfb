#pragma once
// A point object: a mark on the chart or a waypoint of a route.

#include <string>

#include "navobjects/model/NavObject.h"

namespace tarnwick {

// Where a mark's name or description is drawn relative to its symbol.
enum LabelPosition : int32_t {
  kLabelRight = 0,
  kLabelLeft = 1,
  kLabelAbove = 2,
  kLabelBelow = 3,
  kLabelCentre = 4,
};

// BoundaryCircleOffLimits values.
enum BoundaryCircleKind : int32_t {
  kBoundaryCircleNone = 0,       // range circles only
  kBoundaryCircleAnnounce = 1,   // entering and leaving are announced
  kBoundaryCircleOffLimits = 2,  // announced as an off-limits area
};

class CMark final : public CNavObject {
 public:
  CMark() : CNavObject(Descriptor()) {}
  static const CClassDescriptor& Descriptor();

  // Effective radii when the stored Length is unset (tables hold 0).
  double ArrivalRadiusNm() const;      // 0.1 NM when unset; set to 0: no circle
  double RangeCircleRadiusNm() const;  // 0.25 NM by default
  bool IsBoundaryCircle() const { return boundaryCircleOffLimits != kBoundaryCircleNone; }

  Rgb color = kRgbBlue;
  std::string comments;
  std::string photo;
  std::string link;
  LatLon position;
  std::string icon;
  Length arrivalCircleRadius;
  bool showName = true;
  int32_t namePosition = kLabelRight;
  bool showDescription = false;
  int32_t descriptionPosition = kLabelBelow;
  Rgb rangeCircleColor = kRgbBlue;
  int32_t rangeCircleDisplayCount = 0;
  double rangeCirclePenWidth = 1;
  Length rangeCircleRadius;
  bool rangeCircleFill = false;
  int32_t boundaryCircleOffLimits = kBoundaryCircleNone;
  double layoverTime = 0;  // seconds
  ScreenOffset nameOffset;
  ScreenOffset descriptionOffset;
  bool existsOutsideCollection = false;
  Length turnRadius;
  std::string nmeaAlarm;
};

}  // namespace tarnwick
