#include "server/PlayerApi.h"

#include <cmath>
#include <cstdio>
#include <map>

#include "core/Log.h"
#include "recording/UtcTime.h"
#include "recording/vdr/VdrFiles.h"
#include "recording/vdr/VoyageRecordingsPage.h"
#include "server/LiveJson.h"

namespace tarnwick {
namespace {

using nlohmann::json;

constexpr double kMaxSpeed = 1000;
constexpr double kMaxTimeMs = 1e15;  // about the year 33658

HttpResponse Error(int status, const std::string& message) {
  return HttpResponse::Json(status, JsonText({{"error", message}}));
}

}  // namespace

std::optional<int64_t> ParseDay(const std::string& text) {
  int year = 0, month = 0, day = 0;
  char tail = 0;
  if (text.size() != 10 || sscanf(text.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &tail) != 3)
    return std::nullopt;
  if (year < 1970 || month < 1 || month > 12 || day < 1 || day > 31) return std::nullopt;
  const int64_t start = MakeUtcMs({year, month, day, 0, 0, 0, 0});
  if (SplitUtc(start).day != day) return std::nullopt;  // 2023-02-30 and the like
  return start;
}

std::string FormatDay(int64_t utcMs) {
  const UtcParts parts = SplitUtc(utcMs);
  char text[16];
  snprintf(text, sizeof text, "%04d-%02d-%02d", parts.year, parts.month, parts.day);
  return text;
}

CPlayerApi::CPlayerApi(std::function<VoyageDataPlayer*()> player,
                       std::function<std::filesystem::path()> folder)
    : player_(std::move(player)), folder_(std::move(folder)) {}

std::optional<std::pair<int64_t, int64_t>> CPlayerApi::DayRange(int64_t dayStart) const {
  std::optional<std::pair<int64_t, int64_t>> range;
  const int64_t dayEnd = dayStart + 86'400'000;
  for (const RecordingFile& file : ListRecordingFiles(folder_())) {
    if (file.endUtcMs <= dayStart || file.startUtcMs >= dayEnd) continue;
    const int64_t start = std::max(file.startUtcMs, dayStart);
    const int64_t end = std::min(file.endUtcMs, dayEnd);
    if (!range) range.emplace(start, end);
    range->first = std::min(range->first, start);
    range->second = std::max(range->second, end);
  }
  return range;
}

std::optional<int64_t> CPlayerApi::FirstRecordOfDay(int64_t dayStart) const {
  for (const RecordingDay& day : ListRecordingDays(folder_()))
    if (StartOfUtcDay(day.firstUtcMs) == dayStart) return day.firstUtcMs;
  return std::nullopt;
}

HttpResponse CPlayerApi::State() const {
  json out = {{"state", "stopped"}, {"speed", 1.0}};
  json speeds = json::array();
  for (double speed : kPlaybackSpeeds) speeds.push_back(speed);
  out["speeds"] = std::move(speeds);
  VoyageDataPlayer* player = player_ ? player_() : nullptr;
  if (!player) {
    out["available"] = false;
    return HttpResponse::Json(200, JsonText(out));
  }
  const PlayerStatus status = player->Status();
  out["available"] = true;
  out["state"] = !status.playing ? "stopped" : status.paused ? "paused" : "playing";
  out["speed"] = status.speed;
  out["atEnd"] = status.atEnd;
  std::optional<int64_t> day;
  {
    std::lock_guard lock(mutex_);
    day = day_;
  }
  if (status.virtualUtcMs) {
    out["timeUtcMs"] = *status.virtualUtcMs;
    day = StartOfUtcDay(*status.virtualUtcMs);
  }
  if (day) {
    out["day"] = FormatDay(*day);
    if (auto range = DayRange(*day)) {
      out["startUtcMs"] = range->first;
      out["endUtcMs"] = range->second;
    }
  }
  return HttpResponse::Json(200, JsonText(out));
}

HttpResponse CPlayerApi::Control(const HttpRequest& request) {
  const json body = json::parse(request.body, nullptr, false);
  if (body.is_discarded() || !body.is_object()) return Error(400, "The body is not a JSON object.");
  if (body.contains("action") && !body["action"].is_string())
    return Error(400, "\"action\" must be a text.");
  const std::string action = body.value("action", std::string());
  if (action.empty()) return Error(400, "Give an \"action\": play, pause, stop, speed or seek.");
  VoyageDataPlayer* player = player_ ? player_() : nullptr;
  if (!player) return Error(503, "There is no voyage data player.");

  std::optional<int64_t> day;
  if (body.contains("day")) {
    day = body["day"].is_string() ? ParseDay(body["day"].get<std::string>()) : std::nullopt;
    if (!day) return Error(400, "\"day\" must be a date YYYY-MM-DD.");
  }
  std::optional<int64_t> time;
  if (body.contains("timeUtcMs")) {
    const double value = body["timeUtcMs"].is_number() ? body["timeUtcMs"].get<double>() : NAN;
    if (!std::isfinite(value) || std::fabs(value) > kMaxTimeMs)
      return Error(400, "\"timeUtcMs\" must be a time in ms since 1970.");
    time = static_cast<int64_t>(value);
  }

  if (action == "play") {
    std::optional<int64_t> start = time;
    const PlayerStatus status = player->Status();
    // A paused playback of the day goes on where it paused.
    const bool resumes = status.paused && status.virtualUtcMs &&
                         (!day || StartOfUtcDay(*status.virtualUtcMs) == *day);
    if (!start && day && !resumes) {
      const auto first = FirstRecordOfDay(*day);
      if (!first) return Error(404, "Nothing was recorded on " + FormatDay(*day) + ".");
      start = first;
    }
    if (start) {
      player->Seek(*start);
      std::lock_guard lock(mutex_);
      day_ = StartOfUtcDay(*start);
    }
    player->Play();
  } else if (action == "pause") {
    player->Pause();
  } else if (action == "stop") {
    player->Stop();
  } else if (action == "speed") {
    if (!body.contains("speed") || !body["speed"].is_number())
      return Error(400, "\"speed\" must be a number.");
    const double speed = body["speed"].get<double>();
    if (!(speed > 0) || speed > kMaxSpeed || !std::isfinite(speed))
      return Error(400, "\"speed\" must be above 0 and at most 1000.");
    player->SetSpeed(speed);
  } else if (action == "seek") {
    if (!time) return Error(400, "\"seek\" needs \"timeUtcMs\".");
    player->Seek(*time);
    std::lock_guard lock(mutex_);
    day_ = StartOfUtcDay(*time);
  } else {
    return Error(400, "Unknown action '" + action + "': use play, pause, stop, speed or seek.");
  }
  Log("Player: %s from the recordings page\n", action.c_str());
  return HttpResponse::Json(200, JsonText({{"action", action}}));
}

HttpResponse CPlayerApi::Days() const {
  std::map<int64_t, std::pair<int64_t, int64_t>> days;
  std::map<int64_t, int> files;
  for (const RecordingFile& file : ListRecordingFiles(folder_())) {
    const int64_t day = StartOfUtcDay(file.startUtcMs);
    auto [it, added] = days.try_emplace(day, file.startUtcMs, file.endUtcMs);
    if (!added) {
      it->second.first = std::min(it->second.first, file.startUtcMs);
      it->second.second = std::max(it->second.second, file.endUtcMs);
    }
    ++files[day];
  }
  json list = json::array();
  for (const auto& [day, range] : days)
    list.push_back({{"day", FormatDay(day)},
                    {"startUtcMs", range.first},
                    {"endUtcMs", range.second},
                    {"files", files[day]}});
  return HttpResponse::Json(200, JsonText({{"days", std::move(list)}}));
}

void CPlayerApi::Mount(CHttpServer& server, std::shared_ptr<CPlayerApi> api) {
  server.Get(
      "/api/player", [api](const HttpRequest&) { return api->State(); }, HandlerThread::Worker);
  server.Post(
      "/api/player", [api](const HttpRequest& r) { return api->Control(r); },
      HandlerThread::Worker);
  server.Get(
      "/api/recordings", [api](const HttpRequest&) { return api->Days(); }, HandlerThread::Worker);
}

}  // namespace tarnwick
