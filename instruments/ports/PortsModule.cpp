#include "instruments/ports/PortsModule.h"

#include <filesystem>
#include <optional>

#include "core/Application.h"
#include "instruments/ports/ElectronicsDb.h"
#include "instruments/ports/PortManager.h"

namespace tarnwick {
namespace {

// How often the user-interface thread looks whether electronics.db changed, ms.
constexpr uint64_t kSettingsCheckMs = 2000;

std::optional<std::filesystem::file_time_type> g_seenChange;

std::optional<std::filesystem::file_time_type> LastChange() {
  std::error_code ec;
  const auto time = std::filesystem::last_write_time(CElectronicsDb::DefaultPath(), ec);
  if (ec) return std::nullopt;
  return time;
}

}  // namespace

void RestartPorts() {
  g_seenChange = LastChange();
  PortManager().Restart(CElectronicsDb::DefaultPath());
}

void RegisterPorts(CApplication& app) {
  app.OnStartupStage("Init Ports", [] {
    g_seenChange = LastChange();
    PortManager().CreateAll(CElectronicsDb::DefaultPath());
    return true;
  });
  app.AddTimer(kSettingsCheckMs, [] {
    if (LastChange() != g_seenChange) RestartPorts();
  });
  app.OnShutdownStage("Exit_Ports", [] { PortManager().Shutdown(); });
}

}  // namespace tarnwick
