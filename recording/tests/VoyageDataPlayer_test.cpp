// Playback under a simulated clock: the play step, the commands, file
// changes at the hour, dispatch by kind, and the thread.

#include "recording/vdr/VoyageDataPlayer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "core/Clock.h"
#include "core/tests/support/TestSupport.h"
#include "recording/UtcTime.h"
#include "recording/VirtualTime.h"
#include "recording/vdr/VoyageRecorder.h"

namespace tarnwick {
namespace {

using testing::CTempFolder;

int64_t At(int hour, int minute, int second, int ms = 0) {
  return MakeUtcMs(UtcParts{2021, 6, 30, hour, minute, second, ms});
}

struct Played {
  int64_t utcMs;
  int kind;
  std::string payload;
};

class VoyageDataPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Records every 500 ms from 13:59:58 to 14:00:02 (kind 1), plus other kinds.
    CSimulatedClock writeClock(0, At(13, 59, 58));
    CScopedClock scoped(writeClock);
    CVoyageRecorder recorder(folder_.Path());
    for (int i = 0; i < 9; ++i) {
      recorder.Record(VdrKind::Nmea0183, "$S" + std::to_string(i));
      writeClock.Advance(500);
    }
    writeClock.SetUtcMs(At(14, 0, 3));
    recorder.Record(static_cast<int>(VdrKind::Camera), "jpeg", 4);
    recorder.Record(3, "ignored", 7);
    recorder.Record(static_cast<int>(VdrKind::Nmea2000), "n2k", 3);
    const std::string big(VoyageDataPlayer::kMaxPlaybackPayload + 1, 'x');
    recorder.Record(static_cast<int>(VdrKind::Nmea2000), big.data(), big.size());
  }

  void Install(VoyageDataPlayer& player) {
    for (auto target :
         {PlaybackTarget::Nmea0183, PlaybackTarget::Nmea2000, PlaybackTarget::Camera}) {
      player.SetHandler(target, [this](const PlaybackRecord& record) {
        played_.push_back(
            {record.utcMs, record.kind, std::string(record.payload.begin(), record.payload.end())});
      });
    }
  }

