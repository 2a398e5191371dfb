// The track-recording engine: which own-ship states become points, the wake,
// and the new track after a lost fix.

#include <gtest/gtest.h>

#include "core/settings/TrackingSettings.h"
#include "navobjects/model/FileTime.h"
#include "navobjects/tracking/TrackRecorder.h"

namespace tarnwick {
namespace {

constexpr int64_t kStartMs = 1'717'243'200'000;

class TrackRecorderTest : public ::testing::Test {
 protected:
  TrackRecorderTest()
      : recorder_(
            [this] {
              auto track = std::make_shared<CTrack>();
              configure_(*track);
              tracks_.push_back(track);
              return track;
            },
            [this](CTrack&) { ++changes_; }) {}
  ~TrackRecorderTest() override {
    opt::Tracking_Enabled.ResetToDefault();
    opt::Tracking_LostGPS.ResetToDefault();
  }

  // Own ship at second `s`, `northNm` miles north of 50N 0E.
  void Feed(int s, double northNm, double cog = 0, double sog = 6, bool valid = true) {
    OwnShipInput ship;
    ship.position = LatLon{50 + northNm / 60.0, 0};
    ship.cogDegrees = cog;
    ship.sogKnots = sog;
    ship.fixValid = valid;
    ship.utcMs = kStartMs + s * 1000LL;
    recorder_.Update(ship, 10'000 + static_cast<uint64_t>(s) * 1000);
  }
  size_t Points() const { return tracks_.empty() ? 0 : tracks_.back()->points.size(); }

  std::function<void(CTrack&)> configure_ = [](CTrack&) {};
  std::vector<std::shared_ptr<CTrack>> tracks_;
  int changes_ = 0;
  CTrackRecorder recorder_;
};

TEST_F(TrackRecorderTest, DistanceIntervalByDefault) {
  configure_ = [](CTrack& t) {
    t.trackingDistanceInterval = Length{0.1, LengthUnit::NauticalMiles};
  };
  Feed(0, 0);
  Feed(10, 0.05);  // not far enough
  Feed(20, 0.11);
  Feed(30, 0.15);
  Feed(40, 0.22);
  ASSERT_EQ(tracks_.size(), 1u);
  EXPECT_EQ(Points(), 3u);
  EXPECT_EQ(changes_, 3);
  EXPECT_EQ(tracks_[0]->startTime, FileTimeFromUnixMs(kStartMs));
}

TEST_F(TrackRecorderTest, TimeIntervalAndCourseChange) {
  configure_ = [](CTrack& t) {
    t.trackingByDistanceInterval = false;
    t.trackingByTimeInterval = true;
    t.trackingTimeIntervalSeconds = 30;
    t.trackingByCourseChange = true;
    t.trackingCourseChangeDegrees = 10;
  };
  Feed(0, 0, 355);
  Feed(10, 0, 3);        // 8 degrees: no point
  Feed(15, 0, 6);        // 11 degrees across north: a point
  Feed(20, 0, 40, 0.2);  // too slow for the course to count
  Feed(45, 0, 40, 0.2);  // 30 s after the last point
  EXPECT_EQ(Points(), 3u);
}

TEST_F(TrackRecorderTest, WakeKeepsOnlyTheRecentPoints) {
  configure_ = [](CTrack& t) {
    t.enableWake = true;
    t.wakeLengthSeconds = 60;
    t.trackingByDistanceInterval = false;
    t.trackingByTimeInterval = true;
    t.trackingTimeIntervalSeconds = 10;
  };
  for (int s = 0; s <= 200; s += 10) Feed(s, s / 100.0);
  EXPECT_EQ(Points(), 7u);  // 140..200 s
}

TEST_F(TrackRecorderTest, LostFixLongerThanAllowedStartsANewTrack) {
  opt::Tracking_LostGPS.Set("30s");
  Feed(0, 0);
  Feed(10, 0.2, 0, 6, false);
  Feed(30, 0.2, 0, 6, false);  // 20 s lost: still the same track
  Feed(31, 0.3);
  EXPECT_EQ(tracks_.size(), 1u);
  Feed(40, 0.4, 0, 6, false);
  Feed(75, 0.4, 0, 6, false);  // 35 s lost
  Feed(80, 0.5);
  EXPECT_EQ(tracks_.size(), 2u);
}

TEST_F(TrackRecorderTest, DisabledRecordsNothingAndNewTrackCommand) {
  opt::Tracking_Enabled.SetBool(false);
  Feed(0, 0);
  EXPECT_TRUE(tracks_.empty());
  opt::Tracking_Enabled.SetBool(true);
  Feed(10, 0);
  ASSERT_EQ(tracks_.size(), 1u);
  CTrack other;
  EXPECT_FALSE(recorder_.StartNewTrack(other));
  EXPECT_TRUE(recorder_.StartNewTrack(*tracks_[0]));
  Feed(20, 0);
  EXPECT_EQ(tracks_.size(), 2u);
}

}  // namespace
}  // namespace tarnwick
