#include "server/AisActionsApi.h"

#include <charconv>

#include "core/Clock.h"
#include "instruments/ais/AisReceiver.h"
#include "instruments/ais/AisTargetActions.h"
#include "server/LiveJson.h"

namespace tarnwick {
namespace {

using nlohmann::json;

HttpResponse Answer(const AisActionResult& result) {
  return HttpResponse::Json(
      result.status,
      JsonText(result.status == 200 ? json{{"text", result.text}} : json{{"error", result.text}}));
}

std::optional<uint32_t> Mmsi(const HttpRequest& request) {
  const std::string text = request.matches.size() > 1 ? request.matches[1] : "";
  uint32_t mmsi = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), mmsi);
  if (ec != std::errc() || end != text.data() + text.size() || mmsi == 0 || mmsi > 999999999)
    return std::nullopt;
  return mmsi;
}

HttpResponse BadMmsi() {
  return HttpResponse::Json(400, JsonText({{"error", "Give the target's MMSI (1 to 999999999)."}}));
}

}  // namespace

void CAisActionsApi::Mount(CHttpServer& server, CAisReceiver& receiver) {
  CAisReceiver* ais = &receiver;
  server.Post(
      "/api/ais/reset", [ais](const HttpRequest&) { return Answer(ResetAisTargets(*ais)); },
      HandlerThread::Worker);
  server.Post(
      "/api/ais/([0-9]+)/acknowledge",
      [ais](const HttpRequest& request) {
        const auto mmsi = Mmsi(request);
        return mmsi ? Answer(AcknowledgeAisWarning(*ais, *mmsi)) : BadMmsi();
      },
      HandlerThread::Worker);
  server.Post(
      "/api/ais/([0-9]+)/aside",
      [ais](const HttpRequest& request) {
        const auto mmsi = Mmsi(request);
        if (!mmsi) return BadMmsi();
        const json body = json::parse(request.body, nullptr, false);
        bool aside = true;
        if (body.is_object() && body.contains("aside")) {
          if (!body["aside"].is_boolean())
            return HttpResponse::Json(400,
                                      JsonText({{"error", "\"aside\" must be true or false."}}));
          aside = body["aside"].get<bool>();
        }
        return Answer(SetAisTargetAside(*ais, *mmsi, aside));
      },
      HandlerThread::Worker);
  // Registered before the target route "/api/ais/<mmsi>", which it would otherwise match.
  server.Get(
      "/api/ais/tracks",
      [ais](const HttpRequest&) {
        std::string out = "{\"tracks\":[";
        bool first = true;
        for (const AisTrack& track : ais->Tracks()) {
          json points = json::array();
          for (const AisTrackPoint& p : track.points)
            points.push_back(json::array({p.position.lon, p.position.lat, p.utcMs}));
          if (!first) out += ',';
          out += JsonText({{"mmsi", track.mmsi}, {"points", std::move(points)}});
          first = false;
        }
        out += "]}";
        return HttpResponse::Json(200, std::move(out));
      },
      HandlerThread::Worker);
  server.Get(
      "/api/ais",
      [ais](const HttpRequest&) {
        const uint64_t now = TickCount();
        json aside = json::array();
        for (const CAisTarget& target : ais->Targets())
          if (target.hidden && !target.IsLost() && !target.ownVessel)
            aside.push_back(AisTargetJson(target, now));
        return HttpResponse::Json(200, JsonText({{"aside", std::move(aside)}}));
      },
      HandlerThread::Worker);
}

}  // namespace tarnwick
