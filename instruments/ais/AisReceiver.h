#pragma once
// The AIS receiver: reassembles VDM/VDO fragments into messages on the port
// threads, applies them to the target table and the own-ship record, and on
// the user-interface thread ages the targets and assesses each one against the
// own vessel ("UpdateAIS").
//
// Locking: one receiver lock guards the reassembly slots, the target table and
// the own-ship record. Callers that also hold the navigation data store's lock
// take it first. Notifications, AIS.LOG writes and observers run after the
// receiver lock is released.

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "instruments/ais/AisAssessmentSettings.h"
#include "instruments/ais/AisBits.h"
#include "instruments/ais/AisCpa.h"
#include "instruments/ais/AisMessage.h"
#include "instruments/ais/AisTarget.h"
#include "instruments/ais/AisTracks.h"
#include "instruments/nmea/AisSentenceSink.h"

namespace tarnwick {

// What our own transponder told us about the own vessel (VDO sentences).
struct AisOwnShipRecord {
  uint32_t mmsi = 0;
  std::optional<LatLon> position;
  std::optional<int> heading;  // degrees true
  std::optional<double> cog;   // degrees true
  std::optional<double> sog;   // knots
  char transponderClass = 0;   // 'A' (messages 1-3) or 'B' (18, 19, 24); 0 unknown
  CSensor* sensor = nullptr;   // the port's own-transponder sensor, when given
  ReceiveTime received;        // of the last own-vessel report
};

// A safety-related text (messages 12 and 14) and who sent it.
struct AisSafetyMessage {
  uint32_t mmsi = 0;     // the sender
  std::string fromName;  // the sender's name as the target table knows it, "" when unknown
  std::string text;
};

// The targets that changed since a revision of the receiver's table.
struct AisTargetChanges {
  uint64_t revision = 0;            // ask with this one next time
  std::vector<CAisTarget> changed;  // changed since the revision asked for, by MMSI
  std::vector<uint32_t> present;    // the MMSI of every target in the table, ascending
};

class CAisReceiver final : public IAisSentenceSink {
 public:
  // Least time between two updates of the table ("UpdateAIS"), ms.
  static constexpr uint64_t kUpdateIntervalMs = 1000;
  // Targets not heard for this long are removed from the table, ms.
  static constexpr uint64_t kForgetAfterMs = 3600000;

  using MessageObserver = std::function<void(const AisMessage&)>;
  using SafetyMessageHook = std::function<void(const AisSafetyMessage&)>;

  CAisReceiver() = default;
  CAisReceiver(const CAisReceiver&) = delete;
  CAisReceiver& operator=(const CAisReceiver&) = delete;

  // One fragment of a VDM (other vessels) or VDO (own vessel) sentence, with
  // values already checked by the NMEA decoder. Port threads.
  void DecodeVDM(CSensor* aisSensor, const ReceiveTime& received,
                 const VdmFragment& fragment) override;
  // Decodes a completed message and applies it. Port threads.
  void DispatchAIS(CSensor* aisSensor, const ReceiveTime& received, const AisBits& bits,
                   bool ownVessel);

  // Called (after the receiver lock is released, on the dispatching thread)
  // with every message that was applied. Set before ports run.
  void SetMessageObserver(MessageObserver observer);
  // Called the same way with every safety-related text received (the
  // logbook keeps them). Set before ports run.
  void SetSafetyMessageHook(SafetyMessageHook hook);

  // "UpdateAIS": runs at most once per kUpdateIntervalMs and only while
  // settings.showVessels is on; ages and predicts every target and, when
  // anything changed, runs UpdateCPA. Returns whether it ran. UI thread.
  bool Update(const OwnShipKinematics& own, const AisAssessmentSettings& settings);
  // Assesses every target that is not hidden against own. No CPA without the
  // own position or speed, nor without the own course unless the own vessel
  // is stopped (under 0.5 kn: assessed as stationary); a target without course
  // is assessed as stationary at its position. UI thread.
  void UpdateCPA(const OwnShipKinematics& own, const AisAssessmentSettings& settings);
  // "ResetAIS": every target becomes hidden and lost; its assessment and track are cleared.
  void Reset();

