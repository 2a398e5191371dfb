// The navigation object routes against a loopback server and real documents:
// edits with undo, the refusals of locked objects and read-only layers, route
// points, layers, what the plot is given to draw, and GPX in and out.

#include <gtest/gtest.h>
#include <httplib.h>
#include <nlohmann/json.hpp>

#include "core/Storage.h"
#include "core/tests/support/TestSupport.h"
#include "navobjects/model/Route.h"
#include "server/NavObjectEdits.h"
#include "server/NavObjectLayers.h"
#include "server/NavObjectsApi.h"
#include "server/tests/LoopbackSupport.h"

namespace tarnwick {
namespace {

using nlohmann::json;

class NavObjectEditsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Storage().Open(temp_ / "storage.db"));
    documents_ = std::make_unique<CNavDocuments>(temp_ / "NavObjects");
    documents_->OpenFolder();
    NavObjectsSource source;
    source.documents = [this] { return documents_.get(); };
    CNavObjectsApi::Mount(server_, source);
    CNavObjectLayers::Mount(server_, source.documents);
    CNavObjectEdits::Mount(server_, source.documents);
    ASSERT_TRUE(server_.Start("127.0.0.1", 0));
  }
  void TearDown() override {
    server_.Stop();
    Storage().Close();
  }

  struct Answer {
    int status = 0;
    json body;
    std::string text;
  };
  Answer Send(const std::string& method, const std::string& path, const std::string& body = "{}",
              const char* type = "application/json") {
    auto client = testing::PageClient(server_);
    httplib::Result result = method == "GET"      ? client.Get(path.c_str())
                             : method == "DELETE" ? client.Delete(path.c_str(), body, type)
                                                  : client.Post(path.c_str(), body, type);
    if (!result) return {};
    return {result->status, json::parse(result->body, nullptr, false), result->body};
  }
  Answer Post(const std::string& path, const json& body) { return Send("POST", path, body.dump()); }
  std::string Create(const json& body) {
    Answer answer = Post("/api/navobjects", body);
    EXPECT_EQ(answer.status, 201) << answer.text;
    return answer.body.value("id", "");
  }
  json List() { return Send("GET", "/api/navobjects").body; }
  // The OBJECT of id among the listed objects (deleted ones included), or null.
  json Listed(const std::string& id) {
    const json list = List();
    for (const char* key : {"objects", "deleted"})
      for (const auto& object : list[key])
        if (object["id"] == id) return object;
    return nullptr;
  }

  testing::CTempFolder temp_;
  std::unique_ptr<CNavDocuments> documents_;
  testing::UiThread ui_;
  CHttpServer server_;
};

TEST_F(NavObjectEditsTest, CreateRenameDeleteAndUndoThroughTheRoutes) {
  EXPECT_EQ(Post("/api/navobjects/undo", json::object()).status, 409);
  const std::string buoy = Create({{"type", "Mark"}, {"name", "Buoy"}, {"lat", 60.1}, {"lon", 23.5}});
  const std::string passage =
      Create({{"type", "Route"}, {"name", "Passage"}, {"points", {{60, 23}, {60.1, 23.2}}}});
  const std::string fromMarks = Create({{"type", "Route"}, {"marks", {buoy, Listed(passage)["properties"]["Marks"][0]}}});
  EXPECT_EQ(Listed(fromMarks)["properties"]["Marks"][0], buoy);

  Answer renamed = Post("/api/navobjects/" + passage, {{"Name", "Day one"}, {"Color", "#ff0000"}});
  ASSERT_EQ(renamed.status, 200) << renamed.text;
  EXPECT_EQ(renamed.body["properties"]["Name"], "Day one");
  EXPECT_EQ(List()["undo"], "Change Properties");

  Answer deleted = Send("DELETE", "/api/navobjects/" + passage);
  ASSERT_EQ(deleted.status, 200) << deleted.text;
  EXPECT_EQ(deleted.body["deleted"].size(), 2u);  // the route and the point only it used
  EXPECT_EQ(Listed(passage)["layer"], "_deleted");
  EXPECT_EQ(Listed(passage)["from"], "MyRoutes.nob");

  ASSERT_EQ(Post("/api/navobjects/undo", json::object()).status, 200);
  EXPECT_EQ(Listed(passage)["layer"], "MyRoutes.nob");
  ASSERT_EQ(Post("/api/navobjects/undo", json::object()).status, 200);
  EXPECT_EQ(Listed(passage)["properties"]["Name"], "Passage");
  ASSERT_EQ(Post("/api/navobjects/redo", json::object()).status, 200);
  ASSERT_EQ(Post("/api/navobjects/redo", json::object()).status, 200);
  EXPECT_EQ(Listed(passage)["layer"], "_deleted");
  ASSERT_EQ(Post("/api/navobjects/" + passage + "/restore", json::object()).status, 200);
  EXPECT_EQ(Listed(passage)["properties"]["Name"], "Day one");
  EXPECT_EQ(Listed(passage)["properties"]["Marks"].size(), 2u);
}

