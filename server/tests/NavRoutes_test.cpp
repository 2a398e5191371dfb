// The navigation and document routes against a real server on a loopback
// port: activation (404, 500, stop), the commands, the status page, and an
// object served as object file, GPX and JSON.

#include "server/NavRoutes.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <future>
#include <map>
#include <nlohmann/json.hpp>
#include <thread>

#include "core/JobQueue.h"
#include "core/SettingsRegistry.h"
#include "navobjects/files/NobReader.h"
#include "navobjects/model/Route.h"
#include "navobjects/model/Track.h"
#include "navobjects/navigation/NavController.h"
#include "server/DocumentRoutes.h"
#include "server/tests/LoopbackSupport.h"

namespace tarnwick {
namespace {

using testing::UiThread;

class Quiet final : public INavAnnouncer {
 public:
  void Speak(const std::string&) override {}
  void ShowMessageBar(const std::string&) override {}
  void Sound(NavSound) override {}
};

constexpr const char* kRouteId = "{0B0C1D2E-3F40-4152-8364-758697A8B9CA}";
constexpr const char* kTrackId = "{11111111-2222-4333-8444-555555555555}";

class NavRoutesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CSettingsRegistry::Instance().ResetState();
    route_->SetId(kRouteId);
    route_->name = "Harbour <approach>";
    for (double lon : {0.5, 1.0, 1.5}) {
      auto mark = std::make_shared<CMark>();
      mark->position = {0, lon};
      route_->InsertMarkAt(route_->Marks().size(), mark);
    }
    route_->Marks()[1]->name = "Fairway";
    auto track = std::make_shared<CTrack>();
    track->SetId(kTrackId);
    objects_[kRouteId] = route_;
    objects_[kTrackId] = track;
    for (const auto& mark : route_->Marks()) objects_[mark->Id()] = mark;
    auto lookup = [this](const std::string& id) -> std::shared_ptr<CNavObject> {
      auto it = objects_.find(id);
      return it == objects_.end() ? nullptr : it->second;
    };
    CNavRoutes::Mount(server_, nav_, lookup);
    CDocumentRoutes::Mount(server_, lookup);
    ASSERT_TRUE(server_.Start("127.0.0.1", 0));
  }
  void TearDown() override {
    server_.Stop();
    CSettingsRegistry::Instance().ResetState();
  }
  httplib::Result Get(const std::string& path) {
    httplib::Client client("127.0.0.1", server_.Port());
    return client.Get(path);
  }
  httplib::Result Command(const std::string& path, const std::string& body = "{}") {
    return testing::PageClient(server_).Post(path, body, "application/json");
  }
  void ShipAt(double lat, double lon) {
    ui_.Run([=, this] {
      OwnShipInput in;
      in.position = LatLon{lat, lon};
      in.fixValid = true;
      nav_.Update(in);
    });
  }
  std::shared_ptr<CMark> Waypoint() {
    std::shared_ptr<CMark> mark;
    ui_.Run([&] { mark = nav_.ActiveWaypoint(); });
    return mark;
  }

  std::shared_ptr<CRoute> route_ = std::make_shared<CRoute>();
  std::map<std::string, std::shared_ptr<CNavObject>> objects_;
  UiThread ui_;
  CNavController nav_{std::make_shared<Quiet>()};
  CHttpServer server_;
};

TEST_F(NavRoutesTest, CommandsAnswerEmptyUncachedText) {
  ShipAt(0, 0);
  struct Case {
    std::string path;
    int status;
  };
  const Case cases[] = {
      {"/nav/activate?objid=%7Bnot-there%7D", 404},
      {std::string("/nav/activate?objid=") + kTrackId, 500},
      {std::string("/nav/activate?objid=") + kRouteId, 200},
      {"/nav/next_wp", 200},
      {"/nav/prev_wp", 200},
      {"/nav/reset_xte", 200},
      {"/nav/activate", 200},
      {std::string("/nav/activate?id=") + kRouteId, 200},
      {"/nav/stop", 200},
  };
  for (const Case& c : cases) {
    auto response = Command(c.path);
    ASSERT_TRUE(response) << c.path;
    EXPECT_EQ(response->status, c.status) << c.path;
    EXPECT_EQ(response->body, "") << c.path;
    EXPECT_EQ(response->get_header_value("Cache-Control"), "no-cache") << c.path;
    EXPECT_EQ(response->get_header_value("Content-Type").rfind("text/plain", 0), 0u) << c.path;
  }
  EXPECT_FALSE(Waypoint());  // the last request stopped navigation
}

