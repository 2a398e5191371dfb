#include "server/WeatherRoutes.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <fstream>

#include <nlohmann/json.hpp>

#include "core/Log.h"
#include "core/settings/WeatherSettings.h"
#include "environment/grib/ForecastRequest.h"
#include "environment/grib/GribJson.h"
#include "environment/grib/GribTables.h"
#include "environment/grib/WeatherFolderWatch.h"
#include "environment/grib/WeatherFormat.h"
#include "environment/grib/WeatherGroups.h"
#include "environment/grib/WeatherModule.h"
#include "environment/grib/WeatherService.h"
#include "server/LiveJson.h"

namespace tarnwick {
namespace {

using nlohmann::json;
namespace fs = std::filesystem;

constexpr size_t kDefaultGridPoints = 20000;
constexpr double kMaxTimeMs = 1e15;  // about the year 33658: beyond it no time is read
constexpr size_t kMaxGridPoints = 250000;

HttpResponse Error(int status, const std::string& message) {
  return HttpResponse::Json(status, JsonText({{"error", message}}));
}

int64_t Ms(int64_t seconds) {
  return seconds * 1000;
}

std::optional<double> Number(const HttpRequest& request, const std::string& name) {
  const std::string text = request.Param(name);
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (*end != '\0' || !std::isfinite(value)) return std::nullopt;
  return value;
}

json GroupsJson() {
  json groups = json::array();
  for (const WeatherDisplayGroup& g : WeatherDisplayGroups()) {
    json attrs = json::array();
    for (const WeatherDisplayAttr& a : g.attrs) {
      attrs.push_back({{"weatherType", a.weatherType}, {"displayType", a.displayType},
                       {"gradientType", a.gradientType}, {"showText", a.showText}, {"argb", a.argb}});
    }
    groups.push_back({{"index", g.index}, {"name", g.name}, {"attrs", std::move(attrs)}});
  }
  return groups;
}

json TypeJson(int type, const CWeatherForecast& forecast) {
  const WeatherTypeInfo* info = FindWeatherType(type);
  json times = json::array();
  for (const WeatherGrid& g : forecast.Grids())
    if (g.type == type) times.push_back(Ms(g.validTime));
  return {{"type", type},
          {"code", info->code},
          {"name", info->name},
          {"unitClass", info->unitClass},
          {"companion", info->companion},
          {"vector", info->vector},
          {"rangeStart", info->rangeStart},
          {"rangeEnd", info->rangeEnd},
          {"interval", info->interval},
          {"quantum", info->quantum},
          {"decimals", info->decimals},
          {"times", std::move(times)}};
}

HttpResponse State(const fs::path& folder) {
  const WeatherStatus status = WeatherService().Status();
  json out = {{"state", WeatherStateName(status.state)},
              {"progress", status.progress},
              {"generation", status.generation},
              {"folder", folder.string()},
              {"groups", GroupsJson()},
              {"activeGroup", ActiveWeatherGroup()}};
  if (!status.path.empty()) out["file"] = status.path.filename().string();
  if (!status.message.empty()) out["message"] = status.message;
  if (status.forecast) {
    const CWeatherForecast& f = *status.forecast;
    json types = json::array();
    for (int type : f.Types()) types.push_back(TypeJson(type, f));
    json times = json::array();
    for (int64_t t : f.Times()) times.push_back(Ms(t));
    double south = 90, north = -90, west = 0, east = 0;
    bool any = false, everyLongitude = false;
    for (const WeatherGrid& g : f.Grids()) {
      south = std::min(south, g.lat0);
      north = std::max(north, g.lat0 + (g.nj - 1) * g.dlat);
      everyLongitude = everyLongitude || g.wraps;
      const double w = g.lon0 > 180 ? g.lon0 - 360 : g.lon0;
      if (!any) west = w, east = w + (g.ni - 1) * g.dlon;
      west = std::min(west, w);
      east = std::max(east, w + (g.ni - 1) * g.dlon);
      any = true;
    }
    out["types"] = std::move(types);
    out["listed"] = f.ListedTypes();
    out["times"] = std::move(times);
    out["reference"] = Ms(f.Grids().front().referenceTime);
    out["bounds"] = {{"south", south}, {"north", north}, {"west", everyLongitude ? -180.0 : west},
                     {"east", everyLongitude ? 180.0 : east}};
  }
  return HttpResponse::Json(200, JsonText(out));
}

HttpResponse Files(const fs::path& folder) {
  json files = json::array();
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    const std::string name = entry.path().filename().string();
    if (!entry.is_regular_file(ec) || !IsForecastFileName(name)) continue;
    const auto modified = entry.last_write_time(ec);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::file_clock::to_sys(modified).time_since_epoch());
    files.push_back({{"name", name}, {"size", entry.file_size(ec)}, {"modifiedUtcMs", ms.count()}});
  }
  std::sort(files.begin(), files.end(),
            [](const json& a, const json& b) { return a["modifiedUtcMs"] > b["modifiedUtcMs"]; });
  return HttpResponse::Json(200, JsonText({{"folder", folder.string()}, {"files", std::move(files)}}));
}

