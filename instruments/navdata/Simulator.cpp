#include "instruments/navdata/Simulator.h"

#include <cstdio>
#include <ctime>

#include "instruments/nmea/NmeaOutput.h"

namespace tarnwick {
namespace {

// Decimals of the minutes in the simulator's latitude and longitude fields.
constexpr int kPositionDecimals = 4;

}  // namespace

void CNavSimulator::Start(const LatLon& position, uint64_t tick, double course, double speed) {
  motion_.Start(position, tick, course, speed);
  lastSentence_.reset();
}

void CNavSimulator::Stop() {
  motion_.Stop();
  lastSentence_.reset();
}

void CNavSimulator::SetCourse(double course, uint64_t tick) {
  motion_.Steer(course, motion_.Speed(), tick);
}

void CNavSimulator::SetSpeed(double speed, uint64_t tick) {
  motion_.Steer(motion_.Course(), speed, tick);
}

std::optional<std::string> CNavSimulator::Update(uint64_t tick, int64_t utcMs) {
  if (!Running()) return std::nullopt;
  if (steering_) {
    if (std::optional<double> course = steering_(*Position(tick))) SetCourse(*course, tick);
  }
  if (lastSentence_ && tick - *lastSentence_ < kSentenceIntervalMs) return std::nullopt;
  lastSentence_ = tick;
  return FormatSimulatorRmc(*Position(tick), Speed(), Course(), utcMs);
}

std::string FormatSimulatorRmc(const LatLon& position, double sog, double cog, int64_t utcMs) {
  const time_t seconds = static_cast<time_t>(utcMs / 1000);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  const std::string lat = NmeaLatitudeField(position.lat, kPositionDecimals);
  const std::string lon = NmeaLongitudeField(position.lon, kPositionDecimals);
  char body[160];
  snprintf(body, sizeof body, "$GPRMC,%02d%02d%02d,A,%s,%s,%.2f,%.1f,%02d%02d%02d,,", utc.tm_hour,
           utc.tm_min, utc.tm_sec, lat.c_str(), lon.c_str(), sog, cog, utc.tm_mday, utc.tm_mon + 1,
           utc.tm_year % 100);
  return FinishNmeaSentence(body);
}

}  // namespace tarnwick
