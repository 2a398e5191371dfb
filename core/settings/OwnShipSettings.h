#pragma once
// The settings of the "OwnShip" group.

#include "core/Setting.h"

namespace tarnwick::opt {

extern CSetting OwnShip_ATB;
extern CSetting OwnShip_ATBBeam;
extern CSetting OwnShip_ATBCoupled;
extern CSetting OwnShip_ATBCoupledLength;
extern CSetting OwnShip_ATBLength;
extern CSetting OwnShip_Beam;
extern CSetting OwnShip_BridgeClearance;
extern CSetting OwnShip_CCRP;
extern CSetting OwnShip_CruisingSpeed;
extern CSetting OwnShip_Draft;
extern CSetting OwnShip_LengthOverall;
extern CSetting OwnShip_Name;
extern CSetting OwnShip_PortTurnRadius;
extern CSetting OwnShip_StarboardTurnRadius;
extern CSetting OwnShip_Tow;
extern CSetting OwnShip_TowBeam;
extern CSetting OwnShip_TowLength;
extern CSetting OwnShip_TowOffset;

}  // namespace tarnwick::opt