// The part of a grid a box needs (one cell of margin), every step-th point.
struct Window {
  int i0 = 0, j0 = 0, columns = 0, rows = 0, step = 1;
};

std::optional<Window> WindowOf(const WeatherGrid& g, const std::optional<std::array<double, 4>>& box, size_t maxPoints) {
  Window w{0, 0, g.ni, g.nj, 1};
  if (box) {
    const auto [west, south, east, north] = *box;
    const int j0 = static_cast<int>(std::floor((south - g.lat0) / g.dlat)) - 1;
    const int j1 = static_cast<int>(std::ceil((north - g.lat0) / g.dlat)) + 1;
    if (j1 < 0 || j0 > g.nj - 1) return std::nullopt;
    w.j0 = std::max(0, j0);
    w.rows = std::min(g.nj - 1, j1) - w.j0 + 1;
    double span = std::fmod(east - west, 360.0);
    if (span <= 0) span += 360.0;
    // The west edge counted from the grid's first column, within half a turn.
    const double x = std::remainder(west - g.lon0, 360.0) / g.dlon;
    const int i0 = static_cast<int>(std::floor(x)) - 1;
    const int count = static_cast<int>(std::ceil(span / g.dlon)) + 3;
    if (g.wraps) {
      w.i0 = ((i0 % g.ni) + g.ni) % g.ni;
      w.columns = std::min(count, g.ni);
    } else {
      const int i1 = i0 + count;
      if (i1 < 0 || i0 > g.ni - 1) return std::nullopt;
      w.i0 = std::max(0, i0);
      w.columns = std::min(g.ni - 1, i1) - w.i0 + 1;
    }
  }
  const double points = static_cast<double>(w.columns) * w.rows;
  w.step = std::max(1, static_cast<int>(std::ceil(std::sqrt(points / static_cast<double>(maxPoints)))));
  return w;
}

