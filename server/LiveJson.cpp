#include "server/LiveJson.h"

#include <cctype>
#include <cmath>
#include <cstdio>

#include "core/geo/Geodesy.h"
#include "core/settings/RouteMonitorSettings.h"
#include "core/units/UnitFormat.h"
#include "instruments/ais/AisTexts.h"
#include "navobjects/model/Mark.h"
#include "server/ValueText.h"

namespace tarnwick {
namespace {

using nlohmann::json;

std::string PositionText(const LatLon& p) {
  return FormatLatitude(p.lat) + " " + FormatLongitude(p.lon);
}

json LatLonJson(const LatLon& p) {
  return {{"lat", p.lat}, {"lon", p.lon}};
}

template <typename Format>
void PutValue(json& out, const char* name, const std::optional<OwnShipValue>& value,
              Format format) {
  if (value) out[name] = ValueJson(*value, format(value->value));
}

std::string BearingText(double trueDegrees, const std::optional<LatLon>& where) {
  if (where) return FormatBearing(trueDegrees, *where);
  return FormatAngle(trueDegrees) + "T";
}

json SensorsJson(const SensorMenu& menu) {
  json list = json::array();
  std::string selected = menu.deadReckoning ? "dr" : menu.autoSelect ? "auto" : "";
  for (size_t i = 0; i < menu.positions.size(); ++i) {
    const PositionSensorEntry& entry = menu.positions[i];
    const std::string id = std::to_string(i);
    list.push_back({{"id", id}, {"label", entry.label}, {"selected", entry.selected}});
    if (entry.selected && selected.empty()) selected = id;
  }
  list.push_back(
      {{"id", "dr"}, {"label", kDeadReckoningMenuText}, {"selected", menu.deadReckoning}});
  return {{"pos", std::move(list)}, {"autoSelect", menu.autoSelect}, {"selected", selected}};
}

const char* TargetClass(const CAisTarget& t) {
  switch (t.kind) {
    case AisTargetKind::BaseStation:
      return "BaseStation";
    case AisTargetKind::AidToNavigation:
      return "AtoN";
    case AisTargetKind::SarAircraft:
      return "SAR";
    case AisTargetKind::Vessel:
      break;
  }
  return t.transponderClass == 'B' ? "B" : "A";
}

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '@')) text.pop_back();
  return text;
}

}  // namespace

