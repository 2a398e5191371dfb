#include "instruments/ais/AisAssessmentSettings.h"

#include <cstdlib>
#include <map>
#include <mutex>
#include <string>

#include "core/Log.h"
#include "core/settings/AisSettings.h"
#include "core/units/Length.h"
#include "core/units/Duration.h"

namespace tarnwick {
namespace {

// Logs an unreadable setting text once per distinct text.
void ComplainOnce(const char* settingName, const char* text) {
  static std::mutex mutex;
  static std::map<std::string, std::string> reported;
  std::lock_guard lock(mutex);
  std::string& last = reported[settingName];
  if (last == text) return;
  last = text;
  Log("AIS: cannot read %s \"%s\"; using its default\n", settingName, text);
}

}  // namespace

double ParseDistanceNm(const char* settingName, const char* text, double fallbackNm) {
  // "nm" is the unit of these settings: a bare number counts as nautical miles.
  const Length length = ParseLength(text, 3);
  if (length.IsValid() && length.value >= 0.0) return length.NauticalMiles();
  char* end = nullptr;
  const double bare = std::strtod(text, &end);
  if (end != text && *end == '\0' && bare >= 0.0) return bare;
  ComplainOnce(settingName, text);
  return fallbackNm;
}

double ParseDurationSetting(const char* settingName, const char* text, double fallbackSeconds) {
  if (std::optional<double> seconds = ParseDurationSeconds(text)) return *seconds;
  ComplainOnce(settingName, text);
  return fallbackSeconds;
}

AisAssessmentSettings ReadAisAssessmentSettings() {
  AisAssessmentSettings s;
  s.showVessels = opt::AIS_ShowVessels.GetBool();
  s.dangerCpaNm = ParseDistanceNm("AIS_DangerCPA", opt::AIS_DangerCPA.Text().c_str(), 0.25);
  s.dangerTcpaSeconds =
      ParseDurationSetting("AIS_DangerTCPA", opt::AIS_DangerTCPA.Text().c_str(), 300.0);
  s.stationaryTargetsAreSafe = opt::AIS_AssumeStationaryTargetsAreSafe.GetBool();
  s.autoActivateAll = opt::AIS_AutoActivateAll.GetBool();
  s.autoActivateByCpa = opt::AIS_AutoActivateByCPA.GetBool();
  s.autoActivateCpaNm =
      ParseDistanceNm("AIS_AutoActivateCPA", opt::AIS_AutoActivateCPA.Text().c_str(), 6.0);
  s.autoActivateTcpaSeconds =
      ParseDurationSetting("AIS_AutoActivateTCPA", opt::AIS_AutoActivateTCPA.Text().c_str(), 360.0);
  s.hideLostAfterMs = static_cast<uint64_t>(
      1000.0 * ParseDurationSetting("AIS_HideLostTargetsAfter",
                                    opt::AIS_HideLostTargetsAfter.Text().c_str(), 60.0));
  s.lostTargetAlert = opt::AIS_LostTargetAlert.GetBool();
  return s;
}

}  // namespace tarnwick
