#include "core/settings/NtniSettings.h"

namespace tarnwick::opt {

CSetting NTNI_WaterwayFilter(SettingKind::Text, "NTNI_WaterwayFilter", "");

}  // namespace tarnwick::opt
