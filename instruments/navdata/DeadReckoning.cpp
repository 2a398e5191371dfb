#include "instruments/navdata/DeadReckoning.h"

#include <algorithm>
#include <cmath>

#include "core/geo/Geodesy.h"

namespace tarnwick {
namespace {

double ValidSpeed(double knots) {
  return std::isfinite(knots) ? std::max(knots, 0.0) : 0.0;
}

double ValidCourse(double degrees) {
  return std::isfinite(degrees) ? NormalizeBearing(degrees) : 0.0;
}

}  // namespace

void CDeadReckoning::Start(const LatLon& position, uint64_t tick, double course, double speed) {
  running_ = true;
  anchor_ = position;
  anchorTick_ = tick;
  course_ = ValidCourse(course);
  speed_ = ValidSpeed(speed);
}

void CDeadReckoning::Steer(double course, double speed, uint64_t tick) {
  if (!running_) return;
  course = ValidCourse(course);
  speed = ValidSpeed(speed);
  if (course == course_ && speed == speed_) return;
  if (tick > anchorTick_) {
    anchor_ = *Position(tick);
    anchorTick_ = tick;
  }
  course_ = course;
  speed_ = speed;
}

std::optional<LatLon> CDeadReckoning::Position(uint64_t tick) const {
  if (!running_) return std::nullopt;
  if (tick <= anchorTick_ || speed_ == 0) return anchor_;
  const double hours = static_cast<double>(tick - anchorTick_) / 3'600'000.0;
  return DestinationPoint(anchor_, speed_ * hours, course_);
}

}  // namespace tarnwick
