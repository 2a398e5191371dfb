#pragma once
// The AIS settings the assessment reads, parsed once per update into
// nautical miles and seconds.

#include <cstdint>

namespace tarnwick {

struct AisAssessmentSettings {
  bool showVessels = true;                 // AIS_ShowVessels: assessment runs only while on
  double dangerCpaNm = 0.25;               // AIS_DangerCPA
  double dangerTcpaSeconds = 300.0;        // AIS_DangerTCPA
  bool stationaryTargetsAreSafe = false;   // AIS_AssumeStationaryTargetsAreSafe
  bool autoActivateAll = true;             // AIS_AutoActivateAll
  bool autoActivateByCpa = true;           // AIS_AutoActivateByCPA
  double autoActivateCpaNm = 6.0;          // AIS_AutoActivateCPA
  double autoActivateTcpaSeconds = 360.0;  // AIS_AutoActivateTCPA
  uint64_t hideLostAfterMs = 60000;        // AIS_HideLostTargetsAfter
  bool lostTargetAlert = false;            // AIS_LostTargetAlert
};

// Reads the settings now; a text that cannot be read counts as its default
// (and is logged once per change).
AisAssessmentSettings ReadAisAssessmentSettings();

// Nautical miles of a distance setting text ("0.25 nm", "500 m").
double ParseDistanceNm(const char* settingName, const char* text, double fallbackNm);
// Seconds of a duration setting text ("5 min", "30 secs").
double ParseDurationSetting(const char* settingName, const char* text, double fallbackSeconds);

}  // namespace tarnwick
