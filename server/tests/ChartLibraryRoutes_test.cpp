// The chart library's routes over a library holding the NOAA cell US5HA57M
// and a KAP panel: the list, a chart's properties, the chart and the
// features at a point (a lateral buoy with its attributes and their
// meanings), the outlines as GeoJSON, and folders added and removed, with
// the answers to bad requests.

#include "server/ChartLibraryRoutes.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "core/tests/support/TestSupport.h"

namespace tarnwick {
namespace {

using json = nlohmann::json;
const std::filesystem::path kCharts = std::filesystem::path(TW_SOURCE_DIR) / "charts/tests/data";

class ChartLibraryRoutesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new testing::CTempFolder();
    ChartLibraryOptions options;
    options.catalogue = *folder_ / "charts.db";
    options.sencFolder = *folder_ / "senc";
    options.watch = false;
    std::string error;
    library_ = new std::shared_ptr<CChartLibrary>(CChartLibrary::Open(options, error));
    (*library_)->Start();
    (*library_)->AddSource(kCharts / "s57/noaa_US5HA57M_exchange_set");
    (*library_)->AddSource(kCharts / "bsb/12205_7.KAP");
    (*library_)->WaitIdle(120000);
  }
  static void TearDownTestSuite() {
    delete library_;
    delete folder_;
  }

  CChartLibraryRoutes routes_{[] { return *library_; },
                              [] { return std::string("{\"active\":false}"); }};
  CChartLibraryRoutes none_{[] { return std::shared_ptr<CChartLibrary>(); }, nullptr};

  static HttpRequest Get(std::multimap<std::string, std::string> params = {}) {
    HttpRequest r;
    r.method = "GET";
    r.params = std::move(params);
    return r;
  }
  static HttpRequest Post(const std::string& body) {
    HttpRequest r;
    r.method = "POST";
    r.body = body;
    return r;
  }
  static json Body(const HttpResponse& response) { return json::parse(response.body); }

  static testing::CTempFolder* folder_;
  static std::shared_ptr<CChartLibrary>* library_;
};

testing::CTempFolder* ChartLibraryRoutesTest::folder_ = nullptr;
std::shared_ptr<CChartLibrary>* ChartLibraryRoutesTest::library_ = nullptr;

TEST_F(ChartLibraryRoutesTest, ListAndOneChartWithItsProperties) {
  const json list = Body(routes_.List(Get()));
  ASSERT_EQ(list["charts"].size(), 2u);
  EXPECT_EQ(list["sources"].size(), 2u);
  EXPECT_FALSE(list["progress"]["busy"]);
  const json cell = list["charts"][1];
  EXPECT_EQ(cell["name"], "US5HA57M");
  EXPECT_EQ(cell["status"], "ready");
  EXPECT_GT(cell["extent"]["north"].get<double>(), cell["extent"]["south"].get<double>());

  HttpRequest byId = Get();
  byId.matches = {"", std::to_string(cell["id"].get<int64_t>())};
  const json one = Body(routes_.Chart(byId));
  std::map<std::string, std::string> properties;
  for (const json& p : one["properties"]) properties[p[0]] = p[1];
  EXPECT_EQ(properties["Name"], "US5HA57M.000");
  EXPECT_EQ(properties["Scale"].rfind("Vector Chart (1:", 0), 0u);
  EXPECT_EQ(properties["Projection"], "Mercator");
  for (const char* name : {"Source", "Edition", "Update", "IntendedUsage", "IssueDate", "Datum",
                           "VerticalDatum", "SoundingDatum", "Depth Units"})
    EXPECT_FALSE(properties[name].empty()) << name;

  byId.matches[1] = "999999";
  EXPECT_EQ(routes_.Chart(byId).status, 404);
  EXPECT_EQ(none_.List(Get()).status, 503);
}

