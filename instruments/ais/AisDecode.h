#pragma once
// Decoding of one completed AIS message from its bit store: pure functions,
// no state. The value rules of the program apply here: a message whose length
// is wrong for its type, a position report at 0,0, MMSI 1193046, or MMSI 0 from
// another vessel gives no message at all.

#include <optional>

#include "instruments/ais/AisBits.h"
#include "instruments/ais/AisMessage.h"

namespace tarnwick {

// The message in bits, or nothing when it is dropped. Types 1 to 26 decode
// (those without a layout of their own give the common header only); 0 and
// 27 to 63 are dropped. ownVessel: the message came in a VDO sentence.
std::optional<AisMessage> DecodeAisMessage(const AisBits& bits, bool ownVessel);

// A latitude or longitude in 1/10000 minute (or the given divisor) as degrees;
// outside -90..90 (or -180..180) the "not available" marker 91 (or 181).
double AisLatitude(int32_t raw, double perDegree = 600000.0);
double AisLongitude(int32_t raw, double perDegree = 600000.0);

}  // namespace tarnwick