HttpResponse Grid(const HttpRequest& request) {
  const auto type = Number(request, "type");
  const auto time = Number(request, "time");
  if (!type || !time || *type < 1 || *type > 99 || std::fabs(*time) > kMaxTimeMs)
    return Error(400, "type and time (milliseconds since 1970) are needed");
  std::optional<std::array<double, 4>> box;
  if (request.HasParam("bbox")) {
    std::array<double, 4> b{};
    const bool read = std::sscanf(request.Param("bbox").c_str(), "%lf,%lf,%lf,%lf", &b[0], &b[1], &b[2], &b[3]) == 4;
    if (!read || !std::all_of(b.begin(), b.end(), [](double x) { return std::isfinite(x) && std::fabs(x) <= 720; }) ||
        b[1] > b[3] || b[1] < -90 || b[3] > 90)
      return Error(400, "bbox must be west,south,east,north in degrees");
    box = b;
  }
  size_t maxPoints = kDefaultGridPoints;
  if (const auto m = Number(request, "max")) maxPoints = static_cast<size_t>(std::clamp(*m, 1.0, double(kMaxGridPoints)));
  const WeatherStatus status = WeatherService().Status();
  if (!status.forecast) return Error(404, "no weather forecast is open");
  const WeatherGrid* g = status.forecast->Find(static_cast<int>(*type), static_cast<int64_t>(*time / 1000));
  if (!g) return Error(404, "the forecast has no such weather type at that time");
  const auto window = WindowOf(*g, box, maxPoints);
  const Window w = window.value_or(Window{0, 0, 0, 0, 1});
  const int ni = (w.columns + w.step - 1) / w.step;
  const int nj = (w.rows + w.step - 1) / w.step;
  const double lat0 = g->lat0 + w.j0 * g->dlat;
  const double lon0 = g->lon0 + w.i0 * g->dlon;
  const auto value = [&](int i, int j) {
    const int column = (w.i0 + i * w.step) % g->ni;
    return g->At(column, w.j0 + j * w.step);
  };
  if (request.Param("format") == "bin") {
    static_assert(std::endian::native == std::endian::little, "the binary grid is little-endian");
    // Eight doubles (lat0, lon0, dlat, dlon, ni, nj, wraps, time ms), then
    // ni × nj floats row by row from the south, NaN where there is no data.
    const double head[8] = {lat0, lon0, g->dlat * w.step, g->dlon * w.step, double(ni), double(nj),
                            g->wraps && w.columns == g->ni ? 1.0 : 0.0, double(Ms(g->validTime))};
    HttpResponse response;
    response.contentType = "application/octet-stream";
    response.body.resize(sizeof head + sizeof(float) * static_cast<size_t>(ni) * static_cast<size_t>(nj));
    std::memcpy(response.body.data(), head, sizeof head);
    float* out = reinterpret_cast<float*>(response.body.data() + sizeof head);
    for (int j = 0; j < nj; ++j)
      for (int i = 0; i < ni; ++i) {
        const float v = value(i, j);
        *out++ = v == kGribMissing ? std::nanf("") : v;
      }
    return response;
  }
  std::string out = "{\"type\":" + std::to_string(g->type) + ",\"time\":" + std::to_string(Ms(g->validTime));
  const auto member = [&](const char* key, double number) {
    out += ",\"";
    out += key;
    out += "\":";
    AppendNumber(out, number);
  };
  member("lat0", lat0);
  member("lon0", lon0);
  member("dlat", g->dlat * w.step);
  member("dlon", g->dlon * w.step);
  out += ",\"ni\":" + std::to_string(ni) + ",\"nj\":" + std::to_string(nj);
  out += std::string(",\"wraps\":") + (g->wraps && w.columns == g->ni ? "true" : "false") + ",\"values\":[";
  for (int j = 0; j < nj; ++j)
    for (int i = 0; i < ni; ++i) {
      if (i || j) out += ',';
      const float v = value(i, j);
      if (v == kGribMissing) out += "null"; else AppendFloat(out, v);
    }
  out += "]}";
  return HttpResponse::Json(200, std::move(out));
}

HttpResponse Value(const HttpRequest& request) {
  const auto lat = Number(request, "lat");
  const auto lon = Number(request, "lon");
  const auto time = Number(request, "time");
  if (!lat || !lon || !time || std::fabs(*lat) > 90 || std::fabs(*lon) > 720 || std::fabs(*time) > kMaxTimeMs)
    return Error(400, "lat, lon (degrees) and time (milliseconds) are needed");
  const WeatherStatus status = WeatherService().Status();
  if (!status.forecast) return Error(404, "no weather forecast is open");
  const int64_t seconds = static_cast<int64_t>(std::floor(*time / 1000));
  const WeatherUnits units = WeatherUnits::FromSettings();
  json values = json::array();
  for (int type : status.forecast->ListedTypes()) {
    const WeatherTypeInfo* info = FindWeatherType(type);
    json entry = {{"type", type}, {"code", info->code}, {"name", info->name}};
    if (const auto r = status.forecast->Reading(type, *lat, *lon, seconds)) {
      entry["value"] = r->value;
      if (r->companion) entry["companion"] = *r->companion;
      entry["text"] = FormatWeatherReading(*r, units);
    }
    values.push_back(std::move(entry));
  }
  return HttpResponse::Json(200, JsonText({{"lat", *lat}, {"lon", *lon}, {"time", static_cast<int64_t>(*time)},
                                           {"values", std::move(values)}}));
}

