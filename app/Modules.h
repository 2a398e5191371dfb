#pragma once
// Plugs each subsystem's work into the application's start-up, tick and
// shutdown stages.

#include <string>
#include <vector>

#include "app/Demo.h"

namespace tarnwick {

class CApplication;

struct ModuleOptions {
  bool demo = false;                     // run on the built-in demo data
  DemoVoyage demoVoyage = DemoVoyage::Harbour;  // the demo's voyage at start
  std::vector<std::string> commandLine;  // switches and documents, opened in "Process startup docs"
};

void RegisterModules(CApplication& app, const ModuleOptions& options);

// The address of the main window's page ("http://127.0.0.1:8213/"), or "" while
// the HTTP server is not running.
std::string MainPageUrl();

}  // namespace tarnwick
