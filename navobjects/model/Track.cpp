#include "navobjects/model/Track.h"

#include "core/geo/Geodesy.h"
#include "navobjects/model/FileTime.h"

namespace tarnwick {
namespace {

PropertyValue TotalLength(const CSelectable& object) {
  return PropertyValue(
      Length{static_cast<const CTrack&>(object).TotalLengthNm(), LengthUnit::NauticalMiles});
}

PropertyValue TotalTime(const CSelectable& object) {
  return PropertyValue(static_cast<const CTrack&>(object).TotalTimeSeconds());
}

PropertyValue AverageSpeed(const CSelectable& object) {
  return PropertyValue(static_cast<const CTrack&>(object).AverageSpeedKnots());
}

bool ConvertToRoute(CSelectable& object, INavCommandHost& host) {
  return host.ConvertTrackToRoute(static_cast<CTrack&>(object));
}

bool StartNew(CSelectable& object, INavCommandHost& host) {
  return host.StartNewTrack(static_cast<CTrack&>(object));
}

}  // namespace

const CClassDescriptor& CTrack::Descriptor() {
  using T = PropertyType;
  static const CClassDescriptor descriptor(
      "Track", &CNavObject::Descriptor(),
      {
          prop::Field<&CTrack::trackingByTimeInterval>("TrackingByTimeInterval", T::Boolean, 0),
          prop::Field<&CTrack::trackingTimeIntervalSeconds>("TrackingTimeIntervalSeconds",
                                                            T::Duration, 60),
          prop::Field<&CTrack::trackingByDistanceInterval>("TrackingByDistanceInterval", T::Boolean,
                                                           1),
          prop::Field<&CTrack::trackingDistanceInterval>("TrackingDistanceInterval", T::Distance),
          prop::Field<&CTrack::trackingByCourseChange>("TrackingByCourseChange", T::Boolean, 0),
          prop::Field<&CTrack::trackingCourseChangeDegrees>("TrackingCourseChangeDegrees",
                                                            T::Number, 5),
          prop::Field<&CTrack::enableWake>("EnableWake", T::Boolean, 0),
          prop::Field<&CTrack::wakeLengthSeconds>("WakeLengthSeconds", T::Duration, 600),
          prop::Field<&CTrack::color>("Color", T::Colour, ColourDefault(kRgbRed)),
          prop::Computed("TotalLength", T::Distance, &TotalLength),
          prop::Computed("TotalTime", T::Duration, &TotalTime),
          prop::Computed("AverageSpeed", T::Speed, &AverageSpeed),
          prop::Field<&CTrack::startTime>("StartTime", T::Time),
          prop::Command("Delete", kCmdDelete, &RunDeleteCommand),
          prop::Command("ConvertToRoute", kCmdConvertToRoute, &ConvertToRoute),
          prop::Command("StartNewTrack", kCmdStartNewTrack, &StartNew),
      });
  return descriptor;
}

double CTrack::TotalLengthNm() const {
  double total = 0;
  for (size_t i = 1; i < points.size(); ++i)
    total += Distance(points[i - 1].position, points[i].position);
  return total;
}

double CTrack::TotalTimeSeconds() const {
  const TrackPoint* first = nullptr;
  const TrackPoint* last = nullptr;
  for (const TrackPoint& point : points) {
    if (!point.time.IsSet()) continue;
    if (first == nullptr) first = &point;
    last = &point;
  }
  if (first == nullptr || first == last) return 0;
  return static_cast<double>(UnixMsFromFileTime(last->time) - UnixMsFromFileTime(first->time)) /
         1000.0;
}

double CTrack::AverageSpeedKnots() const {
  const double seconds = TotalTimeSeconds();
  return seconds > 0 ? TotalLengthNm() / (seconds / 3600.0) : 0;
}

double CTrack::DistanceIntervalNm() const {
  return trackingDistanceInterval.IsValid() && trackingDistanceInterval.value > 0
             ? trackingDistanceInterval.NauticalMiles()
             : 0.05;
}

}  // namespace tarnwick
