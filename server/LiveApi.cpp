#include "server/LiveApi.h"

#include <charconv>

#include <nlohmann/json.hpp>

#include "instruments/navdata/NavData.h"
#include "server/LiveJson.h"

namespace tarnwick {
namespace {

using nlohmann::json;

HttpResponse Error(int status, const std::string& message) {
  return HttpResponse::Json(status, JsonText({{"error", message}}));
}

template <typename T>
std::optional<T> ParseWhole(const std::string& text) {
  T value{};
  const char* end = text.data() + text.size();
  auto [next, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || next != end || text.empty()) return std::nullopt;
  return value;
}

}  // namespace

HttpResponse CLiveApi::AisTarget(const LiveApiContext& context, const HttpRequest& request) {
  const std::string text = request.matches.size() > 1 ? request.matches[1] : "";
  const std::optional<uint32_t> mmsi = ParseWhole<uint32_t>(text);
  if (!mmsi || *mmsi == 0 || *mmsi > 999999999)
    return Error(400, "'" + text + "' is not an MMSI (1 to 999999999).");
  const std::optional<CAisTarget> target = context.target ? context.target(*mmsi) : std::nullopt;
  if (!target) return Error(404, "No AIS target " + text + ".");
  const auto texts = context.texts ? context.texts->Texts(*mmsi) : std::vector<AisText>{};
  json detail = AisTargetDetailJson(*target, texts);
  detail["aside"] = target->hidden && !target->IsLost();  // set aside by the navigator
  return HttpResponse::Json(200, JsonText(detail));
}

HttpResponse CLiveApi::Track(const LiveApiContext& context, const HttpRequest& request) {
  int64_t since = 0;
  if (request.HasParam("since")) {
    const std::optional<int64_t> value = ParseWhole<int64_t>(request.Param("since"));
    if (!value) return Error(400, "\"since\" must be a time in ms since 1970.");
    since = *value;
  }
  std::string out = "{\"points\":[";
  bool first = true;
  if (context.track) {
    for (const TrackSample& p : context.track->Since(since)) {
      if (!first) out += ',';
      out += JsonText(json::array({p.lon, p.lat, p.utcMs}));
      first = false;
    }
  }
  out += "]}";
  HttpResponse response = HttpResponse::Json(200, std::move(out));
  response.headers["Cache-Control"] = "no-cache";
  return response;
}

HttpResponse CLiveApi::SelectSensor(const LiveApiContext& context, const HttpRequest& request) {
  const json body = json::parse(request.body, nullptr, false);
  std::string choice = request.Param("select");
  if (choice.empty() && body.is_object() && body.contains("select") && body["select"].is_string())
    choice = body["select"].get<std::string>();
  if (choice.empty()) return Error(400, "Give {\"select\":\"auto\"|\"dr\"|\"<index>\"}.");
  if (!context.selectSensor) return Error(503, "No navigation data store.");
  switch (context.selectSensor(choice)) {
    case SensorChoice::Unknown:
      return Error(404, "No position sensor " + choice + ".");
    case SensorChoice::NoFixYet:
      return HttpResponse::Json(
          200,
          JsonText({{"selected", choice}, {"note", "Dead reckoning starts at the first fix."}}));
    case SensorChoice::Selected:
      break;
  }
  return HttpResponse::Json(200, JsonText({{"selected", choice}}));
}

void CLiveApi::Mount(CHttpServer& server, LiveApiContext context) {
  auto shared = std::make_shared<LiveApiContext>(std::move(context));
  server.Get(
      "/api/ais/([^/]*)",
      [shared](const HttpRequest& request) { return AisTarget(*shared, request); },
      HandlerThread::Worker);
  server.Get(
      "/api/track", [shared](const HttpRequest& request) { return Track(*shared, request); },
      HandlerThread::Worker);
  server.Post("/api/sensors",
              [shared](const HttpRequest& request) { return SelectSensor(*shared, request); });
}

SensorChoice SelectProgramSensor(const std::string& choice) {
  CNavData* store = NavData();
  if (!store) return SensorChoice::Unknown;
  if (choice == "auto") {
    store->SelectAutomaticPosition();
    return SensorChoice::Selected;
  }
  if (choice == "dr")
    return store->SelectDeadReckoning() ? SensorChoice::Selected : SensorChoice::NoFixYet;
  const std::optional<size_t> index = ParseWhole<size_t>(choice);
  if (!index || *index >= store->PositionSensors().size()) return SensorChoice::Unknown;
  store->SelectPositionSensor(*index);
  return SensorChoice::Selected;
}

}  // namespace tarnwick
