#include "core/settings/SensorSettings.h"

namespace tarnwick::opt {

CSetting AisSensor(SettingKind::Text, "AisSensor", "Auto");
CSetting DepthSensor(SettingKind::Text, "DepthSensor", "Auto");
CSetting HeadingSensor(SettingKind::Text, "HeadingSensor", "Auto");
CSetting PositionSensor(SettingKind::Text, "PositionSensor", "Auto");

}  // namespace tarnwick::opt
