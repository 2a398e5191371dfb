#include "core/settings/BetaSettings.h"

namespace tarnwick::opt {

CSetting BETA_AISBinary(SettingKind::Boolean, "BETA_AISBinary", "false");
CSetting BETA_AllowHiddenActiveRoutes(SettingKind::Boolean, "BETA_AllowHiddenActiveRoutes", "false");
CSetting BETA_PowerMate(SettingKind::Boolean, "BETA_PowerMate", "false");
CSetting BETA_ReloadFiles(SettingKind::Boolean, "BETA_ReloadFiles", "false");
CSetting BETA_RouteSegmentSharing(SettingKind::Boolean, "BETA_RouteSegmentSharing", "false");

}  // namespace tarnwick::opt
