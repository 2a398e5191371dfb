#include "core/settings/OwnShipSettings.h"

namespace tarnwick::opt {

CSetting OwnShip_ATB(SettingKind::Boolean, "OwnShip_ATB", "false");
CSetting OwnShip_ATBBeam(SettingKind::Text, "OwnShip_ATBBeam", "");
CSetting OwnShip_ATBCoupled(SettingKind::Boolean, "OwnShip_ATBCoupled", "false");
CSetting OwnShip_ATBCoupledLength(SettingKind::Text, "OwnShip_ATBCoupledLength", "");
CSetting OwnShip_ATBLength(SettingKind::Text, "OwnShip_ATBLength", "");
CSetting OwnShip_Beam(SettingKind::Text, "OwnShip_Beam", "");
CSetting OwnShip_BridgeClearance(SettingKind::Text, "OwnShip_BridgeClearance", "");
CSetting OwnShip_CCRP(SettingKind::Text, "OwnShip_CCRP", "");
CSetting OwnShip_CruisingSpeed(SettingKind::Text, "OwnShip_CruisingSpeed", "5 kt");
CSetting OwnShip_Draft(SettingKind::Text, "OwnShip_Draft", "");
CSetting OwnShip_LengthOverall(SettingKind::Text, "OwnShip_LengthOverall", "");
CSetting OwnShip_Name(SettingKind::Text, "OwnShip_Name", "");
CSetting OwnShip_PortTurnRadius(SettingKind::Text, "OwnShip_PortTurnRadius", "");
CSetting OwnShip_StarboardTurnRadius(SettingKind::Text, "OwnShip_StarboardTurnRadius", "");
CSetting OwnShip_Tow(SettingKind::Text, "OwnShip_Tow", "");
CSetting OwnShip_TowBeam(SettingKind::Text, "OwnShip_TowBeam", "");
CSetting OwnShip_TowLength(SettingKind::Text, "OwnShip_TowLength", "");
CSetting OwnShip_TowOffset(SettingKind::Text, "OwnShip_TowOffset", "");

}  // namespace tarnwick::opt
