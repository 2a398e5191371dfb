#include "server/NavRoutes.h"

#include <nlohmann/json.hpp>

#include "core/Log.h"
#include "core/units/UnitFormat.h"
#include "core/units/UnitSystem.h"
#include "navobjects/navigation/NavController.h"
#include "recording/HttpReply.h"

namespace tarnwick {
namespace {

HttpResponse NoCache(HttpResponse response) {
  response.headers["Cache-Control"] = "no-cache";
  return response;
}

HttpResponse Done(int status = 200) {
  return NoCache(HttpResponse::Text(status, ""));
}

std::string ObjectLink(const CNavObject& object, const std::string& shownName) {
  return "<a href=\"/documents/objects/" + EscapeHtml(object.Id()) + "\">" + EscapeHtml(shownName) +
         "</a>";
}

std::string Position(const LatLon& p) {
  return EscapeHtml(FormatLatitude(p.lat) + " " + FormatLongitude(p.lon));
}

std::string Row(const char* label, const std::string& html) {
  return std::string("<tr><th>") + label + "</th><td>" + html + "</td></tr>\n";
}

std::string LegTable(const ActiveLeg& leg) {
  const int reference = UnitIndex(UnitSetting::BearingFormat);
  const LegGeometry& g = leg.geometry;
  std::string html = "<table>\n";
  html += Row("Origin", Position(leg.origin));
  html += Row("Waypoint", Position(leg.waypoint));
  html += Row("Distance from Origin to Waypoint",
              EscapeHtml(FormatDistanceShort(g.distanceOriginToWaypointNm)));
  html += Row("Bearing from Origin to Waypoint",
              EscapeHtml(FormatBearing(g.bearingOriginToWaypoint, leg.origin, reference)));
  html += Row("Distance to Waypoint", EscapeHtml(FormatDistanceShort(g.distanceToWaypointNm)));
  html += Row("Bearing to Waypoint",
              EscapeHtml(FormatBearing(g.bearingToWaypoint, leg.ownShip, reference)));
  html += Row("Cross-Track Error",
              EscapeHtml(FormatDistanceShort(g.crossTrackNm)) + " Steer: " + SteerText(g.steer));
  return html + "</table>\n";
}

}  // namespace

void CNavRoutes::Mount(CHttpServer& server, CNavController& navigation, NavObjectLookup lookup) {
  auto status = [&navigation](const HttpRequest&) { return StatusPage(navigation); };
  auto activate = [&navigation, lookup = std::move(lookup)](const HttpRequest& request) {
    return Activate(navigation, lookup, request);
  };
  auto resetXte = [&navigation](const HttpRequest&) {
    navigation.ResetCrossTrack();
    return Done();
  };
  auto next = [&navigation](const HttpRequest&) {
    navigation.NextWaypoint();
    return Done();
  };
  auto previous = [&navigation](const HttpRequest&) {
    navigation.PreviousWaypoint();
    return Done();
  };
  auto stop = [&navigation](const HttpRequest&) {
    navigation.Stop();
    return Done();
  };
  server.Get("/nav/?", status, HandlerThread::Ui);
  // The commands change the active route: POST only, from the program's own page.
  server.Post("/nav/activate", activate, HandlerThread::Ui);
  server.Post("/nav/reset_xte", resetXte, HandlerThread::Ui);
  server.Post("/nav/next_wp", next, HandlerThread::Ui);
  server.Post("/nav/prev_wp", previous, HandlerThread::Ui);
  server.Post("/nav/stop", stop, HandlerThread::Ui);
}

HttpResponse CNavRoutes::Activate(CNavController& navigation, const NavObjectLookup& lookup,
                                  const HttpRequest& request) {
  std::optional<std::string> id;
  for (const char* key : {"objid", "id"}) {
    if (!id && request.HasParam(key)) id = request.Param(key);
  }
  const nlohmann::json body = nlohmann::json::parse(request.body, nullptr, false);
  for (const char* key : {"objid", "id"}) {
    if (id || !body.is_object() || !body.contains(key)) continue;
    if (!body[key].is_string()) return Done(400);
    id = body[key].get<std::string>();
  }
  if (!id) {
    navigation.Stop();
    return Done();
  }
  std::shared_ptr<CNavObject> object = lookup ? lookup(*id) : nullptr;
  if (!object) {
    Log("/nav/activate: no object %s\n", id->substr(0, 100).c_str());
    return Done(404);
  }
  if (navigation.Activate(object) != ActivateResult::Activated) {
    Log("/nav/activate: %s %s cannot be navigated\n", object->ClassName(), id->c_str());
    return Done(500);
  }
  return Done();
}

HttpResponse CNavRoutes::StatusPage(const CNavController& navigation) {
  std::string html =
      "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Navigation</title></head>"
      "<body>\n";
  const auto& route = navigation.ActiveRoute();
  const auto& mark = navigation.ActiveWaypoint();
  if (!mark) {
    html += "<p>No active route</p>\n";
  } else {
    const std::optional<ActiveLeg> leg = navigation.Leg();
    if (route) html += "<p>Route: " + ObjectLink(*route, route->DisplayName()) + "</p>\n";
    html += "<p>Mark: " + ObjectLink(*mark, navigation.WaypointName()) + "</p>\n";
    if (leg) html += LegTable(*leg);
  }
  html += "</body></html>\n";
  HttpResponse response{200, "text/html; charset=utf-8", std::move(html), {}};
  return NoCache(std::move(response));
}

}  // namespace tarnwick
