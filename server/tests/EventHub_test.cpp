// The live event hub and "/events": the first "state" event, changes after a
// publication, per-client rate limits, AIS differences and removals, history
// overflow, pings, monitor lines, client limits, reconnecting and a clean
// stop with streams open.

#include "server/EventHub.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <nlohmann/json.hpp>

#include <thread>

#include "core/Clock.h"
#include "server/EventRoutes.h"
#include "server/HttpServer.h"
#include "server/tests/LoopbackSupport.h"

namespace tarnwick {
namespace {

using testing::Count;
using testing::ReadEvents;

// Output due now, without waiting.
std::string Drain(CEventHub& hub, EventCursor& cursor) {
  return hub.Next(cursor, 0).value_or("<closed>");
}

// The data of the first frame named event in text, parsed.
nlohmann::json DataOf(const std::string& text, const std::string& event) {
  const std::string head = "event: " + event + "\ndata: ";
  const size_t at = text.find(head);
  if (at == std::string::npos) return nullptr;
  const size_t start = at + head.size();
  return nlohmann::json::parse(text.substr(start, text.find('\n', start) - start));
}

class EventHubTest : public ::testing::Test {
 protected:
  CSimulatedClock clock_;
  CScopedClock scoped_{clock_};
  CEventHub hub_;
};

TEST_F(EventHubTest, NewClientGetsStateThenOnlyChanges) {
  hub_.SetOwnShip(R"({"seq":1})");
  hub_.UpdateAisTargets({{2, R"({"mmsi":2})"}, {1, R"({"mmsi":1})"}}, {});
  hub_.PostNotification(R"({"id":7})");
  hub_.SetColorMode("night");
  hub_.SetDemo(R"({"loop":true})");
  auto cursor = hub_.Connect(false);
  ASSERT_TRUE(cursor);

  const std::string first = Drain(hub_, *cursor);
  EXPECT_EQ(first.rfind("retry: 3000\n\nevent: state\ndata: {", 0), 0u) << first;
  EXPECT_EQ(first.substr(first.size() - 3), "}\n\n");
  EXPECT_EQ(Count(first, "\n\n"), 2u);  // the retry field and one frame
  const auto state = DataOf(first, "state");
  EXPECT_EQ(state["ownship"]["seq"], 1);
  ASSERT_EQ(state["ais"].size(), 2u);
  EXPECT_EQ(state["ais"][0]["mmsi"], 1);
  EXPECT_EQ(state["route"], nullptr);
  EXPECT_EQ(state["notifications"][0]["id"], 7);
  EXPECT_EQ(state["demo"]["loop"], true);
  EXPECT_EQ(state["colorMode"], "night");
  EXPECT_EQ(state["serverTimeMs"], clock_.UtcMs());
  EXPECT_EQ(state["serverMs"], clock_.TickMs());

  EXPECT_EQ(Drain(hub_, *cursor), "");  // nothing new
  hub_.SetRoute("null");                // first publication counts as a change
  hub_.SetRoute("null");                // the same text again does not
  hub_.Post("settings", R"({"name":"S52_ColorMode","value":"Dusk"})");
  EXPECT_EQ(Drain(hub_, *cursor),
            "event: settings\ndata: {\"name\":\"S52_ColorMode\",\"value\":\"Dusk\"}\n\n"
            "event: route\ndata: null\n\n");
}

TEST_F(EventHubTest, OwnShipAndAisAreRateLimitedPerClient) {
  auto cursor = hub_.Connect(false);
  Drain(hub_, *cursor);  // state
  clock_.Advance(1000);

  struct Step {
    uint64_t advanceMs;
    const char* ownship;  // published before draining, or null
    size_t ownshipFrames;
    const char* why;
  };
  const Step steps[] = {
      {0, R"({"seq":2})", 1, "first change goes at once"},
      {40, R"({"seq":3})", 0, "40 ms later: held back"},
      {40, R"({"seq":4})", 0, "80 ms: still held, newer value waits"},
      {20, nullptr, 1, "100 ms: the newest value goes"},
      {100, nullptr, 0, "no change: nothing"},
  };
  for (const Step& step : steps) {
    clock_.Advance(step.advanceMs);
    if (step.ownship) hub_.SetOwnShip(step.ownship);
    const std::string out = Drain(hub_, *cursor);
    EXPECT_EQ(Count(out, "event: ownship"), step.ownshipFrames) << step.why;
  }
  // The held-back value was replaced by the newest, never sent out of order.
  hub_.SetOwnShip(R"({"seq":5})");
  clock_.Advance(100);
  EXPECT_EQ(DataOf(Drain(hub_, *cursor), "ownship")["seq"], 5);

  hub_.UpdateAisTargets({{1, R"({"mmsi":1})"}}, {});
  EXPECT_EQ(Count(Drain(hub_, *cursor), "event: ais"), 1u);
  hub_.UpdateAisTargets({{1, R"({"mmsi":1,"sog":2})"}}, {});
  clock_.Advance(500);
  EXPECT_EQ(Drain(hub_, *cursor), "") << "second AIS change within a second";
  clock_.Advance(500);
  EXPECT_EQ(DataOf(Drain(hub_, *cursor), "ais")["targets"][0]["sog"], 2);
}

TEST_F(EventHubTest, AisEventsCarryOnlyChangesAndRemovals) {
  hub_.UpdateAisTargets({{3, "{\"mmsi\":3}"}, {1, "{\"mmsi\":1}"}, {2, "{\"mmsi\":2}"}}, {});
  auto cursor = hub_.Connect(false);
  Drain(hub_, *cursor);
  clock_.Advance(1000);
  hub_.UpdateAisTargets({{4, "{\"mmsi\":4}"}, {1, "{\"mmsi\":1}"}, {2, "{\"mmsi\":2,\"x\":1}"}},
                        {3, 99});
  auto ais = DataOf(Drain(hub_, *cursor), "ais");
  EXPECT_EQ(ais["serverMs"], clock_.TickMs());
  ais.erase("serverMs");
  EXPECT_EQ(ais,
            nlohmann::json::parse(R"({"targets":[{"mmsi":2,"x":1},{"mmsi":4}],"removed":[3]})"));
  clock_.Advance(1000);
  hub_.UpdateAisTargets({{2, "{\"mmsi\":2,\"x\":1}"}}, {7});
  EXPECT_EQ(Drain(hub_, *cursor), "") << "the same text, an unknown removal: no event";

  // A client that connects later gets the table as it stands.
  auto late = hub_.Connect(false);
  EXPECT_EQ(DataOf(Drain(hub_, *late), "state")["ais"],
            nlohmann::json::parse(R"([{"mmsi":1},{"mmsi":2,"x":1},{"mmsi":4}])"));
}

TEST_F(EventHubTest, SlowClientBeyondHistoryStartsOverFromState) {
  CEventHub small(EventHubLimits{.historyCapacity = 3});
  auto cursor = small.Connect(false);
  Drain(small, *cursor);
  for (int i = 0; i < 3; ++i) small.Post("speak", "{}");
  EXPECT_EQ(Count(Drain(small, *cursor), "event: speak"), 3u) << "within the history";
  for (int i = 0; i < 5; ++i) small.Post("speak", "{}");
  const std::string out = Drain(small, *cursor);
  EXPECT_EQ(Count(out, "event: state"), 1u) << out;
  EXPECT_EQ(Count(out, "event: speak"), 0u);
  EXPECT_EQ(Drain(small, *cursor), "");

  // The history is bounded in bytes as well: large events push out old ones.
  CEventHub lean(EventHubLimits{.historyCapacity = 1000, .historyBytes = 3000});
  auto reader = lean.Connect(false);
  Drain(lean, *reader);
  const std::string big = "{\"text\":\"" + std::string(1000, 'x') + "\"}";
  for (int i = 0; i < 2; ++i) lean.Post("speak", big);
  EXPECT_EQ(Count(Drain(lean, *reader), "event: speak"), 2u);
  for (int i = 0; i < 4; ++i) lean.Post("speak", big);
  EXPECT_EQ(Count(Drain(lean, *reader), "event: state"), 1u);
}

TEST_F(EventHubTest, PingAfterQuietInterval) {
  auto cursor = hub_.Connect(false);
  Drain(hub_, *cursor);
  clock_.Advance(14999);
  EXPECT_EQ(Drain(hub_, *cursor), "");
  clock_.Advance(1);
  EXPECT_EQ(Drain(hub_, *cursor), ": ping\n\n");
  clock_.Advance(10000);
  EXPECT_EQ(Drain(hub_, *cursor), "") << "the ping restarted the interval";
}

TEST_F(EventHubTest, MonitorLinesOnlyForMonitorClients) {
  auto plain = hub_.Connect(false);
  hub_.PostMonitorLine(R"({"line":"dropped"})");  // nobody listens yet
  EXPECT_FALSE(hub_.HasMonitorClients());
  auto monitor = hub_.Connect(true);
  EXPECT_TRUE(hub_.HasMonitorClients());
  Drain(hub_, *plain);
  Drain(hub_, *monitor);
  hub_.PostMonitorLine(R"({"line":"(GPS) $GPGGA"})");
  EXPECT_EQ(Drain(hub_, *plain), "");
  EXPECT_EQ(Drain(hub_, *monitor), "event: monitor\ndata: {\"line\":\"(GPS) $GPGGA\"}\n\n");
  hub_.Disconnect(*monitor);
  EXPECT_FALSE(hub_.HasMonitorClients());
}

TEST_F(EventHubTest, ClientLimitAndClose) {
  CEventHub hub(EventHubLimits{.maxClients = 2});
  auto a = hub.Connect(false);
  auto b = hub.Connect(false);
  EXPECT_TRUE(a && b);
  EXPECT_FALSE(hub.Connect(false)) << "third client refused";
  hub.Disconnect(*a);
  auto c = hub.Connect(false);
  EXPECT_TRUE(c);

  // The page's streams do not count against the others and are never
  // refused: the newest beyond their limit ends the oldest.
  CEventHub paged(EventHubLimits{.maxClients = 0, .maxPageClients = 2});
  EXPECT_FALSE(paged.Connect(false));
  auto first = paged.Connect(false, true);
  auto second = paged.Connect(true, true);
  auto third = paged.Connect(false, true);
  ASSERT_TRUE(first && second && third);
  EXPECT_FALSE(paged.Next(*first, 0)) << "the oldest page stream ended";
  EXPECT_TRUE(paged.Next(*second, 0));
  paged.Disconnect(*first);
  EXPECT_EQ(paged.ClientCount(), 2u);
  paged.Disconnect(*second);
  EXPECT_FALSE(paged.HasMonitorClients());
  EXPECT_TRUE(paged.Next(*third, 0));

  hub.Close();
  EXPECT_FALSE(hub.Next(*c, 1000)) << "closed: the stream ends without waiting";
  EXPECT_FALSE(hub.Connect(false));
}

TEST(EventHubThreads, WaitingClientWakesOnPublication) {
  CEventHub hub;
  auto cursor = hub.Connect(false);
  hub.Next(*cursor, 0);
  std::string out;
  std::thread reader([&] { out = hub.Next(*cursor, 10000).value_or(""); });
  hub.Post("speak", R"({"text":"hello"})");
  reader.join();
  EXPECT_EQ(out, "event: speak\ndata: {\"text\":\"hello\"}\n\n");
}

// The stream over a real loopback server.
class EventStreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    hub_ = std::make_shared<CEventHub>();
    MountEventStream(server_, hub_);
    ASSERT_TRUE(server_.Start("127.0.0.1", 0));
  }
  std::shared_ptr<CEventHub> hub_;
  CHttpServer server_;
};

