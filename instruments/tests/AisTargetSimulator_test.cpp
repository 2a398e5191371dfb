// The AIS target simulator: report intervals, meeting geometry, determinism,
// and the demo fleet against the recorded sail: a dangerous target within the
// first minute, assessed by the receiver itself, and again during the sail.

#include "instruments/ais/sim/AisTargetSimulator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>

#include "core/Clock.h"
#include "core/geo/Geodesy.h"
#include "instruments/ais/AisCpa.h"
#include "instruments/ais/AisDecode.h"
#include "instruments/ais/AisReceiver.h"
#include "instruments/ais/VdmSentence.h"

namespace tarnwick {
namespace {

constexpr int64_t kStart = 1'623'492'000'000;  // 2021-06-12T10:00:00Z

// Own ship going due north at 6 knots for two hours, a fix a second.
std::vector<OwnShipFix> StraightTrack() {
  std::vector<OwnShipFix> track;
  const LatLon origin{60.0, 23.5};
  for (int s = 0; s <= 7200; ++s)
    track.push_back({kStart + s * 1000LL, DestinationPoint(origin, 6.0 * s / 3600.0, 0), 0, 6});
  return track;
}

SimulatedVessel Vessel(uint32_t mmsi, bool classA, double knots, double passAfterS, double passNm,
                       double crossing) {
  SimulatedVessel v;
  v.mmsi = mmsi;
  v.classA = classA;
  v.name = "TEST " + std::to_string(mmsi % 100);
  v.callsign = "OH" + std::to_string(mmsi % 1000);
  v.shipType = classA ? 70 : 36;
  v.speedKn = knots;
  v.passAfterS = passAfterS;
  v.passNm = passNm;
  v.crossingDeg = crossing;
  return v;
}

std::vector<OwnShipFix> RecordedSail() {
  std::ifstream in(std::string(TW_SOURCE_DIR) + "/app/demo/plaka.log");
  return ReadOwnShipLog(in, kStart - kStart % 86'400'000).fixes;
}

TEST(AisTargetSimulator, ReportIntervalsBySpeedAndClass) {
  struct Row {
    bool classA;
    double knots;
    int navStatus;
    int seconds;
  };
  const Row rows[] = {
      {true, 0.0, 0, 10},   {true, 14.0, 0, 10}, {true, 14.1, 0, 6},  {true, 23.0, 0, 6},
      {true, 23.1, 0, 2},   {true, 2.0, 1, 180}, {true, 3.0, 5, 180}, {true, 3.5, 1, 10},
      {false, 2.0, 0, 180}, {false, 2.1, 0, 30}, {false, 30, 0, 30},
  };
  for (const Row& row : rows)
    EXPECT_EQ(PositionReportIntervalS(row.classA, row.knots, row.navStatus), row.seconds)
        << row.classA << " " << row.knots << " kn status " << row.navStatus;
}

TEST(AisTargetSimulator, VesselsMeetTheOwnShipAsPlanned) {
  const std::vector<SimulatedVessel> fleet = {
      Vessel(230000001, true, 12, 600, 0.0, 90),
      Vessel(230000002, true, 20, 1800, 0.5, 180),
      Vessel(230000003, false, 6, 3600, -1.0, -60),
      Vessel(230000004, true, 8, 0, 2.0, 45),
  };
  CAisTargetSimulator sim(StraightTrack(), fleet, 7);
  for (size_t i = 0; i < fleet.size(); ++i) {
    const int64_t meet = kStart + static_cast<int64_t>(fleet[i].passAfterS * 1000);
    const OwnShipFix own = OwnShipAt(sim.Track(), meet);
    const SimulatedTargetState at = sim.StateAt(i, meet);
    EXPECT_NEAR(Distance(own.position, at.position), std::fabs(fleet[i].passNm), 0.01) << i;
    EXPECT_NEAR(at.courseDeg, NormalizeBearing(fleet[i].crossingDeg), 1e-9) << i;
    // Set course and speed: ten minutes earlier it was 10 minutes' run back.
    const SimulatedTargetState before = sim.StateAt(i, meet - 600'000);
    EXPECT_NEAR(Distance(before.position, at.position), fleet[i].speedKn / 6.0, 0.01) << i;
    if (fleet[i].passNm != 0) {
      // Positive: the own ship passes on the vessel's starboard side.
      const double side = CrossTrackDistance(before.position, at.position, own.position);
      EXPECT_NEAR(side, fleet[i].passNm, 0.01) << i;
    }
  }
}

TEST(AisTargetSimulator, SendsRealisticDeterministicTraffic) {
  const std::vector<SimulatedVessel> fleet = {
      Vessel(230000001, true, 12, 600, 0.0, 90),
      Vessel(230000002, true, 20, 1800, 0.5, 180),
      Vessel(230000003, true, 25, 900, 1.0, 30),
      Vessel(230000004, false, 6, 3600, -1.0, -60),
  };
  const auto sentences = CAisTargetSimulator(StraightTrack(), fleet, 42).Run();
  EXPECT_EQ(sentences.size(), CAisTargetSimulator(StraightTrack(), fleet, 42).Run().size());
  EXPECT_EQ(sentences[100].sentence,
            CAisTargetSimulator(StraightTrack(), fleet, 42).Run()[100].sentence);
  EXPECT_NE(sentences[100].sentence,
            CAisTargetSimulator(StraightTrack(), fleet, 43).Run()[100].sentence);

  // Every sentence parses; times never go back; per vessel the position
  // reports come at its interval and static data every six minutes.
  std::map<uint32_t, std::vector<int64_t>> positions, statics;
  int64_t last = 0;
  AisBits bits;
  for (const SimulatedSentence& s : sentences) {
    EXPECT_GE(s.utcMs, last);
    last = s.utcMs;
    const auto fragment = ParseVdmSentence(s.sentence);
    ASSERT_TRUE(fragment) << s.sentence;
    if (fragment->number == 1) bits.Clear();
    bits.AppendArmoured(fragment->payload);
    if (fragment->number < fragment->count) continue;
    bits.DropTail(fragment->fillBits);
    const auto m = DecodeAisMessage(bits, false);
    ASSERT_TRUE(m) << s.sentence;
    (m->position ? positions : statics)[m->mmsi].push_back(s.utcMs);
  }
  ASSERT_EQ(positions.size(), fleet.size());
  const std::map<uint32_t, int> expected = {
      {230000001, 10}, {230000002, 6}, {230000003, 2}, {230000004, 30}};
  for (const auto& [mmsi, times] : positions) {
    SCOPED_TRACE(mmsi);
    EXPECT_LT(times.front() - kStart, expected.at(mmsi) * 1000);
    for (size_t i = 1; i < times.size(); ++i) {
      const int64_t gap = times[i] - times[i - 1];
      EXPECT_NEAR(static_cast<double>(gap), expected.at(mmsi) * 1000.0, 500.0);
    }
    const auto& s = statics[mmsi];
    ASSERT_FALSE(s.empty());
    EXPECT_GT(s.front(), times.front()) << "static data after the first position";
    EXPECT_LE(s.front() - times.front(), 1'000);
    // Class B sends parts A and B together: one time per report.
    std::vector<int64_t> distinct(s.begin(), s.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    for (size_t i = 1; i < distinct.size(); ++i)
      EXPECT_NEAR(static_cast<double>(distinct[i] - distinct[i - 1]), 360'000.0, 500.0);
  }
}

TEST(AisTargetSimulator, DemoFleetIsDangerousWithinTheFirstMinuteAndAgainLater) {
  const auto track = RecordedSail();
  ASSERT_GT(track.size(), 6000U) << "the recorded sail of app/demo";
  const int64_t start = track.front().utcMs;
  EXPECT_GT(track.back().utcMs - start, 240 * 60'000);
  const auto fleet = DemoFleet();
  EXPECT_EQ(fleet.size(), 12U);
  CAisTargetSimulator sim(track, fleet, 1);

  // The receiver hears the first minute and assesses the targets against the
  // own ship's fix at that minute, with the settings' default danger limits.
  CSimulatedClock clock(1'000'000, start);
  CScopedClock scoped(clock);
  CAisReceiver receiver;
  const int64_t minute = start + 60'000;
  for (const SimulatedSentence& s : sim.Run()) {
    if (s.utcMs > minute) break;
    const auto fragment = ParseVdmSentence(s.sentence);
    ASSERT_TRUE(fragment);
    receiver.DecodeVDM(nullptr,
                       ReceiveTime{1'000'000 + static_cast<uint64_t>(s.utcMs - start), s.utcMs},
                       *fragment);
  }
  clock.Advance(60'000);
  const OwnShipFix own = OwnShipAt(track, minute);
  OwnShipKinematics kinematics;
  kinematics.position = own.position;
  kinematics.cog = own.cogDeg;
  kinematics.sog = own.sogKn;
  kinematics.tickMs = clock.TickMs();
  const AisAssessmentSettings settings = ReadAisAssessmentSettings();
  receiver.UpdateCPA(kinematics, settings);
  int dangerous = 0;
  for (const CAisTarget& target : receiver.Targets()) {
    if (target.state == AisTargetState::Dangerous) {
      ++dangerous;
      EXPECT_FALSE(target.name.empty()) << "static data came within the minute";
    }
  }
  EXPECT_GE(dangerous, 1);

  // Sampled every 20 s over the sail: each dangerous episode of each vessel.
  std::map<uint32_t, int> episodes;
  std::map<uint32_t, bool> wasDangerous;
  for (int64_t t = start; t <= track.back().utcMs; t += 20'000) {
    const OwnShipFix o = OwnShipAt(track, t);
    for (size_t i = 0; i < fleet.size(); ++i) {
      const SimulatedTargetState v = sim.StateAt(i, t);
      const CpaResult r =
          AssessCpa(o.position, o.cogDeg, o.sogKn, v.position, v.courseDeg, v.speedKn);
      const bool now = IsDangerousApproach(r, v.speedKn, false, settings);
      if (now && !wasDangerous[fleet[i].mmsi]) ++episodes[fleet[i].mmsi];
      wasDangerous[fleet[i].mmsi] = now;
    }
  }
  int total = 0;
  for (const auto& [mmsi, count] : episodes) total += count;
  EXPECT_GE(episodes.size(), 5U) << "vessels that became dangerous";
  EXPECT_GE(total, 5);
}

}  // namespace
}  // namespace tarnwick
