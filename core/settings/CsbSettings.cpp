#include "core/settings/CsbSettings.h"

namespace tarnwick::opt {

CSetting CSB_Enabled(SettingKind::Boolean, "CSB_Enabled", "false");
CSetting CSB_MaxLogSize(SettingKind::Text, "CSB_MaxLogSize", "1048576");
CSetting CSB_MinLogSize(SettingKind::Text, "CSB_MinLogSize", "1024");
CSetting CSB_SamplePeriod(SettingKind::Text, "CSB_SamplePeriod", "1s");
CSetting CSB_SamplePeriodSlow(SettingKind::Text, "CSB_SamplePeriodSlow", "60s");

}  // namespace tarnwick::opt
