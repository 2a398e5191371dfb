#pragma once
// The voyage recordings page's player controls: "GET /api/player" (state,
// day, virtual time, speed and the day's recorded range), "POST /api/player"
// ({"action":"play"|"pause"|"stop"|"speed"|"seek", "day":"YYYY-MM-DD",
// "speed":x, "timeUtcMs":t}) and "GET /api/recordings" (the recorded days).

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "recording/vdr/VoyageDataPlayer.h"
#include "server/HttpServer.h"

namespace tarnwick {

class CPlayerApi {
 public:
  // player: the player, looked up per request (null while there is none: the
  // controls answer 503); folder: the recordings folder.
  CPlayerApi(std::function<VoyageDataPlayer*()> player,
             std::function<std::filesystem::path()> folder);
  static void Mount(CHttpServer& server, std::shared_ptr<CPlayerApi> api);

  HttpResponse State() const;
  HttpResponse Control(const HttpRequest& request);
  HttpResponse Days() const;

 private:
  // The first and last recorded instant of the UTC day starting at dayStartUtcMs.
  std::optional<std::pair<int64_t, int64_t>> DayRange(int64_t dayStartUtcMs) const;
  // The time of the first record of that day.
  std::optional<int64_t> FirstRecordOfDay(int64_t dayStartUtcMs) const;

  const std::function<VoyageDataPlayer*()> player_;
  const std::function<std::filesystem::path()> folder_;
  mutable std::mutex mutex_;
  std::optional<int64_t> day_;  // start of the day last played
};

// "YYYY-MM-DD" -> ms of its first instant (UTC); empty when not a date.
std::optional<int64_t> ParseDay(const std::string& text);
// The "YYYY-MM-DD" of utcMs (UTC).
std::string FormatDay(int64_t utcMs);

}  // namespace tarnwick
