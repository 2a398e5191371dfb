// The REST routes of the web user interface against a real loopback server:
// their JSON shapes, and the 400, 404 and 409 answers to bad requests.

#include <gtest/gtest.h>
#include <httplib.h>
#include <nlohmann/json.hpp>

#include "core/Clock.h"
#include "core/SettingsRegistry.h"
#include "core/Storage.h"
#include "core/tests/support/TestSupport.h"
#include "instruments/ports/ElectronicsDb.h"
#include "recording/UtcTime.h"
#include "recording/vdr/VoyageRecorder.h"
#include "server/LiveApi.h"
#include "server/PlayerApi.h"
#include "server/PortsApi.h"
#include "server/SettingsApi.h"
#include "server/StorageApi.h"
#include "server/tests/LoopbackSupport.h"

namespace tarnwick {
namespace {

using namespace ::tarnwick::testing;

using nlohmann::json;

class ApiRoutesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CSettingsRegistry::Instance().ResetState();
    ASSERT_TRUE(store_.Open(temp_ / "storage.db"));
    ports_.database = temp_ / "electronics.db";
    ports_.restart = [this] { ++restarts_; };
    ports_.statuses = [] {
      PortStatus open;
      open.state = PortState::Open;
      return std::map<std::string, PortStatus>{{"udp://:10110", open}};
    };
    CSettingsApi::Mount(server_);
    CPortsApi::Mount(server_, ports_);
    CStorageApi::Mount(server_, store_);
    CPlayerApi::Mount(server_,
                      std::make_shared<CPlayerApi>([] { return nullptr; },
                                                   [this] { return temp_ / "recordings"; }));
    LiveApiContext live;
    live.target = [](uint32_t mmsi) -> std::optional<CAisTarget> {
      if (mmsi != 211000001) return std::nullopt;
      CAisTarget target;
      target.mmsi = mmsi;
      target.name = "ALPHA";
      return target;
    };
    live.texts = std::make_shared<CAisTextLog>();
    live.texts->Add(211000001, 42, "SECURITE");
    live.track = std::make_shared<COwnShipTrack>();
    live.track->Add({36.0, 24.0}, 1000);
    live.track->Add({36.1, 24.0}, 70000);
    live.selectSensor = [](const std::string& choice) {
      return choice == "auto" ? SensorChoice::Selected : SensorChoice::Unknown;
    };
    CLiveApi::Mount(server_, live);
    ASSERT_TRUE(server_.Start("127.0.0.1", 0));
  }
  void TearDown() override {
    server_.Stop();
    CSettingsRegistry::Instance().ResetState();
  }

  struct Answer {
    int status = 0;
    json body;
  };
  Answer Get(const std::string& path) {
    auto result = httplib::Client("127.0.0.1", server_.Port()).Get(path.c_str());
    if (!result) return {};
    return {result->status, json::parse(result->body, nullptr, false)};
  }
  Answer Post(const std::string& path, const std::string& body) {
    auto result = testing::PageClient(server_).Post(path.c_str(), body, "application/json");
    if (!result) return {};
    return {result->status, json::parse(result->body, nullptr, false)};
  }

  CTempFolder temp_;
  CStorage store_;
  PortsApiContext ports_;
  int restarts_ = 0;
  testing::UiThread ui_;
  CHttpServer server_;
};

TEST_F(ApiRoutesTest, SettingsByGroupWithKinds) {
  const Answer all = Get("/api/settings");
  ASSERT_EQ(all.status, 200);
  ASSERT_TRUE(all.body.is_array());
  std::map<std::string, json> byName;
  std::string previousGroup;
  for (const json& group : all.body) {
    EXPECT_LT(previousGroup, group["group"].get<std::string>()) << "groups sorted, each once";
    previousGroup = group["group"];
    for (const json& setting : group["settings"]) byName[setting["name"]] = setting;
  }
  struct Row {
    const char* name;
    const char* kind;
  };
  const Row rows[] = {{"AIS_ShowCPA", "bool"},
                      {"AIS_DangerCPA", "length"},
                      {"Units_Depth", "choice"},
                      {"Network_HttpPort", "int"},
                      {"S52_ColorMode", "text"}};
  for (const Row& row : rows) {
    ASSERT_TRUE(byName.count(row.name)) << row.name;
    EXPECT_EQ(byName[row.name]["kind"], row.kind) << row.name;
    EXPECT_EQ(byName[row.name]["locked"], false);
  }
  EXPECT_EQ(byName["Units_Depth"]["choices"][0],
            json::parse(R"({"value":"meters","label":"Meters"})"));
  EXPECT_TRUE(byName["AIS_DangerCPA"]["units"].is_array());
  EXPECT_EQ(byName["AIS_DangerCPA"]["value"], "0.25 nm");

  CSettingsRegistry::Instance().SetFleetDocument(
      json::parse(R"({"options":{"AIS_DangerCPA":{"locked":true}}})"));
  const Answer ais = Get("/api/settings?group=ais");
  ASSERT_EQ(ais.status, 200);
  ASSERT_EQ(ais.body.size(), 1u);
  bool sawLock = false;
  for (const json& s : ais.body[0]["settings"])
    if (s["name"] == "AIS_DangerCPA") sawLock = s["locked"].get<bool>();
  EXPECT_TRUE(sawLock);
  EXPECT_EQ(Get("/api/settings?group=NoSuchGroup").status, 404);
}

