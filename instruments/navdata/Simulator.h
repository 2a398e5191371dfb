#pragma once
// The simulator: moves own ship from a start position along a course and speed
// the navigator sets, or along the bearing a route steering function gives,
// and writes its own RMC sentence for talker ports once a second.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/geo/LatLon.h"
#include "instruments/navdata/DeadReckoning.h"

namespace tarnwick {

// Given the simulated position, the course to steer (degrees true), or empty
// to keep the present course (no active route).
using SimulatorSteering = std::function<std::optional<double>(const LatLon& position)>;

class CNavSimulator {
 public:
  // Least time between two RMC sentences, ms.
  static constexpr uint64_t kSentenceIntervalMs = 1000;

  // Starts at position (degrees) at tick (ms), course degrees true, speed knots.
  void Start(const LatLon& position, uint64_t tick, double course, double speed);
  void Stop();
  bool Running() const { return motion_.Running(); }
  // Course (degrees true) and speed (knots) from tick on.
  void SetCourse(double course, uint64_t tick);
  void SetSpeed(double speed, uint64_t tick);
  // Follows the route while steering gives a course; an empty function stops.
  void SetSteering(SimulatorSteering steering) { steering_ = std::move(steering); }

  // The simulated position at tick, or empty while stopped.
  std::optional<LatLon> Position(uint64_t tick) const { return motion_.Position(tick); }
  double Course() const { return motion_.Course(); }
  double Speed() const { return motion_.Speed(); }

  // Applies the route steering at tick and, when at least a second passed
  // since the last one, returns the RMC sentence for utcMs (ms since 1970).
  std::optional<std::string> Update(uint64_t tick, int64_t utcMs);

 private:
  CDeadReckoning motion_;
  SimulatorSteering steering_;
  std::optional<uint64_t> lastSentence_;
};

// "$GPRMC,hhmmss,A,<lat>,<lon>,<sog %.2f>,<cog %.1f>,ddmmyy,,*hh\r\n": the
// simulator's own sentence for position (degrees), sog (knots), cog (degrees
// true) at utcMs.
std::string FormatSimulatorRmc(const LatLon& position, double sog, double cog, int64_t utcMs);

}  // namespace tarnwick
