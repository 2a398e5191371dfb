#include "charts/lookahead/DangerRules.h"

#include <charconv>
#include <cmath>
#include <string>

namespace tarnwick {
namespace {

// Object classes (OBJL).
constexpr uint16_t kDepare = 42, kDrgare = 46, kHulkes = 65, kLndare = 71, kObstrn = 86,
                   kPonton = 95, kSlcons = 122, kUwtroc = 153, kWrecks = 159;
// Attributes (ATTL).
constexpr uint16_t kCatobs = 42, kCatwrk = 71, kDrval1 = 87, kValsou = 179, kWatlev = 187;

// WATLEV values.
constexpr int kAlwaysUnderWater = 3, kCoversAndUncovers = 4, kAwash = 5;
// CATOBS 6: foul area; CATWRK 1: non-dangerous wreck.
constexpr int kFoulArea = 6, kNonDangerousWreck = 1;

std::optional<int> IntAttribute(const S57FeatureView& feature, uint16_t attl) {
  const auto value = NumberAttribute(feature, attl);
  if (!value) return std::nullopt;
  return static_cast<int>(*value);
}

// The depth of a wreck, obstruction or rock as the presentation library
// judges it when it carries no VALSOU.
double DangerDepth(const S57FeatureView& feature, const SurroundingDepth& surrounding) {
  const auto watlev = IntAttribute(feature, kWatlev);
  double unknown = -15;
  if (feature.Objl() == kWrecks) {
    const auto catwrk = IntAttribute(feature, kCatwrk);
    if (catwrk == kNonDangerousWreck && watlev == kAlwaysUnderWater)
      unknown = 20.1;
    else if (watlev == kCoversAndUncovers || watlev == kAwash)
      unknown = 0;
  } else {
    const auto catobs = IntAttribute(feature, kCatobs);
    if (catobs == kFoulArea || watlev == kAlwaysUnderWater)
      unknown = 0.01;
    else if (watlev == kAwash)
      unknown = 0;
  }
  // Known to dry, cover and uncover or float: never judged by the water around it.
  if (watlev && *watlev != kAlwaysUnderWater) return unknown;
  if (const auto around = surrounding ? surrounding() : std::nullopt) return *around;
  return unknown;
}

}  // namespace

std::optional<double> NumberAttribute(const S57FeatureView& feature, uint16_t attl) {
  const auto text = feature.Attribute(attl);
  if (!text || text->empty()) return std::nullopt;
  // from_chars for doubles is exact and locale-free; values may carry a sign.
  double value = 0;
  const char* first = text->data();
  const char* last = first + text->size();
  if (*first == '+') ++first;
  const auto [end, ec] = std::from_chars(first, last, value);
  if (ec != std::errc() || end == first || !std::isfinite(value)) return std::nullopt;
  return value;
}

bool MayBeDanger(uint16_t objl) {
  switch (objl) {
    case kDepare:
    case kDrgare:
    case kHulkes:
    case kLndare:
    case kObstrn:
    case kPonton:
    case kSlcons:
    case kUwtroc:
    case kWrecks:
      return true;
    default:
      return false;
  }
}

bool IsDepthArea(uint16_t objl) {
  return objl == kDepare || objl == kDrgare;
}

std::optional<FeatureDanger> ClassifyDanger(const S57FeatureView& feature, double safetyDepth,
                                            const SurroundingDepth& surrounding) {
  const uint16_t objl = feature.Objl();
  switch (objl) {
    case kDepare:
    case kDrgare: {
      if (feature.Prim() != kPrimArea) return std::nullopt;
      const auto drval1 = NumberAttribute(feature, kDrval1);
      if (drval1 && *drval1 >= safetyDepth) return std::nullopt;
      return FeatureDanger{DangerKind::kShallowWater, drval1, drval1.has_value()};
    }
    case kLndare:
    case kSlcons:
    case kPonton:
    case kHulkes:
      return FeatureDanger{DangerKind::kLand, std::nullopt, false};
    case kWrecks:
    case kObstrn:
    case kUwtroc: {
      const auto valsou = NumberAttribute(feature, kValsou);
      const double depth = valsou ? *valsou : DangerDepth(feature, surrounding);
      if (depth > safetyDepth) return std::nullopt;
      return FeatureDanger{DangerKind::kObstruction, depth, valsou.has_value()};
    }
    default:
      return std::nullopt;
  }
}

}  // namespace tarnwick
