#include "server/NavObjectsMob.h"

#include <cmath>
#include <ctime>

#include "core/Clock.h"
#include "core/Log.h"
#include "core/Notifications.h"
#include "instruments/navdata/NavData.h"
#include "instruments/nmea/MobReports.h"
#include "navobjects/NavObjectsModule.h"
#include "navobjects/navigation/RouteNavigationModule.h"
#include "recording/logbook/LogBook.h"
#include "recording/logbook/LogEntry.h"
#include "server/LiveJson.h"

namespace tarnwick {
namespace {

using nlohmann::json;

// "MOB 12:34:56" in local time, as the navigator reads the clock.
std::string MarkName(int64_t utcMs) {
  const time_t seconds = static_cast<time_t>(utcMs / 1000);
  struct tm local {};
  localtime_r(&seconds, &local);
  char name[32];
  strftime(name, sizeof name, "MOB %H:%M:%S", &local);
  return name;
}

bool Usable(const LatLon& where) {
  return std::isfinite(where.lat) && std::isfinite(where.lon) && std::fabs(where.lat) <= 90 &&
         std::fabs(where.lon) <= 180 && !(where.lat == 0 && where.lon == 0);
}

}  // namespace

std::shared_ptr<CMark> CManOverboard::Raise(const LatLon& where, const std::string& source,
                                            int64_t utcMs, const std::string& device) {
  CNavDocuments* documents = context_.documents ? context_.documents() : nullptr;
  if (documents == nullptr) return nullptr;
  auto mark = std::make_shared<CMark>();
  mark->position = where;
  mark->name = MarkName(utcMs);
  mark->icon = "MOB";
  mark->color = kRgbRed;
  mark->existsOutsideCollection = true;
  mark->description = device.empty() ? "Man overboard (MOB button)" : "Man overboard (" + device + ")";
  // Not an undo step: a slip on Ctrl+Z must not take the MOB position away.
  documents->AddObject(mark);
  // A man-overboard position is never left to the autosave interval.
  documents->SaveLayer(documents->DefaultLayer());
  mark_ = mark;
  source_ = source;
  utcMs_ = utcMs;
  if (!context_.navigateTo || !context_.navigateTo(mark))
    Log("CManOverboard: cannot navigate to %s\n", mark->Id().c_str());
  LogEntry entry(kLogSensorAlarm);
  entry.AddText("alarm", kManOverboardText);
  entry.AddNumber("lat", where.lat);
  entry.AddNumber("lon", where.lon);
  entry.AddText("source", device.empty() ? "MOB button" : device);
  if (context_.writeLog) context_.writeLog(entry);
  Log("CManOverboard: %s at %f %f (%s)\n", mark->name.c_str(), where.lat, where.lon,
      source.c_str());
  sounding_ = true;
  lastSpokenMs_ = utcMs;
  if (context_.speak) context_.speak(kManOverboardText);
  return mark;
}

void CManOverboard::Tick(int64_t utcMs) {
  if (context_.takeReports) {
    for (const MobEvent& report : context_.takeReports()) {
      if (report.status != 'A' && report.status != 'M') continue;  // tests, errors, unused
      if (!seen_.insert(report.key + "@" + report.activationTime).second) continue;
      std::optional<LatLon> where;
      if (report.hasPosition && Usable(report.position)) where = report.position;
      if (!where && context_.ownPosition) where = context_.ownPosition();
      if (!where) {
        Log("CManOverboard: MOB report %s without a position\n", report.key.c_str());
        continue;
      }
      std::string device = "MOB device " + report.emitterId;
      if (!report.mmsi.empty()) device += ", MMSI " + report.mmsi;
      Raise(*where, "nmea", utcMs, device);
    }
  }
  if (sounding_ && utcMs - lastSpokenMs_ >= static_cast<int64_t>(kRepeatMs)) {
    lastSpokenMs_ = utcMs;
    if (context_.speak) context_.speak(kManOverboardText);
  }
}

bool CManOverboard::Acknowledge() {
  if (!sounding_) return false;
  sounding_ = false;
  return true;
}

json CManOverboard::State() const {
  if (!mark_) return {{"active", false}};
  return {{"active", true},
          {"id", mark_->Id()},
          {"lat", mark_->position.lat},
          {"lon", mark_->position.lon},
          {"utcMs", utcMs_},
          {"source", source_},
          {"acknowledged", !sounding_}};
}

void CManOverboard::Mount(CHttpServer& server, std::shared_ptr<CManOverboard> mob) {
  server.Get("/api/mob", [mob](const HttpRequest&) {
    return HttpResponse::Json(200, JsonText(mob->State()));
  });
  server.Post("/api/mob", [mob](const HttpRequest& request) {
    const json body = json::parse(request.body.empty() ? "{}" : request.body, nullptr, false);
    std::optional<LatLon> where;
    if (body.is_object() && body.contains("lat") && body.contains("lon") &&
        body["lat"].is_number() && body["lon"].is_number()) {
      where = LatLon{body["lat"].get<double>(), body["lon"].get<double>()};
      if (!Usable(*where))
        return HttpResponse::Json(400, JsonText({{"error", "The position is not valid."}}));
    } else if (mob->context_.ownPosition) {
      where = mob->context_.ownPosition();
    }
    if (!where)
      return HttpResponse::Json(
          503, JsonText({{"error", "No position: mark the man overboard on the chart."}}));
    auto mark = mob->Raise(*where, "button", static_cast<int64_t>(UtcNowMs()));
    if (!mark)
      return HttpResponse::Json(503, JsonText({{"error", "The navigation objects are not open."}}));
    return HttpResponse::Json(201, JsonText({{"id", mark->Id()}}));
  });
  server.Post("/api/mob/acknowledge", [mob](const HttpRequest&) {
    if (!mob->Acknowledge())
      return HttpResponse::Json(409, JsonText({{"error", "No man-overboard alarm sounds."}}));
    return HttpResponse::Json(200, JsonText(mob->State()));
  });
}

ManOverboardContext ProgramManOverboard() {
  ManOverboardContext context;
  context.documents = [] { return NavDocuments(); };
  context.ownPosition = []() -> std::optional<LatLon> {
    CNavData* store = NavData();
    const auto snapshot = store ? store->Snapshot() : nullptr;
    if (!snapshot) return std::nullopt;
    return snapshot->fix.position;
  };
  context.navigateTo = [](const std::shared_ptr<CNavObject>& mark) {
    return RouteNavigator().Activate(mark) == ActivateResult::Activated;
  };
  context.writeLog = [](const LogEntry& entry) { LogBook().Write(entry); };
  context.takeReports = [] { return MobReports().Take(); };
  context.speak = [](const std::string& text) { Notifications().Speak(text); };
  return context;
}

}  // namespace tarnwick
