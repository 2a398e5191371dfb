#include "instruments/ais/AisReceiver.h"

#include <algorithm>

#include "core/Clock.h"
#include "core/Log.h"
#include "core/Notifications.h"
#include "core/geo/Geodesy.h"
#include "core/settings/AisSettings.h"
#include "instruments/ais/AisDecode.h"
#include "instruments/ais/AisLogFile.h"
#include "core/units/Duration.h"

namespace tarnwick {
namespace {

// How long the targets' tracks reach back (AIS_TrackLength), at most a day.
int64_t TrackLengthMs() {
  const double seconds = ParseDurationSeconds(opt::AIS_TrackLength.Text()).value_or(1800.0);
  return static_cast<int64_t>(std::min(seconds, 86400.0) * 1000.0);
}

// Reassembly slot of a radio channel: 1 for '1' or 'A', 2 for '2' or 'B', 0 otherwise.
size_t ChannelSlot(char channel) {
  switch (channel) {
    case '1':
    case 'A':
      return 1;
    case '2':
    case 'B':
      return 2;
    default:
      return 0;
  }
}

bool IsVesselPositionReport(int type) {
  return (type >= 1 && type <= 3) || type == 18 || type == 19;
}

AisTargetKind KindOf(int type) {
  switch (type) {
    case 4:
    case 11:
      return AisTargetKind::BaseStation;
    case 9:
      return AisTargetKind::SarAircraft;
    case 21:
      return AisTargetKind::AidToNavigation;
    default:
      return AisTargetKind::Vessel;
  }
}

char ClassOf(int type) {
  if ((type >= 1 && type <= 3) || type == 5) return 'A';
  if (type == 18 || type == 19 || type == 24) return 'B';
  return 0;
}

// The own vessel's course (degrees true) and speed (knots) as assessed.
struct OwnMotion {
  double cog = 0.0;
  double sog = 0.0;
};

// Below this speed over ground (knots) the own vessel counts as stopped: many
// receivers leave the course blank then, and the vessel is assessed as
// stationary instead of not at all.
constexpr double kOwnStoppedBelowKnots = 0.5;

// Nothing without the own speed; without the own course only when stopped.
std::optional<OwnMotion> AssessedOwnMotion(const OwnShipKinematics& own) {
  if (!own.sog) return std::nullopt;
  if (own.cog) return OwnMotion{*own.cog, *own.sog};
  if (*own.sog < kOwnStoppedBelowKnots) return OwnMotion{0.0, 0.0};
  return std::nullopt;
}

void ClearAssessment(CAisTarget& t) {
  t.bearing.reset();
  t.range.reset();
  t.cpa.reset();
  t.tcpa.reset();
  t.ownAtCpa.reset();
}

void ApplyPosition(CAisTarget& t, const AisMessage& m) {
  const AisPositionReport& p = *m.position;
  if (m.type <= 3) {
    t.navStatus = p.navStatus;
    t.rot = p.rot;
  }
  t.accuracy = p.accuracy;
  t.raim = p.raim;
  t.second = p.second;
  t.lat = p.lat;
  t.lon = p.lon;
  t.sog = p.sog;
  t.cog = p.cog;
  t.heading = p.heading;
  t.sogKnots = p.sog == kAisSogNotAvailable ? -1.0 : p.sog / 10.0;
  t.cogDegrees = p.cog >= kAisCogNotAvailable ? -1.0 : p.cog / 10.0;
  if (t.HasPosition()) {
    t.predicted = LatLon{t.lat, t.lon};
  } else {
    t.predicted.reset();
  }
}

void ApplyStatic(CAisTarget& t, const AisStaticData& s) {
  if (s.fields & kAisName) t.name = s.name;
  if (s.fields & kAisCallsign) t.callsign = s.callsign;
  if (s.fields & kAisImo) t.imo = s.imo;
  if (s.fields & kAisShipType) t.shipType = s.shipType;
  if (s.fields & kAisDimensions) {
    t.toBow = s.toBow;
    t.toStern = s.toStern;
    t.toPort = s.toPort;
    t.toStarboard = s.toStarboard;
  }
  if (s.fields & kAisEpfd) t.epfd = s.epfd;
  if (s.fields & kAisEta) {
    t.etaMonth = s.etaMonth;
    t.etaDay = s.etaDay;
    t.etaHour = s.etaHour;
    t.etaMinute = s.etaMinute;
  }
  if (s.fields & kAisDraught) t.draught = s.draught;
  if (s.fields & kAisDestination) t.destination = s.destination;
  if (s.fields & kAisVendor) t.vendor = s.vendor;
  if (s.fields & kAisVersion) t.aisVersion = s.aisVersion;
}

// The message changes the target table.
bool UpdatesTarget(const AisMessage& m) {
  return m.position || m.statics || m.met;
}

}  // namespace

void CAisReceiver::SetMessageObserver(MessageObserver observer) {
  std::lock_guard lock(mutex_);
  observer_ = std::move(observer);
}

void CAisReceiver::SetSafetyMessageHook(SafetyMessageHook hook) {
  std::lock_guard lock(mutex_);
  safetyHook_ = std::move(hook);
}

void CAisReceiver::DecodeVDM(CSensor* aisSensor, const ReceiveTime& received,
                             const VdmFragment& fragment) {
  Deferred deferred;
  {
    std::lock_guard lock(mutex_);
    Slot& slot = slots_[ChannelSlot(fragment.channel)];
    if (slot.active &&
        (slot.ownVessel != fragment.ownVessel || fragment.number != slot.lastNumber + 1 ||
         fragment.sequenceId != slot.sequenceId || fragment.count != slot.count)) {
      slot.active = false;  // the unfinished message is lost
    }
    if (!slot.active) {
      if (fragment.number != 1) return;
      slot.active = true;
      slot.ownVessel = fragment.ownVessel;
      slot.count = fragment.count;
      slot.sequenceId = fragment.sequenceId;
      slot.bits.Clear();
    }
    slot.bits.AppendArmoured(fragment.payload);
    slot.bits.DropTail(fragment.fillBits);
    slot.lastNumber = fragment.number;
    if (fragment.number != fragment.count) return;
    slot.active = false;
    DispatchLocked(aisSensor, received, slot.bits, fragment.ownVessel, deferred);
  }
  RunDeferred(deferred);
}

void CAisReceiver::DispatchAIS(CSensor* aisSensor, const ReceiveTime& received, const AisBits& bits,
                               bool ownVessel) {
  Deferred deferred;
  {
    std::lock_guard lock(mutex_);
    DispatchLocked(aisSensor, received, bits, ownVessel, deferred);
  }
  RunDeferred(deferred);
}

void CAisReceiver::DispatchLocked(CSensor* aisSensor, const ReceiveTime& received,
                                  const AisBits& bits, bool ownVessel, Deferred& deferred) {
  std::optional<AisMessage> message = DecodeAisMessage(bits, ownVessel);
  if (!message) return;
  ApplyLocked(aisSensor, received, *message, deferred);
  if (observer_) deferred.observed.push_back(std::move(*message));
}

void CAisReceiver::ApplyLocked(CSensor* aisSensor, const ReceiveTime& received, const AisMessage& m,
                               Deferred& deferred) {
  if (m.text) {
    char text[256];
    snprintf(text, sizeof text, "@AIS Safety Message: %s", m.text->c_str());
    deferred.safetyTexts.emplace_back(text);
    if (safetyHook_) {
      AisSafetyMessage safety{m.mmsi, {}, *m.text};
      if (auto sender = targets_.find(m.mmsi); sender != targets_.end())
        safety.fromName = sender->second.name;
      deferred.safetyMessages.push_back(std::move(safety));
      deferred.safetyHook = safetyHook_;
    }
  }
  if (!UpdatesTarget(m)) return;

  const uint64_t tick = received.tickMs != 0 ? received.tickMs : TickCount();
  if (!targets_.count(m.mmsi) && !MakeRoomLocked()) return;
  auto [it, created] = targets_.try_emplace(m.mmsi);
  CAisTarget& t = it->second;
  if (created) {
    t.mmsi = m.mmsi;
    t.kind = m.met ? AisTargetKind::BaseStation : KindOf(m.type);
  } else if (m.position) {
    t.kind = KindOf(m.type);
  }
  if (const char cls = ClassOf(m.type)) t.transponderClass = cls;
  t.ownVessel = t.ownVessel || m.ownVessel;
  t.tick = tick;
  t.received = received;
  t.lastMessageType = m.type;
  if (t.IsLost()) {
    t.state = AisTargetState::Normal;
    t.hidden = false;
    t.lostTick = 0;
  }
  if (m.position) {
    ApplyPosition(t, m);
    if (t.HasPosition() && !t.ownVessel)
      tracks_.Add(m.mmsi, received.utcMs != 0 ? received.utcMs : UtcNowMs(), {t.lat, t.lon});
    t.positionTick = tick;
  }
  if (m.statics) ApplyStatic(t, *m.statics);
  if (m.base) t.baseStation = m.base;
  if (m.aid) t.aid = m.aid;
  if (m.sar) t.sar = m.sar;
  if (m.met) t.met = m.met;
  MarkChangedLocked(t);
  dirty_ = true;

  if (m.ownVessel && m.position && IsVesselPositionReport(m.type)) {
    ownShip_.mmsi = m.mmsi;
    ownShip_.received = received;
    ownShip_.transponderClass = ClassOf(m.type);
    if (aisSensor) ownShip_.sensor = aisSensor;
    if (t.HasPosition()) {
      ownShip_.position = LatLon{t.lat, t.lon};
    } else {
      ownShip_.position.reset();
    }
    ownShip_.heading = t.heading < 360 ? std::optional<int>(t.heading) : std::nullopt;
    ownShip_.cog = t.cogDegrees >= 0.0 ? std::optional<double>(t.cogDegrees) : std::nullopt;
    ownShip_.sog = t.sogKnots >= 0.0 ? std::optional<double>(t.sogKnots) : std::nullopt;
  }
  if (m.position && IsVesselPositionReport(m.type) && opt::AIS_Logging.GetBool()) {
    deferred.logLines.push_back(FormatAisLogLine(t, m.type, received.utcMs));
  }
}

bool CAisReceiver::MakeRoomLocked() {
  const size_t cap = static_cast<size_t>(std::max(100, opt::AIS_MaxTargets.GetInt()));
  if (targets_.size() < cap) return true;
  struct Candidate {
    bool lost;
    uint64_t tick;
    uint32_t mmsi;
  };
  std::vector<Candidate> candidates;
  candidates.reserve(targets_.size());
  for (const auto& [mmsi, t] : targets_)
    if (!t.IsDangerous() && !t.ownVessel) candidates.push_back({t.IsLost(), t.tick, mmsi});
  const size_t drop = std::min(candidates.size(), targets_.size() - cap + 1 + cap / 10);
  const uint64_t now = TickCount();
  if (drop > 0) {
    const auto older = [](const Candidate& a, const Candidate& b) {
      return a.lost != b.lost ? a.lost : a.tick < b.tick;
    };
    std::nth_element(candidates.begin(), candidates.begin() + (drop - 1), candidates.end(), older);
    for (size_t i = 0; i < drop; ++i) targets_.erase(candidates[i].mmsi);
    droppedTargets_ += drop;
    dirty_ = true;
  }
  if (lastDropLogTick_ == 0 || now - lastDropLogTick_ >= 60000) {
    Log("CAisReceiver: the target table is full (AIS_MaxTargets %zu); dropped the %llu oldest "
        "targets that were not dangerous%s\n",
        cap, static_cast<unsigned long long>(droppedTargets_),
        drop == 0 ? "; every target is dangerous, new ones are not kept" : "");
    lastDropLogTick_ = now == 0 ? 1 : now;
    droppedTargets_ = 0;
  }
  return drop > 0;
}

void CAisReceiver::RunDeferred(Deferred& deferred) {
  if (!deferred.logLines.empty()) {
    std::string text;
    for (const std::string& line : deferred.logLines) text += line;
    AisLogFile().Append(text);
  }
  for (std::string& text : deferred.safetyTexts) {
    Notifications().Post(NotificationKind::MessageBar, std::move(text));
  }
  for (const AisMessage& message : deferred.observed) observer_(message);
  for (const AisSafetyMessage& message : deferred.safetyMessages) deferred.safetyHook(message);
  for (const std::string& warning : deferred.warnings) {
    Notifications().Post(NotificationKind::Warning, warning);
    Notifications().Speak(warning);
  }
}

bool CAisReceiver::Update(const OwnShipKinematics& own, const AisAssessmentSettings& settings) {
  if (!settings.showVessels) return false;
  const uint64_t now = TickCount();
  if (lastUpdateTick_ && now - *lastUpdateTick_ < kUpdateIntervalMs) return false;
  lastUpdateTick_ = now;

  Deferred deferred;
  {
    std::lock_guard lock(mutex_);
    bool changed = dirty_;
    dirty_ = false;
    for (auto it = targets_.begin(); it != targets_.end();) {
      CAisTarget& t = it->second;
      const uint64_t sinceReport = now > t.tick ? now - t.tick : 0;
      if (t.IsLost() && sinceReport > kForgetAfterMs) {
        tracks_.Forget(it->first);
        it = targets_.erase(it);
        changed = true;
        continue;
      }
      bool targetChanged = false;
      if (!t.IsLost() && sinceReport > kAisReportPeriodMs) {
        if (settings.lostTargetAlert && (t.activated || t.IsDangerous()) && !t.hidden) {
          deferred.warnings.push_back(ExpandMessage("AIS target lost: $1", {t.DisplayName()}));
        }
        t.state = AisTargetState::Lost;
        t.lostTick = now;
        targetChanged = true;
      }
      if (t.state == AisTargetState::Lost && now - t.lostTick >= settings.hideLostAfterMs) {
        t.state = AisTargetState::LostHidden;
        t.hidden = true;
        targetChanged = true;
      }
      if (!t.HasPosition() || t.cogDegrees < 0.0) {
        if (t.predicted) {
          t.predicted.reset();
          targetChanged = true;
        }
      } else {
        const uint64_t sincePosition = now > t.positionTick ? now - t.positionTick : 0;
        if (sincePosition > 0 && sincePosition < kAisPredictionLimitMs) {
          const double nm = std::max(t.sogKnots, 0.0) * (sincePosition / 1000.0) / 3600.0;
          // A vessel lying still stays exactly where it reported (no rounding
          // noise that would count as a change every second).
          const LatLon predicted =
              nm > 0.0 ? DestinationPoint({t.lat, t.lon}, nm, t.cogDegrees) : LatLon{t.lat, t.lon};
          if (!t.predicted || !(*t.predicted == predicted)) {
            t.predicted = predicted;
            targetChanged = true;
          }
        }
      }
      if (targetChanged) {
        MarkChangedLocked(t);
        changed = true;
      }
      ++it;
    }
    tracks_.Trim(TrackLengthMs());
    if (changed || !lastOwn_ || !(*lastOwn_ == own)) {
      for (auto& [mmsi, target] : targets_) AssessLocked(target, own, settings, deferred);
    }
    lastOwn_ = own;
  }
  RunDeferred(deferred);
  return true;
}

void CAisReceiver::UpdateCPA(const OwnShipKinematics& own, const AisAssessmentSettings& settings) {
  Deferred deferred;
  {
    std::lock_guard lock(mutex_);
    for (auto& [mmsi, target] : targets_) AssessLocked(target, own, settings, deferred);
    lastOwn_ = own;
  }
  RunDeferred(deferred);
}

void CAisReceiver::SetMonitoredArea(std::function<bool(const LatLon&)> inArea) {
  std::lock_guard lock(mutex_);
  monitoredArea_ = std::move(inArea);
}

void CAisReceiver::AssessLocked(CAisTarget& t, const OwnShipKinematics& own,
                                const AisAssessmentSettings& settings, Deferred& deferred) {
  if (t.hidden || t.ownVessel || t.kind != AisTargetKind::Vessel) return;
  const std::optional<int> oldBearing = t.bearing;
  const std::optional<double> oldRange = t.range, oldCpa = t.cpa;
  const std::optional<int> oldTcpa = t.tcpa;
  const std::optional<LatLon> oldOwnAtCpa = t.ownAtCpa;
  const AisTargetState oldState = t.state;
  const bool oldActivated = t.activated, oldInArea = t.inMonitoredArea;

  if (t.IsLost()) {
    t.cpa.reset();
    t.tcpa.reset();
    t.ownAtCpa.reset();
  } else if (!t.HasPosition() || !own.position) {
    ClearAssessment(t);
  } else {
    const LatLon at = t.predicted.value_or(LatLon{t.lat, t.lon});
    t.inMonitoredArea = monitoredArea_ && monitoredArea_(at);
    const std::optional<OwnMotion> ownMotion = AssessedOwnMotion(own);
    // A target that does not report its course (or speed) is taken as
    // stationary at its position: a vessel lying dead ahead is still a danger.
    const bool targetMoving = t.cogDegrees >= 0.0 && t.sogKnots >= 0.0;
    const CpaResult cpa =
        AssessCpa(*own.position, ownMotion ? ownMotion->cog : 0.0, ownMotion ? ownMotion->sog : 0.0,
                  at, targetMoving ? t.cogDegrees : 0.0, targetMoving ? t.sogKnots : 0.0);
    t.bearing = cpa.bearing;
    t.range = cpa.range;
    t.cpa = ownMotion ? cpa.cpa : std::nullopt;
    t.tcpa = ownMotion ? cpa.tcpa : std::nullopt;
    t.ownAtCpa = ownMotion ? cpa.ownAtCpa : std::nullopt;

    // Without the own vessel's motion nothing can be said about danger: the
    // state stays as it was.
    if (ownMotion) {
      CpaResult assessed = cpa;
      assessed.cpa = t.cpa;
      assessed.tcpa = t.tcpa;
      const bool dangerous = IsDangerousApproach(assessed, t.sogKnots, t.inMonitoredArea, settings);
      if (dangerous && !t.IsDangerous()) {
        t.state = AisTargetState::Dangerous;
        deferred.warnings.push_back(ExpandMessage("Warning: possible collision with $1 in $2",
                                                  {t.DisplayName(), FormatDurationText(*t.tcpa)}));
      } else if (!dangerous && t.IsDangerous()) {
        t.state = AisTargetState::NoLongerDangerous;
      }
      t.activated =
          settings.autoActivateAll || t.IsDangerous() ||
          (settings.autoActivateByCpa && t.cpa && t.tcpa && *t.cpa < settings.autoActivateCpaNm &&
           *t.tcpa < settings.autoActivateTcpaSeconds);
    }
  }
  if (t.bearing != oldBearing || t.range != oldRange || t.cpa != oldCpa || t.tcpa != oldTcpa ||
      t.state != oldState) {
    ++redrawGeneration_;
    MarkChangedLocked(t);
  } else if (t.ownAtCpa != oldOwnAtCpa || t.activated != oldActivated ||
             t.inMonitoredArea != oldInArea) {
    MarkChangedLocked(t);
  }
}

void CAisReceiver::Reset() {
  std::lock_guard lock(mutex_);
  tracks_.Clear();
  const uint64_t now = TickCount();
  for (auto& [mmsi, t] : targets_) {
    t.hidden = true;
    t.state = AisTargetState::LostHidden;
    t.lostTick = now;
    t.predicted.reset();
    ClearAssessment(t);
    MarkChangedLocked(t);
  }
  ++redrawGeneration_;
}

bool CAisReceiver::AcknowledgeDanger(uint32_t mmsi) {
  std::lock_guard lock(mutex_);
  auto it = targets_.find(mmsi);
  if (it == targets_.end() || it->second.state != AisTargetState::Dangerous) return false;
  it->second.state = AisTargetState::DangerousWarned;
  MarkChangedLocked(it->second);
  ++redrawGeneration_;
  return true;
}

bool CAisReceiver::SetHidden(uint32_t mmsi, bool hidden) {
  std::lock_guard lock(mutex_);
  auto it = targets_.find(mmsi);
  if (it == targets_.end()) return false;
  it->second.hidden = hidden;
  if (hidden) ClearAssessment(it->second);
  MarkChangedLocked(it->second);
  ++redrawGeneration_;
  return true;
}

std::optional<CAisTarget> CAisReceiver::Target(uint32_t mmsi) const {
  std::lock_guard lock(mutex_);
  auto it = targets_.find(mmsi);
  if (it == targets_.end()) return std::nullopt;
  return it->second;
}

std::vector<CAisTarget> CAisReceiver::Targets() const {
  std::vector<CAisTarget> copy;
  {
    std::lock_guard lock(mutex_);
    copy.reserve(targets_.size());
    for (const auto& [mmsi, target] : targets_) copy.push_back(target);
  }
  std::sort(copy.begin(), copy.end(),
            [](const CAisTarget& a, const CAisTarget& b) { return a.mmsi < b.mmsi; });
  return copy;
}

AisTargetChanges CAisReceiver::ChangesSince(uint64_t revision) const {
  AisTargetChanges changes;
  {
    std::lock_guard lock(mutex_);
    changes.revision = revision_;
    changes.present.reserve(targets_.size());
    for (const auto& [mmsi, target] : targets_) {
      changes.present.push_back(mmsi);
      if (target.revision > revision) changes.changed.push_back(target);
    }
  }
  std::sort(changes.present.begin(), changes.present.end());
  std::sort(changes.changed.begin(), changes.changed.end(),
            [](const CAisTarget& a, const CAisTarget& b) { return a.mmsi < b.mmsi; });
  return changes;
}

size_t CAisReceiver::TargetCount() const {
  std::lock_guard lock(mutex_);
  return targets_.size();
}

AisOwnShipRecord CAisReceiver::OwnShip() const {
  std::lock_guard lock(mutex_);
  return ownShip_;
}

OwnShipKinematics CAisReceiver::OwnShipFromTransponder() const {
  std::lock_guard lock(mutex_);
  OwnShipKinematics own;
  own.position = ownShip_.position;
  own.cog = ownShip_.cog;
  own.sog = ownShip_.sog;
  if (ownShip_.heading) own.heading = *ownShip_.heading;
  own.tickMs = ownShip_.received.tickMs;
  return own;
}

std::vector<AisTrack> CAisReceiver::Tracks() const {
  std::lock_guard lock(mutex_);
  return tracks_.All();
}

uint64_t CAisReceiver::RedrawGeneration() const {
  std::lock_guard lock(mutex_);
  return redrawGeneration_;
}

CAisReceiver& AisReceiver() {
  static CAisReceiver receiver;
  return receiver;
}

}  // namespace tarnwick
