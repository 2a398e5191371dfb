// The AIS part of the live feed: only changed targets reach the clients,
// hidden and forgotten ones are removed, a change of units rewrites every
// text, and the feed's own thread publishes while ports decode and the
// user-interface thread ticks (run under TSan).

#include "server/AisFeed.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <atomic>
#include <thread>

#include "core/Clock.h"
#include "core/settings/UnitsSettings.h"
#include "core/units/UnitSystem.h"
#include "instruments/tests/AisTestMessages.h"
#include "server/LiveFeed.h"

namespace tarnwick {
namespace {

using nlohmann::json;

// The "ais" event of the output, or null.
json AisEvent(const std::string& out) {
  const std::string head = "event: ais\ndata: ";
  const size_t at = out.find(head);
  if (at == std::string::npos) return nullptr;
  const size_t start = at + head.size();
  return json::parse(out.substr(start, out.find('\n', start) - start));
}

std::vector<uint32_t> Mmsis(const json& event, const char* member) {
  std::vector<uint32_t> mmsis;
  for (const json& item : event[member])
    mmsis.push_back(item.is_object() ? item["mmsi"].get<uint32_t>() : item.get<uint32_t>());
  return mmsis;
}

class AisFeedTest : public ::testing::Test {
 protected:
  void TearDown() override {
    opt::Units_Distance.ResetToDefault();
    RefreshUnitSettings();
  }
  void Report(uint32_t mmsi, double lat) {
    const testing::AisPayload p = testing::PositionA(mmsi, lat, 24.1, 0.0, 90.0).Payload();
    receiver_.DecodeVDM(nullptr, {TickCount(), UtcNowMs()}, testing::Fragment(p));
  }
  // Runs a round and returns the "ais" event a client gets a second later.
  json Round() {
    feed_.PublishChanges();
    clock_.Advance(1000);
    return AisEvent(hub_->Next(*client_, 0).value_or(""));
  }

  CSimulatedClock clock_;
  CScopedClock scoped_{clock_};
  CAisReceiver receiver_;
  std::shared_ptr<CEventHub> hub_ = std::make_shared<CEventHub>();
  CAisFeed feed_{hub_, [this](uint64_t since) { return receiver_.ChangesSince(since); }, false};
  std::optional<EventCursor> client_ = hub_->Connect(false);
};

TEST_F(AisFeedTest, OnlyChangesReachTheClients) {
  hub_->Next(*client_, 0);  // the first "state"
  for (uint32_t mmsi : {1, 2, 3}) Report(mmsi, 36.5 + mmsi * 0.01);
  EXPECT_EQ(Mmsis(Round(), "targets"), (std::vector<uint32_t>{1, 2, 3}));
  EXPECT_EQ(Round(), nullptr) << "a quiet second sends nothing";

  Report(2, 36.6);
  EXPECT_EQ(Mmsis(Round(), "targets"), std::vector<uint32_t>{2});

  receiver_.SetHidden(3, true);
  json event = Round();
  EXPECT_TRUE(event["targets"].empty());
  EXPECT_EQ(Mmsis(event, "removed"), std::vector<uint32_t>{3});

  receiver_.UpdateCPA({LatLon{36.5, 24.1}, 0.0, 5.0, 0.0, 0}, {});  // ranges, in nautical miles
  EXPECT_EQ(Mmsis(Round(), "targets"), (std::vector<uint32_t>{1, 2}));
  feed_.RewriteAll();  // the same units: the same texts, nothing to send
  EXPECT_EQ(Round(), nullptr);
  ASSERT_TRUE(opt::Units_Distance.Set("kilometers"));
  RefreshUnitSettings();
  feed_.RewriteAll();
  EXPECT_EQ(Mmsis(Round(), "targets"), (std::vector<uint32_t>{1, 2})) << "texts in kilometres";

  // A lost target kept on the list longer than the receiver remembers it.
  AisAssessmentSettings keepLost;
  keepLost.hideLostAfterMs = 2 * CAisReceiver::kForgetAfterMs;
  clock_.Advance(kAisReportPeriodMs + 1000);
  receiver_.Update({}, keepLost);
  EXPECT_EQ(Mmsis(Round(), "targets"), (std::vector<uint32_t>{1, 2})) << "now lost";
  clock_.Advance(CAisReceiver::kForgetAfterMs);
  receiver_.Update({}, keepLost);
  EXPECT_EQ(Mmsis(Round(), "removed"), (std::vector<uint32_t>{1, 2})) << "forgotten";
}

// Ports decode, the user-interface thread ticks the feed, the feed's thread
// publishes and a client drains, all at once.
TEST(LiveFeedThreads, AisTableIsPublishedOffTheTickingThread) {
  auto hub = std::make_shared<CEventHub>(EventHubLimits{.aisIntervalMs = 0});
  CAisReceiver receiver;
  LiveSources sources;
  sources.aisChanges = [&receiver](uint64_t since) { return receiver.ChangesSince(since); };
  sources.aisGeneration = [&receiver] { return receiver.RedrawGeneration(); };
  CLiveFeed feed(hub, sources, nullptr);
  auto client = hub->Connect(false);

  std::atomic<bool> stop{false};
  std::thread port([&] {
    for (uint32_t i = 0; !stop; i = (i + 1) % 200) {
      const testing::AisPayload p =
          testing::PositionA(300000000 + i, 36.5 + i * 0.001, 24.1, 8.0, 45.0).Payload();
      receiver.DecodeVDM(nullptr, {TickCount(), UtcNowMs()}, testing::Fragment(p));
    }
  });
  size_t seen = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (seen < 200 && std::chrono::steady_clock::now() < deadline) {
    feed.Tick();
    receiver.UpdateCPA({LatLon{36.5, 24.1}, 90.0, 6.0, 90.0, 0}, {});
    const std::string out = hub->Next(*client, 100).value_or("");
    if (const json event = AisEvent(out); event != nullptr) seen = std::max(seen, event["targets"].size());
    if (const size_t state = out.find("event: state"); state != std::string::npos)
      seen = std::max(seen, json::parse(out.substr(out.find("data: ") + 6))["ais"].size());
  }
  stop = true;
  port.join();
  EXPECT_EQ(seen, 200u) << "every target reached the client";
}

}  // namespace
}  // namespace tarnwick
