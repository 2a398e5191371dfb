#pragma once
// A route: an ordered list of waypoint marks with one leg object per
// consecutive pair of marks carrying the leg's planning values.

#include <memory>
#include <string>
#include <vector>

#include "navobjects/model/MarkPath.h"

namespace tarnwick {

// RouteLeg.Characteristic values: how the leg is sailed.
enum LegCharacteristic : int32_t {
  kLegRhumbLine = 1,
  kLegGreatCircle = 2,
};

class CRouteLeg final : public CSelectable {
 public:
  // Legs are embedded in their route and carry no id of their own.
  CRouteLeg() : CSelectable(Descriptor()) { SetId({}); }
  static const CClassDescriptor& Descriptor();
  // True when every property still has its table default.
  bool IsDefault() const;

  double plannedSpeed = 0;  // knots; 0 = the vessel's cruising speed
  int32_t select = 1;       // 1 = the leg takes part in the route, 0 = skipped
  int32_t characteristic = kLegRhumbLine;
  bool extension = true;
  std::string currentStation;
  Length crossTrackLimit;
};

// Route.WaypointStyle values.
enum WaypointStyle : int32_t {
  kWaypointCircle = 0,
  kWaypointSymbol = 1,
  kWaypointNone = 2,
};

class CRoute final : public CMarkPath {
 public:
  CRoute() : CMarkPath(Descriptor()) {}
  static const CClassDescriptor& Descriptor();

  // Leg i joins mark i and mark i + 1; there are max(0, marks - 1) legs.
  const std::vector<std::shared_ptr<CRouteLeg>>& Legs() const { return legs_; }
  std::vector<std::shared_ptr<CRouteLeg>>& MutableLegs() { return legs_; }
  // The shown name of the waypoint at index (0-based): its name, or its
  // 1-based place "%03d" when it has none.
  std::string WaypointDisplayName(size_t index) const;
  // Inserts mark before index (index = size appends) and keeps one leg per
  // pair: the leg that is split keeps its values on both halves. No checks.
  void InsertMarkAt(size_t index, std::shared_ptr<CMark> mark);
  // Removes the mark at index with the leg that followed it (the last mark:
  // the leg before it). No checks.
  void RemoveMarkAt(size_t index);
  // Sum of the leg distances by the sailing mode, nautical miles.
  double TotalLengthNm() const;

  bool displayLegRangeBearing = false;
  bool directionArrows = true;
  bool displayLegExtensions = false;
  bool displayCrossTrackLimit = false;
  Rgb color = kRgbBlack;
  Rgb activeColor = kRgbGreen;
  Rgb inactiveColor = kRgbGrey;
  FileTime startTime;
  std::string startAt;
  int32_t waypointStyle = kWaypointCircle;

 protected:
  void MarksChanged() override;

 private:
  std::vector<std::shared_ptr<CRouteLeg>> legs_;
};

}  // namespace tarnwick
