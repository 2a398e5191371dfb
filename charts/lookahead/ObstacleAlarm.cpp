#include "charts/lookahead/ObstacleAlarm.h"

#include <cmath>
#include <cstdio>

#include "charts/s57/S57Catalogue.h"
#include "core/JsonWriter.h"
#include "core/units/Duration.h"

namespace tarnwick {
namespace {

constexpr uint16_t kObjlDrgare = 46, kObjlUwtroc = 153;

const char* KindName(DangerKind kind) {
  switch (kind) {
    case DangerKind::kShallowWater:
      return "shallow";
    case DangerKind::kLand:
      return "land";
    case DangerKind::kObstruction:
      return "obstruction";
  }
  return "shallow";
}

std::string ClassName(const LookAheadDanger& danger) {
  if (danger.kind == DangerKind::kShallowWater)
    return danger.objl == kObjlDrgare ? "Dredged area" : "Shallow water";
  if (danger.objl == kObjlUwtroc) return "Rock";  // the catalogue's name is long to say
  if (const S57ObjectClass* c = S57Catalogue().ObjectClass(danger.objl)) return c->name;
  return "Danger";
}

}  // namespace

std::string DangerName(const LookAheadDanger& danger,
                       const std::function<std::string(double metres)>& depthText) {
  std::string name = ClassName(danger);
  if (!danger.objectName.empty()) name += " \"" + danger.objectName + "\"";
  if (danger.depth && danger.depthCharted && depthText)
    name += " (" + depthText(*danger.depth) + ")";
  return name;
}

std::string ObstacleAheadText(const std::string& name, double seconds) {
  const int rounded = static_cast<int>(std::lround(std::max(0.0, seconds) / 5.0)) * 5;
  const std::string when = FormatDurationText(rounded);
  std::string text = kObstacleAheadText;
  text.replace(text.find("%s"), 2, name);
  text.replace(text.find("%s"), 2, when);
  return text;
}

CObstacleAlarm::CObstacleAlarm(Sink sink, std::function<std::string(double)> depthText)
    : sink_(std::move(sink)), depthText_(std::move(depthText)) {}

bool CObstacleAlarm::Update(const LookAheadResult& result, const ObstacleAlarmSettings& settings,
                            uint64_t now) {
  const bool wasActive = active_.has_value();
  const std::optional<Identity> before = active_;
  std::string text;
  if (settings.enabled && result.danger) {
    const LookAheadDanger& d = *result.danger;
    const Identity identity{d.chart, d.feature};
    text = ObstacleAheadText(DangerName(d, depthText_), d.seconds);
    if (active_ != identity) {
      active_ = identity;
      lastSaid_ = now;
      sink_(text, true, settings.voice);
    } else if (now - lastSaid_ >= settings.repeatMs) {
      lastSaid_ = now;
      sink_(text, false, settings.voice);
    }
  } else {
    active_.reset();
  }
  text_ = text;

  json_.clear();
  CJsonWriter json(json_);
  json.BeginObject().Member("enabled", settings.enabled).Member("active", active_.has_value());
  if (active_) json.Member("text", text_);
  if (settings.enabled && result.swept) {
    json.Key("sweep").BeginArray();
    for (const LatLon& p : result.sweep) json.BeginArray().Double(p.lon).Double(p.lat).EndArray();
    json.EndArray();
  }
  if (active_) {
    const LookAheadDanger& d = *result.danger;
    json.Key("danger")
        .BeginObject()
        .Member("name", DangerName(d, depthText_))
        .Member("kind", KindName(d.kind))
        .Member("class", ObjectClassAcronym(d.objl))
        .Member("chart", d.chart)
        .Member("lat", d.position.lat)
        .Member("lon", d.position.lon)
        .Member("distanceM", d.distanceMetres)
        .Member("seconds", d.seconds);
    if (d.depth) json.Member("depthM", *d.depth);
    json.EndObject();
  }
  json.EndObject();
  return wasActive != active_.has_value() || before != active_;
}

}  // namespace tarnwick
