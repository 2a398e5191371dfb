#include "environment/tides/TideTexts.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace tarnwick {
namespace {

std::tm LocalTm(int64_t t) {
  const time_t seconds = static_cast<time_t>(t);
  std::tm tm{};
  localtime_r(&seconds, &tm);
  return tm;
}

bool IsSlack(int type) { return type == kSlackBeforeEbb || type == kSlackBeforeFlood; }

}  // namespace

const char* const kNoTideStationPage =
    "<body><h1>No tide station</h1><p>No tide stations were found nearby.</p></body>";
const char* const kNoCurrentStationPage =
    "<body><h1>No current station</h1><p>No current stations were found nearby.</p></body>";

std::string SignedOffsetText(int minutes) {
  char text[32];
  const int magnitude = std::abs(minutes);
  std::snprintf(text, sizeof text, "%c%dh %dm", minutes < 0 ? '-' : '+', magnitude / 60,
                magnitude % 60);
  return text;
}

std::string TimeAdjustmentText(int minutes) {
  char text[32];
  const int magnitude = std::abs(minutes);
  if (minutes < 0) {
    std::snprintf(text, sizeof text, "-%d h %d m", magnitude / 60, magnitude % 60);
  } else {
    std::snprintf(text, sizeof text, "%d h %d m", magnitude / 60, magnitude % 60);
  }
  return text;
}

std::string DirectionText(int degrees) {
  char text[16];
  std::snprintf(text, sizeof text, "%03d\u00b0T", ((degrees % 360) + 360) % 360);
  return text;
}

std::string UnitAbbreviation(const std::string& units) {
  if (units == "feet") return "ft";
  if (units == "meters") return "m";
  if (units == "knots" || units == "knots^2") return "kt";
  return units;
}

int64_t LocalDayStart(int64_t t) {
  std::tm tm = LocalTm(t);
  tm.tm_hour = 0;
  tm.tm_min = 0;
  tm.tm_sec = 0;
  tm.tm_isdst = -1;
  return static_cast<int64_t>(mktime(&tm));
}

int64_t NextLocalDayStart(int64_t dayStart) {
  std::tm tm = LocalTm(dayStart + 12 * 3600);
  tm.tm_mday += 1;
  tm.tm_hour = 0;
  tm.tm_min = 0;
  tm.tm_sec = 0;
  tm.tm_isdst = -1;
  return static_cast<int64_t>(mktime(&tm));
}

std::string LocalClockText(int64_t t) {
  const std::tm tm = LocalTm(t);
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d", tm.tm_hour, tm.tm_min);
  return text;
}

std::string EventLabel(const TideEvent& event, TideStationKind kind, bool dayHasMaximum) {
  if (kind == TideStationKind::Tide) return event.type == kTideHigh ? "HIGH" : "LOW";
  switch (event.type) {
    case kTideHigh:
      return "MAX FLOOD";
    case kTideLow:
      return "MAX EBB";
    case kSlackBeforeEbb:
      return dayHasMaximum ? "SLACK" : "SLACK (TURN TO EBB)";
    default:
      return dayHasMaximum ? "SLACK" : "SLACK (TURN TO FLOOD)";
  }
}

std::string EventTableHtml(const std::vector<TideEvent>& events, TideStationKind kind,
                           const std::string& units, int64_t dayStart) {
  static const char* const kDays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                      "Thursday", "Friday", "Saturday"};
  static const char* const kMonths[] = {"January", "February", "March",     "April",
                                        "May",     "June",     "July",      "August",
                                        "September", "October", "November", "December"};
  const std::tm day = LocalTm(dayStart);
  char line[256];
  std::snprintf(line, sizeof line, "<div class='mod-title'>%s %s %d, %d</div>", kDays[day.tm_wday],
                kMonths[day.tm_mon], day.tm_mday, day.tm_year + 1900);
  std::string html = line;
  bool hasMaximum = false;
  for (const TideEvent& e : events) hasMaximum |= !IsSlack(e.type);
  for (const TideEvent& e : events) {
    std::string value;
    if (kind == TideStationKind::Tide) {
      std::snprintf(line, sizeof line, " %.1f %s", e.value, UnitAbbreviation(units).c_str());
      value = line;
    } else if (!IsSlack(e.type) && e.value != kUnknownSpeed) {
      std::snprintf(line, sizeof line, " %.1f kt", std::fabs(e.value));
      value = line;
    }
    html += "<p>" + LocalClockText(e.time) + " <b>" + EventLabel(e, kind, hasMaximum) + value +
            "</b></p>";
  }
  const std::tm noon = LocalTm(dayStart + 12 * 3600);
  std::snprintf(line, sizeof line, "<div><span class='timezone'>All Times in %s</span></div>",
                noon.tm_zone ? noon.tm_zone : "UTC");
  return html + line;
}