TEST_F(ApiRoutesTest, PortsAddEditDelete) {
  Answer list = Get("/api/ports");
  ASSERT_EQ(list.status, 200);
  EXPECT_EQ(list.body, json::array());

  Answer added =
      Post("/api/ports", R"({"address":"udp://:10110","roles":["listener","repeater"]})");
  ASSERT_EQ(added.status, 200) << added.body;
  EXPECT_EQ(added.body["roles"], json::parse(R"(["listener","repeater"])"));
  EXPECT_EQ(added.body["state"], "open");
  EXPECT_EQ(restarts_, 1);

  Answer serial = Post(
      "/api/ports",
      R"({"address":"/dev/ttyUSB0","baud":38400,"parity":"Even","stop":"2","data":7,"enabled":false})");
  ASSERT_EQ(serial.status, 200) << serial.body;
  EXPECT_EQ(serial.body["baud"], 38400);
  EXPECT_EQ(serial.body["parity"], "Even");
  EXPECT_EQ(serial.body["stop"], "2");
  EXPECT_EQ(serial.body["enabled"], false);
  EXPECT_EQ(serial.body["status"], "Disabled");

  // Edit: new address, keeps what the edit does not mention.
  Answer moved =
      Post("/api/ports", R"({"id":"/dev/ttyUSB0","address":"/dev/ttyUSB1","baud":"4800"})");
  ASSERT_EQ(moved.status, 200) << moved.body;
  EXPECT_EQ(moved.body["parity"], "Even");
  EXPECT_EQ(moved.body["baud"], 4800);
  list = Get("/api/ports");
  ASSERT_EQ(list.body.size(), 2u);
  EXPECT_EQ(list.body[0]["id"], "/dev/ttyUSB1");

  struct Row {
    const char* path;
    const char* body;
    int status;
  };
  const Row rows[] = {
      {"/api/ports", "not json", 400},
      {"/api/ports", R"({"roles":["listener"]})", 400},   // no address
      {"/api/ports", R"({"address":"bogus://x"})", 400},  // unknown scheme
      {"/api/ports", R"({"address":"udp://:10111","baud":1234})", 400},
      {"/api/ports", R"({"address":"udp://:10111","parity":"Weird"})", 400},
      {"/api/ports", R"({"address":"udp://:10111","roles":["captain"]})", 400},
      {"/api/ports", R"({"address":"udp://:10111","roles":"listener"})", 400},
      {"/api/ports", R"({"address":"udp://:10110"})", 409},  // exists
      {"/api/ports", R"({"id":"/dev/ttyUSB1","address":"udp://:10110"})", 409},
      {"/api/ports", R"({"id":"udp://:9"})", 404},
      {"/api/ports/delete", R"({"id":"udp://:9"})", 404},
      {"/api/ports/delete", R"({})", 400},
      {"/api/ports", R"({"address":123})", 400},  // members of the wrong type
      {"/api/ports", R"({"address":null})", 400},
      {"/api/ports", R"({"id":["udp://:10110"]})", 400},
      {"/api/ports/delete", R"({"id":7})", 400},
      {"/api/ports", R"([])", 400},
  };
  for (const Row& row : rows) {
    const Answer answer = Post(row.path, row.body);
    EXPECT_EQ(answer.status, row.status) << row.body;
    EXPECT_TRUE(answer.body.contains("error")) << row.body;
  }
  EXPECT_EQ(restarts_, 3) << "refused changes restart nothing";

  EXPECT_EQ(Post("/api/ports/%2Fdev%2FttyUSB1/delete", "").status, 200);
  EXPECT_EQ(Post("/api/ports/delete", R"({"id":"udp://:10110"})").status, 200);
  EXPECT_EQ(Get("/api/ports").body, json::array());
  EXPECT_EQ(restarts_, 5);
}

TEST_F(ApiRoutesTest, StorageListWriteDelete) {
  EXPECT_EQ(Post("/api/storage", R"({"domain":"Search","name":"Past","value":"Plaka"})").status,
            200);
  EXPECT_EQ(Get("/api/storage").body["domains"], json::parse(R"(["Search"])"));
  const Answer entries = Get("/api/storage?domain=Search");
  EXPECT_EQ(entries.body["entries"], json::parse(R"([{"name":"Past","value":"Plaka"}])"));
  EXPECT_EQ(entries.body["readOnly"], false);

  struct Row {
    const char* body;
    int status;
  };
  const Row rows[] = {
      {"[1,2]", 400},
      {R"({"domain":"Search"})", 400},
      {R"({"domain":"Search","name":"X"})", 400},
      {R"({"domain":"Search","name":"X","value":5})", 400},
      {R"({"domain":"options","name":"AIS","value":"{}"})", 403},
      {R"({"domain":"Search","name":"Nope","delete":true})", 404},
  };
  for (const Row& row : rows)
    EXPECT_EQ(Post("/api/storage", row.body).status, row.status) << row.body;
  const json big = {{"domain", "Search"}, {"name", "Big"}, {"value", std::string(70000, 'x')}};
  EXPECT_EQ(Post("/api/storage", big.dump()).status, 413);
  const json longName = {{"domain", "Search"}, {"name", std::string(300, 'n')}, {"value", ""}};
  EXPECT_EQ(Post("/api/storage", longName.dump()).status, 413);

  EXPECT_EQ(Post("/api/storage", R"({"domain":"Search","name":"Past","delete":true})").status, 200);
  EXPECT_EQ(Get("/api/storage?domain=Search").body["entries"], json::array());
}

TEST_F(ApiRoutesTest, PlayerWithoutPlayerAndBadControls) {
  const Answer state = Get("/api/player");
  ASSERT_EQ(state.status, 200);
  EXPECT_EQ(state.body["state"], "stopped");
  EXPECT_EQ(state.body["available"], false);
  EXPECT_EQ(Get("/api/recordings").body, json::parse(R"({"days":[]})"));
  EXPECT_EQ(Post("/api/player", "{}").status, 400);
  EXPECT_EQ(Post("/api/player", "oops").status, 400);
  EXPECT_EQ(Post("/api/player", R"({"action":5})").status, 400);
  EXPECT_EQ(Post("/api/player", R"({"action":"play"})").status, 503);

  struct Row {
    const char* text;
    bool valid;
  };
  const Row days[] = {{"2024-02-29", true}, {"2023-02-29", false},  {"2024-13-01", false},
                      {"2024-1-01", false}, {"2024-01-01x", false}, {"", false}};
  for (const Row& row : days) EXPECT_EQ(ParseDay(row.text).has_value(), row.valid) << row.text;
  EXPECT_EQ(FormatDay(*ParseDay("2024-02-29") + 86'399'999), "2024-02-29");
}

TEST_F(ApiRoutesTest, AisTargetTrackAndSensors) {
  const Answer target = Get("/api/ais/211000001");
  ASSERT_EQ(target.status, 200);
  EXPECT_EQ(target.body["name"], "ALPHA");
  EXPECT_EQ(target.body["texts"][0]["text"], "SECURITE");
  for (const char* path :
       {"/api/ais/abc", "/api/ais/0", "/api/ais/1000000000", "/api/ais/-5", "/api/ais/"})
    EXPECT_EQ(Get(path).status, 400) << path;
  EXPECT_EQ(Get("/api/ais/211000002").status, 404);

  EXPECT_EQ(Get("/api/track").body,
            json::parse(R"({"points":[[24.0,36.0,1000],[24.0,36.1,70000]]})"));
  EXPECT_EQ(Get("/api/track?since=2000").body["points"].size(), 1u);
  EXPECT_EQ(Get("/api/track?since=soon").status, 400);

  EXPECT_EQ(Post("/api/sensors", R"({"select":"auto"})").status, 200);
  EXPECT_EQ(Post("/api/sensors", R"({"select":"7"})").status, 404);
  EXPECT_EQ(Post("/api/sensors", "{}").status, 400);
}

TEST(PlayerApi, ControlsReachThePlayer) {
  CTempFolder temp;
  VoyageDataPlayer player(temp.Path());
  CHttpServer server;
  CPlayerApi::Mount(server, std::make_shared<CPlayerApi>([&player] { return &player; },
                                                         [&temp] { return temp.Path(); }));
  ASSERT_TRUE(server.Start("127.0.0.1", 0));
  httplib::Client client = testing::PageClient(server);
  struct Row {
    const char* body;
    int status;
  };
  const Row rows[] = {
      {R"({"action":"speed","speed":5})", 200},
      {R"({"action":"speed","speed":0})", 400},
      {R"({"action":"speed","speed":1e9})", 400},
      {R"({"action":"speed"})", 400},
      {R"({"action":"seek"})", 400},
      {R"({"action":"seek","timeUtcMs":1e300})", 400},
      {R"({"action":"seek","timeUtcMs":"soon"})", 400},
      {R"({"action":"fly"})", 400},
      {R"({"action":"play","day":"yesterday"})", 400},
      {R"({"action":"play","day":"2024-01-01"})", 404},  // nothing recorded that day
      {R"({"action":"pause"})", 200},
  };
  for (const Row& row : rows) {
    auto answer = client.Post("/api/player", row.body, "application/json");
    ASSERT_TRUE(answer) << row.body;
    EXPECT_EQ(answer->status, row.status) << row.body << " " << answer->body;
  }
  player.RunOnce();  // the player's thread handles the queued commands
  EXPECT_EQ(player.Status().speed, 5);
  const json state = json::parse(client.Get("/api/player")->body);
  EXPECT_EQ(state["available"], true);
  EXPECT_EQ(state["speed"], 5);
  EXPECT_EQ(state["state"], "stopped");
}

TEST(PlayerApi, PlayOfADayStartsAtItsFirstRecordAndResumesWhereItPaused) {
  CTempFolder temp;
  const int64_t first = MakeUtcMs(UtcParts{2021, 6, 30, 13, 20, 5, 0});
  {
    CSimulatedClock writeClock(0, first);
    CScopedClock scoped(writeClock);
    CVoyageRecorder recorder(temp.Path());
    for (int i = 0; i < 20; ++i, writeClock.Advance(500)) recorder.Record(VdrKind::Nmea0183, "$S");
  }
  CSimulatedClock clock(100'000, first + 3'600'000);
  CScopedClock scoped(clock);
  VoyageDataPlayer player(temp.Path());
  CHttpServer server;
  CPlayerApi::Mount(server, std::make_shared<CPlayerApi>([&player] { return &player; },
                                                         [&temp] { return temp.Path(); }));
  ASSERT_TRUE(server.Start("127.0.0.1", 0));
  httplib::Client client = testing::PageClient(server);
  const auto post = [&](const char* body) {
    auto answer = client.Post("/api/player", body, "application/json");
    ASSERT_TRUE(answer && answer->status == 200) << body;
    player.RunOnce();
  };
  post(R"({"action":"play","day":"2021-06-30"})");
  EXPECT_EQ(player.Status().virtualUtcMs, first) << "not the start of the hour's file";
  clock.Advance(3000);
  player.RunOnce();
  post(R"({"action":"pause"})");
  const auto paused = player.Status().virtualUtcMs;
  EXPECT_EQ(paused, first + 3000);
  clock.Advance(60'000);
  post(R"({"action":"play","day":"2021-06-30"})");
  EXPECT_EQ(player.Status().virtualUtcMs, paused);
  EXPECT_TRUE(player.Status().playing);
  EXPECT_FALSE(player.Status().paused);
}

TEST(OwnShipTrack, ThinsAndRestartsOnEarlierTime) {
  COwnShipTrack track(COwnShipTrack::Limits{10000, 0.05, 3});
  struct Row {
    LatLon position;
    int64_t utcMs;
    bool added;
    const char* why;
  };
  const Row rows[] = {
      {{36.0, 24.0}, 0, true, "first point"},
      {{36.0, 24.0}, 5000, false, "too soon, not moved"},
      {{36.001, 24.0}, 6000, true, "moved 0.06 nm"},
      {{36.001, 24.0}, 16000, true, "10 s later"},
      {{36.001, 24.0}, 26000, true, "capacity drops the oldest"},
      {{36.0, 24.0}, 100, true, "earlier time: a replay starts over"},
  };
  for (const Row& row : rows) EXPECT_EQ(track.Add(row.position, row.utcMs), row.added) << row.why;
  EXPECT_EQ(track.Size(), 1u);
}

}  // namespace
}  // namespace tarnwick
