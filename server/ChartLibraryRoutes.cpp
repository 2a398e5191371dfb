#include "server/ChartLibraryRoutes.h"

#include <cmath>
#include <cstdlib>

#include <nlohmann/json.hpp>

#include "charts/library/ChartFeatureQuery.h"
#include "charts/library/ChartJson.h"
#include "charts/library/ChartProperties.h"
#include "charts/s52/S52MarinerSettings.h"
#include "core/JsonWriter.h"

namespace tarnwick {
namespace {

constexpr double kPi = 3.14159265358979323846;
// The standard display pixel, metres: a pick radius in pixels on the ground.
constexpr double kScreenPixelMetres = 0.00028;
constexpr size_t kMaxPathBytes = 4096;

HttpResponse Error(int status, const std::string& text) {
  std::string body;
  CJsonWriter(body).BeginObject().Member("error", text).EndObject();
  return HttpResponse::Json(status, body);
}

HttpResponse NoLibrary() {
  return Error(503, "The chart library is not available.");
}

std::optional<double> NumberParam(const HttpRequest& request, const char* name, double low,
                                  double high) {
  const std::string text = request.Param(name);
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(value) || value < low ||
      value > high)
    return std::nullopt;
  return value;
}

// lat, lon and scale of a point query; the reason when one is bad.
struct PointQuery {
  LatLon position;
  double scale = CChartLibraryRoutes::kDefaultScale;
  std::string error;
};

PointQuery ReadPoint(const HttpRequest& request) {
  PointQuery q;
  const auto lat = NumberParam(request, "lat", -85, 85);
  const auto lon = NumberParam(request, "lon", -180, 180);
  if (!lat || !lon) {
    q.error = "lat (-85..85) and lon (-180..180) are needed, in degrees";
    return q;
  }
  q.position = {*lat, *lon};
  if (request.HasParam("scale")) {
    const auto scale = NumberParam(request, "scale", 1, 1e9);
    if (!scale)
      q.error = "scale is a scale denominator from 1 to 1000000000";
    else
      q.scale = *scale;
  }
  return q;
}

void WriteProperties(CJsonWriter& json, const ChartPropertyList& properties) {
  json.Key("properties").BeginArray();
  for (const auto& [name, value] : properties)
    json.BeginArray().String(name).String(value).EndArray();
  json.EndArray();
}

HttpResponse ChartAnswer(const CChartLibrary& library, const ChartRecord& chart) {
  std::string body;
  CJsonWriter json(body);
  json.BeginObject().Key("chart");
  WriteChartJson(json, chart);
  WriteProperties(json, ChartProperties(library, chart));
  json.EndObject();
  return HttpResponse::Json(200, body);
}

const char* PrimName(uint8_t prim) {
  return prim == 1 ? "point" : prim == 2 ? "line" : prim == 3 ? "area" : "none";
}

// A ring of the chart Mercator as [lon, lat] pairs, closed, longitudes kept
// continuous (past +-180 for a chart across the antimeridian).
void WriteRing(CJsonWriter& json, const ChartRing& ring) {
  json.BeginArray();
  for (size_t i = 0; i <= ring.size(); ++i) {
    const MercatorPoint& p = ring[i % ring.size()];
    const auto position = MercatorInverse(0, p.y);
    json.BeginArray()
        .Double(std::round(p.x / kChartEarthA * 180 / kPi * 1e7) / 1e7)
        .Double(position ? std::round(position->lat * 1e7) / 1e7 : 0.0)
        .EndArray();
  }
  json.EndArray();
}

std::optional<MercatorBox> BoxParam(const HttpRequest& request, bool& bad) {
  bad = false;
  const std::string text = request.Param("bbox");
  if (text.empty()) return std::nullopt;
  double v[4];
  int used = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%lf,%lf,%lf,%lf%n%c", &v[0], &v[1], &v[2], &v[3], &used, &tail) !=
          4 ||
      static_cast<size_t>(used) != text.size() || !(v[1] < v[3]) || std::fabs(v[1]) > 90 ||
      std::fabs(v[3]) > 90 || std::fabs(v[0]) > 540 || std::fabs(v[2]) > 540) {
    bad = true;
    return std::nullopt;
  }
  if (v[2] < v[0]) v[2] += 360;  // across the antimeridian
  const MercatorPoint sw = MercatorForward(std::max(v[1], -85.0), 0);
  const MercatorPoint ne = MercatorForward(std::min(v[3], 85.0), 0);
  return MercatorBox{v[0] * kPi / 180 * kChartEarthA, sw.y, v[2] * kPi / 180 * kChartEarthA, ne.y};
}

