#include "app/Modules.h"

#include <memory>

#include "core/Application.h"
#include "core/Log.h"
#include "core/Notifications.h"
#include "core/units/UnitSystem.h"
#include "server/HttpServer.h"
#include "server/OptionsController.h"

namespace tarnwick {
namespace {

std::unique_ptr<CHttpServer> g_http;

void RegisterHttpServer(CApplication& app) {
  app.OnStartupStage("NetStart", [] {
    g_http = std::make_unique<CHttpServer>();
    COptionsController::Mount(*g_http);
    const int port = ConfiguredHttpPort();
    if (!g_http->Start("127.0.0.1", port)) {
      Log("NetStart: the HTTP server cannot listen on port %d\n", port);
      Notifications().Post(NotificationKind::Error,
                           "$AppTitle cannot serve its pages on port " + std::to_string(port) +
                               ". Another program may be using it; change Network_HttpPort.");
      g_http.reset();
      return true;
    }
    Log("HTTP server: %s\n", g_http->Url().c_str());
    return true;
  });
  app.OnShutdownStage("Exit_ModularTcpServer", [] { g_http.reset(); });
}

}  // namespace

std::string MainPageUrl() { return g_http ? g_http->Url() : std::string(); }

void RegisterModules(CApplication& app, const ModuleOptions& /*options*/) {
  app.OnStartupStage("Init Main Frame", [] {
    Notifications().SetVoiceSink(MakeSystemVoiceSink());
    return true;
  });
  app.OnShutdownStage("Exit_Voice", [] { Notifications().SetVoiceSink(nullptr); });
  // The loaded unit settings become the display indices and the sailing mode.
  app.OnStartupStage("Settings", [] {
    RefreshUnitSettings();
    return true;
  });
  RegisterHttpServer(app);
}

}  // namespace tarnwick
