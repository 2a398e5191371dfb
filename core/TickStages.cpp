#include "core/TickStages.h"

#include <cstddef>

namespace tarnwick {

const char* TickStageName(TickStage stage) {
  static constexpr std::array<const char*, kTickStageCount> kNames = {
      "ExecTimers",       "XUI_Animate",     "UpdateNavInfo",     "UpdateAIS",
      "UpdateNavObjects", "Autopilot_Update", "UpdateObstacles",  "UpdateAlarms",
      "CAppTimer::OnTick", "Radar_Advance",   "InfoPanel_OnTick", "Pubs_OnSync",
      "DoAllJobs",        "Settings_SaveModified"};
  return kNames[static_cast<std::size_t>(stage)];
}

}  // namespace tarnwick
