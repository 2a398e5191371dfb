#pragma once
// What a chart feature is to the look-ahead for dangers, at the navigator's
// safety depth (metres):
//   - depth areas and dredged areas whose shallowest depth (DRVAL1; unknown
//     counts as shallow) lies above the safety depth;
//   - land (LNDARE) and what stands in the water like land: shoreline
//     constructions, pontoons, hulks;
//   - wrecks, obstructions and underwater rocks whose depth is at or above
//     the safety depth. Their depth is VALSOU, else (by the presentation
//     library's danger rules) a value by their water level: one that dries,
//     covers and uncovers or floats is a danger; one always under water takes
//     the depth of the area around it, else a default by its category.

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "charts/s57/S57Chart.h"

namespace tarnwick {

enum class DangerKind { kShallowWater, kLand, kObstruction };

struct FeatureDanger {
  DangerKind kind = DangerKind::kShallowWater;
  std::optional<double> depth;  // metres; none for land
  bool charted = false;         // depth is the chart's (VALSOU, DRVAL1), not a rule's estimate
};

// The shallowest depth (DRVAL1) of the depth areas around the feature, none
// when none holds it; asked only for dangers that need it.
using SurroundingDepth = std::function<std::optional<double>()>;

// The danger feature is at safetyDepth, none when it is no danger (or not a
// class the look-ahead considers).
std::optional<FeatureDanger> ClassifyDanger(const S57FeatureView& feature, double safetyDepth,
                                            const SurroundingDepth& surrounding);

// Whether the class can be a danger at all (cheap test before the geometry).
bool MayBeDanger(uint16_t objl);
// Depth areas whose DRVAL1 gives the water depth (DEPARE, DRGARE).
bool IsDepthArea(uint16_t objl);

// A number attribute of the feature, none when absent or not a number.
std::optional<double> NumberAttribute(const S57FeatureView& feature, uint16_t attl);

}  // namespace tarnwick
