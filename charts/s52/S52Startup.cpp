#include "charts/s52/S52Startup.h"

#include "charts/s52/S52Library.h"
#include "core/Application.h"

namespace tarnwick {

void RegisterS52Library(CApplication& app) {
  app.OnStartupStage("Init_ENC", [] {
    LoadS52LibraryFromProgramFolder();
    return true;
  });
}

}  // namespace tarnwick
