#include "charts/library/ChartFeatureQuery.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "charts/s57/S57Catalogue.h"
#include "core/geo/Mercator.h"

namespace tarnwick {
namespace {

constexpr double kPi = 3.14159265358979323846;

double SegmentDistance(MercatorPoint p, MercatorPoint a, MercatorPoint b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double length2 = dx * dx + dy * dy;
  double t = length2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

bool AreaHolds(const S57FeatureView& feature, MercatorPoint p) {
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

// Whether the feature lies at p (tolerance in chart metres); the nearest
// sounding's depth when it is a sounding group.
bool Picks(const S57FeatureView& feature, MercatorPoint p, double tolerance,
           std::optional<double>& sounding) {
  if (feature.Prim() == kPrimArea) return AreaHolds(feature, p);
  double nearest = HUGE_VAL;
  for (S57PartView part : feature.Parts()) {
    const uint32_t n = part.Count();
    if (feature.Prim() == kPrimPoint || n == 1) {
      for (uint32_t i = 0; i < n; ++i) {
        const MercatorPoint q = part.Point(i);
        const double d = std::hypot(q.x - p.x, q.y - p.y);
        if (d < nearest) {
          nearest = d;
          if (part.HasDepths()) sounding = part.Depth(i);
        }
      }
      continue;
    }
    for (uint32_t i = 1; i < n; ++i)
      nearest = std::min(nearest, SegmentDistance(p, part.Point(i - 1), part.Point(i)));
  }
  return nearest <= tolerance;
}

int Order(const PickedFeature& f) {
  return f.meta ? 4 : f.prim;
}

}  // namespace

std::string AttributeMeaning(uint16_t attl, std::string_view value) {
  const auto type = AttributeType(attl);
  if (!type || (*type != S57AttributeType::Enumerated && *type != S57AttributeType::List))
    return "";
  std::string meaning;
  size_t at = 0;
  while (at <= value.size()) {
    const size_t end = std::min(value.find(',', at), value.size());
    const std::string_view item = value.substr(at, end - at);
    int number = 0;
    const auto [ptr, ec] = std::from_chars(item.data(), item.data() + item.size(), number);
    if (ec == std::errc() && ptr == item.data() + item.size()) {
      if (const auto text = AttributeValueMeaning(attl, number)) {
        if (!meaning.empty()) meaning += ", ";
        meaning += *text;
      }
    }
    at = end + 1;
  }
  return meaning;
}

std::vector<PickedChart> FeaturesAt(const CChartLibrary& library, const LatLon& position,
                                    double scaleDenominator, double toleranceMetres) {
  std::vector<PickedChart> out;
  const MercatorPoint p = MercatorForward(position.lat, position.lon);
  // Ground metres are Mercator metres times cos(latitude).
  const double tolerance = toleranceMetres / std::cos(position.lat * kPi / 180.0);
  const MercatorBox box{p.x - tolerance, p.y - tolerance, p.x + tolerance, p.y + tolerance};
  auto charts = library.ChartsForView(box, scaleDenominator);
  // Topmost first: the chart the navigator sees there.
  std::reverse(charts.begin(), charts.end());
  for (const ViewChart& chart : charts) {
    if (!chart.vector) continue;
    const MercatorPoint local{p.x - chart.xOffset, p.y};
    PickedChart picked;
    if (auto record = library.Chart(chart.id)) picked.chart = std::move(*record);
    const ProjectedBox query{local.y + tolerance, local.x - tolerance, local.y - tolerance,
                             local.x + tolerance};
    chart.vector->Query(query, [&](const S57FeatureView& feature) {
      std::optional<double> sounding;
      if (!Picks(feature, local, tolerance, sounding)) return;
      PickedFeature f;
      f.index = feature.Index();
      f.prim = feature.Prim();
      f.sounding = sounding;
      if (const S57ObjectClass* c = S57Catalogue().ObjectClass(feature.Objl())) {
        f.acronym = c->acronym;
        f.className = c->name;
        f.meta = c->kind == 'M';
      } else {
        f.acronym = std::to_string(feature.Objl());
      }
      for (uint32_t i = 0; i < feature.AttributeCount(); ++i) {
        const uint16_t attl = feature.AttributeCode(i);
        PickedAttribute a;
        const S57Attribute* known = S57Catalogue().Attribute(attl);
        a.acronym = known ? known->acronym : std::to_string(attl);
        a.name = known ? known->name : "";
        a.value = std::string(feature.AttributeValue(i));
        a.meaning = AttributeMeaning(attl, a.value);
        f.attributes.push_back(std::move(a));
      }
      picked.features.push_back(std::move(f));
    });
    std::stable_sort(
        picked.features.begin(), picked.features.end(),
        [](const PickedFeature& a, const PickedFeature& b) { return Order(a) < Order(b); });
    if (!picked.features.empty()) out.push_back(std::move(picked));
  }
  return out;
}

}  // namespace tarnwick
