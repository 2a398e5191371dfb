#pragma once
// One AIS target of the receiver's table: the fields of its last reports as
// transmitted, and the collision assessment against the own vessel.

#include <cstdint>
#include <optional>
#include <string>

#include "core/geo/LatLon.h"
#include "instruments/ReceiveTime.h"
#include "instruments/ais/AisMessage.h"

namespace tarnwick {

enum class AisTargetKind : int {
  Vessel,           // messages 1-3, 5, 18, 19, 24
  BaseStation,      // messages 4 and 11: the feature "base-station"
  AidToNavigation,  // message 21: the feature "nav-aid"
  SarAircraft,      // message 9
};

// Collision-assessment state.
//   Normal -> Dangerous (warning given) when CPA and TCPA fall below the limits;
//   Dangerous -> DangerousWarned when the navigator acknowledges the warning;
//   Dangerous/DangerousWarned -> NoLongerDangerous when the limits are no longer met;
//   NoLongerDangerous -> Dangerous (a new episode, a new warning);
//   any -> Lost when no report came for kAisReportPeriodMs;
//   Lost -> LostHidden after AIS_HideLostTargetsAfter;
//   Lost/LostHidden -> Normal on the next report.
enum class AisTargetState : int {
  Normal = 0,
  NoLongerDangerous = 1,
  Dangerous = 2,
  DangerousWarned = 3,
  Lost = 4,
  LostHidden = 5,
};

// A target counts as current while its last report is at most this old.
inline constexpr uint64_t kAisReportPeriodMs = 360000;
// Reports older than this are not advanced further along their course.
inline constexpr uint64_t kAisPredictionLimitMs = 180000;

class CAisTarget {
 public:
  uint32_t mmsi = 0;
  AisTargetKind kind = AisTargetKind::Vessel;
  char transponderClass = 0;  // 'A', 'B' or 0 when not known
  bool ownVessel = false;     // reported by our own transponder (VDO)

  // Report timer.
  uint64_t tick = 0;          // TickCount() of the last report of any kind, ms
  uint64_t positionTick = 0;  // TickCount() of the last position report, ms
  ReceiveTime received;       // of the sentence that carried the last report
  int lastMessageType = 0;

  // Position report fields, as transmitted.
  int navStatus = kAisNavStatusNotDefined;  // 0..15
  int accuracy = 0;
  int second = kAisSecondNotAvailable;  // 0..63
  int raim = 0;
  int rot = kAisRotNotAvailable;          // raw -128..127
  int cog = kAisCogNotAvailable;          // 0.1 degree
  int sog = kAisSogNotAvailable;          // 0.1 knot
  int heading = kAisHeadingNotAvailable;  // degrees
  double lat = kAisLatNotAvailable;       // degrees, 91 n/a
  double lon = kAisLonNotAvailable;       // degrees, 181 n/a

  // Static data (messages 5, 19, 24).
  std::string name;
  std::string callsign;
  uint32_t imo = 0;
  int shipType = 0;
  int toBow = 0, toStern = 0, toPort = 0, toStarboard = 0;  // metres
  int epfd = 0;
  int etaMonth = 0, etaDay = 0, etaHour = 24, etaMinute = 60;
  int draught = 0;  // 0.1 m
  std::string destination;
  std::string vendor;
  int aisVersion = 0;

  // Features of other station kinds.
  std::optional<AisBaseStationReport> baseStation;
  std::optional<AisAidReport> aid;
  std::optional<AisSarReport> sar;
  std::optional<AisMetHydro> met;  // the station's last weather and sea report

  // Derived from the report: knots and degrees, -1 when not available.
  double sogKnots = -1.0;
  double cogDegrees = -1.0;
  // Position advanced along the course since the last report (none when the
  // target has no position or course).
  std::optional<LatLon> predicted;

  // Assessment against the own vessel.
  std::optional<int> bearing;      // integer degrees true 0..359
  std::optional<double> range;     // nautical miles
  std::optional<double> cpa;       // nautical miles
  std::optional<int> tcpa;         // seconds
  std::optional<LatLon> ownAtCpa;  // own-vessel position at CPA
  bool inMonitoredArea = false;
  bool activated = false;  // drawn activated (auto-activation limits)
  AisTargetState state = AisTargetState::Normal;
  bool hidden = false;    // set aside by the navigator or a reset
  uint64_t lostTick = 0;  // TickCount() when it became lost

  // The receiver's change counter when anything of the target last changed
  // (a report, ageing, prediction, assessment, the navigator's actions).
  uint64_t revision = 0;

  bool HasPosition() const {
    return lat != kAisLatNotAvailable && lon != kAisLonNotAvailable && !(lat == 0.0 && lon == 0.0);
  }
  bool IsLost() const {
    return state == AisTargetState::Lost || state == AisTargetState::LostHidden;
  }
  bool IsDangerous() const {
    return state == AisTargetState::Dangerous || state == AisTargetState::DangerousWarned;
  }
  // The feature key of a base station ("mmsi:%u::base"), else empty.
  std::string FeatureKey() const;
  // The feature name: "base-station", "nav-aid", "sar-aircraft" or "vessel".
  const char* FeatureName() const;
  // The name to show or speak: the station's name, else "another vessel".
  std::string DisplayName() const;
};

}  // namespace tarnwick
