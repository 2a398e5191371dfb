#pragma once
// JSON forms of decoded AIS messages and of targets, in natural units
// (degrees, knots, metres), with null where the value is "not available".

#include <nlohmann/json.hpp>

#include "instruments/ais/AisMessage.h"
#include "instruments/ais/AisTarget.h"

namespace tarnwick {

// "type", "repeat", "mmsi" and the fields the message carries.
nlohmann::ordered_json AisMessageJson(const AisMessage& message);

// Every report field of the target and its assessment.
nlohmann::ordered_json AisTargetJson(const CAisTarget& target);

}  // namespace tarnwick
