// The embedded HTTP server against a real loopback socket: routing, 404 and
// 400, handlers run on the user-interface thread, and "/options".

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <thread>

#include "core/JobQueue.h"
#include "core/SettingsRegistry.h"
#include "core/settings/AisSettings.h"
#include "server/HttpServer.h"
#include "server/OptionsController.h"
#include "server/tests/LoopbackSupport.h"

namespace tarnwick {
namespace {

using testing::UiThread;

class HttpServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CSettingsRegistry::Instance().ResetState();
    COptionsController::Mount(server_);
    server_.Get("/where", [](const HttpRequest&) {
      std::ostringstream id;
      id << std::this_thread::get_id();
      return HttpResponse::Text(200, id.str());
    });
    server_.Get(R"(/echo/(\w+))",
                [](const HttpRequest& r) {
                  return HttpResponse::Text(200, r.matches.at(1) + ":" + r.Param("q"));
                },
                HandlerThread::Worker);
    ASSERT_TRUE(server_.Start("127.0.0.1", 0));
  }
  void TearDown() override {
    server_.Stop();
    CSettingsRegistry::Instance().ResetState();
  }
  httplib::Client Client() { return httplib::Client("127.0.0.1", server_.Port()); }

  UiThread ui_;
  CHttpServer server_;
};

TEST_F(HttpServerTest, RoutesAndErrors) {
  auto client = Client();
  auto echo = client.Get("/echo/abc?q=1");
  ASSERT_TRUE(echo);
  EXPECT_EQ(echo->status, 200);
  EXPECT_EQ(echo->body, "abc:1");
  auto missing = client.Get("/no/such/route");
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->status, 404);
  EXPECT_EQ(server_.Url(), "http://127.0.0.1:" + std::to_string(server_.Port()) + "/");
}

TEST_F(HttpServerTest, UiHandlersRunOnTheUserInterfaceThread) {
  auto client = Client();
  auto where = client.Get("/where");
  ASSERT_TRUE(where);
  std::ostringstream id;
  id << ui_.Id();
  EXPECT_EQ(where->body, id.str());
}

TEST_F(HttpServerTest, GarbageRequestDoesNotStopTheServer) {
  httplib::Client raw("127.0.0.1", server_.Port());
  auto bad = raw.Get("/%zz%");
  auto after = Client().Get("/echo/x");
  ASSERT_TRUE(after);
  EXPECT_EQ(after->status, 200);
}

TEST_F(HttpServerTest, OptionsGetSetAndRefuse) {
  auto client = Client();
  auto one = client.Get("/options?name=ais_dangercpa");
  ASSERT_TRUE(one);
  ASSERT_EQ(one->status, 200);
  auto json = nlohmann::json::parse(one->body);
  EXPECT_EQ(json["name"], "AIS_DangerCPA");
  EXPECT_EQ(json["value"], "0.25 nm");
  EXPECT_EQ(json["kind"], "text");

  auto set = client.Post("/options", "name=AIS_DangerCPA&value=0.5+nm",
                         "application/x-www-form-urlencoded");
  ASSERT_TRUE(set);
  EXPECT_EQ(set->status, 200);
  EXPECT_EQ(opt::AIS_DangerCPA.Text(), "0.5 nm");

  auto viaJson =
      client.Post("/options", R"({"name":"AIS_ShowCPA","value":"yes"})", "application/json");
  ASSERT_TRUE(viaJson);
  EXPECT_EQ(viaJson->status, 200);
  EXPECT_TRUE(opt::AIS_ShowCPA.GetBool());

  auto group = client.Get("/options?group=AIS");
  ASSERT_TRUE(group);
  EXPECT_GT(nlohmann::json::parse(group->body).size(), 50u);

  CSettingsRegistry::Instance().SetFleetDocument(
      nlohmann::json::parse(R"({"options":{"AIS_DangerCPA":{"locked":true}}})"));
  auto locked =
      client.Post("/options", "name=AIS_DangerCPA&value=1+nm", "application/x-www-form-urlencoded");
  ASSERT_TRUE(locked);
  EXPECT_EQ(locked->status, 409);
  EXPECT_EQ(opt::AIS_DangerCPA.Text(), "0.5 nm");

  struct Row {
    const char* body;
    int status;
  };
  const Row rows[] = {{"name=No_Such&value=1", 404}, {"value=1", 400}, {"name=AIS_ShowCPA", 400}};
  for (const auto& row : rows) {
    auto res = client.Post("/options", row.body, "application/x-www-form-urlencoded");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, row.status) << row.body;
  }
  auto badJson = client.Post("/options", "{not json", "application/json");
  ASSERT_TRUE(badJson);
  EXPECT_EQ(badJson->status, 400);
  EXPECT_EQ(client.Get("/options?name=No_Such")->status, 404);
}

}  // namespace
}  // namespace tarnwick
