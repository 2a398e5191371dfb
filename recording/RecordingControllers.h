#pragma once
// The recording pages and queries of the HTTP server, as handlers of a path
// and its query parameters: "/browser/log" (the log page), "/log" (the
// logbook query) and "/browser/voyage_recordings" with its commands "play"
// and "show-voyage-recording-files". Routes() only read (GET); the commands
// of CommandRoutes() change state and are served as POSTs.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "recording/HttpReply.h"

namespace tarnwick {

class VoyageDataPlayer;

class CLogHttpController {
 public:
  // logDb: the logbook database, read through its own read-only connections.
  explicit CLogHttpController(std::filesystem::path logDb) : logDb_(std::move(logDb)) {}

  // The paths this controller answers; it has no commands.
  static const std::vector<std::string>& Routes();
  static const std::vector<std::string>& CommandRoutes();
  // Answers path with its query parameters; 404 for any other path.
  HttpReply Handle(std::string_view path, const QueryParams& params) const;

 private:
  std::filesystem::path logDb_;
};

class CVoyageRecordingsController {
 public:
  // folder: the recordings folder; player: gives the player that "play"
  // starts, looked up per request since it is made after the routes are
  // mounted (null while there is none); openFolder: shows the folder in the
  // desktop's file browser.
  CVoyageRecordingsController(std::filesystem::path folder,
                              std::function<VoyageDataPlayer*()> player,
                              std::function<bool(const std::filesystem::path&)> openFolder);

  // The page, and the commands "play" (parameter "start") and
  // "show-voyage-recording-files".
  static const std::vector<std::string>& Routes();
  static const std::vector<std::string>& CommandRoutes();
  HttpReply Handle(std::string_view path, const QueryParams& params) const;

 private:
  std::filesystem::path folder_;
  std::function<VoyageDataPlayer*()> player_;
  std::function<bool(const std::filesystem::path&)> openFolder_;
};

// Opens folder with xdg-open in a child process; false when it cannot be started.
bool OpenFolderInFileBrowser(const std::filesystem::path& folder);

}  // namespace tarnwick