TEST_F(NavRoutesTest, CommandsMoveTheActiveWaypoint) {
  ShipAt(0.01, 0);
  ASSERT_EQ(Command("/nav/activate", std::string(R"({"id":")") + kRouteId + "\"}")->status, 200);
  ASSERT_EQ(Command("/nav/next_wp")->status, 200);
  EXPECT_EQ(Get("/nav/next_wp")->status, 404);  // a GET changes nothing
  Command("/nav/next_wp");
  Command("/nav/prev_wp");
  EXPECT_EQ(Waypoint(), route_->Marks()[1]);
  ShipAt(0.02, 0.2);
  Command("/nav/reset_xte");
  LatLon origin;
  ui_.Run([&] { origin = nav_.Leg()->origin; });
  EXPECT_EQ(origin, (LatLon{0.02, 0.2}));
}

TEST_F(NavRoutesTest, StatusPage) {
  // Before any fix the page names the route and its first waypoint by place.
  Command(std::string("/nav/activate?objid=") + kRouteId);
  auto early = Get("/nav");
  ASSERT_TRUE(early);
  EXPECT_NE(early->body.find("\">001</a>"), std::string::npos) << early->body;
  EXPECT_EQ(early->body.find("Cross-Track Error"), std::string::npos);
  Command("/nav/activate");

  auto idle = Get("/nav");
  ASSERT_TRUE(idle);
  EXPECT_EQ(idle->status, 200);
  EXPECT_EQ(idle->get_header_value("Content-Type"), "text/html; charset=utf-8");
  EXPECT_EQ(idle->get_header_value("Cache-Control"), "no-cache");
  EXPECT_NE(idle->body.find("<p>No active route</p>"), std::string::npos);

  ShipAt(0.01, 0);
  Command(std::string("/nav/activate?objid=") + kRouteId);
  Command("/nav/next_wp");
  ShipAt(0.01, 0.1);
  auto page = Get("/nav/");
  ASSERT_TRUE(page);
  const std::string& html = page->body;
  EXPECT_EQ(html.find("No active route"), std::string::npos);
  const std::string parts[] = {
      std::string("<a href=\"/documents/objects/") + kRouteId + "\">Harbour &lt;approach&gt;</a>",
      "<a href=\"/documents/objects/" + route_->Marks()[1]->Id() + "\">Fairway</a>",
      "Origin",
      "Waypoint",
      "Distance from Origin to Waypoint",
      "Bearing from Origin to Waypoint",
      "Distance to Waypoint",
      "Bearing to Waypoint",
      "Cross-Track Error",
      "Steer: right"};
  for (const std::string& part : parts)
    EXPECT_NE(html.find(part), std::string::npos) << part << "\n" << html;
}

TEST_F(NavRoutesTest, ObjectsAsObjectFileGpxAndJson) {
  const std::string path = std::string("/documents/objects/") + kRouteId;
  auto nob = Get(path);
  ASSERT_TRUE(nob);
  EXPECT_EQ(nob->status, 200);
  EXPECT_EQ(nob->get_header_value("Content-Type"), "application/vnd.tkns.nob+xml");
  const NobReadResult read = ReadNobDocument(nob->body);
  ASSERT_TRUE(read.ok) << read.error;
  EXPECT_TRUE(read.missingIds.empty());
  ASSERT_EQ(read.objects.size(), 4u);  // the route and its three marks
  auto copy = std::dynamic_pointer_cast<CRoute>(read.objects[0]);
  ASSERT_TRUE(copy);
  ASSERT_EQ(copy->Marks().size(), 3u);
  EXPECT_EQ(copy->Marks()[1]->name, "Fairway");

  // The braces of the id may come percent-encoded.
  auto encoded = Get("/documents/objects/%7B0B0C1D2E-3F40-4152-8364-758697A8B9CA%7D");
  ASSERT_TRUE(encoded);
  EXPECT_EQ(encoded->status, 200);

  auto gpx = Get(path + "?format=gpx");
  ASSERT_TRUE(gpx);
  EXPECT_EQ(gpx->get_header_value("Content-Type"), "application/gpx+xml");
  EXPECT_NE(gpx->body.find("<rte>"), std::string::npos) << gpx->body;
  EXPECT_NE(gpx->body.find("lon=\"1.000000\""), std::string::npos) << gpx->body;

  auto json = Get(path + "?format=json");
  ASSERT_TRUE(json);
  EXPECT_EQ(json->get_header_value("Content-Type"), "application/json; charset=utf-8");
  const auto parsed = nlohmann::json::parse(json->body);
  EXPECT_EQ(parsed["class"], "Route");
  EXPECT_EQ(parsed["id"], kRouteId);

  struct Case {
    std::string path;
    int status;
  };
  const Case errors[] = {
      {"/documents/objects/%7Bmissing%7D", 404},
      {path + "?format=xls", 400},
      {"/documents/objects/", 404},
      {"/documents/nothing", 404},
  };
  for (const Case& c : errors) {
    auto response = Get(c.path);
    ASSERT_TRUE(response) << c.path;
    EXPECT_EQ(response->status, c.status) << c.path;
  }
}

}  // namespace
}  // namespace tarnwick