  CTempFolder folder_;
  CSimulatedClock clock_{100'000, At(20, 0, 0)};
  CScopedClock scoped_{clock_};
  std::vector<Played> played_;
};

TEST_F(VoyageDataPlayerTest, KindsMapToTheirHandlers) {
  const std::pair<int, std::optional<PlaybackTarget>> cases[] = {
      {1, PlaybackTarget::Nmea0183},
      {2, PlaybackTarget::Nmea2000},
      {3, std::nullopt},
      {4, PlaybackTarget::Radar},
      {5, PlaybackTarget::Sounder},
      {6, PlaybackTarget::Camera},
      {7, PlaybackTarget::Sonar},
      {8, PlaybackTarget::Camera},
      {9, std::nullopt},
      {10, PlaybackTarget::Instrument},
      {11, PlaybackTarget::RadarTarget},
      {63, std::nullopt},
  };
  for (const auto& [kind, target] : cases) EXPECT_EQ(TargetOfKind(kind), target) << kind;
}

TEST_F(VoyageDataPlayerTest, PlayStepsThroughVirtualTimeAcrossTheHour) {
  VoyageDataPlayer player(folder_.Path());
  Install(player);
  player.Seek(At(13, 59, 59));
  player.Play();
  player.RunOnce();  // no real time has passed: nothing is due yet
  EXPECT_TRUE(played_.empty());
  EXPECT_TRUE(VirtualTime().IsActive());
  EXPECT_EQ(VirtualTime().UtcMs(), At(13, 59, 59));

  clock_.Advance(600);
  const uint64_t wait = player.RunOnce();
  ASSERT_EQ(played_.size(), 2u);
  EXPECT_EQ(played_[0].payload, "$S2");
  EXPECT_EQ(played_[1].utcMs, At(13, 59, 59, 500));
  EXPECT_EQ(wait, 400u);  // to the record at 14:00:00.000, in the next hour's file

  player.SetSpeed(10);
  player.RunOnce();
  clock_.Advance(100);  // one virtual second
  player.RunOnce();
  ASSERT_EQ(played_.size(), 4u);
  EXPECT_EQ(played_.back().payload, "$S5");
  EXPECT_EQ(played_.back().utcMs, At(14, 0, 0, 500));
  EXPECT_EQ(player.Status().virtualUtcMs, At(14, 0, 0, 600));
  EXPECT_EQ(VirtualTime().UtcMs(), At(14, 0, 0, 600));
  EXPECT_EQ(player.Status().speed, 10);
}

TEST_F(VoyageDataPlayerTest, OtherKindsAndOversizedPayloads) {
  VoyageDataPlayer player(folder_.Path());
  Install(player);
  player.Seek(At(14, 0, 2, 900));
  player.Play();
  player.SetSpeed(100);
  player.RunOnce();
  clock_.Advance(1000);
  player.RunOnce();
  ASSERT_EQ(played_.size(), 2u);
  EXPECT_EQ(played_[0].kind, 8);
  EXPECT_EQ(played_[0].payload, "jpeg");
  EXPECT_EQ(played_[1].kind, 2);
  EXPECT_EQ(player.Status().recordsPlayed, 4u);  // the ignored and the oversized count as played
}

TEST_F(VoyageDataPlayerTest, PauseStopAndPlayFromTheStart) {
  VoyageDataPlayer player(folder_.Path());
  Install(player);
  player.Play();  // no position: from the first record
  player.RunOnce();
  clock_.Advance(1);
  player.RunOnce();
  ASSERT_EQ(played_.size(), 1u);
  EXPECT_EQ(played_[0].utcMs, At(13, 59, 58));

  player.Pause();
  player.RunOnce();
  const auto pausedAt = player.Status().virtualUtcMs;
  EXPECT_FALSE(VirtualTime().IsActive()) << "paused, the program is back on real time";
  clock_.Advance(5000);
  player.RunOnce();
  EXPECT_EQ(played_.size(), 1u);
  EXPECT_TRUE(player.Status().paused);

  player.Play();  // resumes where it paused, without counting the pause
  player.RunOnce();
  EXPECT_EQ(VirtualTime().UtcMs(), pausedAt);
  clock_.Advance(500);
  player.RunOnce();
  EXPECT_EQ(played_.size(), 2u);

  player.Stop();
  player.RunOnce();
  EXPECT_FALSE(player.Status().playing);
  EXPECT_FALSE(player.Status().virtualUtcMs);
  EXPECT_FALSE(VirtualTime().IsActive());
  clock_.Advance(5000);
  player.RunOnce();
  EXPECT_EQ(played_.size(), 2u);
}

TEST_F(VoyageDataPlayerTest, GoToAndSeek) {
  VoyageDataPlayer player(folder_.Path());
  Install(player);
  player.Seek(At(14, 0, 1, 200));
  player.Play();
  player.RunOnce();
  EXPECT_TRUE(played_.empty());
  player.GoTo(At(13, 59, 58, 900));  // another file: re-seeks
  player.RunOnce();
  clock_.Advance(100);
  player.RunOnce();
  ASSERT_EQ(played_.size(), 1u);
  EXPECT_EQ(played_[0].payload, "$S2");
  player.GoTo(At(13, 59, 59, 400));  // indexed minute of the open file
  player.RunOnce();
  clock_.Advance(100);
  player.RunOnce();
  ASSERT_EQ(played_.size(), 2u);
  EXPECT_EQ(played_[1].payload, "$S3");
  player.Seek(At(18, 0, 0));  // after every recording
  player.RunOnce();
  clock_.Advance(1000);
  player.RunOnce();
  EXPECT_EQ(played_.size(), 2u);
  EXPECT_TRUE(player.Status().atEnd);
}

TEST_F(VoyageDataPlayerTest, PlaybackEndsWithTheLastRecord) {
  std::vector<bool> sessions;
  VoyageDataPlayer player(folder_.Path());
  Install(player);
  player.SetSessionHandler([&](bool active) { sessions.push_back(active); });
  player.Seek(At(14, 0, 2, 900));
  player.Play();
  player.RunOnce();
  EXPECT_TRUE(VirtualTime().IsActive());
  clock_.Advance(2000);
  player.RunOnce();
  EXPECT_EQ(played_.size(), 2u) << "the records up to the last were played";
  const PlayerStatus status = player.Status();
  EXPECT_FALSE(status.playing);
  EXPECT_TRUE(status.atEnd);
  EXPECT_FALSE(status.virtualUtcMs);
  EXPECT_FALSE(VirtualTime().IsActive());
  EXPECT_EQ(sessions, (std::vector<bool>{true, false}));
}

TEST_F(VoyageDataPlayerTest, SessionBeginsAndEndsOnce) {
  std::vector<bool> sessions;
  {
    VoyageDataPlayer player(folder_.Path());
    player.SetSessionHandler([&](bool active) { sessions.push_back(active); });
    struct Step {
      PlayerMessage message;
      std::vector<bool> expected;  // the whole history after the step
    };
    const Step steps[] = {
        {{PlayerCommand::Stop}, {}},                                 // nothing open
        {{PlayerCommand::Play}, {true}},                             // from the first record
        {{PlayerCommand::Seek, At(14, 0, 0)}, {true}},               // moves within the playback
        {{PlayerCommand::GoTo, At(13, 59, 58)}, {true}},             // another file: re-seeks
        {{PlayerCommand::Pause}, {true}},                            // paused is still open
        {{PlayerCommand::Stop}, {true, false}},                      // ends it
        {{PlayerCommand::Stop}, {true, false}},                      // once
        {{PlayerCommand::Seek, At(14, 0, 1)}, {true, false, true}},  // seeking opens one
    };
    for (const Step& step : steps) {
      player.Post(step.message);
      player.RunOnce();
      EXPECT_EQ(sessions, step.expected) << static_cast<int>(step.message.command);
    }
  }  // the destructor ends the open playback
  EXPECT_EQ(sessions, (std::vector<bool>{true, false, true, false}));
  EXPECT_FALSE(VirtualTime().IsActive());
}

TEST_F(VoyageDataPlayerTest, InvalidSpeedIsIgnored) {
  VoyageDataPlayer player(folder_.Path());
  for (double speed : {0.0, -1.0, 1e9, std::nan("")}) player.SetSpeed(speed);
  player.RunOnce();
  EXPECT_EQ(player.Status().speed, 1);
  for (double speed : kPlaybackSpeeds) {
    player.SetSpeed(speed);
    player.RunOnce();
    EXPECT_EQ(player.Status().speed, speed);
  }
}

TEST_F(VoyageDataPlayerTest, ThreadPlaysWhatItIsTold) {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<std::string> payloads;
  {
    VoyageDataPlayer player(folder_.Path());
    player.SetHandler(PlaybackTarget::Nmea0183, [&](const PlaybackRecord& record) {
      std::lock_guard lock(mutex);
      payloads.emplace_back(record.payload.begin(), record.payload.end());
      changed.notify_all();
    });
    player.Start();
    player.Seek(At(14, 0, 1));
    player.Play();
    // Bounded wait until the thread has taken the commands, then let time pass.
    for (int i = 0; i < 10000 && !player.Status().playing; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(player.Status().playing);
    clock_.Advance(1100);
    player.Post({PlayerCommand::SetSpeed, 0, 1.0});  // wakes the thread
    std::unique_lock lock(mutex);
    ASSERT_TRUE(
        changed.wait_for(lock, std::chrono::seconds(10), [&] { return !payloads.empty(); }));
    EXPECT_EQ(payloads[0], "$S6");
  }
  EXPECT_FALSE(VirtualTime().IsActive());
}

}  // namespace
}  // namespace tarnwick
