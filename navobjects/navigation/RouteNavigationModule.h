#pragma once
// The route navigator in the running program: one CNavController for the
// process, updated from the own-ship snapshot in "UpdateNavObjects", feeding
// the talker ports in "Autopilot_Update", and answering the objects'
// Activate and Deactivate commands.

#include <memory>
#include <string>

#include "instruments/navdata/OwnShipSnapshot.h"
#include "navobjects/navigation/NavController.h"

namespace tarnwick {

class CApplication;
class CNavObject;

// The process route navigator; it exists from registration to the end of the
// process. User-interface thread.
CNavController& RouteNavigator();

// The object of the open documents with id (deleted objects excluded), or null.
std::shared_ptr<CNavObject> FindNavigableObject(const std::string& id);
// The object of the open documents with id, deleted ones included, or null.
std::shared_ptr<CNavObject> FindDocumentObject(const std::string& id);

// What the route navigator reads of a snapshot: the position only with a
// usable fix, course and speed over ground when available.
OwnShipInput OwnShipFromSnapshot(const OwnShipSnapshot& snapshot);

// Registers the hooks: command hooks after "Init NavObj", the navigation
// update in "UpdateNavObjects", the output in "Autopilot_Update", and the stop
// (with its output) in "Exit_NavObjects". Call after RegisterNavObjects.
void RegisterRouteNavigation(CApplication& app);

}  // namespace tarnwick
