#include "core/settings/BlueViewSettings.h"

namespace tarnwick::opt {

CSetting BlueView_PanAndTiltInverted(SettingKind::Boolean, "BlueView_PanAndTiltInverted", "0");
CSetting BlueView_PanAndTiltPort(SettingKind::Text, "BlueView_PanAndTiltPort", "COM3");
CSetting BlueView_PanInstalled(SettingKind::Boolean, "BlueView_PanInstalled", "0");
CSetting BlueView_TiltInstalled(SettingKind::Boolean, "BlueView_TiltInstalled", "0");

}  // namespace tarnwick::opt