  // Sets the test of the monitored area: targets inside it are exempt from
  // the danger rule. Empty: no area.
  void SetMonitoredArea(std::function<bool(const LatLon&)> inArea);

  // The navigator acknowledged the collision warning of mmsi (state 2 -> 3).
  bool AcknowledgeDanger(uint32_t mmsi);
  // Sets a target aside (or back); hidden targets are not assessed.
  bool SetHidden(uint32_t mmsi, bool hidden);

  // Copies under the receiver lock.
  std::optional<CAisTarget> Target(uint32_t mmsi) const;
  std::vector<CAisTarget> Targets() const;  // sorted by MMSI
  size_t TargetCount() const;
  // Copies of the targets changed after revision (0: every target); the copy
  // under the lock is in proportion to the changes, not to the table.
  AisTargetChanges ChangesSince(uint64_t revision) const;
  AisOwnShipRecord OwnShip() const;
  // Own-ship kinematics from our transponder's reports (for when no other
  // position source is configured).
  OwnShipKinematics OwnShipFromTransponder() const;
  // The targets' recent tracks (reported positions over AIS_TrackLength).
  std::vector<AisTrack> Tracks() const;
  // Increases whenever a displayed value (bearing, range, CPA, TCPA, state) changed.
  uint64_t RedrawGeneration() const;

 private:
  struct Slot {
    bool active = false;
    bool ownVessel = false;
    int count = 0;
    int sequenceId = 0;
    int lastNumber = 0;
    AisBits bits;
  };
  // Work that must happen outside the receiver lock.
  struct Deferred {
    std::vector<std::string> logLines;
    std::vector<std::string> safetyTexts;
    std::vector<AisSafetyMessage> safetyMessages;
    SafetyMessageHook safetyHook;  // copied under the lock when there are messages
    std::vector<AisMessage> observed;
    std::vector<std::string> warnings;
  };

  void DispatchLocked(CSensor* aisSensor, const ReceiveTime& received, const AisBits& bits,
                      bool ownVessel, Deferred& deferred);
  void ApplyLocked(CSensor* aisSensor, const ReceiveTime& received, const AisMessage& message,
                   Deferred& deferred);
  void AssessLocked(CAisTarget& target, const OwnShipKinematics& own,
                    const AisAssessmentSettings& settings, Deferred& deferred);
  void RunDeferred(Deferred& deferred);
  // Makes room for a new target when the table holds AIS_MaxTargets: drops the
  // oldest tenth of the targets that are neither dangerous nor our own vessel
  // (lost ones first), so that a flood of new identities costs little per
  // report. False when no target may go (all dangerous): the new one is not kept.
  bool MakeRoomLocked();
  void MarkChangedLocked(CAisTarget& target) { target.revision = ++revision_; }

  mutable std::mutex mutex_;
  std::array<Slot, 3> slots_;
  std::unordered_map<uint32_t, CAisTarget> targets_;
  CAisTracks tracks_;
  AisOwnShipRecord ownShip_;
  MessageObserver observer_;
  SafetyMessageHook safetyHook_;
  std::function<bool(const LatLon&)> monitoredArea_;
  bool dirty_ = false;  // a report arrived since the last update
  std::optional<uint64_t> lastUpdateTick_;
  std::optional<OwnShipKinematics> lastOwn_;
  uint64_t redrawGeneration_ = 0;
  uint64_t droppedTargets_ = 0;     // dropped for room since the last log line
  uint64_t lastDropLogTick_ = 0;
  uint64_t revision_ = 0;  // counts every change of a target
};

// The process-wide receiver.
CAisReceiver& AisReceiver();

}  // namespace tarnwick
