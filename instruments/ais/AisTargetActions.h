#pragma once
// What the navigator does with targets of the AIS table, from the page or the
// CLI: acknowledge a collision warning (the target becomes "dangerous
// (already warned)"), set a target aside or take it back, and reset the table
// ("ResetAIS"). Each answers with an HTTP-like status and a text.

#include <cstdint>
#include <string>

namespace tarnwick {

class CAisReceiver;

struct AisActionResult {
  int status = 200;  // 200 done, 404 no such target, 409 not possible in its state
  std::string text;  // for the navigator
};

AisActionResult AcknowledgeAisWarning(CAisReceiver& receiver, uint32_t mmsi);
// aside: true sets the target aside (it is no longer shown or assessed), false takes it back.
AisActionResult SetAisTargetAside(CAisReceiver& receiver, uint32_t mmsi, bool aside);
AisActionResult ResetAisTargets(CAisReceiver& receiver);

}  // namespace tarnwick