// The "path" member of a JSON body: absolute, of a sane length.
std::optional<std::string> PathMember(const HttpRequest& request, std::string& error) {
  const nlohmann::json body = nlohmann::json::parse(request.body, nullptr, false);
  if (!body.is_object() || !body.contains("path") || !body["path"].is_string()) {
    error = "The request needs {\"path\": \"/full/path\"}.";
    return std::nullopt;
  }
  std::string path = body["path"].get<std::string>();
  if (path.empty() || path.size() > kMaxPathBytes || path.front() != '/' ||
      path.find('\0') != std::string::npos) {
    error = "Give the full path of a chart folder or file, starting with /.";
    return std::nullopt;
  }
  return path;
}

}  // namespace

CChartLibraryRoutes::CChartLibraryRoutes(std::function<std::shared_ptr<CChartLibrary>()> library,
                                         std::function<std::string()> obstacle)
    : library_(std::move(library)), obstacle_(std::move(obstacle)) {}

void CChartLibraryRoutes::Mount(CHttpServer& server, std::shared_ptr<CChartLibraryRoutes> routes) {
  using Handler = HttpResponse (CChartLibraryRoutes::*)(const HttpRequest&) const;
  const std::pair<const char*, Handler> gets[] = {
      {"/api/charts", &CChartLibraryRoutes::List},
      {"/api/charts/progress", &CChartLibraryRoutes::Progress},
      {"/api/charts/(\\d{1,15})", &CChartLibraryRoutes::Chart},
      {"/api/charts/at", &CChartLibraryRoutes::At},
      {"/api/charts/features", &CChartLibraryRoutes::Features},
      {"/api/charts/outlines", &CChartLibraryRoutes::Outlines},
      {"/api/charts/lookahead", &CChartLibraryRoutes::LookAhead},
  };
  const auto bound = [routes](Handler method) {
    return [routes, method](const HttpRequest& r) { return ((*routes).*method)(r); };
  };
  for (const auto& [pattern, handler] : gets) server.Get(pattern, bound(handler), HandlerThread::Worker);
  const std::pair<const char*, Handler> posts[] = {
      {"/api/charts/sources", &CChartLibraryRoutes::AddSource},
      {"/api/charts/sources/remove", &CChartLibraryRoutes::RemoveSource},
      {"/api/charts/remove", &CChartLibraryRoutes::RemoveChart},
      {"/api/charts/rescan", &CChartLibraryRoutes::Rescan},
  };
  for (const auto& [pattern, handler] : posts) server.Post(pattern, bound(handler), HandlerThread::Worker);
  // The standard display's settings, changed on the user-interface thread as
  // every setting is; the pages hear of each change through the settings event.
  server.Post("/api/charts/standard-display", [](const HttpRequest&) {
    if (!SetS52StandardDisplay()) {
      return HttpResponse::Json(
          409, R"({"error":"A locked setting keeps its value; the others are set."})");
    }
    return HttpResponse::Json(200, R"({"ok":true})");
  });
}

