#pragma once
// The active route and the active waypoint: activation, the values of the
// active leg on each own-ship update, the off-course alarm, arrival and
// passing of waypoints with waypoint advance, next and previous waypoint, and
// the boundary circles of other marks. Runs on the user-interface thread
// (the "UpdateNavObjects" stage and the HTTP handlers posted there).

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/geo/LatLon.h"
#include "navobjects/model/Route.h"
#include "navobjects/navigation/LegGeometry.h"
#include "navobjects/navigation/NavAnnouncer.h"
#include "navobjects/tracking/OwnShipInput.h"

namespace tarnwick {

inline constexpr const char* kBackOnCourseText = "Back on course!";
inline constexpr const char* kEndOfRouteText = "You have arrived at the end of the route.";
inline constexpr const char* kEndOfRouteMessageBar =
    "#Arrived at end of route[[app://stop_navigation|Stop Navigation]]";

// The values of the active leg, as the status page and the autopilot output
// read them.
struct ActiveLeg {
  std::string routeId;  // empty when navigating to a single mark
  std::string routeName;
  std::string waypointId;
  std::string waypointName;  // the name, or its place in the route "%03d"
  std::string originName;    // the previous waypoint of the route, else ""
  int waypointIndex = -1;    // place in the route (0-based), -1 for a single mark
  LatLon origin;             // degrees
  LatLon waypoint;           // degrees
  LatLon ownShip;            // the last own-ship position, degrees
  LegGeometry geometry;
  double arrivalRadiusNm = 0;
  bool insideArrivalCircle = false;
  bool passed = false;                 // the passing line was crossed on this leg (sticks)
  bool positionCurrent = false;        // the last update had a position
  std::optional<double> closingKnots;  // speed made good towards the waypoint
};

enum class ActivateResult {
  Activated,
  NotNavigable,  // not a route or a mark, or a route without marks
};

class CNavController {
 public:
  explicit CNavController(std::shared_ptr<INavAnnouncer> announcer);
  CNavController(const CNavController&) = delete;
  CNavController& operator=(const CNavController&) = delete;

  // The marks whose boundary circles are watched (all marks of the open
  // documents); unset: none.
  using MarkSource = std::function<std::vector<std::shared_ptr<CMark>>()>;
  void SetMarkSource(MarkSource source) { markSource_ = std::move(source); }

  // A route starts navigation at its first mark; a mark is navigated to
  // directly. The origin is the last own-ship position (or the next one).
  ActivateResult Activate(const std::shared_ptr<CNavObject>& object);
  // Stops navigation when object is the active route or the active waypoint;
  // false otherwise.
  bool Deactivate(const CNavObject& object);
  // Back to idle: no route, no waypoint, no leg values.
  void Stop();
  // Makes the last own-ship position the origin of the leg; false when there
  // is no leg or no position.
  bool ResetCrossTrack();
  // The next waypoint of the route (or the end of it); without a route the
  // mark is deactivated.
  void NextWaypoint();
  // The previous waypoint; on the first one only the beep sounds.
  void PreviousWaypoint();

  // One own-ship update: leg values, off-course alarm, arrival and passing,
  // boundary circles. A position counts only with fixValid. Times come from
  // TickCount().
  void Update(const OwnShipInput& ownShip);

  bool IsNavigating() const { return waypoint_ != nullptr; }
  const std::shared_ptr<CRoute>& ActiveRoute() const { return route_; }
  const std::shared_ptr<CMark>& ActiveWaypoint() const { return waypoint_; }
  // The leg values; none while idle or before the first own-ship position.
  std::optional<ActiveLeg> Leg() const;
  // Changes whenever the active waypoint changes (activation, advance, stop).
  uint64_t WaypointSerial() const { return waypointSerial_; }
  // The leg of the route waypoint last arrived at or passed, as it was at that
  // moment (arrival flags set); its serial changes with every such advance.
  const std::optional<ActiveLeg>& ArrivedLeg() const { return arrivedLeg_; }
  uint64_t ArrivalSerial() const { return arrivalSerial_; }
  bool OffCourse() const { return offCourse_; }
  // The active waypoint's name, or its place in the route "%03d"; "" while idle.
  std::string WaypointName() const;
  const std::optional<LatLon>& LastPosition() const { return lastPosition_; }

 private:
  void ActivateWaypoint(std::shared_ptr<CMark> mark);
  void Recompute();
  void CheckOffCourse(const LegGeometry& geometry);
  void CheckArrival(const LatLon& previous, const LatLon& current);
  void AdvanceAfterArrival();
  void CheckBoundaryCircles(const LatLon& current);
  int WaypointIndex() const;
  double CrossTrackLimitNm() const;

  std::shared_ptr<INavAnnouncer> announcer_;
  MarkSource markSource_;
  std::shared_ptr<CRoute> route_;
  std::shared_ptr<CMark> waypoint_;
  std::optional<LatLon> origin_;
  std::optional<LatLon> lastPosition_;
  std::optional<double> cogDeg_, sogKnots_;
  bool positionCurrent_ = false;
  std::optional<LegGeometry> geometry_;
  bool insideArrivalCircle_ = false;
  bool passed_ = false;
  std::unordered_map<std::string, bool> insideBoundary_;  // mark id -> inside its circle
  bool offCourse_ = false;
  std::optional<uint64_t> lastOffCourseTick_;
  uint64_t waypointSerial_ = 0;
  std::optional<ActiveLeg> arrivedLeg_;
  uint64_t arrivalSerial_ = 0;
};

}  // namespace tarnwick
