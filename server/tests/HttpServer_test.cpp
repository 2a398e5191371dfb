// The embedded HTTP server against a real loopback socket: routing, 404 and
// 400, handlers run on the user-interface thread, "/options", the refusal of
// requests that do not come from the program's own page, failing handlers,
// oversize headers and slow clients.

#include <gtest/gtest.h>
#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <stdexcept>
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
  auto client = testing::PageClient(server_);
  auto one = client.Get("/options?name=ais_dangercpa");
  ASSERT_TRUE(one);
  ASSERT_EQ(one->status, 200);
  auto json = nlohmann::json::parse(one->body);
  EXPECT_EQ(json["name"], "AIS_DangerCPA");
  EXPECT_EQ(json["value"], "0.25 nm");
  EXPECT_EQ(json["kind"], "text");

  auto set = client.Post("/options", R"({"name":"AIS_DangerCPA","value":"0.5 nm"})",
                         "application/json");
  ASSERT_TRUE(set);
  EXPECT_EQ(set->status, 200);
  EXPECT_EQ(opt::AIS_DangerCPA.Text(), "0.5 nm");

  auto group = client.Get("/options?group=AIS");
  ASSERT_TRUE(group);
  EXPECT_GT(nlohmann::json::parse(group->body).size(), 50u);

  CSettingsRegistry::Instance().SetFleetDocument(
      nlohmann::json::parse(R"({"options":{"AIS_DangerCPA":{"locked":true}}})"));
  struct Row {
    std::string body;
    int status;
  };
  const Row rows[] = {
      {R"({"name":"AIS_DangerCPA","value":"1 nm"})", 409},
      {R"({"name":"No_Such","value":"1"})", 404},
      {R"({"value":"1"})", 400},
      {R"({"name":"AIS_ShowCPA"})", 400},
      {R"({"name":"AIS_ShowCPA","value":1})", 400},
      {R"({"name":["AIS_ShowCPA"],"value":"1"})", 400},
      {"null", 400},
      {"{not json", 400},
      {R"({"name":"AIS_ShowCPA","value":")" + std::string(5000, 'x') + "\"}", 413},
  };
  for (const auto& row : rows) {
    auto res = client.Post("/options", row.body, "application/json");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, row.status) << row.body.substr(0, 60);
  }
  EXPECT_EQ(opt::AIS_DangerCPA.Text(), "0.5 nm");
  EXPECT_EQ(opt::AIS_ShowCPA.Text(), "false");
  EXPECT_EQ(client.Get("/options?name=No_Such")->status, 404);
}

// What a page of another site can send, and a page whose name was re-pointed
// at our address: refused before any route runs, and nothing changes.
TEST_F(HttpServerTest, RequestsNotFromTheOwnPageChangeNothing) {
  const std::string own = "http://127.0.0.1:" + std::to_string(server_.Port());
  const std::string body = R"({"name":"AIS_DangerCPA","value":"0"})";
  struct Row {
    const char* what;
    httplib::Headers headers;
    const char* type;
    int status;
  };
  const Row rows[] = {
      {"foreign Origin", {{"Origin", "http://evil.example"}, {"X-CSRF-Token", server_.CsrfToken()}},
       "application/json", 403},
      {"no token", {{"Origin", own}}, "application/json", 403},
      {"form post", {{"Origin", own}, {"X-CSRF-Token", server_.CsrfToken()}},
       "application/x-www-form-urlencoded", 403},
      {"rebinding", {{"Host", "evil.example:" + std::to_string(server_.Port())},
                     {"Origin", "http://evil.example:" + std::to_string(server_.Port())}},
       "application/json", 421},
  };
  httplib::Client client("127.0.0.1", server_.Port());
  for (const Row& row : rows) {
    auto res = client.Post("/options", row.headers, body, row.type);
    ASSERT_TRUE(res) << row.what;
    EXPECT_EQ(res->status, row.status) << row.what;
    EXPECT_NE(res->body.find("\"error\""), std::string::npos) << row.what;
  }
  EXPECT_EQ(client.Get("/options", {{"Sec-Fetch-Site", "cross-site"}, {"Sec-Fetch-Mode", "no-cors"},
                                    {"Sec-Fetch-Dest", "image"}})
                ->status,
            403);
  EXPECT_EQ(opt::AIS_DangerCPA.Text(), "0.25 nm");
}

