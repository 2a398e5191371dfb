#include "charts/lookahead/ObstacleLookAhead.h"

#include <algorithm>
#include <cmath>

#include "core/geo/Mercator.h"

namespace tarnwick {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMetresPerNm = 1852.0;
constexpr uint16_t kAttlObjnam = 116;
constexpr uint16_t kAttlDrval1 = 87;
constexpr uint16_t kObjlLndare = 71;

struct Vec {
  double x, y;
};

Vec Sub(MercatorPoint a, MercatorPoint b) {
  return {a.x - b.x, a.y - b.y};
}
double Cross(Vec a, Vec b) {
  return a.x * b.y - a.y * b.x;
}

// The sweep in one chart's coordinates, with the ship's point and the course
// direction there for measuring along it.
struct Sweep {
  ChartRegion region;
  MercatorBox box;
  MercatorPoint origin;
  Vec direction;  // unit vector of the course
};

MercatorBox BoxOfRegion(const ChartRegion& region) {
  MercatorBox box{HUGE_VAL, HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
  for (const ChartRing& ring : region)
    for (const MercatorPoint& p : ring) {
      box.west = std::min(box.west, p.x);
      box.east = std::max(box.east, p.x);
      box.south = std::min(box.south, p.y);
      box.north = std::max(box.north, p.y);
    }
  return box;
}

// Where the sweep meets a feature: how far along the course, and the point.
struct Hit {
  double along = 0;
  MercatorPoint at;
};

void Offer(std::optional<Hit>& best, double along, MercatorPoint at) {
  if (!best || along < best->along) best = Hit{along, at};
}

double Along(const Sweep& sweep, MercatorPoint p) {
  const Vec d = Sub(p, sweep.origin);
  return std::max(0.0, d.x * sweep.direction.x + d.y * sweep.direction.y);
}

bool InBox(const MercatorBox& box, MercatorPoint p) {
  return p.x >= box.west && p.x <= box.east && p.y >= box.south && p.y <= box.north;
}

// The nearest point along the course where the segment a-b meets the sweep.
void SegmentHit(const Sweep& sweep, MercatorPoint a, MercatorPoint b, std::optional<Hit>& best) {
  if (std::max(a.x, b.x) < sweep.box.west || std::min(a.x, b.x) > sweep.box.east ||
      std::max(a.y, b.y) < sweep.box.south || std::min(a.y, b.y) > sweep.box.north)
    return;
  auto offer = [&](MercatorPoint p) { Offer(best, Along(sweep, p), p); };
  if (RegionContains(sweep.region, a)) offer(a);
  if (RegionContains(sweep.region, b)) offer(b);
  const Vec r = Sub(b, a);
  for (const ChartRing& ring : sweep.region) {
    for (size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
      const Vec s = Sub(ring[i], ring[j]);
      const double denominator = Cross(r, s);
      if (denominator == 0) continue;
      const Vec q = Sub(ring[j], a);
      const double t = Cross(q, s) / denominator;
      const double u = Cross(q, r) / denominator;
      if (t >= 0 && t <= 1 && u >= 0 && u <= 1) offer({a.x + t * r.x, a.y + t * r.y});
    }
  }
}

bool FeatureAreaContains(const S57FeatureView& feature, MercatorPoint p) {
  bool inside = false;
  for (S57PartView part : feature.Parts()) {
    const uint32_t n = part.Count();
    for (uint32_t i = 0, j = n - 1; n > 0 && i < n; j = i++) {
      const MercatorPoint a = part.Point(i), b = part.Point(j);
      if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x)
        inside = !inside;
    }
  }
  return inside;
}

// How far along the course the sweep first meets the feature; none when it does not.
std::optional<Hit> FeatureHit(const S57FeatureView& feature, const Sweep& sweep) {
  std::optional<Hit> best;
  const uint8_t prim = feature.Prim();
  for (S57PartView part : feature.Parts()) {
    const uint32_t n = part.Count();
    if (n == 0) continue;
    if (prim == kPrimPoint || n == 1) {
      const MercatorPoint p = part.Point(0);
      if (InBox(sweep.box, p) && RegionContains(sweep.region, p)) Offer(best, Along(sweep, p), p);
      continue;
    }
    for (uint32_t i = 1; i < n; ++i) SegmentHit(sweep, part.Point(i - 1), part.Point(i), best);
  }
  // An area holding (part of) the sweep without an edge inside it.
  if (prim == kPrimArea) {
    for (const ChartRing& ring : sweep.region)
      for (const MercatorPoint& corner : ring)
        if (FeatureAreaContains(feature, corner)) Offer(best, Along(sweep, corner), corner);
  }
  return best;
}

// The shallowest DRVAL1 of the depth areas of chart holding p; 0 on land
// when land counts.
std::optional<double> DepthAt(const CS57Chart& chart, MercatorPoint p, bool landIsZero) {
  std::optional<double> depth;
  const ProjectedBox box{p.y, p.x, p.y, p.x};
  chart.Query(box, [&](const S57FeatureView& feature) {
    if (feature.Prim() != kPrimArea) return;
    const uint16_t objl = feature.Objl();
    const bool land = landIsZero && objl == kObjlLndare;
    if (!land && !IsDepthArea(objl)) return;
    if (!FeatureAreaContains(feature, p)) return;
    const auto value = land ? std::optional<double>(0.0) : NumberAttribute(feature, kAttlDrval1);
    if (value && (!depth || *value < *depth)) depth = value;
  });
  return depth;
}

MercatorPoint CentreOf(const S57FeatureView& feature) {
  for (S57PartView part : feature.Parts())
    if (part.Count() > 0) return part.Point(0);
  return {};
}

}  // namespace

