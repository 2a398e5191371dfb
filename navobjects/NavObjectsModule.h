#pragma once
// The navigation objects in the running program: the process-wide documents
// opened by "Init NavObj", the per-tick work of "UpdateNavObjects" (autosave,
// track recording, boundary alarms) and the save of "Exit_NavObjects".

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "navobjects/documents/NavDocuments.h"
#include "navobjects/tracking/OwnShipInput.h"

namespace tarnwick {

class CApplication;

// The process documents; null before "Init NavObj" and after "Exit_NavObjects".
CNavDocuments* NavDocuments();

// Supplies own ship's state each tick (the navigation data store installs
// it); without one, tracks are not recorded and boundaries not watched.
void SetOwnShipProvider(std::function<std::optional<OwnShipInput>()> provider);

// "Init NavObj": opens every document of folder (DataFolder()/NavObjects when empty).
bool InitNavObjects(const std::filesystem::path& folder = {});
// "Process startup docs": opens the object files named on the command line.
bool ProcessStartupDocuments(const std::vector<std::string>& commandLine);
// "UpdateNavObjects": one tick of autosave, track recording and boundary alarms.
void UpdateNavObjects(uint64_t tickMs);
// "Exit_NavObjects": saves every modified document and closes them.
void ExitNavObjects();

// Registers the stages above with the application.
void RegisterNavObjects(CApplication& app, std::vector<std::string> commandLine = {});

}  // namespace tarnwick
