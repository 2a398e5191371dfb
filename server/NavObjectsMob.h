#pragma once
// Man overboard: the page's MOB button and the MOB sentences of man-overboard
// devices put a mark at the position of the event, start navigation to it,
// write a logbook entry and speak "Man overboard!" again and again until the
// navigator acknowledges it. Runs on the user-interface thread.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "instruments/nmea/NmeaRecords.h"
#include "navobjects/documents/NavDocuments.h"
#include "server/HttpServer.h"

namespace tarnwick {

class LogEntry;

inline constexpr const char* kManOverboardText = "Man overboard!";

struct ManOverboardContext {
  std::function<CNavDocuments*()> documents;
  // Own ship's position now, degrees; none without a usable fix.
  std::function<std::optional<LatLon>()> ownPosition;
  // Starts navigation to the mark; false when it cannot.
  std::function<bool(const std::shared_ptr<CNavObject>&)> navigateTo;
  std::function<void(const LogEntry&)> writeLog;
  // The MOB reports received since the last call.
  std::function<std::vector<MobEvent>()> takeReports;
  std::function<void(const std::string&)> speak;
};

class CManOverboard {
 public:
  // How often the alarm is spoken until acknowledged, ms.
  static constexpr uint64_t kRepeatMs = 10000;

  explicit CManOverboard(ManOverboardContext context) : context_(std::move(context)) {}

  // Puts the MOB mark at where (degrees), navigates to it, logs and sounds the
  // alarm; utcMs is the time of the event, source "button" or "nmea". Returns
  // the mark, or null when the documents are not open.
  std::shared_ptr<CMark> Raise(const LatLon& where, const std::string& source, int64_t utcMs,
                               const std::string& device = "");
  // Acts on new MOB reports (status active or manual; once per device and
  // activation) and repeats the alarm; called every tick with the UTC time in ms.
  void Tick(int64_t utcMs);
  // Stops the repeating alarm; false when none sounds.
  bool Acknowledge();
  // {"active","id","lat","lon","utcMs","source","acknowledged"} (server/README.md).
  nlohmann::json State() const;

  static void Mount(CHttpServer& server, std::shared_ptr<CManOverboard> mob);

 private:
  ManOverboardContext context_;
  std::shared_ptr<CMark> mark_;
  std::string source_;
  int64_t utcMs_ = 0;
  bool sounding_ = false;
  int64_t lastSpokenMs_ = 0;
  std::set<std::string> seen_;  // device key + activation time of reports acted on
};

// The program's documents, own ship, route navigator, logbook and voice.
ManOverboardContext ProgramManOverboard();

}  // namespace tarnwick