LookAheadResult LookAhead(const CChartLibrary& library, const LookAheadInput& input) {
  LookAheadResult result;
  if (!(input.sogKnots >= kLookAheadMinKnots) || !std::isfinite(input.cogDeg) ||
      !(input.lookAheadSeconds > 0) || !(input.widthMetres > 0) ||
      std::fabs(input.position.lat) > 85)
    return result;
  const double metresPerSecond = input.sogKnots * kMetresPerNm / 3600.0;
  const double length = metresPerSecond * input.lookAheadSeconds;
  // Chart Mercator stretches ground metres by 1 / cos(latitude) here.
  const double stretch = 1.0 / std::cos(input.position.lat * kPi / 180.0);
  const double course = input.cogDeg * kPi / 180.0;
  const Vec dir{std::sin(course), std::cos(course)};
  const Vec side{dir.y, -dir.x};
  const MercatorPoint p0 = MercatorForward(input.position.lat, input.position.lon);
  const double half = input.widthMetres / 2 * stretch, ahead = length * stretch;
  const ChartRing ring{
      {p0.x - side.x * half, p0.y - side.y * half},
      {p0.x + side.x * half, p0.y + side.y * half},
      {p0.x + side.x * half + dir.x * ahead, p0.y + side.y * half + dir.y * ahead},
      {p0.x - side.x * half + dir.x * ahead, p0.y - side.y * half + dir.y * ahead}};
  const ChartRegion sweepRegion{ring};
  result.swept = true;
  for (const MercatorPoint& corner : ring)
    if (const auto p = MercatorInverse(corner.x, corner.y)) result.sweep.push_back(*p);

  // Every chart under the sweep, at the largest scale there.
  std::optional<double> bestAlong;
  for (const ViewChart& chart : library.ChartsForView(BoxOfRegion(sweepRegion), 1.0)) {
    if (!chart.vector) continue;
    ChartRegion part = IntersectRegions(chart.visible, sweepRegion);
    if (part.empty()) continue;
    ++result.chartsTested;
    Sweep sweep{ShiftRegion(part, -chart.xOffset), {}, {p0.x - chart.xOffset, p0.y}, dir};
    sweep.box = BoxOfRegion(sweep.region);
    const CS57Chart& cell = *chart.vector;
    const ProjectedBox query{sweep.box.north, sweep.box.west, sweep.box.south, sweep.box.east};
    cell.Query(query, [&](const S57FeatureView& feature) {
      const uint16_t objl = feature.Objl();
      if (!MayBeDanger(objl)) return;
      // Safe depth areas, the most common features, are passed over before any geometry.
      if (IsDepthArea(objl) && !ClassifyDanger(feature, input.safetyDepthMetres, nullptr)) return;
      const auto hit = FeatureHit(feature, sweep);
      if (!hit || (bestAlong && hit->along >= *bestAlong)) return;
      const auto danger = ClassifyDanger(feature, input.safetyDepthMetres,
                                         [&] { return DepthAt(cell, CentreOf(feature), false); });
      if (!danger) return;
      bestAlong = hit->along;
      LookAheadDanger found;
      found.kind = danger->kind;
      found.depth = danger->depth;
      found.depthCharted = danger->charted;
      found.chart = cell.CellName();
      found.feature = feature.Index();
      found.objl = objl;
      if (const auto name = feature.Attribute(kAttlObjnam)) found.objectName = std::string(*name);
      found.position =
          MercatorInverse(hit->at.x + chart.xOffset, hit->at.y).value_or(input.position);
      found.distanceMetres = hit->along / stretch;
      found.seconds = found.distanceMetres / metresPerSecond;
      result.danger = std::move(found);
    });
  }
  return result;
}

std::optional<double> ChartedDepthAt(const CChartLibrary& library, const LatLon& position) {
  const MercatorPoint p = MercatorForward(position.lat, position.lon);
  const auto chart = library.ChartAt(p, 1.0);
  if (!chart || !chart->vector) return std::nullopt;
  return DepthAt(*chart->vector, {p.x - chart->xOffset, p.y}, true);
}

}  // namespace tarnwick