TEST_F(NavObjectEditsTest, RefusalsCarryTheModelsText) {
  const std::string locked =
      Create({{"type", "Mark"}, {"lat", 1}, {"lon", 1}, {"properties", {{"LockPosition", true}}}});
  const std::string mark = Create({{"type", "Mark"}, {"lat", 2}, {"lon", 2}});
  const std::string route = Create({{"type", "Route"}, {"points", {{0, 0}, {0, 1}}}});
  const std::string range = Create({{"type", "RangeBearing"}, {"points", {{0, 0}, {1, 1}}}});
  const Answer layer = Post("/api/navlayers", {{"name", "Charted"}});
  const std::string layerId = layer.body["id"];
  const std::string frozen =
      Create({{"type", "Mark"}, {"lat", 3}, {"lon", 3}, {"layer", layerId}});
  ASSERT_EQ(Post("/api/navlayers/" + layerId, {{"readOnly", true}}).status, 200);
  const std::string gone = Create({{"type", "Mark"}, {"lat", 4}, {"lon", 4}});
  ASSERT_EQ(Send("DELETE", "/api/navobjects/" + gone).status, 200);

  const std::string dragLocked =
      "The object you are trying to drag is locked. Would you like to unlock it?";
  struct Row {
    std::string path;
    json body;
    int status;
    std::string error;  // "" when any text will do
  };
  const Row rows[] = {
      {"/api/navobjects/" + locked, {{"Position", {{"lat", 1.5}, {"lon", 1}}}}, 409, dragLocked},
      {"/api/navobjects/" + locked, {{"Name", "Renamed while locked"}}, 200, ""},
      {"/api/navobjects/" + frozen, {{"Name", "x"}}, 409, "The layer \"Charted\" is read-only."},
      {"/api/navobjects/" + frozen + "/delete", json::object(), 409, ""},
      {"/api/navobjects/" + gone, {{"Name", "x"}}, 409, "The object is deleted; restore it first."},
      {"/api/navobjects", {{"type", "Mark"}, {"lat", 1}, {"lon", 1}, {"layer", layerId}}, 409, ""},
      {"/api/navobjects/" + route + "/points", {{"action", "insert"}, {"index", 0}, {"mark", mark}}, 200, ""},
      {"/api/navobjects/" + route + "/points", {{"action", "insert"}, {"index", 1}, {"mark", mark}}, 409,
       "A waypoint cannot be included in a route more than once."},
      {"/api/navobjects", {{"type", "Route"}, {"marks", {mark, mark}}}, 409,
       "A waypoint cannot be included in a route more than once."},
      {"/api/navobjects/" + range, {{"Range", "2 NM"}}, 400, ""},
      {"/api/navobjects/" + mark, {{"Nonsense", 1}}, 400, ""},
      {"/api/navobjects/" + mark, {{"Color", "not a colour"}, {"Name", "kept"}}, 400, ""},
      {"/api/navobjects", {{"type", "Mark"}, {"lat", 91}, {"lon", 0}}, 400, ""},
      {"/api/navobjects", {{"type", "Kite"}, {"lat", 1}, {"lon", 0}}, 400, ""},
      {"/api/navobjects/{00000000-0000-0000-0000-000000000000}", {{"Name", "x"}}, 404, ""},
      {"/api/navlayers/MyRoutes.nob/delete", json::object(), 409, ""},
  };
  for (const Row& row : rows) {
    const Answer answer = Post(row.path, row.body);
    EXPECT_EQ(answer.status, row.status) << row.path << " " << row.body.dump() << " " << answer.text;
    if (!row.error.empty()) {
      EXPECT_EQ(answer.body.value("error", ""), row.error) << row.path;
    }
  }
  EXPECT_EQ(Listed(mark)["properties"]["Name"], "");  // the refused body set nothing
  // The navigator agreed to unlock: both in one body.
  const Answer moved =
      Post("/api/navobjects/" + locked, {{"Position", "1.5 N 1 E"}, {"LockPosition", false}});
  ASSERT_EQ(moved.status, 200) << moved.text;
  EXPECT_EQ(moved.body["properties"]["Position"]["lat"], 1.5);
}

