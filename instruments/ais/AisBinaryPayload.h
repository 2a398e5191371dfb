#pragma once
// Application payloads of binary messages (6, 8, 25, 26), by application id.

#include <optional>

#include "instruments/ais/AisBits.h"
#include "instruments/ais/AisMessage.h"

namespace tarnwick {

inline constexpr int kAisDacInternational = 1;
inline constexpr int kAisFiMetHydro = 31;

// The meteorological and hydrographic report (DAC 1, FI 31) whose data starts
// at bit offset and holds dataBits bits; nothing for other application ids or
// a payload shorter than the report.
std::optional<AisMetHydro> DecodeBinaryPayload(const AisBits& bits, int dac, int fi, int offset,
                                               int dataBits);

}  // namespace tarnwick