HttpResponse Request(const HttpRequest& request) {
  const std::string service = request.Param("service", "mail");
  if (service != "mail" && service != "grid") return Error(400, "service must be mail or grid");
  const auto items = ParseForecastItems(opt::Weather_DownloadDlg_Items.Text());
  if (!items) return Error(400, "Weather_DownloadDlg_Items must name what to ask for (wind, pressure, temperature, rain, waves, humidity)");
  const int days = std::clamp(opt::Weather_DownloadDlg_Days.GetInt(), 1, 16);
  const std::string regionText = opt::Weather_DownloadDlg_Custom.GetBool() ? opt::Weather_DownloadDlg_Region.Text()
                                                                           : request.Param("region");
  const auto region = ParseForecastRegion(regionText);
  if (!region) return Error(400, "the region must be north,south,west,east in degrees");
  json out = {{"service", service}};
  if (service == "mail") {
    const std::string text = MailRequestText(*region, days * 24, *items);
    out["request"] = text;
    out["query"] = MailFetchQuery(text, request.Param("email"));
    out["reply"] = MailReplyPath().string();
  } else {
    out["request"] = GridRequestText(days, *region, *items);
    out["reply"] = GridReplyPath().string();
  }
  return HttpResponse::Json(200, JsonText(out));
}

json Body(const HttpRequest& request) {
  return json::parse(request.body.empty() ? "{}" : request.body, nullptr, false);
}

json WeatherTypesJson() {
  json types = json::array();
  for (const WeatherTypeInfo& info : WeatherTypes())
    types.push_back({{"type", info.type}, {"code", info.code}, {"name", info.name}});
  return types;
}

HttpResponse Groups(const HttpRequest& request) {
  const json body = Body(request);
  if (!body.is_object()) return Error(400, "the body must be a JSON object");
  if (body.contains("activeGroup")) {
    const auto& shipped = opt::WeatherGroupDefaults();
    if (!body["activeGroup"].is_number_integer() || body["activeGroup"].get<int64_t>() < 0 ||
        body["activeGroup"].get<int64_t>() >= opt::kWeatherGroupCount)
      return Error(400, "activeGroup must be a group's index");
    if (!opt::Weather_ActiveGroup.Set(shipped[body["activeGroup"].get<size_t>()].name))
      return Error(409, "Weather_ActiveGroup is locked");
  }
  if (body.contains("group")) {
    if (!body["group"].is_number_integer() || !body.contains("attrs") || !body["attrs"].is_array())
      return Error(400, "group and attrs are needed");
    std::vector<WeatherDisplayAttr> attrs;
    for (const json& a : body["attrs"]) {
      // Members of the wrong type are refused here: nothing below may throw.
      const auto has = [&](const char* key, json::value_t type) {
        return !a.contains(key) || a[key].type() == type ||
               (type == json::value_t::number_integer && a[key].is_number_unsigned());
      };
      if (!a.is_object() || !has("weatherType", json::value_t::number_integer) ||
          !has("displayType", json::value_t::string) || !has("gradientType", json::value_t::string) ||
          !has("showText", json::value_t::boolean) || !has("argb", json::value_t::string))
        return Error(400, "each attr is {weatherType, displayType, gradientType, showText, argb}");
      WeatherDisplayAttr attr;
      attr.weatherType = a.contains("weatherType") ? static_cast<int>(std::clamp<int64_t>(a["weatherType"].get<int64_t>(), -1, 1000)) : 0;
      attr.displayType = a.value("displayType", std::string("None"));
      attr.gradientType = a.value("gradientType", std::string("None"));
      attr.showText = a.value("showText", false);
      attr.argb = a.value("argb", std::string("rgba(0, 0, 0, 1)"));
      attrs.push_back(std::move(attr));
    }
    std::string error;
    if (!SetWeatherGroupAttrs(static_cast<int>(std::clamp<int64_t>(body["group"].get<int64_t>(), -1, 100)), attrs, error))
      return Error(400, error);
  }
  return HttpResponse::Json(200, JsonText({{"groups", GroupsJson()}, {"activeGroup", ActiveWeatherGroup()},
                                           {"weatherTypes", WeatherTypesJson()}}));
}

HttpResponse Open(const fs::path& folder, const HttpRequest& request) {
  const json body = Body(request);
  const std::string name = body.is_object() ? body.value("name", std::string()) : std::string();
  const auto path = WeatherFolderFile(folder, name);
  if (!path) return Error(400, "name must be a forecast file of the weather folder (.grb, .grib, .bz2, .bzz)");
  std::error_code ec;
  if (!fs::is_regular_file(*path, ec)) return Error(404, "no file " + name + " in the weather folder");
  OpenWeatherFile(*path);
  return HttpResponse::Json(202, JsonText({{"state", "loading"}, {"file", name}}));
}

