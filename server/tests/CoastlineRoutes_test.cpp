// The coastline route against a real server on a loopback port: answers by
// resolution and box, the refusals, a missing file, and requests from several
// threads at once sharing the opened files.

#include "server/CoastlineRoutes.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <nlohmann/json.hpp>
#include <thread>
#include <vector>

#include "charts/coastline/CoastlineWriter.h"
#include "core/tests/support/TestSupport.h"

namespace tarnwick {
namespace {

using json = nlohmann::json;
constexpr uint16_t U = 65535;

class CoastlineRoutesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A crude file with land over 0..20 E, 30..50 N and no low file.
    CoastGrid grid = CoastGrid::Empty(CoastResolution::Crude, 1200);
    grid.At(9, 6).polygons.push_back({1, {{0, 0}, {U, 0}, {U, U}, {0, U}}});
    grid.At(9, 6).lines.push_back({1, {{0, 0}, {U, U}}});
    ASSERT_TRUE(WriteCoastlineFile(folder_ / "world_c.b.qtc", grid));
    CCoastlineRoutes::Mount(server_, std::make_shared<CCoastlineRoutes>(folder_.Path()));
    ASSERT_TRUE(server_.Start("127.0.0.1", 0));
  }
  void TearDown() override { server_.Stop(); }
  httplib::Client Client() { return httplib::Client("127.0.0.1", server_.Port()); }

  testing::CTempFolder folder_;
  CHttpServer server_;
};

TEST_F(CoastlineRoutesTest, AnswersByResolutionAndBox) {
  struct Row {
    const char* query;
    int status;
    size_t features;  // for 200
  } const rows[] = {
      {"res=c&bbox=-10,30,30,70", 200, 2},
      {"res=c&bbox=5,35,6,36", 200, 2},
      {"res=c&bbox=-60,-50,-30,-20", 200, 0},
      {"res=c&bbox=170,-10,-170,10", 200, 0},
      {"res=c&bbox=10,40,5,42", 200, 2},  // across 180: from 10 E east round to 5 E
      {"res=x&bbox=0,0,1,1", 400, 0},
      {"bbox=0,0,1,1", 400, 0},
      {"res=c", 400, 0},
      {"res=c&bbox=0,0,1", 400, 0},
      {"res=c&bbox=0,95,1,96", 400, 0},
      {"res=c&bbox=0,0,0,1", 400, 0},
      {"res=l&bbox=0,0,1,1", 503, 0},
      {"res=h&bbox=0,0,60,10", 413, 0},  // fine resolutions only for small boxes
      {"res=i&bbox=-180,-80,180,80", 413, 0},
  };
  auto client = Client();
  for (const Row& row : rows) {
    auto result = client.Get(std::string("/api/coastline?") + row.query);
    ASSERT_TRUE(result) << row.query;
    EXPECT_EQ(result->status, row.status) << row.query;
    if (row.status != 200) continue;
    EXPECT_EQ(result->get_header_value("Content-Type"), "application/geo+json");
    const json body = json::parse(result->body);
    EXPECT_EQ(body["features"].size(), row.features) << row.query;
  }
}

TEST_F(CoastlineRoutesTest, ServesManyClientsAtOnce) {
  std::vector<std::thread> clients;
  std::atomic<int> good{0};
  for (int i = 0; i < 4; ++i) {
    clients.emplace_back([&] {
      auto client = Client();
      for (int k = 0; k < 5; ++k) {
        auto result = client.Get("/api/coastline?res=c&bbox=0,30,20,50");
        if (result && result->status == 200 && result->body.find("\"land\"") != std::string::npos)
          ++good;
      }
    });
  }
  for (auto& t : clients) t.join();
  EXPECT_EQ(good, 20);
}

}  // namespace
}  // namespace tarnwick
