#include "server/TideRoutes.h"

#include <cmath>
#include <ctime>

#include <nlohmann/json.hpp>

#include "charts/coastline/CoastlineGeoJson.h"
#include "environment/tides/TideTexts.h"

namespace tarnwick {
namespace {

using json = nlohmann::ordered_json;

// Curve samples of the day's graph.
constexpr int64_t kCurveStep = 600;

HttpResponse Error(int status, const std::string& text) {
  return HttpResponse::Json(status, json{{"error", text}}.dump());
}

std::optional<TideStationKind> KindParam(const HttpRequest& request, bool& bad) {
  const std::string kind = request.Param("kind");
  bad = false;
  if (kind.empty()) return std::nullopt;
  if (kind == "tide") return TideStationKind::Tide;
  if (kind == "current") return TideStationKind::Current;
  bad = true;
  return std::nullopt;
}

std::optional<double> NumberParam(const HttpRequest& request, const char* name, double limit) {
  const std::string text = request.Param(name);
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(value) || std::fabs(value) > limit) {
    return std::nullopt;
  }
  return value;
}

json InstrumentsJson(const TideInstrumentValues& v, TideStationKind kind) {
  json out = json::object();
  if (v.level) {
    out[kind == TideStationKind::Tide ? "tideLevel" : "currentSpeed"] = std::round(*v.level * 100) / 100;
    out["levelText"] = v.levelText;
  }
  if (!v.trend.empty()) out["tideTrend"] = v.trend;
  if (!v.nextEventDescription.empty()) out["tideNextEventDescription"] = v.nextEventDescription;
  if (!v.currentDescription.empty()) out["currentDescription"] = v.currentDescription;
  if (v.nextSlackTime) {
    out["nextSlackTime"] = *v.nextSlackTime * 1000;
    out["nextSlackText"] = LocalClockText(*v.nextSlackTime);
  }
  return out;
}

json SummaryJson(const TideStationSummary& s) {
  return {{"url", s.url}, {"id", s.id}, {"name", s.name}, {"lat", s.lat}, {"lon", s.lon},
          {"kind", TideStationKindName(s.kind)}, {"reference", s.reference}};
}

// The local day named by "YYYY-MM-DD", or the one holding now.
std::optional<int64_t> DayStart(const std::string& text, int64_t now) {
  if (text.empty()) return LocalDayStart(now);
  int y = 0, m = 0, d = 0;
  char rest = 0;
  if (text.size() != 10 || std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &rest) != 3 ||
      y < 1700 || y > 2200 || m < 1 || m > 12 || d < 1 || d > 31) {
    return std::nullopt;
  }
  std::tm tm{};
  tm.tm_year = y - 1900;
  tm.tm_mon = m - 1;
  tm.tm_mday = d;
  tm.tm_hour = 12;
  tm.tm_isdst = -1;
  return LocalDayStart(static_cast<int64_t>(mktime(&tm)));
}

}  // namespace

CTideRoutes::CTideRoutes(CTideLibrary& library, std::function<int64_t()> now)
    : library_(library), now_(std::move(now)) {}

void CTideRoutes::Mount(CHttpServer& server, std::shared_ptr<CTideRoutes> routes) {
  server.Get("/api/tides/stations", [routes](const HttpRequest& r) { return routes->Stations(r); },
             HandlerThread::Worker);
  server.Get("/api/tides/station", [routes](const HttpRequest& r) { return routes->Station(r); },
             HandlerThread::Worker);
  server.Get("/api/tides/nearest", [routes](const HttpRequest& r) { return routes->Nearest(r); },
             HandlerThread::Worker);
}

HttpResponse CTideRoutes::Stations(const HttpRequest& request) {
  const auto box = ParseCoastBbox(request.Param("bbox"));
  if (!box) return Error(400, "bbox must be minLon,minLat,maxLon,maxLat in degrees");
  bool badKind = false;
  TideStationQuery query;
  query.kind = KindParam(request, badKind);
  if (badKind) return Error(400, "kind must be tide or current");
  size_t limit = kMaxStations;
  if (request.HasParam("limit")) {
    const auto n = NumberParam(request, "limit", 1e6);
    if (!n || *n < 1) return Error(400, "limit must be a positive number");
    limit = std::min(limit, static_cast<size_t>(*n));
  }
  const int64_t now = now_();
  json stations = json::array();
  bool truncated = false;
  for (const TideStationMatch& m : library_.Find(query)) {
    const TideStationSummary& s = m.summary;
    double lon = s.lon;
    while (lon < box->west) lon += 360;
    if (s.lat < box->south || s.lat > box->north || lon > box->east) continue;
    if (stations.size() >= limit) {
      truncated = true;
      break;
    }
    json entry = SummaryJson(s);
    std::string error;
    library_.WithStation(s.url, [&](ITideStation& station) {
      const auto value = station.Value(now);
      entry["units"] = UnitAbbreviation(station.Units());
      if (value && *value != kUnknownSpeed) entry["value"] = std::round(*value * 100) / 100;
      entry["label"] = ChartLabel(s.name, value, s.kind, station.Units(), station.FloodDirection(),
                                  station.EbbDirection());
    }, error);
    stations.push_back(std::move(entry));
  }
  return HttpResponse::Json(200, json{{"stations", stations}, {"truncated", truncated}}.dump());
}

