#pragma once
// The depth alert: the own-ship depth is read on every tick and compared with
// the alert limits of the Alerts_ settings. A depth beyond a limit is spoken
// ("Alert. Depth is $1.") and repeated after the time between alerts while
// it lasts; a lost reading is announced once ("Alert. Lost depth reading.").
// Until a sounder has given a reading, the charted depth at the vessel's
// position stands in ("Alert. Charted Depth is $1.").

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

inline constexpr const char* kDepthAlertText = "Alert. Depth is $1.";
inline constexpr const char* kChartedDepthAlertText = "Alert. Charted Depth is $1.";
inline constexpr const char* kLostDepthText = "Alert. Lost depth reading.";

struct DepthAlertLimits {
  std::optional<double> shallowerThan;  // metres (Alerts_DepthBelow / _DepthBelowValue)
  std::optional<double> deeperThan;     // metres (Alerts_DepthAbove / _DepthAboveValue)
  uint64_t repeatMs = 30000;            // Alerts_TimeBetweenAlerts
  bool voice = true;                    // Alerts_EnableVoiceAlerts
};

// The limits as the Alerts_ settings give them now.
DepthAlertLimits DepthAlertLimitsFromSettings();

// "30 secs", "2 min", "1 hour", "45" (seconds) -> milliseconds; empty when unreadable.
std::optional<uint64_t> ParseAlertInterval(std::string_view text);

// depth metres -> "3.2 meters", "10.5 feet", "2 fathoms" by Units_Depth.
std::string SpokenDepth(double metres);

class CDepthAlert {
 public:
  // Receives each alert text and whether it is to be spoken.
  using Sink = std::function<void(const std::string& text, bool voice)>;
  // sink: nullptr speaks through the notification queue (or posts a warning
  // when voice alerts are off).
  explicit CDepthAlert(Sink sink = nullptr);

  // One reading at tick now (ms). sounder: the depth item in metres (empty or
  // 0: no reading); charted: the charted depth at the vessel's position.
  void Update(std::optional<double> sounder, std::optional<double> charted,
              const DepthAlertLimits& limits, uint64_t now);

  // An alert condition holds now.
  bool Active() const { return active_; }

 private:
  void Check(double metres, const char* text, const DepthAlertLimits& limits, uint64_t now);
  void Say(const std::string& text, bool voice);

  Sink sink_;
  bool sounderSeen_ = false;  // a sounder has given a reading in this run
  bool hadReading_ = false;   // the previous update had a sounder reading
  bool active_ = false;
  uint64_t lastAlert_ = 0;
};

}  // namespace tarnwick