HttpResponse CChartLibraryRoutes::List(const HttpRequest&) const {
  const auto library = library_();
  if (!library) return NoLibrary();
  std::string body;
  CJsonWriter json(body);
  json.BeginObject().Member("generation", library->Generation()).Key("progress");
  WriteProgressJson(json, library->Progress());
  json.Key("sources").BeginArray();
  for (const ChartSource& source : library->Sources()) WriteSourceJson(json, source);
  json.EndArray().Key("charts").BeginArray();
  for (const ChartRecord& chart : library->Charts()) WriteChartJson(json, chart);
  json.EndArray().EndObject();
  return HttpResponse::Json(200, body);
}

HttpResponse CChartLibraryRoutes::Progress(const HttpRequest&) const {
  const auto library = library_();
  if (!library) return NoLibrary();
  std::string body;
  CJsonWriter json(body);
  json.BeginObject().Member("generation", library->Generation()).Key("progress");
  WriteProgressJson(json, library->Progress());
  json.EndObject();
  return HttpResponse::Json(200, body);
}

HttpResponse CChartLibraryRoutes::Chart(const HttpRequest& request) const {
  const auto library = library_();
  if (!library) return NoLibrary();
  const auto chart = library->Chart(std::strtoll(request.matches.at(1).c_str(), nullptr, 10));
  if (!chart) return Error(404, "No such chart.");
  return ChartAnswer(*library, *chart);
}

HttpResponse CChartLibraryRoutes::At(const HttpRequest& request) const {
  const auto library = library_();
  if (!library) return NoLibrary();
  const PointQuery q = ReadPoint(request);
  if (!q.error.empty()) return Error(400, q.error);
  const auto view = library->ChartAt(MercatorForward(q.position.lat, q.position.lon), q.scale);
  const auto chart = view ? library->Chart(view->id) : std::nullopt;
  if (!chart) return Error(404, "No chart is drawn here.");
  return ChartAnswer(*library, *chart);
}

HttpResponse CChartLibraryRoutes::Features(const HttpRequest& request) const {
  const auto library = library_();
  if (!library) return NoLibrary();
  const PointQuery q = ReadPoint(request);
  if (!q.error.empty()) return Error(400, q.error);
  double radius = kDefaultRadius;
  if (request.HasParam("radius")) {
    const auto given = NumberParam(request, "radius", 0, kMaxRadius);
    if (!given) return Error(400, "radius is a number of screen pixels from 0 to 50");
    radius = *given;
  }
  const auto charts =
      FeaturesAt(*library, q.position, q.scale, q.scale * kScreenPixelMetres * radius);
  std::string body;
  CJsonWriter json(body);
  json.BeginObject()
      .Member("lat", q.position.lat)
      .Member("lon", q.position.lon)
      .Key("charts")
      .BeginArray();
  for (const PickedChart& picked : charts) {
    json.BeginObject().Key("chart");
    WriteChartJson(json, picked.chart);
    json.Key("features").BeginArray();
    for (const PickedFeature& f : picked.features) {
      json.BeginObject()
          .Member("index", f.index)
          .Member("class", f.acronym)
          .Member("className", f.className)
          .Member("prim", PrimName(f.prim))
          .Member("meta", f.meta);
      if (f.sounding) json.Member("sounding", *f.sounding);
      json.Key("attributes").BeginArray();
      for (const PickedAttribute& a : f.attributes) {
        json.BeginObject()
            .Member("acronym", a.acronym)
            .Member("name", a.name)
            .Member("value", a.value);
        if (!a.meaning.empty()) json.Member("meaning", a.meaning);
        json.EndObject();
      }
      json.EndArray().EndObject();
    }
    json.EndArray().EndObject();
  }
  json.EndArray().EndObject();
  return HttpResponse::Json(200, body);
}

