#pragma once
// The logbook's own-ship track: the first timer tick of every UTC minute
// writes one `Track` row and a "Track" entry, whatever the ship does. Nothing
// is written without a navigation data store or while on virtual time.

#include <cstdint>
#include <optional>

#include "recording/logbook/LogBook.h"

namespace tarnwick {

// The own-ship state the track takes from the navigation data store.
struct OwnShipSample {
  bool positionValid = false;     // no point is written without a position
  LatLon position;                // decimal degrees
  double sog = 0;                 // knots
  double cog = 0;                 // degrees true
  std::optional<double> heading;  // degrees true, when valid
  std::optional<double> depth;    // metres, when valid
};

class CTrackRecorder {
 public:
  explicit CTrackRecorder(CLogBook& book) : book_(book) {}

  // Called by the main window's timer (any period under a minute). sample:
  // the own-ship state, empty when no navigation data store exists. Returns
  // true when a point was written.
  bool OnTimer(const std::optional<OwnShipSample>& sample);

 private:
  CLogBook& book_;
  std::optional<int64_t> lastMinute_;  // UTC minutes since 1970 of the last point
};

// Entries the program writes on its own.
// "Application Started" with the program's version.
void LogApplicationStarted(CLogBook& book);
// "Application Exit".
void LogApplicationExit(CLogBook& book);
// "Application Crash" for a previous run that did not end cleanly; report: the
// crash report's path when one was written.
void LogApplicationCrash(CLogBook& book, const std::optional<std::string>& report);
// "AIS Message": a safety-related message from an AIS station (MMSI, name, text).
void LogAisSafetyMessage(CLogBook& book, std::string_view from, std::string_view fromName,
                         std::string_view message);
// "Sensor Alarm" / "Sensor Message": text from a sensor (e.g. an ALR sentence).
void LogSensorAlarm(CLogBook& book, std::string_view source, std::string_view text);
void LogSensorMessage(CLogBook& book, std::string_view source, std::string_view text);

}  // namespace tarnwick
