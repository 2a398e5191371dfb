#pragma once
// The text columns of a harmonic station database (noaa_tides,
// noaa_currents): the constants of a reference station (TIDECON.Content) and
// a station's own values (Stations.Content).
//
// TIDECON.Content: whitespace-separated triples "NAME AMPLITUDE PHASE", the
// phase in degrees. Stations.Content: a JSON object whose members are the
// station page's keys:
//   "units"                     "feet", "meters", "knots" or "knots^2" (hydraulic)
//   "time-meridian"             "+HH:MM" / "-HH:MM", the meridian of the phases
//   "mean-tide-level"           number, the datum added to every prediction (station units)
//   "datum", "timezone", "notes"                     texts for the page
//   "reference-station-id"      present on a subordinate station only
//   "high-tide-time-adjustment", "low-tide-time-adjustment"       integer minutes
//   "high-tide-height-adjustment", "low-tide-height-adjustment"   "*1.05" (multiply) or "+0.3"
//   "average-direction-flood", "average-direction-ebb"            integer degrees true
//   "flood-time-adjustment", "ebb-time-adjustment"                integer minutes (maxima)
//   "minimum-before-flood-time-adjustment", "minimum-before-ebb-time-adjustment"
//                               integer minutes (the slack before flood and before ebb)
//   "flood-speed-ratio", "ebb-speed-ratio"                        numbers (multipliers)
//   "average-speed-flood", "average-speed-ebb"                    numbers (knots)

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "environment/tides/HarmonicStation.h"

namespace tarnwick {

// The constants by constituent index, as many as the highest index found plus
// one. "LDA2" counts as LAM2 and "RHO1" as RHO; unknown names and malformed
// triples are skipped.
std::vector<HarmonicConstant> ParseTideconContent(std::string_view content);

// A height correction: "*m" multiplies, "[+]a" or "-a" adds.
struct HeightAdjustment {
  double multiplier = 1;
  double offset = 0;
};
std::optional<HeightAdjustment> ParseHeightAdjustment(std::string_view text);
std::string HeightAdjustmentText(const HeightAdjustment& adjustment);

struct HarmonicStationContent {
  std::string units = "feet";
  int meridianMinutes = 0;  // east of UTC
  double meanLevel = 0;
  std::string datum;
  std::string timezone;
  std::string notes;
  std::string referenceId;  // non-empty for a subordinate station
  std::optional<int> floodDirection;
  std::optional<int> ebbDirection;
  std::optional<double> averageSpeedFlood;
  std::optional<double> averageSpeedEbb;
  // Subordinate offsets: high applies to high water and maximum flood, low to
  // low water and maximum ebb; minutes.
  int highTimeMinutes = 0;
  int lowTimeMinutes = 0;
  HeightAdjustment high;
  HeightAdjustment low;
  std::optional<int> floodBeginsMinutes;  // slack before flood
  std::optional<int> ebbBeginsMinutes;    // slack before ebb

  bool Subordinate() const { return !referenceId.empty(); }
  bool Hydraulic() const { return units == "knots^2"; }
  bool Current() const { return units == "knots" || units == "knots^2"; }
};

// Reads Stations.Content; empty with error set when it is not such an object.
std::optional<HarmonicStationContent> ParseStationContent(std::string_view json,
                                                          std::string& error);
// The JSON text of content (members with default values left out).
std::string StationContentJson(const HarmonicStationContent& content, bool current);

// "+HH:MM"/"-HH:MM" to minutes east of UTC, and back.
std::optional<int> ParseMeridian(std::string_view text);
std::string MeridianText(int minutes);

// The subordinate corrections of content in seconds; the slack offsets of a
// current default to the mean of its maxima's offsets.
SubordinateCorrections CorrectionsOf(const HarmonicStationContent& content);

}  // namespace tarnwick
