#include "server/EquipmentApi.h"

#include "core/Clock.h"
#include "instruments/nmea/NavtexMessages.h"
#include "instruments/ports/EquipmentAlarms.h"
#include "server/LiveJson.h"

namespace tarnwick {

using nlohmann::json;

HttpResponse CEquipmentApi::Alarms() {
  const uint64_t now = TickCount();
  json list = json::array();
  for (const EquipmentAlarm& entry : ListEquipmentAlarms()) {
    const ReceivedAlarm& a = entry.alarm;
    list.push_back({{"port", entry.port},
                    {"source", entry.portId},
                    {"alarm", a.key},
                    {"text", a.description},
                    {"timeOfDay", a.timeOfDay},
                    {"active", a.active},
                    {"acknowledged", a.acknowledged},
                    {"state", a.acknowledged ? kAlarmAcknowledged : kAlarmNotAcknowledged},
                    {"ageMs", now > a.tick ? now - a.tick : 0},
                    {"link", entry.link}});
  }
  return HttpResponse::Json(200, JsonText({{"alarms", std::move(list)}}));
}

HttpResponse CEquipmentApi::Acknowledge(const HttpRequest& request) {
  const AlarmAcknowledgement outcome = AcknowledgeEquipmentAlarm(
      request.Param("alarm"), request.Param("type"), request.Param("source"));
  int status = 200;
  switch (outcome) {
    case AlarmAcknowledgement::Sent:
      status = 200;
      break;
    case AlarmAcknowledgement::BadRequest:
      status = 400;
      break;
    case AlarmAcknowledgement::UnknownPort:
    case AlarmAcknowledgement::UnknownAlarm:
      status = 404;
      break;
    case AlarmAcknowledgement::NotALR:
      status = 409;
      break;
    case AlarmAcknowledgement::NotSent:
      status = 503;
      break;
  }
  const char* text = AlarmAcknowledgementText(outcome);
  return HttpResponse::Json(status,
                            JsonText(status == 200 ? json{{"sent", text}} : json{{"error", text}}));
}

HttpResponse CEquipmentApi::Navtex() {
  json list = json::array();
  const auto messages = NavtexMessages().All();
  for (auto it = messages.rbegin(); it != messages.rend(); ++it) {
    const NavtexCode code = ParseNavtexCode(it->code);
    json entry = {{"id", it->id},
                  {"utcMs", it->utcMs},
                  {"port", it->port},
                  {"code", it->code},
                  {"text", it->text}};
    if (code.station) {
      entry["station"] = std::string(1, code.station);
      entry["subject"] = std::string(1, code.subject);
      entry["subjectText"] = code.subjectText;
      entry["serial"] = code.serial;
    }
    list.push_back(std::move(entry));
  }
  return HttpResponse::Json(200, JsonText({{"messages", std::move(list)}}));
}

void CEquipmentApi::Mount(CHttpServer& server) {
  server.Get(
      "/api/alarms", [](const HttpRequest&) { return Alarms(); }, HandlerThread::Worker);
  server.Post("/acknowledge", Acknowledge, HandlerThread::Worker);
  server.Get(
      "/api/navtex", [](const HttpRequest&) { return Navtex(); }, HandlerThread::Worker);
}

}  // namespace tarnwick
