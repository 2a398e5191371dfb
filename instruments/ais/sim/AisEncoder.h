#pragma once
// Encoding of AIS messages into their bit layouts: the inverse of
// DecodeAisMessage for the messages a transponder of another vessel or an
// aid to navigation sends about itself: 1, 2, 3 (class A position), 5 (static
// and voyage data), 18 (class B position), 21 (aid to navigation) and 24 parts
// A and B (class B static data). Pure functions, no state.

#include <optional>

#include "instruments/ais/AisBits.h"
#include "instruments/ais/AisMessage.h"

namespace tarnwick {

// The bits of message (values as AisMessage holds them: raw 0.1 knot speeds,
// 0.1 degree courses, degrees of latitude and longitude, "not available"
// markers). Empty when the type is not one of the above or a member the type
// needs is missing (position for 1-3, 18, 21; statics for 5 and 24; part for
// 24). Numbers too wide for their field are clamped to the field's range;
// characters outside the AIS six-bit set are sent as blanks.
std::optional<AisBits> EncodeAisMessage(const AisMessage& message);

}  // namespace tarnwick
