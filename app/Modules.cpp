#include "app/Modules.h"

#include "core/Application.h"
#include "core/Notifications.h"

namespace tarnwick {

void RegisterModules(CApplication& app, const ModuleOptions& /*options*/) {
  app.OnStartupStage("Init Main Frame", [] {
    Notifications().SetVoiceSink(MakeSystemVoiceSink());
    return true;
  });
  app.OnShutdownStage("Exit_Voice", [] { Notifications().SetVoiceSink(nullptr); });
}

}  // namespace tarnwick
