#include "core/settings/GuideBookSettings.h"

namespace tarnwick::opt {

CSetting GuideBook_MaptechAerialPhotos(SettingKind::Boolean, "GuideBook_MaptechAerialPhotos", "on");
CSetting GuideBook_MaptechMarineFacilities(SettingKind::Boolean, "GuideBook_MaptechMarineFacilities", "on");
CSetting GuideBook_NGASailingDirections(SettingKind::Boolean, "GuideBook_NGASailingDirections", "on");
CSetting GuideBook_USACEPorts(SettingKind::Boolean, "GuideBook_USACEPorts", "on");
CSetting GuideBook_USCoastPilot(SettingKind::Boolean, "GuideBook_USCoastPilot", "on");

}  // namespace tarnwick::opt
