#include "instruments/navdata/NavFix.h"

namespace tarnwick {

const char* FixQualityText(int quality) {
  switch (quality) {
    case kFixLostGps:
      return "LOST GPS";
    case kFixNoGps:
      return "NO GPS";
    case kFixInvalid:
      return "INVALID";
    case kFixGps:
      return "GPS FIX";
    case kFixDgps:
      return "DGPS FIX";
    case kFixEstimated:
      return "ESTIMATED";
    case kFixManual:
      return "MANUAL";
    case kFixSimulated:
      return "SIMULATED";
    default:
      return "";
  }
}

}  // namespace tarnwick