TEST_F(HttpServerTest, EveryAnswerForbidsFramingAndSniffing) {
  httplib::Client client("127.0.0.1", server_.Port());
  const httplib::Result answers[] = {
      client.Get("/echo/x"), client.Get("/no/such/route"), client.Get("/where"),
      client.Post("/options", "{}", "application/json"),
      client.Get("/echo/x", {{"Host", "rebound.example"}})};
  for (const auto& answer : answers) {
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->get_header_value("X-Frame-Options"), "DENY") << answer->status;
    EXPECT_EQ(answer->get_header_value("Content-Security-Policy"), "frame-ancestors 'none'");
    EXPECT_EQ(answer->get_header_value("X-Content-Type-Options"), "nosniff");
  }
}

TEST_F(HttpServerTest, AThrowingHandlerAnswersAndTheServerGoesOn) {
  for (HandlerThread thread : {HandlerThread::Ui, HandlerThread::Worker}) {
    const std::string suffix = thread == HandlerThread::Ui ? "ui" : "worker";
    server_.Post("/type-" + suffix, [](const HttpRequest& r) {
      const int n = nlohmann::json::parse(r.body).value("n", 0);  // throws on {"n":"x"}
      return HttpResponse::Text(200, std::to_string(n));
    }, thread);
    server_.Post("/fail-" + suffix, [](const HttpRequest&) -> HttpResponse {
      throw std::runtime_error("broken");
    }, thread);
  }
  auto client = testing::PageClient(server_);
  for (const char* suffix : {"ui", "worker"}) {
    EXPECT_EQ(client.Post(std::string("/type-") + suffix, R"({"n":"x"})", "application/json")->status,
              400);
    EXPECT_EQ(client.Post(std::string("/fail-") + suffix, "{}", "application/json")->status, 500);
  }
  EXPECT_EQ(client.Get("/echo/alive")->status, 200);
}

// A raw request on a new connection; the whole answer, or "" when none came.
std::string RawExchange(int port, const std::string& request) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string answer;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    (void)!::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    char buffer[4096];
    ssize_t n;
    while ((n = ::recv(fd, buffer, sizeof buffer, 0)) > 0) answer.append(buffer, n);
  }
  ::close(fd);
  return answer;
}

TEST_F(HttpServerTest, OversizeHeadersAnswer431) {
  const std::string start = "GET /echo/x HTTP/1.1\r\nHost: 127.0.0.1:" +
                            std::to_string(server_.Port()) + "\r\n";
  std::string many = start;
  for (int i = 0; i < 100; ++i) many += "X-" + std::to_string(i) + ": 1\r\n";
  const std::string huge = start + "X-Big: " + std::string(20000, 'a') + "\r\n\r\n";
  EXPECT_EQ(RawExchange(server_.Port(), many + "\r\n").rfind("HTTP/1.1 431", 0), 0u);
  EXPECT_EQ(RawExchange(server_.Port(), huge).rfind("HTTP/1.1 431", 0), 0u);
  EXPECT_EQ(RawExchange(server_.Port(), start + "\r\n").rfind("HTTP/1.1 200", 0), 0u);
}

// Clients that open connections and send their headers byte by byte hold a
// worker each; they lose the oldest of them to every new connection and all
// of them at the deadline, so the page's requests are still served.
TEST(HttpServerSlowClients, DoNotKeepThePageOut) {
  UiThread ui;
  ConnectionLimits limits;
  limits.workers = 4;
  limits.maxWaiting = 3;
  limits.headerDeadlineMs = 1500;
  CHttpServer server(limits);
  server.Get("/ok", [](const HttpRequest&) { return HttpResponse::Text(200, "ok"); },
             HandlerThread::Worker);
  ASSERT_TRUE(server.Start("127.0.0.1", 0));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(server.Port()));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::vector<int> slow;
  for (int i = 0; i < 16; ++i) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    (void)!::send(fd, "GET /ok HTTP/1.1\r\nHo", 21, MSG_NOSIGNAL);
    slow.push_back(fd);
  }
  httplib::Client client("127.0.0.1", server.Port());
  client.set_read_timeout(1, 0);
  for (int i = 0; i < 5; ++i) {
    auto answer = client.Get("/ok");
    ASSERT_TRUE(answer) << i;
    EXPECT_EQ(answer->status, 200);
  }
  // Past the deadline every slow connection has been closed.
  std::this_thread::sleep_for(std::chrono::milliseconds(2000));
  for (int fd : slow) {
    char buffer[256];
    pollfd p{fd, POLLIN, 0};
    EXPECT_EQ(::poll(&p, 1, 0), 1);
    while (::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT) > 0) {
    }
    ::close(fd);
  }
  server.Stop();
}

}  // namespace
}  // namespace tarnwick
