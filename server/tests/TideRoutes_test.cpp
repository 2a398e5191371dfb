// The tide routes over a small harmonic database made here: stations in a
// box with their labels, a station's day (events, table, curve, instrument
// values), the nearest station or the page saying there is none, and the
// refusals of bad input.

#include "server/TideRoutes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <nlohmann/json.hpp>

#include "core/Sqlite.h"
#include "core/tests/support/TestSupport.h"
#include "environment/tides/HarmonicProvider.h"

namespace tarnwick {
namespace {

using json = nlohmann::json;
constexpr int64_t kNow = 1704067200;  // 2024-01-01T00:00:00Z: every phase 0 here, M2 at its crest

class TideRoutesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    const auto path = folder_ / "h.db";
    {
      CSqliteDatabase db;
      ASSERT_EQ(db.Open(path), SQLITE_OK);
      ASSERT_EQ(db.Exec("CREATE TABLE YEARDATA (year INTEGER PRIMARY KEY, data BLOB);"
                        "CREATE TABLE TIDECON (StationIndex INTEGER, Name TEXT, Content TEXT);"
                        "CREATE TABLE Stations (StationID TEXT, Type TEXT, Name TEXT, Latitude REAL, Longitude REAL,"
                        " Area TEXT, SubArea TEXT, Content TEXT, ConstituentID INTEGER);"
                        "INSERT INTO TIDECON VALUES (1, 'Harbor', 'M2 2.0 0');"
                        "INSERT INTO Stations VALUES ('T1', 'tide', 'Harbor', 50, -5, '', '', '{\"units\":\"meters\",\"mean-tide-level\":2.5}', 1);"
                        "INSERT INTO Stations VALUES ('C1', 'current', 'Race', 50.1, -5.1, '', '',"
                        " '{\"units\":\"knots\",\"average-direction-flood\":90,\"average-direction-ebb\":270}', 1);"),
                SQLITE_OK);
      HarmonicYear y;
      y.nodeFactor.fill(1);
      CSqliteStatement year(db, "INSERT INTO YEARDATA VALUES (2024, :data);");
      ASSERT_TRUE(year.BindBlob(":data", EncodeYearBlob(y)));
      ASSERT_EQ(year.Step(), SQLITE_DONE);
    }
    std::string error;
    std::shared_ptr<CHarmonicYears> years;
    for (auto kind : {TideStationKind::Tide, TideStationKind::Current}) {
      auto provider = CHarmonicProvider::Open(kind == TideStationKind::Tide ? "noaa_tides" : "noaa_currents",
                                              kind, path, years, error);
      ASSERT_TRUE(provider) << error;
      years = provider->Years();
      library_.AddProvider(std::move(provider));
    }
  }

  HttpResponse Get(HttpResponse (CTideRoutes::*route)(const HttpRequest&),
                   std::multimap<std::string, std::string> params) {
    HttpRequest request;
    request.params = std::move(params);
    return (routes_.*route)(request);
  }

  testing::CTempFolder folder_;
  CTideLibrary library_;
  CTideRoutes routes_{library_, [] { return kNow; }};
};

TEST_F(TideRoutesTest, StationsInABoxWithTheirLabels) {
  auto r = Get(&CTideRoutes::Stations, {{"bbox", "-6,49,-4,51"}});
  ASSERT_EQ(r.status, 200);
  const json all = json::parse(r.body);
  ASSERT_EQ(all["stations"].size(), 2u);
  EXPECT_EQ(all["stations"][0]["url"], "tide://noaa_tides/T1");
  EXPECT_EQ(all["stations"][0]["label"], "Harbor: 4.5 m") << "datum 2.5 + M2 2.0 at its crest";
  EXPECT_EQ(all["stations"][1]["label"].get<std::string>().rfind("Race: 2.0 kt flood 090", 0), 0u);
  r = Get(&CTideRoutes::Stations, {{"bbox", "-6,49,-4,51"}, {"kind", "current"}});
  EXPECT_EQ(json::parse(r.body)["stations"].size(), 1u);
  r = Get(&CTideRoutes::Stations, {{"bbox", "10,49,11,51"}});
  EXPECT_EQ(json::parse(r.body)["stations"].size(), 0u);
  for (auto params : std::vector<std::multimap<std::string, std::string>>{
           {{"bbox", "x"}}, {{"bbox", "-6,49,-4,51"}, {"kind", "wind"}}, {{"bbox", "-6,49,-4,51"}, {"limit", "0"}}}) {
    EXPECT_EQ(Get(&CTideRoutes::Stations, params).status, 400);
  }
}

TEST_F(TideRoutesTest, AStationsDay) {
  auto r = Get(&CTideRoutes::Station, {{"url", "tide://noaa_tides/T1"}, {"day", "2024-06-01"}});
  ASSERT_EQ(r.status, 200) << r.body;
  const json day = json::parse(r.body);
  EXPECT_EQ(day["dayStart"], 1717200000000);
  EXPECT_GE(day["events"].size(), 3u) << "M2 alone: 24 h hold 3 or 4 of its extremes";
  EXPECT_LE(day["events"].size(), 4u);
  EXPECT_EQ(day["curve"].size(), 145u) << "every 10 minutes, both ends";
  EXPECT_EQ(day["table"].get<std::string>().rfind("<div class='mod-title'>Saturday June 1, 2024</div>", 0), 0u);
  EXPECT_EQ(day["instruments"]["levelText"], "4.5 m");
  EXPECT_TRUE(day["instruments"].contains("tideNextEventDescription"));
  EXPECT_EQ(day["range"]["upper"], 4.5);
  const json current = json::parse(Get(&CTideRoutes::Station, {{"url", "current://noaa_currents/C1"}}).body);
  EXPECT_EQ(current["instruments"]["currentDescription"], "2.00 kt flood 090\u00b0T");
  EXPECT_TRUE(current["instruments"].contains("nextSlackTime"));

  EXPECT_EQ(Get(&CTideRoutes::Station, {{"url", "tide://noaa_tides/NONE"}}).status, 404);
  EXPECT_EQ(Get(&CTideRoutes::Station, {{"url", "file:///etc/passwd"}}).status, 400);
  EXPECT_EQ(Get(&CTideRoutes::Station, {{"url", "tide://noaa_tides/T1"}, {"day", "2024-13-01"}}).status, 400);
  EXPECT_EQ(Get(&CTideRoutes::Station, {{"url", "tide://noaa_tides/../x"}}).status, 400);
}

TEST_F(TideRoutesTest, NearestOrNone) {
  auto r = Get(&CTideRoutes::Nearest, {{"lat", "50.05"}, {"lon", "-5"}, {"kind", "tide"}});
  ASSERT_EQ(r.status, 200);
  json near = json::parse(r.body);
  EXPECT_EQ(near["url"], "tide://noaa_tides/T1");
  EXPECT_EQ(near["distanceNm"], 3.0);
  r = Get(&CTideRoutes::Nearest, {{"lat", "60"}, {"lon", "23"}, {"kind", "current"}});
  EXPECT_EQ(json::parse(r.body)["page"],
            "<body><h1>No current station</h1><p>No current stations were found nearby.</p></body>");
  EXPECT_EQ(Get(&CTideRoutes::Nearest, {{"lat", "95"}, {"lon", "0"}, {"kind", "tide"}}).status, 400);
  EXPECT_EQ(Get(&CTideRoutes::Nearest, {{"lat", "50"}, {"lon", "0"}}).status, 400);
}

}  // namespace
}  // namespace tarnwick
