#pragma once
// The named stages of the global tick, in the order they run.

#include <array>

namespace tarnwick {

enum class TickStage : int {
  ExecTimers,            // run due application timers
  XUI_Animate,           // advance page animations
  UpdateNavInfo,         // recompute navigation data derived from the sensors
  UpdateAIS,             // age and assess AIS targets
  UpdateNavObjects,      // marks, routes, tracks and the active route
  Autopilot_Update,      // feed the autopilot output
  UpdateObstacles,       // look-ahead obstacle checks
  UpdateAlarms,          // raise and clear alarms
  AppTimer_OnTick,       // per-object timers of windows and panels
  Radar_Advance,         // advance radar image processing
  InfoPanel_OnTick,      // refresh the information panel
  Pubs_Sync,             // publication-synchronisation state changes
  DoAllJobs,             // queued background-job completions
  Settings_SaveModified, // write settings changed more than 1000 ms ago
};

inline constexpr int kTickStageCount = static_cast<int>(TickStage::Settings_SaveModified) + 1;

// The stage's name as logged ("UpdateAIS", "CAppTimer::OnTick").
const char* TickStageName(TickStage stage);

}  // namespace tarnwick
