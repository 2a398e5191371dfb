#pragma once
// The obstacle alarm over the look-ahead's results, tick by tick: a danger
// ahead raises one alarm with the danger named ("Obstacle ahead: %s in %s",
// the danger and the time to reach it), spoken and on the message bar; the
// same danger still ahead is spoken again after the time between alerts; a
// new danger raises the alarm anew; the alarm clears when the sweep is free
// (or the look-ahead is switched off). The state goes to the page as JSON:
//
//   OBSTACLE = {"enabled":bool,"active":bool,"text":"Obstacle ahead: ...",
//               "sweep":[[lon,lat]...],
//               "danger":{"name","kind":"shallow"|"land"|"obstruction","class":"WRECKS",
//                         "chart","lat","lon","distanceM","seconds","depthM"}}
//
// sweep is absent when no sweep was made (not moving, no position), danger
// and text when nothing is ahead, depthM when unknown.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "charts/lookahead/ObstacleLookAhead.h"

namespace tarnwick {

inline constexpr const char* kObstacleAheadText = "Obstacle ahead: %s in %s";

struct ObstacleAlarmSettings {
  bool enabled = true;        // Alerts_Obstacles
  uint64_t repeatMs = 30000;  // Alerts_TimeBetweenAlerts
  bool voice = true;          // Alerts_EnableVoiceAlerts
};

// How a danger is named: "Wreck (2.1 m)", "Land area \"Mokapu\"",
// "Shallow water (5.4 m)"; depthText formats metres by the unit settings.
std::string DangerName(const LookAheadDanger& danger,
                       const std::function<std::string(double metres)>& depthText);
// "Obstacle ahead: <name> in 1 minute 40 seconds" (seconds rounded to 5).
std::string ObstacleAheadText(const std::string& name, double seconds);

class CObstacleAlarm {
 public:
  // Receives each alarm text: raised (a new alarm, for the message bar) or a
  // repetition (spoken only); voice as the settings say.
  using Sink = std::function<void(const std::string& text, bool raised, bool voice)>;
  CObstacleAlarm(Sink sink, std::function<std::string(double metres)> depthText);

  // One tick at now (ms). True when the alarm was raised, changed or cleared.
  bool Update(const LookAheadResult& result, const ObstacleAlarmSettings& settings, uint64_t now);

  bool Active() const { return active_.has_value(); }
  const std::string& Text() const { return text_; }
  // The OBSTACLE JSON of the last update.
  std::string Json() const { return json_; }

 private:
  struct Identity {
    std::string chart;
    uint32_t feature = 0;
    friend bool operator==(const Identity&, const Identity&) = default;
  };

  Sink sink_;
  std::function<std::string(double)> depthText_;
  std::optional<Identity> active_;
  std::string text_;
  uint64_t lastSaid_ = 0;
  std::string json_ = "{\"enabled\":false,\"active\":false}";
};

}  // namespace tarnwick
