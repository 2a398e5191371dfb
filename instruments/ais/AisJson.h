#pragma once
// JSON forms of decoded AIS messages and of targets, in natural units
// (degrees, knots, metres), with null where the value is "not available".
// Written straight into the caller's string: `tarnwick ais decode` emits one
// object per message and the log is large.

#include <string>

#include "instruments/ais/AisMessage.h"
#include "instruments/ais/AisTarget.h"

namespace tarnwick {

// Appends the object of message ("type", "repeat", "mmsi" and the fields the
// message carries) to out, without a line end.
void AppendAisMessageJson(std::string& out, const AisMessage& message);
// The object of message as its own string.
std::string AisMessageJson(const AisMessage& message);

// Appends the object of target (every report field and its assessment) to out.
void AppendAisTargetJson(std::string& out, const CAisTarget& target);
std::string AisTargetJson(const CAisTarget& target);

}  // namespace tarnwick
