#pragma once
// AIS traffic around a recorded own-ship track: vessels of classes A and B on
// set courses and speeds, each placed so that it passes the own ship at a
// chosen time and distance (0 for a collision course). Each vessel reports as
// a real transponder would (class A position every 10, 6 or 2 s by speed,
// class B every 30 s, static data every 6 minutes) while it is within radio
// range, encoded as "!AIVDM" sentences. Deterministic: the same track, fleet
// and seed give the same sentences.

#include <cstdint>
#include <string>
#include <vector>

#include "instruments/ais/AisMessage.h"
#include "instruments/ais/sim/OwnShipTrack.h"

namespace tarnwick {

struct SimulatedVessel {
  uint32_t mmsi = 0;
  bool classA = true;
  std::string name;                                         // up to 20 characters
  std::string callsign;                                     // up to 7 characters
  uint32_t imo = 0;                                         // class A only, 0 none
  int shipType = 0;                                         // AIS ship and cargo type 0..99
  int toBow = 0, toStern = 0, toPort = 0, toStarboard = 0;  // metres
  int draughtDm = 0;                                        // class A, 0.1 m
  std::string destination;                                  // class A
  int navStatus = 0;                                        // class A navigational status 0..15
  double speedKn = 0;                                       // knots, >= 0
  // The meeting: passAfterS seconds after the track starts, the vessel is
  // passNm nautical miles abeam of the own ship's position at that time (to
  // the vessel's starboard side when positive), its course being the own
  // ship's course then plus crossingDeg.
  double passAfterS = 0;
  double passNm = 0;
  double crossingDeg = 0;
};

struct SimulatedSentence {
  int64_t utcMs = 0;     // transmission time, ms since 1970
  std::string sentence;  // "!AIVDM,..." without CR LF
};

struct SimulatedTargetState {
  LatLon position;       // degrees
  double courseDeg = 0;  // degrees true
  double speedKn = 0;
};

// Seconds between position reports: class A by speed (M.1371: 10 s up to
// 14 knots, 6 s up to 23 knots, 2 s above; 3 minutes at anchor or moored and
// making 3 knots or less), class B 30 s above 2 knots, else 3 minutes.
int PositionReportIntervalS(bool classA, double speedKn, int navStatus);

class CAisTargetSimulator {
 public:
  // Static data are repeated at this interval, seconds.
  static constexpr int kStaticIntervalS = 360;
  // Vessels further than this from the own ship are not heard, nautical miles.
  static constexpr double kRadioRangeNm = 24.0;

  // track: the own ship's fixes in time order (not empty). seed: the random
  // phases and channels of the transmissions.
  CAisTargetSimulator(std::vector<OwnShipFix> track, std::vector<SimulatedVessel> fleet,
                      uint32_t seed);

  const std::vector<OwnShipFix>& Track() const { return track_; }
  const std::vector<SimulatedVessel>& Fleet() const { return fleet_; }

  // Where vessel (index into Fleet()) is at utcMs (ms since 1970).
  SimulatedTargetState StateAt(size_t vessel, int64_t utcMs) const;

  // Every sentence the fleet sends from the first to the last fix, in time order.
  std::vector<SimulatedSentence> Run() const;

  // The messages vessel sends at utcMs: a position report, and with
  // withStatic its static data (message 5, or 24 parts A and B).
  std::vector<AisMessage> Messages(size_t vessel, int64_t utcMs, bool withStatic) const;

 private:
  std::vector<OwnShipFix> track_;
  std::vector<SimulatedVessel> fleet_;
  std::vector<LatLon> meetingPoints_;  // where each vessel is at its passing time
  std::vector<double> courses_;        // each vessel's course, degrees true
  uint32_t seed_;
};

// The demo's fleet: twelve vessels of classes A and B, six of them on
// collision courses (after 4, 40, 85, 135, 190 and 230 minutes), the others
// passing between 0.3 and 2 nautical miles off.
std::vector<SimulatedVessel> DemoFleet();

}  // namespace tarnwick
