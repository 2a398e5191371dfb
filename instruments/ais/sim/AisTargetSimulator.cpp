#include "instruments/ais/sim/AisTargetSimulator.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <random>

#include "core/geo/Geodesy.h"
#include "instruments/ais/sim/AisEncoder.h"
#include "instruments/ais/sim/VdmWriter.h"

namespace tarnwick {
namespace {

constexpr int kNavStatusAtAnchor = 1;
constexpr int kNavStatusMoored = 5;
constexpr int kEpfdGps = 1;
// Transmissions fall anywhere in the first half second of their slot.
constexpr uint32_t kJitterMs = 500;

struct Transmission {
  int64_t utcMs = 0;
  size_t vessel = 0;
  bool withStatic = false;
  bool positionToo = true;
};

int RawSpeed(double knots) {
  return std::min(1022, static_cast<int>(std::lround(knots * 10)));
}
int RawCourse(double degrees) {
  return static_cast<int>(std::lround(NormalizeBearing(degrees) * 10)) % 3600;
}

}  // namespace

int PositionReportIntervalS(bool classA, double speedKn, int navStatus) {
  if (!classA) return speedKn > 2.0 ? 30 : 180;
  if ((navStatus == kNavStatusAtAnchor || navStatus == kNavStatusMoored) && speedKn <= 3.0)
    return 180;
  if (speedKn <= 14.0) return 10;
  if (speedKn <= 23.0) return 6;
  return 2;
}

CAisTargetSimulator::CAisTargetSimulator(std::vector<OwnShipFix> track,
                                         std::vector<SimulatedVessel> fleet, uint32_t seed)
    : track_(std::move(track)), fleet_(std::move(fleet)), seed_(seed) {
  for (const SimulatedVessel& vessel : fleet_) {
    const int64_t meetAt = track_.front().utcMs + std::llround(vessel.passAfterS * 1000.0);
    const OwnShipFix own = OwnShipAt(track_, meetAt);
    const double course = NormalizeBearing(own.cogDeg + vessel.crossingDeg);
    courses_.push_back(course);
    // Own ship on the vessel's starboard side: the vessel lies to port of it.
    meetingPoints_.push_back(
        vessel.passNm == 0
            ? own.position
            : DestinationPoint(own.position, std::fabs(vessel.passNm),
                               NormalizeBearing(course + (vessel.passNm > 0 ? -90.0 : 90.0))));
  }
}

SimulatedTargetState CAisTargetSimulator::StateAt(size_t vessel, int64_t utcMs) const {
  const SimulatedVessel& v = fleet_[vessel];
  const int64_t meetAt = track_.front().utcMs + std::llround(v.passAfterS * 1000.0);
  const double hours = static_cast<double>(utcMs - meetAt) / 3'600'000.0;
  const double nm = v.speedKn * hours;
  SimulatedTargetState state;
  state.courseDeg = courses_[vessel];
  state.speedKn = v.speedKn;
  state.position =
      DestinationPoint(meetingPoints_[vessel], std::fabs(nm),
                       nm >= 0 ? courses_[vessel] : NormalizeBearing(courses_[vessel] + 180.0));
  return state;
}

std::vector<AisMessage> CAisTargetSimulator::Messages(size_t vessel, int64_t utcMs,
                                                      bool withStatic) const {
  const SimulatedVessel& v = fleet_[vessel];
  const SimulatedTargetState state = StateAt(vessel, utcMs);
  std::vector<AisMessage> messages;

  AisMessage position;
  position.type = v.classA ? 1 : 18;
  position.mmsi = v.mmsi;
  AisPositionReport p;
  p.lat = state.position.lat;
  p.lon = state.position.lon;
  p.accuracy = 1;
  p.second = static_cast<int>(utcMs / 1000 % 60);
  p.sog = RawSpeed(state.speedKn);
  p.cog = RawCourse(state.courseDeg);
  p.heading = static_cast<int>(std::lround(state.courseDeg)) % 360;
  if (v.classA) {
    p.navStatus = v.navStatus;
    p.rot = 0;  // on a steady course
  }
  position.position = p;
  messages.push_back(position);
  if (!withStatic) return messages;

  AisStaticData s;
  s.name = v.name;
  s.callsign = v.callsign;
  s.shipType = v.shipType;
  s.toBow = v.toBow;
  s.toStern = v.toStern;
  s.toPort = v.toPort;
  s.toStarboard = v.toStarboard;
  s.epfd = kEpfdGps;
  if (v.classA) {
    // Expected some twenty hours after the report, at a whole hour.
    const time_t eta = static_cast<time_t>(utcMs / 1000 + 20 * 3600);
    tm parts{};
    gmtime_r(&eta, &parts);
    s.imo = v.imo;
    s.etaMonth = parts.tm_mon + 1;
    s.etaDay = parts.tm_mday;
    s.etaHour = parts.tm_hour;
    s.etaMinute = 0;
    s.draught = v.draughtDm;
    s.destination = v.destination;
    AisMessage voyage;
    voyage.type = 5;
    voyage.mmsi = v.mmsi;
    voyage.statics = s;
    messages.push_back(voyage);
  } else {
    s.vendor = "TWK";
    for (int part = 0; part < 2; ++part) {
      AisMessage report;
      report.type = 24;
      report.mmsi = v.mmsi;
      report.part = part;
      report.statics = s;
      messages.push_back(report);
    }
  }
  return messages;
}

std::vector<SimulatedSentence> CAisTargetSimulator::Run() const {
  const int64_t start = track_.front().utcMs;
  const int64_t end = track_.back().utcMs;
  std::mt19937 random(seed_);
  std::vector<Transmission> plan;
  for (size_t i = 0; i < fleet_.size(); ++i) {
    const SimulatedVessel& v = fleet_[i];
    const int64_t intervalMs =
        int64_t{1000} * PositionReportIntervalS(v.classA, v.speedKn, v.navStatus);
    const int64_t staticMs = int64_t{1000} * kStaticIntervalS;
    // A vessel's first report comes within its first interval and its static
    // data within a second after it, so a new target has a name at once.
    int64_t nextPosition = start + random() % static_cast<uint32_t>(intervalMs);
    int64_t nextStatic = nextPosition + 1 + random() % 1000U;
    while (nextPosition <= end || nextStatic <= end) {
      if (nextStatic <= nextPosition) {
        plan.push_back({nextStatic, i, true, false});
        nextStatic += staticMs + random() % kJitterMs;
      } else {
        plan.push_back({nextPosition, i, false, true});
        nextPosition += intervalMs + random() % kJitterMs - kJitterMs / 2;
      }
    }
  }
  std::stable_sort(plan.begin(), plan.end(),
                   [](const Transmission& a, const Transmission& b) { return a.utcMs < b.utcMs; });

  std::vector<SimulatedSentence> sentences;
  CVdmWriter writer;
  for (const Transmission& t : plan) {
    if (t.utcMs > end) continue;
    const OwnShipFix own = OwnShipAt(track_, t.utcMs);
    if (Distance(own.position, StateAt(t.vessel, t.utcMs).position) > kRadioRangeNm) continue;
    const std::vector<AisMessage> messages = Messages(t.vessel, t.utcMs, t.withStatic);
    for (size_t m = t.positionToo ? 0 : 1; m < messages.size(); ++m) {
      const auto bits = EncodeAisMessage(messages[m]);
      if (!bits) continue;
      const char channel = random() % 2 == 0 ? 'A' : 'B';
      for (std::string& sentence : writer.Sentences(*bits, channel))
        sentences.push_back({t.utcMs, std::move(sentence)});
    }
  }
  return sentences;
}

}  // namespace tarnwick
