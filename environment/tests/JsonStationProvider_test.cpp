// JSON station databases built here: reference events read in 300-row steps,
// subordinate tide and current offsets (a missing time offset drops the
// event, a missing factor makes the speed unknown), slack types, the cosine
// between events, and the logged refusals.

#include <gtest/gtest.h>

#include <cmath>

#include "core/Log.h"
#include "core/Sqlite.h"
#include "core/tests/support/TestSupport.h"
#include "environment/tides/JsonStationProvider.h"

namespace tarnwick {
namespace {

using testing::CTempFolder;

constexpr int64_t kT0 = 1704067200;  // 2024-01-01T00:00:00Z
constexpr int64_t kHalfCycle = 22357;  // s between a high and the next low

bool HasLine(const CLogCapture& log, const std::string& text) {
  for (const auto& line : log.Lines()) {
    if (line.find(text) != std::string::npos) return true;
  }
  return false;
}

class JsonStations : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = folder_ / "stations.db";
    CSqliteDatabase db;
    ASSERT_EQ(db.Open(path_), SQLITE_OK);
    ASSERT_EQ(db.Exec(
                  "CREATE TABLE TideStations (stationKey INTEGER, stationID TEXT, json TEXT);"
                  "CREATE TABLE TidePredictions (stationKey INTEGER, time INTEGER, height REAL, type TEXT);"
                  "CREATE TABLE CurrentStations (stationKey INTEGER, json TEXT);"
                  "CREATE TABLE CurrentPredictions (stationKey INTEGER, time INTEGER, speed INTEGER);"
                  "INSERT INTO TideStations VALUES (1, '9000001', '{\"id\":\"9000001\",\"name\":\"Ref Harbor\",\"lat\":47.5,\"lon\":-122.5}');"
                  "INSERT INTO TideStations VALUES (2, '9000002', '{\"id\":\"9000002\",\"name\":\"Sub Cove\",\"lat\":47.6,\"lon\":-122.4,"
                  "\"refID\":\"9000001\",\"TH\":30,\"TL\":-15,\"HH\":\"*1.1\",\"HL\":\"+0.2\"}');"
                  "INSERT INTO TideStations VALUES (3, '9000003', '[1,2]');"
                  "INSERT INTO TideStations VALUES (4, '9000004', '{\"id\":\"9000004\",\"name\":\"Orphan\",\"lat\":1,\"lon\":1,\"refID\":\"nope\"}');"
                  "INSERT INTO CurrentStations VALUES (10, '{\"id\":\"C1\",\"name\":\"Ref Narrows\",\"lat\":48,\"lon\":-122.6,"
                  "\"floodDir\":45,\"ebbDir\":225,\"depth\":10}');"
                  "INSERT INTO CurrentStations VALUES (11, '{\"id\":\"C2\",\"name\":\"Sub Pass\",\"lat\":48.1,\"lon\":-122.7,"
                  "\"refID\":\"C1\",\"refDepth\":10,\"SBF\":10,\"MFC\":20,\"MEC\":-5,\"floodFactor\":50}');"),
              SQLITE_OK);
    ASSERT_EQ(db.Exec("BEGIN;"), SQLITE_OK);
    // 400 tide events, high first, every half cycle from kT0.
    CSqliteStatement tide(db, "INSERT INTO TidePredictions VALUES (1, :t, :h, :type);");
    for (int i = 0; i < 400; ++i) {
      tide.Reset();
      tide.Bind(":t", kT0 + i * kHalfCycle);
      tide.Bind(":h", i % 2 == 0 ? 10.0 : 1.0);
      tide.Bind(":type", i % 2 == 0 ? "H" : "L");
      ASSERT_EQ(tide.Step(), SQLITE_DONE);
    }
    // Currents every 3 h: slack, flood 1.5 kt, slack, ebb 1.2 kt, ...
    CSqliteStatement current(db, "INSERT INTO CurrentPredictions VALUES (10, :t, :s);");
    const int speeds[] = {0, 150, 0, -120};
    for (int i = 0; i < 40; ++i) {
      current.Reset();
      current.Bind(":t", kT0 + i * 10800);
      current.Bind(":s", static_cast<int64_t>(speeds[i % 4]));
      ASSERT_EQ(current.Step(), SQLITE_DONE);
    }
    ASSERT_EQ(db.Exec("COMMIT;"), SQLITE_OK);
  }

  std::unique_ptr<CJsonStationProvider> Provider(TideStationKind kind) {
    std::string error;
    auto provider = CJsonStationProvider::Open(
        kind == TideStationKind::Tide ? "new_noaa_tides" : "new_noaa_currents", kind, path_, error);
    EXPECT_TRUE(provider) << error;
    return provider;
  }

  CTempFolder folder_;
  std::filesystem::path path_;
};

TEST_F(JsonStations, ListsStationsAndSkipsInvalidRecords) {
  CLogCapture log;
  auto provider = Provider(TideStationKind::Tide);
  const auto stations = provider->Stations();
  ASSERT_EQ(stations.size(), 3u);
  EXPECT_EQ(stations[0].url, "tide://new_noaa_tides/1");
  EXPECT_TRUE(stations[0].reference);
  EXPECT_FALSE(stations[1].reference);
  EXPECT_TRUE(HasLine(log, "new_noaa_tides: Invalid object: 3"));
}