// Standard base64 (RFC 4648) with padding; empty when the text is not base64.
std::optional<std::string> DecodeBase64(std::string_view text) {
  const auto value = [](char c) -> int {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
  };
  if (text.size() % 4 != 0) return std::nullopt;
  std::string out;
  out.reserve(text.size() / 4 * 3);
  for (size_t i = 0; i < text.size(); i += 4) {
    int v[4];
    int padding = 0;
    for (int k = 0; k < 4; ++k) {
      const char c = text[i + static_cast<size_t>(k)];
      const bool last = i + 4 == text.size();
      if (c == '=' && last && k >= 2 && (k == 3 || text[i + 3] == '=')) {
        v[k] = 0;
        ++padding;
      } else if ((v[k] = value(c)) < 0 || padding) {
        return std::nullopt;
      }
    }
    const uint32_t n = (uint32_t(v[0]) << 18) | (uint32_t(v[1]) << 12) | (uint32_t(v[2]) << 6) | uint32_t(v[3]);
    out += static_cast<char>(n >> 16);
    if (padding < 2) out += static_cast<char>((n >> 8) & 0xff);
    if (padding < 1) out += static_cast<char>(n & 0xff);
  }
  return out;
}

HttpResponse Upload(const fs::path& folder, const HttpRequest& request) {
  const json body = Body(request);
  const bool shaped = body.is_object() && body.contains("name") && body["name"].is_string() &&
                      body.contains("base64") && body["base64"].is_string();
  if (!shaped) return Error(400, "the body is {\"name\":\"file.grb\",\"base64\":\"...\"}");
  const std::string name = body["name"].get<std::string>();
  const auto path = WeatherFolderFile(folder, name);
  if (!path) return Error(400, "name must be a forecast file name (.grb, .grib, .bz2, .bzz)");
  const auto bytes = DecodeBase64(body["base64"].get_ref<const std::string&>());
  if (!bytes) return Error(400, "the file's bytes are not base64");
  if (bytes->empty()) return Error(400, "the file is empty");
  std::error_code ec;
  fs::create_directories(folder, ec);
  // Written beside the file under a hidden name, then renamed over it: the
  // folder's watcher never sees half a file.
  const fs::path part = folder / ("." + name + ".part");
  {
    std::ofstream out(part, std::ios::binary | std::ios::trunc);
    out.write(bytes->data(), static_cast<std::streamsize>(bytes->size()));
    if (!out.flush()) {
      fs::remove(part, ec);
      return Error(503, "cannot write " + part.string());
    }
  }
  fs::rename(part, *path, ec);
  if (ec) {
    fs::remove(part, ec);
    return Error(503, "cannot store " + path->string());
  }
  Log("CWeather: %s uploaded (%zu bytes)\n", path->c_str(), bytes->size());
  OpenWeatherFile(*path);
  return HttpResponse::Json(202, JsonText({{"state", "loading"}, {"file", name}}));
}

}  // namespace

std::optional<fs::path> WeatherFolderFile(const fs::path& folder, const std::string& name) {
  if (name.empty() || name.size() > 200 || name.find('/') != std::string::npos || name.find('\\') != std::string::npos ||
      name.find('\0') != std::string::npos || !IsForecastFileName(name))
    return std::nullopt;
  return folder / name;
}

void CWeatherRoutes::Mount(CHttpServer& server, fs::path folder) {
  server.Get("/api/weather", [folder](const HttpRequest&) { return State(folder); }, HandlerThread::Worker);
  server.Get("/api/weather/files", [folder](const HttpRequest&) { return Files(folder); }, HandlerThread::Worker);
  server.Get("/api/weather/grid", &Grid, HandlerThread::Worker);
  server.Get("/api/weather/value", &Value, HandlerThread::Worker);
  server.Get("/api/weather/request", &Request, HandlerThread::Worker);
  server.Post("/api/weather/graphical-weather-open-grib",
              [folder](const HttpRequest& request) { return Open(folder, request); });
  server.Post("/api/weather/graphical-weather-close-grib", [](const HttpRequest&) {
    CloseWeatherFile();
    return HttpResponse::Json(200, JsonText({{"state", "none"}}));
  });
  server.Post("/api/weather/upload", [folder](const HttpRequest& request) { return Upload(folder, request); },
              HandlerThread::Worker);
  server.Get("/api/weather/groups", &Groups);
  server.Post("/api/weather/groups", &Groups);
}

}  // namespace tarnwick
