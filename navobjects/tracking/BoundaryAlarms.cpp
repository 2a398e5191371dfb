#include "navobjects/tracking/BoundaryAlarms.h"

#include <cmath>
#include <cstdio>

#include "core/Notifications.h"
#include "core/geo/Geodesy.h"
#include "core/settings/AlertsSettings.h"
#include "navobjects/model/Shapes.h"

namespace tarnwick {
namespace {

struct Vec {
  double x, y;
};

// Local plane around origin: x east in degrees scaled by cos(latitude), y north.
Vec Project(const LatLon& p, const LatLon& origin) {
  double dLon = p.lon - origin.lon;
  if (dLon > 180) dLon -= 360;
  if (dLon < -180) dLon += 360;
  return Vec{dLon * std::cos(origin.lat * kDegToRad), p.lat - origin.lat};
}

double Cross(const Vec& o, const Vec& a, const Vec& b) {
  return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

void Raise(std::vector<std::string>& raised, std::string text) {
  Notifications().Post(NotificationKind::Warning, text);
  Notifications().Speak(text);
  raised.push_back(std::move(text));
}

std::string SpeedText(const char* format, double knots) {
  char text[96];
  snprintf(text, sizeof text, format, knots);
  return text;
}

}  // namespace

bool SegmentsIntersect(const LatLon& a1, const LatLon& a2, const LatLon& b1, const LatLon& b2) {
  const Vec p1 = Project(a1, a1), p2 = Project(a2, a1), q1 = Project(b1, a1), q2 = Project(b2, a1);
  const double d1 = Cross(q1, q2, p1), d2 = Cross(q1, q2, p2);
  const double d3 = Cross(p1, p2, q1), d4 = Cross(p1, p2, q2);
  // Proper crossings only: touching a line is not crossing it.
  return ((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0));
}

bool PointInPolygon(const LatLon& point, const std::vector<LatLon>& polygon) {
  if (polygon.size() < 3) return false;
  // Projected around the first corner, so an area across the 180th meridian
  // stays in one piece wherever the point is.
  const LatLon& origin = polygon.front();
  const Vec p = Project(point, origin);
  bool inside = false;
  for (size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
    const Vec a = Project(polygon[i], origin), b = Project(polygon[j], origin);
    if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x)
      inside = !inside;
  }
  return inside;
}

std::vector<std::string> CBoundaryAlarms::Update(
    const OwnShipInput& ship, const std::vector<std::shared_ptr<CNavObject>>& objects) {
  std::vector<std::string> raised;
  if (!ship.fixValid || !ship.position) return raised;
  const LatLon here = *ship.position;

  for (const auto& object : objects) {
    const auto* boundary = dynamic_cast<const CBoundary*>(object.get());
    if (!boundary || !boundary->enableAlarm || boundary->Marks().size() < 2) continue;
    std::vector<LatLon> outline;
    for (const auto& mark : boundary->Marks()) outline.push_back(mark->position);
    const size_t edges = boundary->IsArea() ? outline.size() : outline.size() - 1;
    if (previous_ && *previous_ != here && opt::Alerts_BoundaryCrossing.GetBool()) {
      for (size_t i = 0; i < edges; ++i) {
        if (SegmentsIntersect(*previous_, here, outline[i], outline[(i + 1) % outline.size()])) {
          Raise(raised, kCrossedBoundaryText);
          break;
        }
      }
    }
    SpeedState& state = speed_[boundary->Id()];
    const bool inside = boundary->IsArea() && PointInPolygon(here, outline);
    const double sog = ship.sogKnots.value_or(0);
    const bool tooHigh =
        inside && ship.sogKnots && boundary->maxSpeedLimit > 0 && sog > boundary->maxSpeedLimit;
    const bool tooLow =
        inside && ship.sogKnots && boundary->minSpeedLimit > 0 && sog < boundary->minSpeedLimit;
    if (tooHigh && !state.tooHigh) Raise(raised, SpeedText(kSpeedTooHighFormat, sog));
    if (tooLow && !state.tooLow) Raise(raised, SpeedText(kSpeedTooLowFormat, sog));
    state.tooHigh = tooHigh;
    state.tooLow = tooLow;
  }
  previous_ = here;
  return raised;
}

}  // namespace tarnwick