HttpResponse CTideRoutes::Station(const HttpRequest& request) {
  const std::string url = request.Param("url");
  if (!ParseStationUrl(url)) return Error(400, "url must be a station URL (tide://... or current://...)");
  const int64_t now = now_();
  const auto dayStart = DayStart(request.Param("day"), now);
  if (!dayStart) return Error(400, "day must be YYYY-MM-DD");
  const int64_t dayEnd = NextLocalDayStart(*dayStart);
  json out;
  std::string error;
  const bool found = library_.WithStation(url, [&](ITideStation& station) {
    const TideStationSummary& s = station.Summary();
    out = SummaryJson(s);
    out["units"] = station.Units();
    out["unitText"] = UnitAbbreviation(station.Units());
    json keys = json::array();
    for (const auto& [key, value] : station.PageKeys()) keys.push_back({key, value});
    out["keys"] = keys;
    out["dayStart"] = *dayStart * 1000;
    out["dayEnd"] = dayEnd * 1000;
    out["now"] = now * 1000;
    const std::vector<TideEvent> events = station.Events(*dayStart, dayEnd - 1);
    bool hasMaximum = false;
    for (const TideEvent& e : events) hasMaximum |= e.type == kTideHigh || e.type == kTideLow;
    json list = json::array();
    for (const TideEvent& e : events) {
      json entry = {{"type", e.type}, {"time", e.time * 1000}, {"clock", LocalClockText(e.time)},
                    {"label", EventLabel(e, s.kind, hasMaximum)}};
      if (e.value != kUnknownSpeed) entry["value"] = std::round(e.value * 100) / 100;
      list.push_back(std::move(entry));
    }
    out["events"] = list;
    out["table"] = EventTableHtml(events, s.kind, station.Units(), *dayStart);
    out["canGraph"] = station.CanGraph();
    if (station.CanGraph()) {
      json curve = json::array();
      for (int64_t t = *dayStart; t <= dayEnd; t += kCurveStep) {
        const auto v = station.Value(t);
        curve.push_back({t * 1000, v && *v != kUnknownSpeed ? json(std::round(*v * 1000) / 1000) : json()});
      }
      out["curve"] = curve;
    }
    if (const auto range = station.Range()) {
      out["range"] = {{"upper", range->upper}, {"lower", range->lower}, {"mid", range->mid},
                      {"halfRange", range->halfRange}};
    }
    out["instruments"] = InstrumentsJson(InstrumentValues(station, now), s.kind);
    out["labels"] = GraphLabels();
  }, error);
  if (!found) return Error(404, error);
  return HttpResponse::Json(200, out.dump());
}

HttpResponse CTideRoutes::Nearest(const HttpRequest& request) {
  const auto lat = NumberParam(request, "lat", 90);
  const auto lon = NumberParam(request, "lon", 180);
  if (!lat || !lon) return Error(400, "lat and lon must be degrees");
  bool badKind = false;
  TideStationQuery query;
  query.kind = KindParam(request, badKind);
  if (badKind || !query.kind) return Error(400, "kind must be tide or current");
  query.nearLat = lat;
  query.nearLon = lon;
  query.limit = 1;
  query.radiusNm = kNearestRadiusNm;
  const auto found = library_.Find(query);
  if (found.empty()) {
    const char* page = *query.kind == TideStationKind::Tide ? kNoTideStationPage : kNoCurrentStationPage;
    return HttpResponse::Json(200, json{{"page", page}}.dump());
  }
  json out = SummaryJson(found[0].summary);
  out["distanceNm"] = std::round(*found[0].distanceNm * 10) / 10;
  std::string error;
  library_.WithStation(found[0].summary.url, [&](ITideStation& station) {
    out["instruments"] = InstrumentsJson(InstrumentValues(station, now_()), found[0].summary.kind);
  }, error);
  return HttpResponse::Json(200, out.dump());
}

}  // namespace tarnwick
