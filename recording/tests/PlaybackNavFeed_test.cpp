// A recording played through the player into a real navigation data store:
// the playback is a position, heading, depth, speed and wind source while it
// plays, AIS fragments reach the AIS sink, and stopping (or shutting down)
// removes the source again.

#include "recording/vdr/PlaybackNavFeed.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Clock.h"
#include "core/tests/support/TestSupport.h"
#include "instruments/navdata/NavData.h"
#include "instruments/nmea/AisSentenceSink.h"
#include "recording/UtcTime.h"
#include "recording/vdr/VoyageDataPlayer.h"
#include "recording/vdr/VoyageRecorder.h"

namespace tarnwick {
namespace {

using testing::CTempFolder;

int64_t At(int second, int ms = 0) {
  return MakeUtcMs(UtcParts{2021, 6, 30, 12, 0, second, ms});
}

class CFragmentSink final : public IAisSentenceSink {
 public:
  void DecodeVDM(CSensor*, const ReceiveTime& received, const VdmFragment& fragment) override {
    payloads.emplace_back(fragment.payload);
    times.push_back(received.utcMs);
  }
  std::vector<std::string> payloads;
  std::vector<int64_t> times;
};

class PlaybackNavFeedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CSimulatedClock writeClock(0, At(0));
    CScopedClock scoped(writeClock);
    CVoyageRecorder recorder(folder_.Path());
    for (const char* sentence : {
             "$GPRMC,120000,A,5000.000,N,00100.000,W,5.0,90.0,300621,,*32",
             "$HEHDT,92.0,T*14",
             "$SDDPT,7.5,0.0*55",
             "$IIMWV,45.0,R,12.0,N,A*3F",
             "!AIVDM,1,1,,B,15M67FC000G?ufbE`FepT@3n00Sa,0*5C",
         }) {
      recorder.Record(VdrKind::Nmea0183, sentence);
      writeClock.Advance(100);
    }
    // A later record keeps the playback open beyond the first second.
    writeClock.Advance(10'000);
    recorder.Record(VdrKind::Nmea0183, "$HEHDT,93.0,T");
    player_.SetSessionHandler([this](bool active) {
      if (active)
        feed_.Begin();
      else
        feed_.End();
    });
    player_.SetHandler(PlaybackTarget::Nmea0183, [this](const PlaybackRecord& record) {
      feed_.Decode(record.payload, record.utcMs);
    });
  }

  // Plays one virtual second from the start and publishes a snapshot.
  void PlayOneSecond() {
    player_.Seek(At(0));
    player_.Play();
    player_.RunOnce();
    clock_.Advance(1000);
    player_.RunOnce();
    store_.UpdateNavInfo();
  }

  CTempFolder folder_;
  CSimulatedClock clock_{500'000, At(30)};
  CScopedClock scoped_{clock_};
  CNavData store_;
  CFragmentSink ais_;
  CPlaybackNavFeed feed_{[this] {
    PlaybackFeedTargets targets;
    targets.store = &store_;
    targets.hooks.sensors = &store_;
    targets.hooks.ais = &ais_;
    return targets;
  }};
  VoyageDataPlayer player_{folder_.Path()};
};

TEST_F(PlaybackNavFeedTest, PlaybackIsASourceOfTheStoreWhileItPlays) {
  PlayOneSecond();
  EXPECT_TRUE(feed_.Active());
  EXPECT_EQ(store_.SensorNames(),
            (std::vector<std::string>{
                "GPS on Voyage Data Playback", "Heading Sensor on Voyage Data Playback",
                "Depth Sounder on Voyage Data Playback", "Speed Sensor on Voyage Data Playback"}));
  const auto snapshot = store_.Snapshot();
  ASSERT_TRUE(snapshot->fix.position);
  EXPECT_NEAR(snapshot->fix.position->lat, 50.0, 1e-9);
  EXPECT_NEAR(snapshot->fix.position->lon, -1.0, 1e-9);
  struct Expected {
    const char* name;
    std::optional<OwnShipValue> value;
    double want;
  };
  for (const Expected& e :
       {Expected{"sog", snapshot->sog, 5.0}, Expected{"cog", snapshot->cog, 90.0},
        Expected{"heading", snapshot->headingTrue, 92.0}, Expected{"depth", snapshot->depth, 7.5},
        Expected{"apparent wind", snapshot->wind.apparentSpeed, 12.0}}) {
    ASSERT_TRUE(e.value) << e.name;
    EXPECT_NEAR(e.value->value, e.want, 1e-9) << e.name;
  }
}

TEST_F(PlaybackNavFeedTest, AisFragmentsReachTheSinkWithTheirRecordedTime) {
  PlayOneSecond();
  ASSERT_EQ(ais_.payloads.size(), 1u);
  EXPECT_EQ(ais_.payloads[0], "15M67FC000G?ufbE`FepT@3n00Sa");
  EXPECT_EQ(ais_.times[0], At(0, 400));
}

TEST_F(PlaybackNavFeedTest, StopAndShutdownRemoveTheSource) {
  struct Case {
    const char* name;
    bool shutdown;  // else Stop
  };
  for (const Case& c : {Case{"stop", false}, Case{"shutdown", true}}) {
    SCOPED_TRACE(c.name);
    PlayOneSecond();
    ASSERT_FALSE(store_.SensorNames().empty());
    if (c.shutdown) {
      player_.Shutdown();
    } else {
      player_.Stop();
      player_.RunOnce();
    }
    EXPECT_FALSE(feed_.Active());
    EXPECT_TRUE(store_.SensorNames().empty());
    store_.UpdateNavInfo();
    EXPECT_FALSE(store_.Snapshot()->fix.position);
    EXPECT_FALSE(store_.Snapshot()->wind.apparentSpeed);
  }
}

TEST_F(PlaybackNavFeedTest, ReplayingRegistersOnceAndSentencesOutsideAPlaybackAreDropped) {
  const std::string rmc = "$GPRMC,120000,A,5000.000,N,00100.000,W,5.0,90.0,300621,,*32";
  feed_.Decode({reinterpret_cast<const uint8_t*>(rmc.data()), rmc.size()}, At(0));
  EXPECT_TRUE(store_.SensorNames().empty());
  PlayOneSecond();
  player_.Seek(At(0));  // within the playback: the same source goes on
  player_.RunOnce();
  EXPECT_EQ(store_.SensorNames().size(), 4u);
  player_.Stop();
  player_.RunOnce();
  PlayOneSecond();
  EXPECT_EQ(store_.SensorNames().size(), 4u);
}

TEST_F(PlaybackNavFeedTest, WithoutAStoreOnlyTheDecodersAreFed) {
  CFragmentSink sink;
  CPlaybackNavFeed feed([&sink] {
    PlaybackFeedTargets targets;
    targets.hooks.ais = &sink;
    return targets;
  });
  feed.Begin();
  const std::string vdm = "!AIVDM,1,1,,B,15M67FC000G?ufbE`FepT@3n00Sa,0*5C";
  feed.Decode({reinterpret_cast<const uint8_t*>(vdm.data()), vdm.size()}, At(0));
  feed.End();
  EXPECT_EQ(sink.payloads.size(), 1u);
  EXPECT_FALSE(feed.Active());
}

}  // namespace
}  // namespace tarnwick
