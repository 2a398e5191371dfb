#include "navobjects/tracking/TrackRecorder.h"

#include <cmath>

#include "core/geo/Geodesy.h"
#include "core/settings/TrackingSettings.h"
#include "navobjects/model/FileTime.h"
#include "navobjects/model/PropertyText.h"

namespace tarnwick {
namespace {

// Below this speed the course over ground is noise and never starts a point.
constexpr double kCourseChangeMinKnots = 0.5;

double CourseDifference(double a, double b) {
  const double d = std::fabs(std::fmod(a - b + 540.0, 360.0) - 180.0);
  return d;
}

}  // namespace

CTrackRecorder::CTrackRecorder(std::function<std::shared_ptr<CTrack>()> newTrack,
                               std::function<void(CTrack&)> changed)
    : newTrack_(std::move(newTrack)), changed_(std::move(changed)) {}

bool CTrackRecorder::StartNewTrack(const CTrack& track) {
  if (current_.get() != &track) return false;
  EndTrack();
  return true;
}

bool CTrackRecorder::WantsPoint(const CTrack& track, const OwnShipInput& ship) const {
  if (track.points.empty()) return true;
  const TrackPoint& last = track.points.back();
  const bool anyRule = track.trackingByTimeInterval || track.trackingByDistanceInterval ||
                       track.trackingByCourseChange;
  if (track.trackingByTimeInterval || !anyRule) {
    const double seconds = static_cast<double>(ship.utcMs - UnixMsFromFileTime(last.time)) / 1000.0;
    if (seconds >= track.trackingTimeIntervalSeconds) return true;
  }
  if (track.trackingByDistanceInterval &&
      Distance(last.position, *ship.position) >= track.DistanceIntervalNm())
    return true;
  if (track.trackingByCourseChange && ship.cogDegrees && lastPointCog_ &&
      ship.sogKnots.value_or(0) >= kCourseChangeMinKnots &&
      CourseDifference(*ship.cogDegrees, *lastPointCog_) >= track.trackingCourseChangeDegrees)
    return true;
  return false;
}

void CTrackRecorder::Update(const OwnShipInput& ship, uint64_t tickMs) {
  if (!opt::Tracking_Enabled.GetBool()) {
    EndTrack();
    return;
  }
  if (!ship.fixValid || !ship.position) {
    if (!lostSinceTick_) lostSinceTick_ = tickMs;
    const double allowed = ParseDurationText(opt::Tracking_LostGPS.Text()).value_or(0);
    if (static_cast<double>(tickMs - *lostSinceTick_) / 1000.0 >= allowed) EndTrack();
    return;
  }
  lostSinceTick_.reset();
  if (current_ == nullptr) {
    current_ = newTrack_();
    if (current_ == nullptr) return;
    current_->startTime = FileTimeFromUnixMs(ship.utcMs);
  }
  if (!WantsPoint(*current_, ship)) return;
  TrackPoint point;
  point.time = FileTimeFromUnixMs(ship.utcMs);
  point.position = *ship.position;
  point.depthMetres = ship.depthMetres.value_or(0);
  current_->points.push_back(point);
  lastPointCog_ = ship.cogDegrees;
  if (current_->enableWake) {
    const int64_t oldestMs = ship.utcMs - static_cast<int64_t>(current_->wakeLengthSeconds * 1000);
    std::erase_if(current_->points, [&](const TrackPoint& p) {
      return p.time.IsSet() && UnixMsFromFileTime(p.time) < oldestMs;
    });
  }
  if (changed_) changed_(*current_);
}

}  // namespace tarnwick