TEST_F(ChartLibraryRoutesTest, ChartAndFeaturesAtAPoint) {
  // Kaneohe Bay Channel Buoy 4.
  const std::multimap<std::string, std::string> buoy = {
      {"lat", "21.5052369"}, {"lon", "-157.8224033"}, {"scale", "12000"}};
  const json at = Body(routes_.At(Get(buoy)));
  EXPECT_EQ(at["chart"]["name"], "US5HA57M");

  const json picked = Body(routes_.Features(Get(buoy)));
  ASSERT_EQ(picked["charts"].size(), 1u);
  const json& features = picked["charts"][0]["features"];
  const json* boylat = nullptr;
  for (const json& f : features)
    if (f["class"] == "BOYLAT") boylat = &f;
  ASSERT_TRUE(boylat) << features.dump();
  EXPECT_EQ((*boylat)["prim"], "point");
  EXPECT_EQ(features[0]["prim"], "point");  // points first
  EXPECT_TRUE(features.back()["meta"].get<bool>() || features.back()["prim"] == "area");
  std::map<std::string, json> attributes;
  for (const json& a : (*boylat)["attributes"]) attributes[a["acronym"]] = a;
  EXPECT_EQ(attributes["OBJNAM"]["value"], "Kaneohe Bay Channel Buoy 4");
  EXPECT_EQ(attributes["CATLAM"]["value"], "2");
  EXPECT_EQ(attributes["CATLAM"]["meaning"], "starboard-hand lateral mark");
  EXPECT_EQ(attributes["COLOUR"]["name"], "Colour");
  EXPECT_EQ(attributes["COLOUR"]["meaning"], "red");

  struct Bad {
    std::multimap<std::string, std::string> params;
    int status;
  } bad[] = {
      {{{"lat", "21.5"}}, 400},
      {{{"lat", "91"}, {"lon", "0"}}, 400},
      {{{"lat", "21.5"}, {"lon", "x"}}, 400},
      {{{"lat", "21.5"}, {"lon", "-157.8"}, {"scale", "0"}}, 400},
      {{{"lat", "21.5"}, {"lon", "-157.8"}, {"radius", "500"}}, 400},
  };
  for (const Bad& b : bad) EXPECT_EQ(routes_.Features(Get(b.params)).status, b.status);
  EXPECT_EQ(routes_.At(Get({{"lat", "0"}, {"lon", "0"}})).status, 404);
}

TEST_F(ChartLibraryRoutesTest, OutlinesAsGeoJson) {
  const HttpResponse response = routes_.Outlines(Get());
  EXPECT_EQ(response.contentType, "application/geo+json");
  const json all = Body(response);
  ASSERT_EQ(all["features"].size(), 2u);
  for (const json& f : all["features"]) {
    const json& ring = f["geometry"]["coordinates"][0];
    EXPECT_EQ(ring.front(), ring.back()) << f["properties"]["name"];
    EXPECT_GE(ring.size(), 4u);
  }
  // Only the charts meeting a box around Oahu.
  const json oahu = Body(routes_.Outlines(Get({{"bbox", "-158.5,21,-157.5,22"}})));
  ASSERT_EQ(oahu["features"].size(), 1u);
  EXPECT_EQ(oahu["features"][0]["properties"]["name"], "US5HA57M");
  EXPECT_EQ(routes_.Outlines(Get({{"bbox", "1,2,3"}})).status, 400);
}

TEST_F(ChartLibraryRoutesTest, FoldersAddedAndRemoved) {
  testing::CTempFolder charts;
  std::filesystem::copy_file(kCharts / "bsb/14988_2.KAP", charts / "14988_2.KAP");
  const std::string path = charts.Path().string();
  const HttpResponse added = routes_.AddSource(Post(json{{"path", path}}.dump()));
  ASSERT_EQ(added.status, 200) << added.body;
  EXPECT_TRUE(Body(added)["folder"]);
  (*library_)->WaitIdle(60000);
  EXPECT_EQ(Body(routes_.List(Get()))["charts"].size(), 3u);
  EXPECT_EQ(routes_.RemoveSource(Post(json{{"path", path}}.dump())).status, 200);
  EXPECT_EQ(Body(routes_.List(Get()))["charts"].size(), 2u);

  struct Bad {
    std::string body;
    int status;
  } bad[] = {
      {"{}", 400},
      {R"({"path":"relative/folder"})", 400},
      {R"({"path":"/no/such/folder"})", 400},
      {R"({"path":"/proc"})", 400},
      {R"({"path":"/"})", 400},
      {"not json", 400},
  };
  for (const Bad& b : bad) EXPECT_EQ(routes_.AddSource(Post(b.body)).status, b.status) << b.body;
  EXPECT_EQ(routes_.RemoveSource(Post(json{{"path", path}}.dump())).status, 404);
  EXPECT_EQ(routes_.RemoveChart(Post(R"({"name":"NOSUCH"})")).status, 404);
  EXPECT_EQ(routes_.RemoveChart(Post(R"({"name":""})")).status, 400);
}

}  // namespace
}  // namespace tarnwick