std::string JsonText(const json& value) {
  return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

json ValueJson(const OwnShipValue& value, std::string text) {
  return {{"v", value.value}, {"text", std::move(text)}, {"age", value.ageMs}};
}

json OwnShipJson(const OwnShipSnapshot& s, const SensorMenu& sensors) {
  json fix = {{"quality", s.fix.quality},
              {"text", s.fix.text},
              {"source", s.fix.source},
              {"age", s.fix.ageMs},
              {"deadReckoning", s.fix.deadReckoning},
              {"simulated", s.fix.simulated}};
  if (s.fix.position) {
    fix["lat"] = s.fix.position->lat;
    fix["lon"] = s.fix.position->lon;
    fix["position"] = PositionText(*s.fix.position);
  }
  if (s.fix.hdop) fix["hdop"] = *s.fix.hdop;
  if (s.fix.localDatum) fix["localDatum"] = *s.fix.localDatum;

  json out = {{"seq", s.sequence}, {"utcMs", s.utcMs}, {"fix", std::move(fix)}};
  const std::optional<LatLon>& where = s.fix.position;
  PutValue(out, "cog", s.cog, [&](double v) { return BearingText(v, where); });
  PutValue(out, "sog", s.sog, [](double v) { return FormatBoatSpeed(v); });
  PutValue(out, "headingTrue", s.headingTrue, [](double v) { return FormatAngle(v) + "T"; });
  PutValue(out, "headingMagnetic", s.headingMagnetic,
           [](double v) { return FormatAngle(v) + "M"; });
  PutValue(out, "stw", s.stw, [](double v) { return FormatBoatSpeed(v); });
  PutValue(out, "depth", s.depth, [](double v) { return FormatDepth(v); });
  PutValue(out, "rot", s.rot, [](double v) { return FormatRateOfTurn(v); });
  PutValue(out, "waterTemperature", s.waterTemperature,
           [](double v) { return FormatTemperature(v); });
  json wind = json::object();
  PutValue(wind, "apparentSpeed", s.wind.apparentSpeed,
           [](double v) { return FormatWindSpeed(v); });
  PutValue(wind, "apparentAngle", s.wind.apparentAngle,
           [](double v) { return FormatRelativeAngle(v); });
  PutValue(wind, "trueSpeed", s.wind.trueSpeed, [](double v) { return FormatWindSpeed(v); });
  PutValue(wind, "trueDirection", s.wind.trueDirection,
           [](double v) { return FormatRelativeAngle(v); });
  out["wind"] = std::move(wind);
  out["sensors"] = SensorsJson(sensors);
  return out;
}

const char* AisStateText(AisTargetState state) {
  switch (state) {
    case AisTargetState::Normal:
      return "Normal";
    case AisTargetState::NoLongerDangerous:
      return "No longer dangerous";
    case AisTargetState::Dangerous:
      return "Dangerous";
    case AisTargetState::DangerousWarned:
      return "Dangerous (acknowledged)";
    case AisTargetState::Lost:
      return "Lost";
    case AisTargetState::LostHidden:
      return "Lost (hidden)";
  }
  return "";
}

json AisTargetLiveJson(const CAisTarget& t) {
  json out = {{"mmsi", t.mmsi}, {"class", TargetClass(t)}};
  const std::string name = Trimmed(t.name);
  if (!name.empty()) out["name"] = name;
  const std::string callsign = Trimmed(t.callsign);
  if (!callsign.empty()) out["callsign"] = callsign;
  if (t.HasPosition()) {
    const LatLon shown = t.predicted.value_or(LatLon{t.lat, t.lon});
    out["lat"] = shown.lat;
    out["lon"] = shown.lon;
  }
  if (t.cogDegrees >= 0) out["cog"] = t.cogDegrees;
  if (t.sogKnots >= 0) out["sog"] = t.sogKnots;
  if (t.heading != kAisHeadingNotAvailable) out["heading"] = t.heading;
  if (t.range) {
    out["rangeNm"] = *t.range;
    out["range"] = FormatDistanceShort(*t.range);
  }
  if (t.bearing) {
    out["bearing"] = *t.bearing;
    out["bearingText"] = t.HasPosition() ? FormatBearing(*t.bearing, LatLon{t.lat, t.lon})
                                         : FormatAngle(*t.bearing) + "T";
  }
  if (t.cpa && t.tcpa) {
    out["cpaNm"] = *t.cpa;
    out["tcpaMin"] = *t.tcpa / 60.0;
    out["cpa"] = FormatDistanceShort(*t.cpa);
    out["tcpa"] = *t.tcpa < 0 ? "passed" : FormatDuration(*t.tcpa);
    if (t.ownAtCpa) out["ownCpaPosition"] = LatLonJson(*t.ownAtCpa);
    if (t.HasPosition() && t.sogKnots >= 0 && t.cogDegrees >= 0 && *t.tcpa >= 0) {
      const LatLon from = t.predicted.value_or(LatLon{t.lat, t.lon});
      out["cpaPosition"] =
          LatLonJson(DestinationPoint(from, t.sogKnots * *t.tcpa / 3600.0, t.cogDegrees));
    }
  }
  out["state"] = static_cast<int>(t.state);
  out["stateText"] = AisStateText(t.state);
  out["dangerous"] = t.IsDangerous();
  out["lost"] = t.IsLost();
  out["active"] = t.activated;
  out["reportMs"] = t.tick;
  if (t.kind == AisTargetKind::Vessel) {
    if (t.shipType) out["shipType"] = ShipTypeText(t.shipType);
    if (const char* status = NavStatusText(t.navStatus); status && *status)
      out["navStatus"] = status;
  }
  return out;
}

json AisTargetDetailJson(const CAisTarget& t, const std::vector<AisText>& texts) {
  json out = AisTargetLiveJson(t);
  if (t.received.utcMs > 0) out["reportUtcMs"] = t.received.utcMs;
  if (t.HasPosition()) {
    out["reportedPosition"] = LatLonJson({t.lat, t.lon});
    out["position"] = PositionText({t.lat, t.lon});
  }
  out["feature"] = t.FeatureName();
  out["displayName"] = t.DisplayName();
  out["navStatusCode"] = t.navStatus;
  out["accuracy"] = t.accuracy;
  out["raim"] = t.raim;
  if (t.rot != kAisRotNotAvailable) out["rotRaw"] = t.rot;
  if (t.imo) out["imo"] = t.imo;
  out["shipTypeCode"] = t.shipType;
  out["dimensions"] = {{"toBow", t.toBow},
                       {"toStern", t.toStern},
                       {"toPort", t.toPort},
                       {"toStarboard", t.toStarboard},
                       {"length", t.toBow + t.toStern},
                       {"beam", t.toPort + t.toStarboard}};
  out["epfd"] = t.epfd;
  if (t.draught) out["draughtM"] = t.draught / 10.0;
  const std::string destination = Trimmed(t.destination);
  if (!destination.empty()) out["destination"] = destination;
  if (t.etaMonth >= 1 && t.etaMonth <= 12 && t.etaDay >= 1 && t.etaDay <= 31 && t.etaHour < 24 &&
      t.etaMinute < 60) {
    char text[64];
    snprintf(text, sizeof text, "%02d-%02d %02d:%02d UTC", t.etaMonth, t.etaDay, t.etaHour,
             t.etaMinute);
    out["voyageEta"] = text;
  }
  if (!t.vendor.empty()) out["vendor"] = Trimmed(t.vendor);
  out["aisVersion"] = t.aisVersion;
  out["lastMessageType"] = t.lastMessageType;
  out["hidden"] = t.hidden;
  out["inMonitoredArea"] = t.inMonitoredArea;
  json list = json::array();
  for (const AisText& text : texts) list.push_back({{"utcMs", text.utcMs}, {"text", text.text}});
  out["texts"] = std::move(list);
  return out;
}

json RouteJson(const CNavController& navigation, int64_t nowUtcMs) {
  const std::shared_ptr<CMark>& mark = navigation.ActiveWaypoint();
  if (!mark) return nullptr;
  const std::shared_ptr<CRoute>& route = navigation.ActiveRoute();
  const std::optional<ActiveLeg> leg = navigation.Leg();
  json out;
  out["routeId"] = route ? route->Id() : "";
  out["routeName"] = route ? route->DisplayName() : "";
  const int index = leg ? leg->waypointIndex : -1;
  out["waypoint"] = {{"id", mark->Id()},
                     {"name", navigation.WaypointName()},
                     {"lat", mark->position.lat},
                     {"lon", mark->position.lon},
                     {"index", index}};
  out["arrivalRadiusNm"] = leg ? leg->arrivalRadiusNm : mark->ArrivalRadiusNm();
  json legs = json::array();
  if (route)
    for (const auto& m : route->Marks()) legs.push_back(LatLonJson(m->position));
  out["legs"] = std::move(legs);
  out["canPrevious"] = route && index > 0;
  out["canNext"] = true;
  out["steer"] = "";
  if (!leg) return out;

  const LegGeometry& g = leg->geometry;
  out["origin"] = LatLonJson(leg->origin);
  // The leg values hold while the last update had a position.
  const OwnShipValue dtw{g.distanceToWaypointNm, 0};
  json dtwJson = ValueJson(dtw, FormatDistanceShort(g.distanceToWaypointNm));
  json btwJson =
      ValueJson({g.bearingToWaypoint, 0}, FormatBearing(g.bearingToWaypoint, leg->ownShip));
  json xteJson = ValueJson({g.signedCrossTrackNm, 0}, FormatDistanceShort(g.crossTrackNm));
  if (!leg->positionCurrent) {
    for (json* value : {&dtwJson, &btwJson, &xteJson}) (*value)["stale"] = true;
  }
  out["dtw"] = std::move(dtwJson);
  out["btw"] = std::move(btwJson);
  out["xte"] = std::move(xteJson);
  out["steer"] = g.crossTrackNm == 0 ? "" : g.steer < 0 ? "L" : "R";
  out["ttg"] = "";
  out["eta"] = "";
  if (leg->closingKnots && *leg->closingKnots > 0.05) {
    const double seconds = g.distanceToWaypointNm / *leg->closingKnots * 3600.0;
    if (opt::RouteMonitor_ShowActiveTTG.GetBool()) out["ttg"] = FormatDuration(seconds);
    if (opt::RouteMonitor_ShowActiveETA.GetBool())
      out["eta"] = FormatLocalClockTime(nowUtcMs + static_cast<int64_t>(seconds * 1000));
  }
  return out;
}

json NoteJson(const Notification& note) {
  const char* kind = "info";
  switch (note.kind) {
    case NotificationKind::Warning:
      kind = "warning";
      break;
    case NotificationKind::Error:
      kind = "error";
      break;
    case NotificationKind::MessageBar:
      kind = "warning";
      break;
    case NotificationKind::Message:
    case NotificationKind::Spoken:
      break;
  }
  json out = {{"id", note.id},
              {"kind", kind},
              {"text", note.text},
              {"spoken", note.kind == NotificationKind::Spoken},
              {"utcMs", note.utcMs}};
  if (note.kind == NotificationKind::MessageBar) out["bar"] = true;
  return out;
}

std::string ColorModeName(std::string_view text) {
  std::string lower;
  for (char c : text) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower.find("night") != std::string::npos) return "night";
  if (lower.find("dusk") != std::string::npos) return "dusk";
  return "day";
}

}  // namespace tarnwick