TEST_F(EventStreamTest, StateFirstThenChangeThenReconnect) {
  hub_->SetOwnShip(R"({"seq":1})");
  bool published = false;
  const std::string first = ReadEvents(server_.Port(), "/events", [&](const std::string& text) {
    if (!published && text.find("event: state") != std::string::npos) {
      published = true;
      hub_->SetOwnShip(R"({"seq":2})");  // what the next tick publishes
    }
    return text.find("event: ownship") != std::string::npos;
  });
  EXPECT_EQ(first.find("event: state"), first.find("event:")) << "state comes first";
  EXPECT_EQ(DataOf(first, "state")["ownship"]["seq"], 1);
  EXPECT_EQ(DataOf(first, "ownship")["seq"], 2);

  // A reconnecting client starts from the state again, with the newest values.
  const std::string again = ReadEvents(server_.Port(), "/events", [](const std::string& text) {
    return text.find("\n\n", text.find("event: state")) != std::string::npos;
  });
  EXPECT_EQ(DataOf(again, "state")["ownship"]["seq"], 2);
}

TEST_F(EventStreamTest, HeadersAndMonitorParameter) {
  httplib::Client client("127.0.0.1", server_.Port());
  client.set_read_timeout(10, 0);
  httplib::Headers headers;
  std::string body;
  bool posted = false;
  auto result = client.Get(
      "/events?monitor=1", httplib::Headers{},
      [&](const httplib::Response& response) {
        headers = response.headers;
        return true;
      },
      [&](const char* data, size_t length) {
        body.append(data, length);
        if (!posted && body.find("event: state") != std::string::npos) {
          posted = true;
          hub_->PostMonitorLine(R"({"port":"GPS","line":"(GPS) $GPRMC"})");
        }
        return body.find("event: monitor") == std::string::npos;
      });
  EXPECT_EQ(headers.find("Content-Type")->second, "text/event-stream");
  EXPECT_EQ(headers.find("Cache-Control")->second, "no-cache");
  EXPECT_EQ(DataOf(body, "monitor")["line"], "(GPS) $GPRMC");
}

