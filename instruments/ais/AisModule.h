#pragma once
// Plugs the AIS receiver into the application: it receives the NMEA decoder's
// VDM/VDO fragments from "Loading instruments" on, and ages and assesses its
// targets in the "UpdateAIS" tick stage.

#include <functional>
#include <optional>

#include "instruments/ais/AisCpa.h"

namespace tarnwick {

class CApplication;

// Supplies the own vessel's kinematics to the assessment. Called on the
// user-interface thread without the receiver lock held; it may take the
// navigation data store's lock.
using OwnShipProvider = std::function<OwnShipKinematics()>;

// Replaces the own-ship provider (by default our own transponder's VDO
// reports). Call on the user-interface thread.
void SetAisOwnShipProvider(OwnShipProvider provider);

// One pass of "UpdateAIS" with the current settings and own-ship data.
void RunAisUpdate();

void RegisterAis(CApplication& app);

}  // namespace tarnwick
