#include "core/ProgramSettings.h"

#include <fstream>

#include "core/AdminIni.h"
#include "core/Log.h"
#include "core/Paths.h"
#include "core/RegistryFile.h"
#include "core/SettingsRegistry.h"
#include "core/Storage.h"

namespace tarnwick {
namespace {

// The fleet settings document, when the fleet feature is active (the file exists).
std::optional<nlohmann::json> LoadFleetDocument() {
  std::ifstream in(ConfigFolder() / "fleet.json");
  if (!in) return std::nullopt;
  auto document = nlohmann::json::parse(in, nullptr, false);
  if (document.is_discarded()) {
    Log("Fleet settings document is not valid JSON; no settings are locked\n");
    return std::nullopt;
  }
  return document;
}

}  // namespace

bool LoadProgramSettings(CRegistryFile& registry) {
  SettingsSources sources;
  sources.store = Storage().IsOpen() ? &Storage() : nullptr;
  sources.adminInis = AdminIniPaths();
  sources.registry = &registry;
  sources.fleetDocument = LoadFleetDocument();
  CSettingsRegistry::Instance().Load(sources);
  return sources.store != nullptr;
}

}  // namespace tarnwick