TEST_F(JsonStations, ReferenceEventsAcrossSeveralReads) {
  auto station = Provider(TideStationKind::Tide)->Open("1");
  ASSERT_TRUE(station);
  const auto events = station->Events(kT0, kT0 + 399 * kHalfCycle);
  ASSERT_EQ(events.size(), 400u) << "reads of 300 rows go on where the last one ended";
  EXPECT_EQ(events[0].type, kTideHigh);
  EXPECT_EQ(events[1].type, kTideLow);
  EXPECT_EQ(events[399].time, kT0 + 399 * kHalfCycle);
  // The level follows a cosine between events: at them, and halfway.
  EXPECT_DOUBLE_EQ(*station->Value(kT0 + kHalfCycle), 1.0);
  EXPECT_NEAR(*station->Value(kT0 + kHalfCycle / 2), 5.5, 1e-3);
}

TEST_F(JsonStations, SubordinateTideOffsets) {
  auto station = Provider(TideStationKind::Tide)->Open("2");
  ASSERT_TRUE(station);
  const auto events = station->Events(kT0, kT0 + 2 * kHalfCycle);
  // The first high moves 30 min later and stays in; the low 15 min earlier.
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].time, kT0 + 1800);
  EXPECT_NEAR(events[0].value, 11.0, 1e-9);
  EXPECT_EQ(events[0].refTime, kT0);
  EXPECT_EQ(events[1].time, kT0 + kHalfCycle - 900);
  EXPECT_NEAR(events[1].value, 1.2, 1e-9);
  const auto keys = station->PageKeys();
  const auto key = [&](const std::string& name) {
    for (const auto& [k, v] : keys) {
      if (k == name) return v;
    }
    return std::string("(absent)");
  };
  EXPECT_EQ(key("station-type"), "subordinate");
  EXPECT_EQ(key("high-tide-time-adjustment"), "+0h 30m");
  EXPECT_EQ(key("low-tide-time-adjustment"), "-0h 15m");
  EXPECT_EQ(key("reference-station"), "Ref Harbor");
  EXPECT_EQ(key("reference-station-link"), "tide://new_noaa_tides/1");
}

TEST_F(JsonStations, CurrentsSlackTypesAndSubordinateRules) {
  auto provider = Provider(TideStationKind::Current);
  auto reference = provider->Open("10");
  ASSERT_TRUE(reference);
  const auto ref = reference->Events(kT0, kT0 + 4 * 10800);
  ASSERT_EQ(ref.size(), 5u);
  EXPECT_EQ(ref[0].type, kSlackBeforeFlood);
  EXPECT_EQ(ref[1].type, kTideHigh);
  EXPECT_DOUBLE_EQ(ref[1].value, 1.5);
  EXPECT_EQ(ref[2].type, kSlackBeforeEbb);
  EXPECT_EQ(ref[3].type, kTideLow);

  auto sub = provider->Open("11");
  ASSERT_TRUE(sub);
  const auto events = sub->Events(kT0, kT0 + 4 * 10800 + 3600);
  // Slack before ebb has no offset ("SBE" missing): those events are dropped.
  std::vector<int> types;
  for (const auto& e : events) types.push_back(e.type);
  EXPECT_EQ(types, (std::vector<int>{kSlackBeforeFlood, kTideHigh, kTideLow, kSlackBeforeFlood}));
  EXPECT_EQ(events[0].time, kT0 + 600);
  EXPECT_DOUBLE_EQ(events[1].value, 0.75) << "flood at 50 % of the reference";
  EXPECT_EQ(events[2].value, kUnknownSpeed) << "no ebb factor: speed unknown";
  EXPECT_EQ(events[2].time, kT0 + 3 * 10800 - 300);
  EXPECT_FALSE(sub->Value(events[2].time + 60)) << "an unknown speed is not interpolated";
}

TEST_F(JsonStations, RefusalsAreLogged) {
  auto tides = Provider(TideStationKind::Tide);
  auto currents = Provider(TideStationKind::Current);
  CLogCapture log;
  EXPECT_FALSE(tides->Open("99"));
  EXPECT_TRUE(HasLine(log, "new_noaa_tides: Can't find tide station: 99"));
  EXPECT_FALSE(currents->Open("98"));
  EXPECT_TRUE(HasLine(log, "new_noaa_currents: Can't find current station: 98"));
  EXPECT_FALSE(tides->Open("3"));
  EXPECT_TRUE(HasLine(log, "new_noaa_tides: Invalid object: [1,2]"));
  EXPECT_FALSE(tides->Open("4"));
  EXPECT_TRUE(HasLine(log, "new_noaa_tides: Can't find ref station: nope (4)"));
  auto station = tides->Open("1");
  EXPECT_TRUE(station->Events(kT0 + 10, kT0).empty());
  EXPECT_TRUE(HasLine(log, "new_noaa_tides: Bad time span start:1704067210 end:1704067200"));
  EXPECT_TRUE(station->Events(kT0 - 400 * 86400, kT0 - 399 * 86400).empty());
  EXPECT_TRUE(HasLine(log, "CNewTideStation::CachePredictions: 1 2022-"));
  EXPECT_TRUE(HasLine(log, "new_noaa_tides: No predictions found: key:1"));
  std::string error;
  EXPECT_FALSE(CJsonStationProvider::Open("new_noaa_tides", TideStationKind::Tide, folder_ / "none.db", error));
  EXPECT_TRUE(HasLine(log, "new_noaa_tides: Can't open database"));
}

}  // namespace
}  // namespace tarnwick