HttpResponse CChartLibraryRoutes::Outlines(const HttpRequest& request) const {
  const auto library = library_();
  if (!library) return NoLibrary();
  bool bad = false;
  const auto box = BoxParam(request, bad);
  if (bad) return Error(400, "bbox is west,south,east,north in degrees");
  std::string body;
  CJsonWriter json(body);
  json.BeginObject().Member("type", "FeatureCollection").Key("features").BeginArray();
  for (const ChartRecord& chart : library->Charts()) {
    if (!chart.coverage || chart.status == ChartStatus::kSuperseded) continue;
    if (box && !BoxesMeet(*box, chart.extent) &&
        !BoxesMeet(ShiftBox(*box, kMercatorWorldWidth), chart.extent) &&
        !BoxesMeet(ShiftBox(*box, -kMercatorWorldWidth), chart.extent))
      continue;
    json.BeginObject()
        .Member("type", "Feature")
        .Key("properties")
        .BeginObject()
        .Member("id", chart.id)
        .Member("name", chart.name)
        .Member("kind", ChartKindName(chart.kind))
        .Member("scale", chart.scale)
        .Member("status", ChartStatusName(chart.status))
        .EndObject()
        .Key("geometry")
        .BeginObject()
        .Member("type", "MultiLineString")
        .Key("coordinates")
        .BeginArray();
    for (const ChartRing& ring : chart.coverage->rings) WriteRing(json, ring);
    json.EndArray().EndObject().EndObject();
  }
  json.EndArray().EndObject();
  HttpResponse response = HttpResponse::Json(200, body);
  response.contentType = "application/geo+json";
  return response;
}

HttpResponse CChartLibraryRoutes::LookAhead(const HttpRequest&) const {
  return HttpResponse::Json(200, obstacle_ ? obstacle_() : "{\"enabled\":false,\"active\":false}");
}

HttpResponse CChartLibraryRoutes::AddSource(const HttpRequest& request) const {
  const auto library = library_();
  if (!library) return NoLibrary();
  std::string error;
  const auto path = PathMember(request, error);
  if (!path) return Error(400, error);
  const AddSourceResult added = library->AddSource(*path);
  if (!added.ok) return Error(400, added.error);
  std::string body;
  CJsonWriter json(body);
  for (const ChartSource& source : library->Sources())
    if (source.path == added.path) WriteSourceJson(json, source);
  return HttpResponse::Json(200, body);
}

HttpResponse CChartLibraryRoutes::RemoveSource(const HttpRequest& request) const {
  const auto library = library_();
  if (!library) return NoLibrary();
  std::string error;
  const auto path = PathMember(request, error);
  if (!path) return Error(400, error);
  for (const ChartSource& source : library->Sources()) {
    if (source.path != std::filesystem::path(*path).lexically_normal()) continue;
    if (source.installation)
      return Error(
          403, "This is the installation folder; change the setting Charts_InstallationFolder.");
    library->RemoveSource(source.path);
    return HttpResponse::Json(200, "{}");
  }
  return Error(404, "No such chart folder or file is registered.");
}

HttpResponse CChartLibraryRoutes::RemoveChart(const HttpRequest& request) const {
  const auto library = library_();
  if (!library) return NoLibrary();
  const nlohmann::json body = nlohmann::json::parse(request.body, nullptr, false);
  if (!body.is_object() || !body.contains("name") || !body["name"].is_string() ||
      body["name"].get<std::string>().empty())
    return Error(400, "The request needs {\"name\": \"US5HA57M\"}.");
  const auto removed = library->RemoveChart(body["name"].get<std::string>());
  if (removed.empty()) return Error(404, "No such chart.");
  std::string out;
  CJsonWriter json(out);
  json.BeginObject().Key("removed").BeginArray();
  for (const std::string& name : removed) json.String(name);
  json.EndArray().EndObject();
  return HttpResponse::Json(200, out);
}

HttpResponse CChartLibraryRoutes::Rescan(const HttpRequest&) const {
  const auto library = library_();
  if (!library) return NoLibrary();
  library->Rescan();
  return HttpResponse::Json(200, "{}");
}

}  // namespace tarnwick
