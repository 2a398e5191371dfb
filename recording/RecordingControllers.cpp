#include "recording/RecordingControllers.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <thread>

#include "core/Log.h"
#include "recording/UtcTime.h"
#include "recording/logbook/LogQuery.h"
#include "recording/vdr/VoyageDataPlayer.h"
#include "recording/vdr/VoyageRecordingsPage.h"

extern char** environ;

namespace tarnwick {
namespace {

std::string Param(const QueryParams& params, const char* name) {
  auto it = params.find(name);
  return it == params.end() ? std::string() : it->second;
}

HttpReply Reply(int status, std::string contentType, std::string body) {
  HttpReply reply;
  reply.status = status;
  reply.contentType = std::move(contentType);
  reply.headers.push_back({"Cache-Control", "no-cache"});
  reply.body = std::move(body);
  return reply;
}

HttpReply NotFound() {
  return Reply(404, "text/plain", "Not found");
}

}  // namespace

const std::vector<std::string>& CLogHttpController::Routes() {
  static const std::vector<std::string> kRoutes = {"/browser/log", "/log"};
  return kRoutes;
}

const std::vector<std::string>& CLogHttpController::CommandRoutes() {
  static const std::vector<std::string> kNone;
  return kNone;
}

HttpReply CLogHttpController::Handle(std::string_view path, const QueryParams& params) const {
  if (path == "/log") return RunLogQuery(logDb_, params);
  if (path == "/browser/log") {
    const std::string pageText = Param(params, "page");
    const int page = pageText.empty() ? 0 : std::max(0, atoi(pageText.c_str()));
    std::optional<std::string> parent;
    if (params.count("parent")) parent = Param(params, "parent");
    return Reply(200, "text/html", BuildLogPage(logDb_, page, parent).html);
  }
  return NotFound();
}

CVoyageRecordingsController::CVoyageRecordingsController(
    std::filesystem::path folder, std::function<VoyageDataPlayer*()> player,
    std::function<bool(const std::filesystem::path&)> openFolder)
    : folder_(std::move(folder)), player_(std::move(player)), openFolder_(std::move(openFolder)) {}

const std::vector<std::string>& CVoyageRecordingsController::Routes() {
  static const std::vector<std::string> kRoutes = {"/browser/voyage_recordings/?"};
  return kRoutes;
}

const std::vector<std::string>& CVoyageRecordingsController::CommandRoutes() {
  static const std::vector<std::string> kRoutes = {
      "/browser/voyage_recordings/play", "/browser/voyage_recordings/show-voyage-recording-files"};
  return kRoutes;
}

HttpReply CVoyageRecordingsController::Handle(std::string_view path,
                                              const QueryParams& params) const {
  if (path == "/browser/voyage_recordings" || path == "/browser/voyage_recordings/") {
    return Reply(200, "text/html", BuildVoyageRecordingsPage(ListRecordingDays(folder_), "self"));
  }
  if (path == "/browser/voyage_recordings/play") {
    const auto start = ParseIsoUtc(Param(params, "start"));
    if (!start) return Reply(400, "text/plain", "play: \"start\" is not a time");
    VoyageDataPlayer* player = player_ ? player_() : nullptr;
    if (!player) return Reply(503, "text/plain", "play: no voyage data player");
    player->Seek(*start);
    player->Play();
    return Reply(200, "text/plain", "Playing from " + FormatIsoUtcMs(*start));
  }
  if (path == "/browser/voyage_recordings/show-voyage-recording-files") {
    std::error_code ec;
    if (!folder_.is_absolute() || !std::filesystem::is_directory(folder_, ec))
      return Reply(404, "text/plain", "There is no recordings folder yet.");
    if (!openFolder_ || !openFolder_(folder_))
      return Reply(500, "text/plain", "cannot show " + folder_.string());
    return Reply(200, "text/plain", folder_.string());
  }
  return NotFound();
}

bool OpenFolderInFileBrowser(const std::filesystem::path& folder) {
  // An absolute path never reads as an option of xdg-open.
  const std::string path = std::filesystem::absolute(folder).string();
  char program[] = "xdg-open";
  char* argv[] = {program, const_cast<char*>(path.c_str()), nullptr};
  pid_t child = 0;
  if (posix_spawnp(&child, "xdg-open", nullptr, nullptr, argv, environ) != 0) {
    Log("VDR_ShowFiles: cannot start xdg-open for %s\n", path.c_str());
    return false;
  }
  // Reap the child without making the caller wait for the file browser.
  std::thread([child] { waitpid(child, nullptr, 0); }).detach();
  return true;
}

}  // namespace tarnwick
