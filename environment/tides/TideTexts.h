#pragma once
// The texts that tide and current predictions are shown with: the day's event
// table, chart labels, instrument values, time offsets, the graph's labels and
// the pages shown when no station is near. Local times are the computer's
// time zone (TZ).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "environment/tides/TideEvent.h"
#include "environment/tides/TideStation.h"

namespace tarnwick {

// Minutes as "%c%dh %dm" ("+1h 5m", "-0h 32m").
std::string SignedOffsetText(int minutes);
// Minutes as "%d h %d m" ("1 h 5 m", "-0 h 32 m").
std::string TimeAdjustmentText(int minutes);
// Degrees true as "%03d°T".
std::string DirectionText(int degrees);
// The short unit of a station's units: "ft", "m", "kt".
std::string UnitAbbreviation(const std::string& units);

// Local midnight at the start of the day holding t, and of the next day.
int64_t LocalDayStart(int64_t t);
int64_t NextLocalDayStart(int64_t dayStart);

// The label of an event in a day's table: "HIGH"/"LOW" for tides; "MAX FLOOD",
// "MAX EBB", and for slack "SLACK (TURN TO EBB)"/"SLACK (TURN TO FLOOD)", or
// plain "SLACK" when the day's list holds a maximum.
std::string EventLabel(const TideEvent& event, TideStationKind kind, bool dayHasMaximum);

// The event table of the local day starting at dayStart: a title with the
// date, a paragraph per event (local time, label and value), and the time
// zone. units: the station's units.
std::string EventTableHtml(const std::vector<TideEvent>& events, TideStationKind kind,
                           const std::string& units, int64_t dayStart);

// "Name: 4.2 ft" / "Name: 1.3 kt flood 045°T"; without a value
// "Name: No prediction available".
std::string ChartLabel(const std::string& name, std::optional<double> value, TideStationKind kind,
                       const std::string& units, std::optional<int> floodDirection,
                       std::optional<int> ebbDirection);

// A local time as "HH:MM".
std::string LocalClockText(int64_t t);

// The instrument values of a station at a time. Absent members are not available.
struct TideInstrumentValues {
  std::optional<double> level;       // tideLevel (station units), or the current (knots)
  std::string levelText;             // "4.2 ft"
  std::string trend;                 // tideTrend: "rising" / "falling"
  std::string nextEventDescription;  // tideNextEventDescription "HIGH to 8.6 ft at 03:01"
  std::string currentDescription;    // "1.25 kt flood 045°T"
  std::optional<int64_t> nextSlackTime;
  std::optional<TideEvent> nextEvent;
};
TideInstrumentValues InstrumentValues(ITideStation& station, int64_t now);

// Graph labels, in the order the graph uses them.
const std::vector<std::string>& GraphLabels();

// The pages shown when no station is near.
extern const char* const kNoTideStationPage;
extern const char* const kNoCurrentStationPage;

}  // namespace tarnwick
