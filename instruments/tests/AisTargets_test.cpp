// The target table: reports applied to targets, own-ship updates from VDO,
// ageing, prediction, the danger state machine with its single warning, reset,
// AIS.LOG, and concurrent decoding while the table is assessed.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <limits>
#include <thread>

#include "core/Clock.h"
#include "core/Notifications.h"
#include "core/Paths.h"
#include "core/geo/Geodesy.h"
#include "core/settings/AisSettings.h"
#include "core/tests/support/TestSupport.h"
#include "instruments/ais/AisLogFile.h"
#include "instruments/ais/AisReceiver.h"
#include "instruments/tests/AisTestMessages.h"

namespace tarnwick {
namespace {

constexpr LatLon kOwnPos{50.0, -5.0};
constexpr uint32_t kTarget = 244670166;

class AisTargets : public ::testing::Test {
 protected:
  CSimulatedClock clock_;
  CScopedClock scoped_{clock_};
  CAisReceiver receiver_;
  AisAssessmentSettings settings_;
  OwnShipKinematics own_{kOwnPos, 0.0, 10.0, 0.0, 0};
  uint64_t notesBefore_ = LastNotification();

  static uint64_t LastNotification() {
    auto all = Notifications().Since(0);
    return all.empty() ? 0 : all.back().id;
  }
  std::vector<std::string> Warnings() const {
    std::vector<std::string> texts;
    for (const Notification& n : Notifications().Since(notesBefore_)) {
      if (n.kind == NotificationKind::Warning) texts.push_back(n.text);
    }
    return texts;
  }
  void Send(const testing::AisMessageBuilder& b, bool own = false) {
    const testing::AisPayload p = b.Payload();
    receiver_.DecodeVDM(nullptr, {TickCount(), UtcNowMs()},
                        testing::Fragment(p, 1, 1, 0, 'A', own));
  }
  // A target nm nautical miles ahead of the own vessel, heading towards it.
  void SendHeadOn(double nm, double sog = 10.0, uint32_t mmsi = kTarget) {
    const LatLon at = DestinationPoint(kOwnPos, nm, 0.0);
    Send(testing::PositionA(mmsi, at.lat, at.lon, sog, 180.0));
  }
  bool Update() { return receiver_.Update(own_, settings_); }
  CAisTarget Target(uint32_t mmsi = kTarget) { return receiver_.Target(mmsi).value(); }
};

TEST_F(AisTargets, ReportsFillOneRecordPerMmsi) {
  Send(testing::PositionA(kTarget, 53.1, 5.4, 8.3, 11.9, 12));
  Send(testing::StaticVoyage(kTarget, "EVER DIADEM", 70));
  Send(testing::PositionA(kTarget, 91.0, 5.5, 8.4, 12.0, 13, 3));
  ASSERT_EQ(receiver_.TargetCount(), 1U);
  const CAisTarget t = Target();
  EXPECT_EQ(t.lat, kAisLatNotAvailable) << "latitude 91 is kept as not available";
  EXPECT_NEAR(t.lon, 5.5, 1e-6);
  EXPECT_EQ(t.name, "EVER DIADEM") << "static data survives a later position report";
  EXPECT_EQ(t.sog, 84);
  EXPECT_DOUBLE_EQ(t.sogKnots, 8.4);
  EXPECT_EQ(t.transponderClass, 'A');
  EXPECT_FALSE(t.predicted);
  EXPECT_FALSE(receiver_.Target(kAisBogusMmsi));
  Send(testing::PositionA(kAisBogusMmsi, 53, 5, 1, 1));
  EXPECT_EQ(receiver_.TargetCount(), 1U) << "MMSI 1193046 never makes a target";
}

TEST_F(AisTargets, OwnVesselReportsUpdateOwnShipRecord) {
  Send(testing::PositionA(0, 47.5, -122.3, 6.2, 270.0, 268), true);
  const AisOwnShipRecord own = receiver_.OwnShip();
  ASSERT_TRUE(own.position);
  EXPECT_NEAR(own.position->lat, 47.5, 1e-6);
  EXPECT_EQ(own.heading, 268);
  EXPECT_EQ(own.transponderClass, 'A');
  EXPECT_NEAR(*receiver_.OwnShipFromTransponder().sog, 6.2, 1e-9);
  EXPECT_TRUE(Target(0).ownVessel);

  testing::AisMessageBuilder b;  // a class B position report from our own transponder
  b.Put(18, 6).Put(0, 2).Put(0, 30).Put(0, 8).Put(50, 10).Put(0, 1);
  b.PutSigned(static_cast<int32_t>(-122.4 * 600000), 28).PutSigned(47 * 600000, 27);
  b.Put(900, 12).Put(511, 9).Put(60, 6).Put(0, 29);
  Send(b, true);
  EXPECT_EQ(receiver_.OwnShip().transponderClass, 'B');
  EXPECT_FALSE(receiver_.OwnShip().heading);
}

TEST_F(AisTargets, UpdateRunsAtMostOncePerSecondAndOnlyWhenShown) {
  SendHeadOn(3);
  EXPECT_TRUE(Update());
  clock_.Advance(999);
  EXPECT_FALSE(Update());
  clock_.Advance(1);
  EXPECT_TRUE(Update());
  settings_.showVessels = false;
  clock_.Advance(5000);
  EXPECT_FALSE(Update());
}

TEST_F(AisTargets, PredictionStopsAfter180Seconds) {
  SendHeadOn(5);
  Update();
  const LatLon reported{Target().lat, Target().lon};
  clock_.Advance(60000);
  Update();
  ASSERT_TRUE(Target().predicted);
  EXPECT_NEAR(Distance(reported, *Target().predicted), 10.0 * 60 / 3600, 1e-6);
  clock_.Advance(119000);  // 179 s
  Update();
  const LatLon at179 = *Target().predicted;
  EXPECT_NEAR(Distance(reported, at179), 10.0 * 179 / 3600, 1e-6);
  clock_.Advance(21000);  // 200 s: left where it was
  Update();
  EXPECT_EQ(*Target().predicted, at179);
  EXPECT_EQ(Target().state, AisTargetState::Normal);
}

TEST_F(AisTargets, AgeingIntoLostAndHidden) {
  SendHeadOn(5);
  Update();
  ASSERT_TRUE(Target().tcpa);
  clock_.Advance(360000);  // exactly 6 minutes: still current
  Update();
  EXPECT_EQ(Target().state, AisTargetState::Normal);
  clock_.Advance(60000);  // 7 minutes
  Update();
  EXPECT_EQ(Target().state, AisTargetState::Lost);
  EXPECT_FALSE(Target().tcpa);
  EXPECT_FALSE(Target().cpa);
  EXPECT_FALSE(Target().hidden);
  clock_.Advance(60000);  // AIS_HideLostTargetsAfter "1 min"
  Update();
  EXPECT_EQ(Target().state, AisTargetState::LostHidden);
  EXPECT_TRUE(Target().hidden);
  SendHeadOn(4);  // heard again
  EXPECT_EQ(Target().state, AisTargetState::Normal);
  EXPECT_FALSE(Target().hidden);
  clock_.Advance(CAisReceiver::kForgetAfterMs + 1000);
  Update();
  clock_.Advance(1000);
  Update();
  EXPECT_EQ(receiver_.TargetCount(), 0U) << "forgotten after an hour of silence";
}

TEST_F(AisTargets, LostTargetAlertForActivatedTargets) {
  settings_.lostTargetAlert = true;
  SendHeadOn(5);
  Update();
  clock_.Advance(361000);
  Update();
  ASSERT_EQ(Warnings().size(), 1U);
  EXPECT_EQ(Warnings()[0], "AIS target lost: another vessel");
}

// Reciprocal courses at 10 kn each: TCPA falls by two seconds of the program's
// scaled time per second; the warning comes once when it drops below 300 s.
TEST_F(AisTargets, WarningOncePerDangerousEpisode) {
  SendHeadOn(2.0);
  Update();
  EXPECT_EQ(Target().tcpa, 344);
  EXPECT_NEAR(*Target().cpa, 0.0, 1e-3);
  EXPECT_EQ(Target().state, AisTargetState::Normal);
  EXPECT_TRUE(Warnings().empty());

  SendHeadOn(1.7);
  clock_.Advance(1000);
  Update();
  EXPECT_LT(*Target().tcpa, 300);
  EXPECT_EQ(Target().state, AisTargetState::Dangerous);
  ASSERT_EQ(Warnings().size(), 1U);
  EXPECT_EQ(Warnings()[0],
            "Warning: possible collision with another vessel in 4 minutes 52 seconds");

  for (double nm : {1.6, 1.5, 1.4}) {
    SendHeadOn(nm);
    clock_.Advance(1000);
    Update();
  }
  EXPECT_EQ(Warnings().size(), 1U) << "no repeat while the danger lasts";
  EXPECT_TRUE(receiver_.AcknowledgeDanger(kTarget));
  EXPECT_EQ(Target().state, AisTargetState::DangerousWarned);

  Send(testing::PositionA(kTarget, Target().lat, Target().lon, 10.0, 90.0));  // turns away
  clock_.Advance(1000);
  Update();
  EXPECT_EQ(Target().state, AisTargetState::NoLongerDangerous);

  Send(testing::StaticVoyage(kTarget, "EVER DIADEM", 70));
  SendHeadOn(1.0);  // a new episode
  clock_.Advance(1000);
  Update();
  ASSERT_EQ(Warnings().size(), 2U);
  EXPECT_EQ(Warnings()[1].rfind("Warning: possible collision with EVER DIADEM in ", 0), 0U);
}

// A target 0.5 NM dead ahead. No CPA without the own position or speed, or
// without the own course while under way; a stopped own vessel without course
// and a target without course are assessed as stationary.
// A flood of new identities (a marina network with 200,000 made-up MMSIs)
// cannot grow the table past AIS_MaxTargets; the oldest targets that are not
// dangerous go first, a dangerous one stays.
TEST_F(AisTargets, TheTableIsCappedAndKeepsDangerousTargets) {
  ASSERT_TRUE(opt::AIS_MaxTargets.Set("100"));
  SendHeadOn(1.5);
  clock_.Advance(1000);
  Update();
  ASSERT_EQ(Target().state, AisTargetState::Dangerous);
  for (uint32_t i = 0; i < 2000; ++i) {
    clock_.Advance(1);
    Send(testing::PositionA(200000000 + i, 40.0 + i * 1e-4, -20.0, 5.0, 90.0));
  }
  const auto targets = receiver_.Targets();
  EXPECT_LE(targets.size(), 100u);
  EXPECT_GE(targets.size(), 80u);
  EXPECT_TRUE(receiver_.Target(kTarget)) << "the dangerous target stays";
  EXPECT_TRUE(receiver_.Target(200001999)) << "the newest is kept";
  EXPECT_FALSE(receiver_.Target(200000000)) << "the oldest went";
  ASSERT_TRUE(opt::AIS_MaxTargets.ResetToDefault());
}

TEST_F(AisTargets, WhichMotionsAreAssessed) {
  constexpr double kNa = std::numeric_limits<double>::quiet_NaN();
  const OwnShipKinematics under_way{kOwnPos, 0.0, 10.0, 0.0, 0};
  struct Row {
    const char* what;
    OwnShipKinematics own;
    double targetSog, targetCog;
    bool stationarySafe;
    bool expectCpa;
    AisTargetState state;
  };
  const Row rows[] = {
      {"no own position", {std::nullopt, 0.0, 10.0, 0.0, 0}, 10, 180, false, false,
       AisTargetState::Normal},
      {"no own speed", {kOwnPos, 0.0, std::nullopt, 0.0, 0}, 10, 180, false, false,
       AisTargetState::Normal},
      {"no own course under way", {kOwnPos, std::nullopt, 6.0, 0.0, 0}, 15, 180, false, false,
       AisTargetState::Normal},
      {"no own course, stopped", {kOwnPos, std::nullopt, 0.3, 0.0, 0}, 15, 180, false, true,
       AisTargetState::Dangerous},
      {"target without course", under_way, 0, kNa, false, true, AisTargetState::Dangerous},
      {"target without course or speed", under_way, kNa, kNa, false, true,
       AisTargetState::Dangerous},
      {"0.4 kn target, stationary assumed safe", under_way, 0.4, 180, true, true,
       AisTargetState::Normal},
      {"0.4 kn target, rule off", under_way, 0.4, 180, false, true, AisTargetState::Dangerous},
  };
  for (const Row& row : rows) {
    CAisReceiver receiver;
    AisAssessmentSettings settings;
    settings.stationaryTargetsAreSafe = row.stationarySafe;
    const LatLon at = DestinationPoint(kOwnPos, 0.5, 0.0);
    const testing::AisPayload p =
        testing::PositionA(kTarget, at.lat, at.lon, row.targetSog, row.targetCog).Payload();
    receiver.DecodeVDM(nullptr, {TickCount(), 0}, testing::Fragment(p));
    receiver.UpdateCPA(row.own, settings);
    const CAisTarget t = receiver.Target(kTarget).value();
    EXPECT_EQ(t.cpa.has_value(), row.expectCpa) << row.what;
    EXPECT_EQ(t.state, row.state) << row.what;
    if (row.expectCpa) {
      EXPECT_NEAR(*t.cpa, 0.0, 1e-3) << row.what;
    }
  }
}

TEST_F(AisTargets, MonitoredAreaExemptsTargets) {
  receiver_.SetMonitoredArea([](const LatLon&) { return true; });
  SendHeadOn(0.5);
  Update();
  EXPECT_TRUE(Target().inMonitoredArea);
  EXPECT_EQ(Target().state, AisTargetState::Normal);
}

TEST_F(AisTargets, ResetHidesEverythingUntilHeardAgain) {
  SendHeadOn(0.5);
  Update();
  ASSERT_EQ(Target().state, AisTargetState::Dangerous);
  const uint64_t generation = receiver_.RedrawGeneration();
  receiver_.Reset();
  EXPECT_GT(receiver_.RedrawGeneration(), generation);
  const CAisTarget t = Target();
  EXPECT_TRUE(t.hidden);
  EXPECT_TRUE(t.IsLost());
  EXPECT_FALSE(t.predicted || t.cpa || t.tcpa || t.bearing || t.ownAtCpa);
  clock_.Advance(1000);
  Update();
  EXPECT_FALSE(Target().cpa) << "hidden targets are not assessed";
  EXPECT_EQ(Warnings().size(), 1U);
  EXPECT_TRUE(receiver_.Tracks().empty()) << "the tracks go with the reset";
}

TEST_F(AisTargets, TracksKeepThinnedReportsOverTheTrackLength) {
  struct Step {
    int64_t advanceMs;
    double nm;  // ahead of the own vessel
    size_t points;
  };
  const Step steps[] = {
      {0, 3.0, 1},        {2000, 3.0, 1},   // neither 10 s later nor moved
      {2000, 2.9, 2},     {10000, 2.9, 3},  // moved 0.1 nm; 10 s later
      {-60000, 2.8, 1},  // earlier than the last point: a playback started over
  };
  for (const Step& step : steps) {
    clock_.SetUtcMs(clock_.UtcMs() + step.advanceMs);
    SendHeadOn(step.nm);
    const auto tracks = receiver_.Tracks();
    ASSERT_EQ(tracks.size(), 1U);
    EXPECT_EQ(tracks[0].points.size(), step.points) << step.advanceMs << " " << step.nm;
  }
  opt::AIS_TrackLength.Set("1 min");
  clock_.SetUtcMs(clock_.UtcMs() + 61000);
  SendHeadOn(2.7);
  clock_.Advance(1000);
  Update();
  ASSERT_EQ(receiver_.Tracks().at(0).points.size(), 1U) << "older than the track length";
  opt::AIS_TrackLength.ResetToDefault();
}

// The live feed copies only what changed: reports, assessments and the
// navigator's actions count, a quiet second does not.
TEST_F(AisTargets, ChangesSinceARevision) {
  SendHeadOn(3.0, 0.0, 1);  // a target lying still
  SendHeadOn(4.0, 10.0, 2);
  Send(testing::PositionA(3, 50.5, -5.0, 0.0, std::numeric_limits<double>::quiet_NaN()));
  Update();
  AisTargetChanges all = receiver_.ChangesSince(0);
  EXPECT_EQ(all.present, (std::vector<uint32_t>{1, 2, 3}));
  ASSERT_EQ(all.changed.size(), 3u);
  EXPECT_EQ(all.changed[0].mmsi, 1u);

  const auto changedMmsis = [this](uint64_t& revision) {
    AisTargetChanges c = receiver_.ChangesSince(revision);
    revision = c.revision;
    std::vector<uint32_t> mmsis;
    for (const CAisTarget& t : c.changed) mmsis.push_back(t.mmsi);
    return mmsis;
  };
  uint64_t revision = all.revision;
  EXPECT_TRUE(changedMmsis(revision).empty());
  clock_.Advance(1000);
  Update();
  EXPECT_EQ(changedMmsis(revision), (std::vector<uint32_t>{2})) << "only the moving target";
  SendHeadOn(3.0, 0.0, 1);
  receiver_.SetHidden(3, true);
  EXPECT_EQ(changedMmsis(revision), (std::vector<uint32_t>{1, 3}));
}

TEST_F(AisTargets, SafetyMessagesAreShown) {
  testing::AisMessageBuilder b;
  b.Put(14, 6).Put(0, 2).Put(351809000, 30).Put(0, 2).PutText("SART TEST", 9);
  Send(b);
  const auto notes = Notifications().Since(notesBefore_);
  ASSERT_FALSE(notes.empty());
  EXPECT_EQ(notes.back().text, "@AIS Safety Message: SART TEST");
  EXPECT_EQ(receiver_.TargetCount(), 0U);
}

TEST_F(AisTargets, PositionReportsAreLoggedWhenOn) {
  testing::CTempFolder folder;
  CAisLogFile log(folder / "AIS.LOG", 1);
  CAisTarget t;
  t.mmsi = 244670166;
  t.navStatus = 0;
  t.sog = 83;
  t.lat = 53.139813;
  t.lon = 5.381047;
  t.cog = 119;
  t.heading = 12;
  t.second = 53;
  t.name = "ZEEHOND";
  t.draught = 25;
  const std::string line = FormatAisLogLine(t, 1, 1325394060123);
  EXPECT_EQ(line,
            "20120101T050100.123Z,1,244670166,0,8.3,0,53.139813,5.381047,11.9,12,53,0,-128,"
            "\"ZEEHOND\",\"\",0,0,0,0,0,2.5\n");
  for (int i = 0; i < 40; ++i) ASSERT_TRUE(log.Append(line));
  const std::string kept = testing::ReadFile(folder / "AIS.LOG");
  EXPECT_LE(kept.size(), 1024U) << "trimmed to its limit";
  EXPECT_EQ(kept.substr(0, line.size()), line) << "whole lines only";

  const std::string answer = AisLogCommand("on");
  EXPECT_TRUE(opt::AIS_Logging.GetBool());
  EXPECT_EQ(answer.rfind("AIS Logging is now on.\r\n\r\nLog File: \"", 0), 0U);
  EXPECT_NE(answer.find("\r\nLimit: 10240 KB"), std::string::npos);
  EXPECT_EQ(AisLogCommand("maybe"), "Usage: $AisLog on|off");
  AisLogCommand("off");
  EXPECT_FALSE(opt::AIS_Logging.GetBool());
}

// Port threads decode while the user-interface thread assesses (run under TSan).
TEST_F(AisTargets, DecodingAndAssessmentRunConcurrently) {
  std::atomic<bool> stop{false};
  std::vector<std::thread> ports;
  for (uint32_t port = 0; port < 3; ++port) {
    ports.emplace_back([this, port, &stop] {
      for (uint32_t i = 0; !stop.load(); i = (i + 1) % 500) {
        const LatLon at = DestinationPoint(kOwnPos, 0.5 + i * 0.01, i % 360);
        const testing::AisPayload p =
            testing::PositionA(200000000 + port * 1000 + i, at.lat, at.lon, 8, i % 360).Payload();
        receiver_.DecodeVDM(nullptr, {TickCount(), 0},
                            testing::Fragment(p, 1, 1, 0, static_cast<char>('A' + port % 2)));
      }
    });
  }
  for (int i = 0; i < 50; ++i) {
    clock_.Advance(1000);
    Update();
    receiver_.Targets();
  }
  // On a busy machine the port threads may not have run yet: wait (bounded) for
  // their first report before stopping them.
  for (int i = 0; i < 5000 && receiver_.TargetCount() == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  stop = true;
  for (std::thread& t : ports) t.join();
  EXPECT_GT(receiver_.TargetCount(), 0U);
}

}  // namespace
}  // namespace tarnwick
