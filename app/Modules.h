#pragma once
// Plugs each subsystem's work into the application's start-up, tick and
// shutdown stages.

namespace tarnwick {

class CApplication;

struct ModuleOptions {
  bool demo = false;  // run on the built-in demo data
};

void RegisterModules(CApplication& app, const ModuleOptions& options);

}  // namespace tarnwick
