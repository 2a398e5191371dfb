#pragma once
// The JSON forms of the live data the web user interface shows: the own-ship
// snapshot with its sensor menu, AIS targets, the active route's monitor
// values and notifications. Pure functions over copies of program state;
// texts are formatted by the unit settings. See server/README.md for the shapes.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/Notifications.h"
#include "instruments/ais/AisTarget.h"
#include "instruments/navdata/NavData.h"
#include "instruments/navdata/OwnShipSnapshot.h"
#include "navobjects/navigation/NavController.h"

namespace tarnwick {

// The position part of the boat's sensor menu.
struct SensorMenu {
  std::vector<PositionSensorEntry> positions;
  bool autoSelect = true;
  bool deadReckoning = false;
};

// One line of JSON text; invalid UTF-8 in strings becomes U+FFFD instead of failing.
std::string JsonText(const nlohmann::json& value);

// {"v","text","age"} of one value (age in ms at the snapshot's time).
nlohmann::json ValueJson(const OwnShipValue& value, std::string text);

// OWNSHIP: the snapshot with texts by the unit settings and the sensor menu.
nlohmann::json OwnShipJson(const OwnShipSnapshot& snapshot, const SensorMenu& sensors);

// "Normal", "No longer dangerous", "Dangerous", "Dangerous (acknowledged)",
// "Lost", "Lost (hidden)".
const char* AisStateText(AisTargetState state);

// TARGET: what the target list and the plot need. It carries the time of the
// last report on the program's monotonic clock ("reportMs"), not its age, so
// an unchanged target keeps the same text; the events say what that clock
// reads ("serverMs").
nlohmann::json AisTargetLiveJson(const CAisTarget& target);
// TARGET plus every static and voyage field and the UTC of the last report
// ("reportUtcMs", the recorded time when it was played back); texts: the
// safety texts received from the target, oldest first.
struct AisText {
  int64_t utcMs = 0;
  std::string text;
};
nlohmann::json AisTargetDetailJson(const CAisTarget& target, const std::vector<AisText>& texts);

// ROUTE, or null while no route or mark is active. nowUtcMs: for the ETA.
nlohmann::json RouteJson(const CNavController& navigation, int64_t nowUtcMs);

// NOTE: {"id","kind","text","spoken","utcMs"} ("bar":true for message-bar texts).
nlohmann::json NoteJson(const Notification& note);

// "day", "dusk" or "night" of an S52_ColorMode text (day when unknown or empty).
std::string ColorModeName(std::string_view settingText);

}  // namespace tarnwick