TEST_F(EventStreamTest, StopEndsOpenStreams) {
  std::atomic<bool> gotState{false};
  std::string received;
  std::thread reader([&] {
    received = ReadEvents(server_.Port(), "/events", [&](const std::string& text) {
      if (text.find("event: state") != std::string::npos) gotState = true;
      return false;  // read until the server ends the stream
    });
  });
  while (!gotState) std::this_thread::yield();
  EXPECT_EQ(hub_->ClientCount(), 1u);
  server_.Stop();  // must not wait for the client to go away
  reader.join();
  EXPECT_TRUE(hub_->IsClosed());
  EXPECT_EQ(hub_->ClientCount(), 0u);
}

TEST_F(EventStreamTest, TooManyClientsAreRefusedButThePageIsServed) {
  auto hub = std::make_shared<CEventHub>(EventHubLimits{.maxClients = 0});
  CHttpServer server;
  MountEventStream(server, hub);
  ASSERT_TRUE(server.Start("127.0.0.1", 0));
  for (const char* token : {"", "?token=0123"}) {
    auto answer = httplib::Client("127.0.0.1", server.Port()).Get(std::string("/events") + token);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 503);
    EXPECT_NE(answer->body.find("Too many live connections"), std::string::npos);
  }
  // The page's own stream is served all the same.
  const std::string page = ReadEvents(
      server.Port(), "/events?token=" + server.CsrfToken(),
      [](const std::string& text) { return text.find("event: state") != std::string::npos; });
  EXPECT_NE(page.find("event: state"), std::string::npos);
}

}  // namespace
}  // namespace tarnwick
