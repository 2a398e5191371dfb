#pragma once
// The look-ahead for dangers: the area the own ship sweeps along its course
// over ground in the look-ahead time (a band of the sweep width, from the
// ship's position forward), tested against the vector charts under it. Each
// part of the sweep is judged by the chart drawn there (the largest scale),
// so a coarse small-scale chart under a detailed one raises nothing. The
// nearest danger along the course is reported (DangerRules.h says what a
// danger is).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "charts/library/ChartLibrary.h"
#include "charts/lookahead/DangerRules.h"
#include "core/geo/LatLon.h"

namespace tarnwick {

struct LookAheadInput {
  LatLon position;                // degrees
  double cogDeg = 0;              // course over ground, degrees true
  double sogKnots = 0;            // speed over ground, knots
  double lookAheadSeconds = 60;   // Alerts_LookAhead
  double widthMetres = 50;        // the sweep's width, centred on the course
  double safetyDepthMetres = 10;  // S52_SafetyContourDepth
};

// Below this speed the course over ground says nothing: no sweep.
inline constexpr double kLookAheadMinKnots = 0.5;

struct LookAheadDanger {
  DangerKind kind = DangerKind::kShallowWater;
  std::string chart;            // the cell it was found in
  uint32_t feature = 0;         // its feature index in that cell
  uint16_t objl = 0;            // object class
  std::string objectName;       // OBJNAM, "" when absent
  std::optional<double> depth;  // metres
  bool depthCharted = false;    // the chart's depth, not a rule's estimate
  LatLon position;              // where the sweep first meets it
  double distanceMetres = 0;    // from the ship along the course to there
  double seconds = 0;           // at the present speed
};

struct LookAheadResult {
  bool swept = false;                     // a sweep was made (moving, position known)
  std::vector<LatLon> sweep;              // its corners, degrees
  std::optional<LookAheadDanger> danger;  // the nearest one
  size_t chartsTested = 0;                // vector charts under the sweep
};

// Tests input's sweep against the charts of library. Any thread.
LookAheadResult LookAhead(const CChartLibrary& library, const LookAheadInput& input);

// The charted depth at position: the shallowest depth (DRVAL1) of the depth
// area there in the chart drawn there (0 on land); none where no vector
// chart gives one.
std::optional<double> ChartedDepthAt(const CChartLibrary& library, const LatLon& position);

}  // namespace tarnwick
