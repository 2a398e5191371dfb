#include "navobjects/navigation/NavController.h"

#include <cmath>

#include "core/Clock.h"
#include "core/Log.h"
#include "core/geo/Geodesy.h"
#include "core/settings/AlertsSettings.h"
#include "core/units/Length.h"
#include "core/units/UnitFormat.h"
#include "navobjects/model/PropertyText.h"

namespace tarnwick {
namespace {

constexpr double kDefaultCrossTrackLimitNm = 0.25;
constexpr double kDefaultAlertIntervalSeconds = 30;
constexpr const char* kUnnamedBoundaryCircle = "Boundary Circle";

// A distance setting in nautical miles, or fallback when it does not parse.
double SettingNm(const CSetting& setting, double fallback) {
  const Length length = ParseLength(setting.Text());
  return length.IsValid() ? length.NauticalMiles() : fallback;
}

}  // namespace

CNavController::CNavController(std::shared_ptr<INavAnnouncer> announcer)
    : announcer_(std::move(announcer)) {}

ActivateResult CNavController::Activate(const std::shared_ptr<CNavObject>& object) {
  if (auto route = std::dynamic_pointer_cast<CRoute>(object)) {
    if (route->Marks().empty()) return ActivateResult::NotNavigable;
    route_ = std::move(route);
    ActivateWaypoint(route_->Marks().front());
  } else if (auto mark = std::dynamic_pointer_cast<CMark>(object)) {
    route_.reset();
    ActivateWaypoint(std::move(mark));
  } else {
    return ActivateResult::NotNavigable;
  }
  Log("CNavController::Activate %s %s\n", object->ClassName(), object->Id().c_str());
  Recompute();
  return ActivateResult::Activated;
}

bool CNavController::Deactivate(const CNavObject& object) {
  if (route_.get() != &object && waypoint_.get() != &object) return false;
  Stop();
  return true;
}

void CNavController::Stop() {
  if (waypoint_ || route_) ++waypointSerial_;
  route_.reset();
  waypoint_.reset();
  origin_.reset();
  geometry_.reset();
  insideArrivalCircle_ = false;
  passed_ = false;
  offCourse_ = false;
  lastOffCourseTick_.reset();
}

bool CNavController::ResetCrossTrack() {
  if (!waypoint_ || !lastPosition_) return false;
  origin_ = lastPosition_;
  Recompute();
  return true;
}

void CNavController::NextWaypoint() {
  if (!route_) {
    Stop();
    return;
  }
  const int index = WaypointIndex();
  if (index < 0) {
    Stop();
    return;
  }
  if (static_cast<size_t>(index) + 1 >= route_->Marks().size()) {
    Stop();
    if (opt::Alerts_CourseUpdateAtWaypoints.GetBool()) announcer_->Speak(kEndOfRouteText);
    return;
  }
  ActivateWaypoint(route_->Marks()[index + 1]);
  Recompute();
}

void CNavController::PreviousWaypoint() {
  const int index = WaypointIndex();
  if (index <= 0) {
    announcer_->Sound(NavSound::Beep);
    return;
  }
  ActivateWaypoint(route_->Marks()[index - 1]);
  Recompute();
}

void CNavController::Update(const OwnShipInput& ownShip) {
  cogDeg_ = ownShip.cogDegrees;
  sogKnots_ = ownShip.sogKnots;
  positionCurrent_ = ownShip.position.has_value() && ownShip.fixValid;
  if (!positionCurrent_) return;
  const LatLon current = *ownShip.position;
  const std::optional<LatLon> previous = lastPosition_;
  lastPosition_ = current;
  if (waypoint_ && !origin_) origin_ = current;
  Recompute();
  if (geometry_) CheckOffCourse(*geometry_);
  // An unchanged position tests nothing.
  if (previous && *previous == current) return;
  if (waypoint_) CheckArrival(previous.value_or(current), current);
  CheckBoundaryCircles(current);
}

std::optional<ActiveLeg> CNavController::Leg() const {
  if (!waypoint_ || !origin_ || !geometry_) return std::nullopt;
  ActiveLeg leg;
  leg.waypointIndex = WaypointIndex();
  if (route_) {
    leg.routeId = route_->Id();
    leg.routeName = route_->DisplayName();
    if (leg.waypointIndex > 0) leg.originName = route_->WaypointDisplayName(leg.waypointIndex - 1);
  }
  leg.waypointId = waypoint_->Id();
  leg.waypointName = WaypointName();
  leg.origin = *origin_;
  leg.waypoint = waypoint_->position;
  leg.ownShip = *lastPosition_;
  leg.geometry = *geometry_;
  leg.arrivalRadiusNm = waypoint_->ArrivalRadiusNm();
  leg.insideArrivalCircle = insideArrivalCircle_;
  leg.passed = passed_;
  leg.positionCurrent = positionCurrent_;
  if (cogDeg_ && sogKnots_) {
    leg.closingKnots = *sogKnots_ * std::cos((*cogDeg_ - geometry_->bearingToWaypoint) * kDegToRad);
  }
  return leg;
}

void CNavController::ActivateWaypoint(std::shared_ptr<CMark> mark) {
  waypoint_ = std::move(mark);
  origin_ = lastPosition_;
  geometry_.reset();
  insideArrivalCircle_ = false;
  passed_ = false;
  offCourse_ = false;
  lastOffCourseTick_.reset();
  ++waypointSerial_;
}

void CNavController::Recompute() {
  if (!waypoint_ || !origin_ || !lastPosition_) {
    geometry_.reset();
    return;
  }
  geometry_ = ComputeLegGeometry(*origin_, waypoint_->position, *lastPosition_);
}

double CNavController::CrossTrackLimitNm() const {
  // A leg planned with its own limit (a narrow channel, open water) overrides
  // the program-wide one.
  const int index = WaypointIndex();
  if (route_ && index > 0 && static_cast<size_t>(index) <= route_->Legs().size()) {
    const Length& limit = route_->Legs()[index - 1]->crossTrackLimit;
    if (limit.IsValid() && limit.value > 0) return limit.NauticalMiles();
  }
  return SettingNm(opt::Alerts_XTEOverValue, kDefaultCrossTrackLimitNm);
}

void CNavController::CheckOffCourse(const LegGeometry& geometry) {
  if (!opt::Alerts_XTEOver.GetBool()) {
    offCourse_ = false;
    return;
  }
  if (geometry.crossTrackNm <= CrossTrackLimitNm()) {
    if (offCourse_) announcer_->Speak(kBackOnCourseText);
    offCourse_ = false;
    return;
  }
  const double seconds = ParseDurationText(opt::Alerts_TimeBetweenAlerts.Text())
                             .value_or(kDefaultAlertIntervalSeconds);
  const uint64_t intervalMs = static_cast<uint64_t>(std::max(0.0, seconds) * 1000.0);
  const uint64_t now = TickCount();
  if (lastOffCourseTick_ && now - *lastOffCourseTick_ <= intervalMs) return;
  announcer_->Speak("Alert. " + FormatDistanceShort(geometry.crossTrackNm) + " off course! Steer " +
                    SteerText(geometry.steer) + ".");
  offCourse_ = true;
  lastOffCourseTick_ = now;
}

void CNavController::CheckArrival(const LatLon& previous, const LatLon& current) {
  const LatLon w = waypoint_->position;
  const double radius = waypoint_->ArrivalRadiusNm();
  std::optional<LatLon> next;
  const int index = WaypointIndex();
  if (index >= 0 && static_cast<size_t>(index) + 1 < route_->Marks().size())
    next = route_->Marks()[index + 1]->position;
  const PassingResult result =
      TestWaypointPassing(previous, current, origin_.value_or(previous), w, next, radius);
  bool arrived = false;
  bool passedNow = false;
  if (result == PassingResult::Inside || (previous == current && Distance(current, w) < radius)) {
    arrived = !insideArrivalCircle_;
    insideArrivalCircle_ = true;
  } else {
    insideArrivalCircle_ = false;
    passedNow = result == PassingResult::Passed && !passed_;
    // Once passed, the waypoint stays passed for the rest of the leg.
    passed_ = passed_ || passedNow;
  }
  if (!arrived && !passedNow) return;
  const std::string name = WaypointName();
  Log("CNavController: %s waypoint %s\n", arrived ? "arrived at" : "passed", name.c_str());
  if (opt::Alerts_CourseUpdateAtWaypoints.GetBool())
    announcer_->Speak(std::string(arrived ? "Arrived at" : "Passed ") + " waypoint " + name + ".");
  AdvanceAfterArrival();
}

void CNavController::AdvanceAfterArrival() {
  if (!route_) return;  // a single mark stays active until the navigator stops
  // The leg left behind, with its arrival flags, for the autopilot output.
  arrivedLeg_ = Leg();
  ++arrivalSerial_;
  const int index = WaypointIndex();
  if (index < 0) {
    Stop();
    return;
  }
  if (static_cast<size_t>(index) + 1 >= route_->Marks().size()) {
    Stop();
    announcer_->ShowMessageBar(kEndOfRouteMessageBar);
    if (opt::Alerts_CourseUpdateAtWaypoints.GetBool()) announcer_->Speak(kEndOfRouteText);
    return;
  }
  ActivateWaypoint(route_->Marks()[index + 1]);
  Recompute();
}

void CNavController::CheckBoundaryCircles(const LatLon& current) {
  if (!markSource_) return;
  for (const auto& mark : markSource_()) {
    if (!mark || mark == waypoint_ || !mark->IsBoundaryCircle() || mark->hidden) continue;
    const bool inside = Distance(current, mark->position) < mark->RangeCircleRadiusNm();
    auto [entry, first] = insideBoundary_.try_emplace(mark->Id(), inside);
    if (first || entry->second == inside) continue;
    entry->second = inside;
    const std::string name = mark->name == kUnnamedBoundaryCircle ? "" : mark->name;
    announcer_->Sound(NavSound::Alarm);
    if (opt::Alerts_BoundaryCrossing.GetBool())
      announcer_->Speak((inside ? "Entering boundary circle " : "Leaving boundary circle ") + name);
  }
}

int CNavController::WaypointIndex() const {
  if (!route_ || !waypoint_) return -1;
  const auto& marks = route_->Marks();
  for (size_t i = marks.size(); i > 0; --i)
    if (marks[i - 1] == waypoint_) return static_cast<int>(i - 1);
  return -1;
}

std::string CNavController::WaypointName() const {
  if (!waypoint_) return {};
  const int index = WaypointIndex();
  return index >= 0 ? route_->WaypointDisplayName(index) : waypoint_->DisplayName();
}

}  // namespace tarnwick
