#pragma once
// The autopilot and repeater output: RMB, APB, XTE, BOD and BWC composed from
// the active leg, written once per second and at once when the active
// waypoint changes, the leg of a waypoint just reached once with its arrival
// flags before the next one; when navigation stops, the empty APB and an XTE marked
// invalid are written once so that an autopilot disengages cleanly. Runs in
// the "Autopilot_Update" stage.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "navobjects/navigation/NavController.h"

namespace tarnwick {

// The talker of the program's own sentences: electronic chart system.
inline constexpr const char* kAutopilotPrefix = "$EC";
inline constexpr uint64_t kAutopilotIntervalMs = 1000;

// The sentences for one leg (each ending in "*hh\r\n"): RMB, APB, XTE, BOD,
// BWC. magnetic: APB's bearings are all magnetic rather than all true.
// utcMs: the time of the observation (BWC), ms since 1970.
std::vector<std::string> ComposeLegSentences(const ActiveLeg& leg, bool magnetic, int64_t utcMs);
// The sentences written once when navigation stops.
std::vector<std::string> ComposeStopSentences();

class CAutopilotOutput {
 public:
  using Writer = std::function<void(std::string_view sentence)>;
  // writer receives every sentence (the talker ports in the program).
  CAutopilotOutput(const CNavController& navigation, Writer writer);

  // One tick: writes when due. Times come from TickCount() and UtcNowMs(); the
  // bearing reference from Units_BearingFormat.
  void Update();

 private:
  const CNavController& navigation_;
  Writer writer_;
  std::optional<uint64_t> lastSentTick_;
  uint64_t sentSerial_ = 0;
  uint64_t arrivalSerial_ = 0;
  bool legSent_ = false;
};

}  // namespace tarnwick