TEST_F(NavObjectEditsTest, RoutePointsInsertMoveRemoveAndReverseUndoable) {
  const std::string route = Create({{"type", "Route"}, {"points", {{0, 0}, {0, 1}, {0, 2}}}});
  const std::string path = "/api/navobjects/" + route + "/points";
  ASSERT_EQ(Post(path, {{"action", "insert"}, {"index", 1}, {"lat", 0.5}, {"lon", 0.5}}).status, 200);
  ASSERT_EQ(Post(path, {{"action", "move"}, {"index", 0}, {"lat", -1}, {"lon", 0}}).status, 200);
  ASSERT_EQ(Post(path, {{"action", "remove"}, {"index", 3}}).status, 200);
  const Answer reversed = Post("/api/navobjects/" + route + "/reverse", json::object());
  ASSERT_EQ(reversed.status, 200);
  const json points = List()["routes"][0]["points"];
  ASSERT_EQ(points.size(), 3u);
  EXPECT_EQ(points[0]["lon"], 1);
  EXPECT_EQ(points[1]["lat"], 0.5);
  EXPECT_EQ(points[2]["lat"], -1);
  EXPECT_EQ(points[0]["label"], "001");
  EXPECT_EQ(List()["marks"].size(), 3u);  // the removed point went with its place

  for (int i = 0; i < 4; ++i) ASSERT_EQ(Post("/api/navobjects/undo", json::object()).status, 200);
  const json original = List()["routes"][0]["points"];
  ASSERT_EQ(original.size(), 3u);
  EXPECT_EQ(original[0]["lat"], 0);
  EXPECT_EQ(original[2]["lon"], 2);
  EXPECT_EQ(List()["marks"].size(), 3u);
}

TEST_F(NavObjectEditsTest, HiddenObjectsAndHiddenLayersAreNotGivenToThePlot) {
  Create({{"type", "Mark"}, {"lat", 1}, {"lon", 1}});
  const std::string hidden = Create({{"type", "Mark"}, {"lat", 2}, {"lon", 2}});
  ASSERT_EQ(Post("/api/navobjects/" + hidden, {{"Hidden", true}}).status, 200);
  const std::string layer = Post("/api/navlayers", json::object()).body["id"];
  Create({{"type", "Route"}, {"points", {{0, 0}, {0, 1}}}, {"layer", layer}});
  ASSERT_EQ(Post("/api/navlayers/" + layer, {{"visible", false}}).status, 200);
  const std::string expired = Post("/api/navlayers", json::object()).body["id"];
  Create({{"type", "Mark"}, {"lat", 3}, {"lon", 3}, {"layer", expired}});
  ASSERT_EQ(Post("/api/navlayers/" + expired, {{"expires", 1000}}).status, 200);

  const json list = List();
  EXPECT_EQ(list["marks"].size(), 1u);
  EXPECT_EQ(list["routes"].size(), 0u);
  EXPECT_EQ(list["objects"].size(), 6u);
  EXPECT_EQ(Listed(hidden)["drawn"], false);
  EXPECT_EQ(list["layers"][1]["visible"], false);
}

TEST_F(NavObjectEditsTest, GpxGoesOutAndComesBackIntoALayer) {
  const std::string route =
      Create({{"type", "Route"}, {"name", "Out"}, {"points", {{60, 23}, {60.1, 23.2}}}});
  const Answer gpx = Send("GET", "/api/navobjects/gpx?ids=" + route);
  ASSERT_EQ(gpx.status, 200);
  EXPECT_NE(gpx.text.find("<name>002</name>"), std::string::npos);
  const std::string layer = Post("/api/navlayers", json::object()).body["id"];
  const Answer imported =
      Send("POST", "/api/navobjects/gpx?layer=" + layer, gpx.text, "application/octet-stream");
  ASSERT_EQ(imported.status, 201) << imported.text;
  EXPECT_EQ(imported.body["ids"].size(), 3u);
  EXPECT_EQ(Listed(imported.body["ids"][0])["layer"], layer);
  EXPECT_EQ(Send("POST", "/api/navobjects/gpx", "<html/>", "application/octet-stream").status, 400);
}

}  // namespace
}  // namespace tarnwick
