#include "instruments/ais/AisTarget.h"

#include <cstdio>

namespace tarnwick {

std::string CAisTarget::FeatureKey() const {
  if (kind != AisTargetKind::BaseStation) return {};
  char key[40];
  snprintf(key, sizeof key, "mmsi:%u::base", mmsi);
  return key;
}

const char* CAisTarget::FeatureName() const {
  switch (kind) {
    case AisTargetKind::BaseStation:
      return "base-station";
    case AisTargetKind::AidToNavigation:
      return "nav-aid";
    case AisTargetKind::SarAircraft:
      return "sar-aircraft";
    case AisTargetKind::Vessel:
      break;
  }
  return "vessel";
}

std::string CAisTarget::DisplayName() const {
  if (aid && !aid->name.empty()) return aid->name;
  return name.empty() ? std::string("another vessel") : name;
}

}  // namespace tarnwick
