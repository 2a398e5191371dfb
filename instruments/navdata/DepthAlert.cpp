#include "instruments/navdata/DepthAlert.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

#include "core/Notifications.h"
#include "core/Setting.h"
#include "core/settings/AlertsSettings.h"
#include "core/units/Length.h"
#include "core/units/UnitSystem.h"

namespace tarnwick {
namespace {

// Units_Depth indices.
constexpr int kDepthFeet = 1;
constexpr int kDepthFathoms = 2;
constexpr int kDepthFathomsAndFeet = 3;

std::optional<double> Limit(const CSetting& enabled, const CSetting& value) {
  if (!enabled.GetBool()) return std::nullopt;
  const Length length = ParseLength(value.Text());
  if (!length.IsValid()) return std::nullopt;
  return length.Metres();
}

}  // namespace

std::optional<uint64_t> ParseAlertInterval(std::string_view text) {
  const std::string copy(text);
  char* end = nullptr;
  const double number = std::strtod(copy.c_str(), &end);
  if (end == copy.c_str() || !std::isfinite(number) || number < 0) return std::nullopt;
  std::string unit;
  for (const char* p = end; *p; ++p) {
    if (!std::isspace(static_cast<unsigned char>(*p)))
      unit += static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
  }
  double scale = 0;  // seconds per unit
  if (unit.empty() || unit == "s" || unit.starts_with("sec"))
    scale = 1;
  else if (unit == "m" || unit.starts_with("min"))
    scale = 60;
  else if (unit == "h" || unit.starts_with("hour") || unit.starts_with("hr"))
    scale = 3600;
  else
    return std::nullopt;
  return static_cast<uint64_t>(std::llround(number * scale * 1000));
}

DepthAlertLimits DepthAlertLimitsFromSettings() {
  DepthAlertLimits limits;
  limits.shallowerThan = Limit(opt::Alerts_DepthBelow, opt::Alerts_DepthBelowValue);
  limits.deeperThan = Limit(opt::Alerts_DepthAbove, opt::Alerts_DepthAboveValue);
  if (auto repeat = ParseAlertInterval(opt::Alerts_TimeBetweenAlerts.Text()))
    limits.repeatMs = *repeat;
  limits.voice = opt::Alerts_EnableVoiceAlerts.GetBool();
  return limits;
}

std::string SpokenDepth(double metres) {
  const Length depth{metres, LengthUnit::Meters};
  switch (UnitIndex(UnitSetting::Depth)) {
    case kDepthFeet:
      return FormatLength(depth.To(LengthUnit::Feet), true);
    case kDepthFathoms:
    case kDepthFathomsAndFeet:
      return FormatLength(depth.To(LengthUnit::Fathoms), true);
    default:
      return FormatLength(depth, true);
  }
}

CDepthAlert::CDepthAlert(Sink sink) : sink_(std::move(sink)) {}

void CDepthAlert::Update(std::optional<double> sounder, std::optional<double> charted,
                         const DepthAlertLimits& limits, uint64_t now) {
  const bool reading = sounder && *sounder > 0 && std::isfinite(*sounder);
  if (reading) {
    sounderSeen_ = true;
    hadReading_ = true;
    Check(*sounder, kDepthAlertText, limits, now);
    return;
  }
  if (sounderSeen_) {
    active_ = false;
    if (hadReading_) Say(kLostDepthText, limits.voice);
    hadReading_ = false;
    return;
  }
  if (charted && std::isfinite(*charted)) {
    Check(*charted, kChartedDepthAlertText, limits, now);
  } else {
    active_ = false;
  }
}

void CDepthAlert::Check(double metres, const char* text, const DepthAlertLimits& limits,
                        uint64_t now) {
  const bool beyond = (limits.shallowerThan && metres < *limits.shallowerThan) ||
                      (limits.deeperThan && metres > *limits.deeperThan);
  if (!beyond) {
    active_ = false;
    return;
  }
  if (active_ && now - lastAlert_ < limits.repeatMs) return;
  active_ = true;
  lastAlert_ = now;
  Say(ExpandMessage(text, {SpokenDepth(metres)}), limits.voice);
}

void CDepthAlert::Say(const std::string& text, bool voice) {
  if (sink_) {
    sink_(text, voice);
  } else if (voice) {
    Notifications().Speak(text);
  } else {
    Notifications().Post(NotificationKind::Warning, text);
  }
}

}  // namespace tarnwick
