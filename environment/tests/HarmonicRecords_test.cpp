// The text columns of harmonic databases, and a small database built here:
// constants by name (LDA2 on LAM2, unknown names skipped), height
// adjustments, meridians, station contents, keys of stations sharing an
// identifier, and stations opened by key or row.

#include <gtest/gtest.h>

#include <cmath>

#include "core/Log.h"
#include "core/Sqlite.h"
#include "core/tests/support/TestSupport.h"
#include "environment/tides/HarmonicProvider.h"
#include "environment/tides/HarmonicRecords.h"

namespace tarnwick {
namespace {

TEST(HarmonicRecords, TideconContent) {
  const auto constants = ParseTideconContent("M2 3.4440 138.60\nLDA2 0.0500 90\nRHO1 0.01 10\nSA-IOS 1 1\nK1 x 5\nS2 0.8");
  const size_t lam2 = static_cast<size_t>(*FindConstituent("LAM2"));
  const size_t rho = static_cast<size_t>(*FindConstituent("RHO"));
  ASSERT_EQ(constants.size(), std::max(lam2, rho) + 1) << "as many as the highest index found plus one";
  EXPECT_DOUBLE_EQ(constants[0].amplitude, 3.444);
  EXPECT_NEAR(constants[0].phase, 138.6 * M_PI / 180, 1e-12);
  EXPECT_DOUBLE_EQ(constants[lam2].amplitude, 0.05);
  EXPECT_NEAR(constants[lam2].phase, M_PI / 2, 1e-12);
  EXPECT_DOUBLE_EQ(constants[rho].amplitude, 0.01);
  EXPECT_EQ(constants[3].amplitude, 0) << "K1 with a bad amplitude is skipped";
  EXPECT_EQ(constants[1].amplitude, 0) << "an incomplete triple is skipped";
}

TEST(HarmonicRecords, AdjustmentsAndMeridians) {
  struct Row {
    const char* text;
    bool ok;
    double multiplier;
    double offset;
  } rows[] = {{"*1.05", true, 1.05, 0}, {"+0.3", true, 1, 0.3}, {"-0.25", true, 1, -0.25},
              {"0.4", true, 1, 0.4},    {"", true, 1, 0},        {"*", false, 0, 0},
              {"x1", false, 0, 0},      {"+0.3ft", false, 0, 0}};
  for (const Row& row : rows) {
    const auto a = ParseHeightAdjustment(row.text);
    ASSERT_EQ(a.has_value(), row.ok) << row.text;
    if (!a) continue;
    EXPECT_DOUBLE_EQ(a->multiplier, row.multiplier) << row.text;
    EXPECT_DOUBLE_EQ(a->offset, row.offset) << row.text;
  }
  EXPECT_EQ(ParseMeridian("-08:00"), -480);
  EXPECT_EQ(ParseMeridian("+05:30"), 330);
  EXPECT_FALSE(ParseMeridian("08:00"));
  EXPECT_FALSE(ParseMeridian("+08:75"));
  EXPECT_EQ(MeridianText(-570), "-09:30");
}

TEST(HarmonicRecords, StationContentReadsBackAndRefusesNonsense) {
  HarmonicStationContent c;
  c.units = "knots^2";
  c.meridianMinutes = -300;
  c.meanLevel = 0.2;
  c.referenceId = "ACT1";
  c.highTimeMinutes = 74;
  c.low.multiplier = 0.8;
  c.ebbBeginsMinutes = -20;
  c.floodDirection = 45;
  std::string error;
  const auto back = ParseStationContent(StationContentJson(c, true), error);
  ASSERT_TRUE(back) << error;
  EXPECT_TRUE(back->Hydraulic());
  EXPECT_TRUE(back->Subordinate());
  EXPECT_EQ(back->meridianMinutes, -300);
  EXPECT_EQ(back->highTimeMinutes, 74);
  EXPECT_DOUBLE_EQ(back->low.multiplier, 0.8);
  EXPECT_EQ(back->floodDirection, 45);
  // Slack offsets: given ones as they are, a missing one the mean of the maxima's.
  const SubordinateCorrections s = CorrectionsOf(*back);
  EXPECT_EQ(s.ebbBeginsOffset, -1200);
  EXPECT_EQ(s.floodBeginsOffset, 37 * 60);
  for (const char* bad : {"[]", "{\"units\":\"furlongs\"}", "{\"time-meridian\":\"8\"}",
                          "{\"high-tide-height-adjustment\":\"*x\"}", "not json"}) {
    EXPECT_FALSE(ParseStationContent(bad, error)) << bad;
    EXPECT_FALSE(error.empty());
  }
}

TEST(HarmonicProvider, KeysAndOpening) {
  testing::CTempFolder folder;
  const auto path = folder / "h.db";
  {
    CSqliteDatabase db;
    ASSERT_EQ(db.Open(path), SQLITE_OK);
    ASSERT_EQ(db.Exec("CREATE TABLE YEARDATA (year INTEGER PRIMARY KEY, data BLOB);"
                      "CREATE TABLE TIDECON (StationIndex INTEGER, Name TEXT, Content TEXT);"
                      "CREATE TABLE Stations (StationID TEXT, Type TEXT, Name TEXT, Latitude REAL, Longitude REAL,"
                      " Area TEXT, SubArea TEXT, Content TEXT, ConstituentID INTEGER);"
                      "INSERT INTO TIDECON VALUES (7, 'Ref', 'M2 2.0 0');"
                      "INSERT INTO Stations VALUES ('100', 'tide', 'Ref', 10, 20, '', '', '{\"units\":\"meters\",\"mean-tide-level\":1.5}', 7);"
                      "INSERT INTO Stations VALUES ('100', 'tide', 'Ref (sub)', 10, 20, '', '',"
                      " '{\"units\":\"meters\",\"reference-station-id\":\"100\",\"high-tide-time-adjustment\":10}', 7);"
                      "INSERT INTO Stations VALUES ('C9', 'current', 'Pass', 11, 21, '', '', '{\"units\":\"knots\"}', 7);"
                      "INSERT INTO Stations VALUES ('200', 'tide', 'Broken', 12, 22, '', '', 'nonsense', 7);"),
              SQLITE_OK);
    HarmonicYear y;
    y.nodeFactor.fill(1);
    CSqliteStatement year(db, "INSERT INTO YEARDATA VALUES (:year, :data);");
    for (int64_t yr : {2024, 2025}) {
      year.Reset();
      ASSERT_TRUE(year.Bind(":year", yr) && year.BindBlob(":data", EncodeYearBlob(y)));
      ASSERT_EQ(year.Step(), SQLITE_DONE);
    }
  }
  std::string error;
  auto tides = CHarmonicProvider::Open("noaa_tides", TideStationKind::Tide, path, nullptr, error);
  ASSERT_TRUE(tides) << error;
  const auto stations = tides->Stations();
  ASSERT_EQ(stations.size(), 3u);
  EXPECT_EQ(stations[0].url, "tide://noaa_tides/100");
  EXPECT_EQ(stations[1].url, "tide://noaa_tides/row-2") << "a second station of the same identifier goes by row";
  EXPECT_FALSE(stations[1].reference);
  auto reference = tides->Open("100");
  ASSERT_TRUE(reference);
  EXPECT_NEAR(*reference->Value(1704067200), 3.5, 1e-9) << "datum 1.5 + M2 2.0 at its crest";
  auto sub = tides->Open("row-2");
  ASSERT_TRUE(sub);
  EXPECT_EQ(sub->Summary().name, "Ref (sub)");
  const auto ref = reference->Events(1704067200 + 3600, 1704067200 + 86400);
  const auto shifted = sub->Events(1704067200 + 3600, 1704067200 + 86400);
  ASSERT_FALSE(ref.empty());
  ASSERT_EQ(shifted.size(), ref.size());
  for (size_t i = 0; i < ref.size(); ++i) {
    EXPECT_EQ(shifted[i].time, shifted[i].refTime + (shifted[i].type == kTideHigh ? 600 : 0));
    EXPECT_NEAR(static_cast<double>(shifted[i].refTime), static_cast<double>(ref[i].time), kZeroPrecision);
  }
  CLogCapture log;
  EXPECT_FALSE(tides->Open("C9")) << "a current station is not a tide station";
  EXPECT_FALSE(tides->Open("200"));
  EXPECT_FALSE(tides->Open("row-x"));
  EXPECT_EQ(log.Lines().size(), 3u);
  EXPECT_NE(log.Lines()[1].find("noaa_tides: Invalid object: 200"), std::string::npos);
  EXPECT_FALSE(CHarmonicProvider::Open("noaa_tides", TideStationKind::Tide, folder / "none.db", nullptr, error));
}

}  // namespace
}  // namespace tarnwick