std::string ChartLabel(const std::string& name, std::optional<double> value, TideStationKind kind,
                       const std::string& units, std::optional<int> floodDirection,
                       std::optional<int> ebbDirection) {
  char text[320];
  if (!value || *value == kUnknownSpeed) {
    std::snprintf(text, sizeof text, "%s: No prediction available", name.c_str());
  } else if (kind == TideStationKind::Tide) {
    std::snprintf(text, sizeof text, "%s: %.1f %s", name.c_str(), *value,
                  UnitAbbreviation(units).c_str());
  } else {
    const std::optional<int> direction = *value >= 0 ? floodDirection : ebbDirection;
    std::snprintf(text, sizeof text, "%s: %.1f kt %s", name.c_str(), std::fabs(*value),
                  *value >= 0 ? "flood" : "ebb");
    std::string label = text;
    if (direction) label += " " + DirectionText(*direction);
    return label;
  }
  return text;
}

TideInstrumentValues InstrumentValues(ITideStation& station, int64_t now) {
  TideInstrumentValues v;
  const TideStationKind kind = station.Summary().kind;
  const std::string unit = UnitAbbreviation(station.Units());
  v.level = station.Value(now);
  if (v.level && *v.level == kUnknownSpeed) v.level.reset();
  char text[160];
  if (v.level) {
    std::snprintf(text, sizeof text, "%.1f %s", *v.level, unit.c_str());
    v.levelText = text;
  }
  // The next two days hold the next event and the next slack.
  const std::vector<TideEvent> events = station.Events(now + 1, now + 2 * 86400);
  for (const TideEvent& e : events) {
    if (!v.nextEvent && !(kind == TideStationKind::Tide && IsSlack(e.type))) v.nextEvent = e;
    if (!v.nextSlackTime && IsSlack(e.type)) v.nextSlackTime = e.time;
  }
  if (v.nextEvent) {
    const TideEvent& e = *v.nextEvent;
    if (kind == TideStationKind::Tide) v.trend = e.type == kTideHigh ? "rising" : "falling";
    const std::string label = EventLabel(e, kind, true);
    if (IsSlack(e.type) || e.value == kUnknownSpeed) {
      std::snprintf(text, sizeof text, "%s at %s", label.c_str(), LocalClockText(e.time).c_str());
    } else {
      std::snprintf(text, sizeof text, "%s to %.1f %s at %s", label.c_str(),
                    kind == TideStationKind::Tide ? e.value : std::fabs(e.value), unit.c_str(),
                    LocalClockText(e.time).c_str());
    }
    v.nextEventDescription = text;
    if (LocalDayStart(e.time) != LocalDayStart(now)) v.nextEventDescription += " (tomorrow)";
  }
  if (kind == TideStationKind::Current && v.level) {
    const std::optional<int> direction =
        *v.level >= 0 ? station.FloodDirection() : station.EbbDirection();
    std::snprintf(text, sizeof text, "%.2f kt %s", std::fabs(*v.level), *v.level >= 0 ? "flood" : "ebb");
    v.currentDescription = text;
    if (direction) v.currentDescription += " " + DirectionText(*direction);
    // A current's trend: the speed grows toward a maximum, falls toward slack.
    if (v.nextEvent) v.trend = IsSlack(v.nextEvent->type) ? "falling" : "rising";
  }
  return v;
}

const std::vector<std::string>& GraphLabels() {
  static const std::vector<std::string> labels = {
      "High Tide", "Low Tide", "Max Flood", "Max Ebb", "Slack", "turn to flood", "turn to ebb",
      "AVG FLOOD", "AVG EBB",  "FLOOD",    "KNOTS",   "FEET",  "METERS",        "MHWS",
      "MLWS",      "MHWN",     "MLWN",     "MLLW"};
  return labels;
}

}  // namespace tarnwick
