#include "core/settings/VdrSettings.h"

namespace tarnwick::opt {

CSetting VDR_AIS(SettingKind::Boolean, "VDR_AIS", "yes");
CSetting VDR_AllNavigationData(SettingKind::Boolean, "VDR_AllNavigationData", "yes");
CSetting VDR_DataLog(SettingKind::Text, "VDR_DataLog", "");
CSetting VDR_FishFinderImage(SettingKind::Boolean, "VDR_FishFinderImage", "no");
CSetting VDR_KeepFor(SettingKind::Text, "VDR_KeepFor", "30 days");
CSetting VDR_RadarImage(SettingKind::Boolean, "VDR_RadarImage", "no");
CSetting VDR_RecordVoyageData(SettingKind::Boolean, "VDR_RecordVoyageData", "yes");
CSetting VDR_RepeatData(SettingKind::Boolean, "VDR_RepeatData", "no");
CSetting VDR_Video(SettingKind::Boolean, "VDR_Video", "no");
CSetting VDR_VideoRate(SettingKind::Text, "VDR_VideoRate", "5 fps");

}  // namespace tarnwick::opt
