#include "core/geo/Datum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace tarnwick {
namespace {

TEST(Datum, EllipsoidTableHasEveryCodeOnceWithOneDefiningValue) {
  const auto table = EllipsoidTable();
  EXPECT_EQ(table.size(), 42u);
  std::set<int> codes;
  for (const EllipsoidRow& r : table) {
    EXPECT_TRUE(codes.insert(r.epsgCode).second) << r.epsgCode;
    EXPECT_GE(r.epsgCode, 7001);
    EXPECT_LE(r.epsgCode, 7051);
    EXPECT_GT(r.semiMajor, 6370000.0) << r.epsgCode;
    EXPECT_LT(r.semiMajor, 6380000.0) << r.epsgCode;
    EXPECT_TRUE((r.inverseFlattening == 0.0) != (r.semiMinor == 0.0)) << r.epsgCode;
  }
}

TEST(Datum, EllipsoidValuesAndDerivedAxes) {
  struct Row {
    int code;
    const char* name;
    double a, b, invf;
  } rows[] = {
      {7030, "WGS 84", 6378137.0, 6356752.314245179, 298.257223563},
      {7043, "WGS 72", 6378135.0, 6356750.520016094, 298.26},
      {7008, "Clarke 1866", 6378206.4, 6356583.8, 294.978698213898},
      {7019, "GRS 1980", 6378137.0, 6356752.314140356, 298.257222101},
      {7022, "International 1924", 6378388.0, 6356911.946127946, 297.0},
      {7035, "Sphere", 6371000.0, 6371000.0, 0.0},
      {7048, "GRS 1980 Authalic Sphere", 6371007.0, 6371007.0, 0.0},
      {7034, "Clarke 1880", 6378249.145, 6356514.966, 293.466302316},
  };
  for (const Row& r : rows) {
    const std::optional<Ellipsoid> e = FindEllipsoid(r.code);
    ASSERT_TRUE(e.has_value()) << r.code;
    EXPECT_STREQ(e->name, r.name);
    EXPECT_EQ(e->semiMajor, r.a);
    EXPECT_NEAR(e->semiMinor, r.b, 1e-6) << r.code;
    EXPECT_NEAR(e->inverseFlattening, r.invf, 1e-6) << r.code;
  }
  EXPECT_FALSE(FindEllipsoid(7017).has_value());
  EXPECT_FALSE(FindEllipsoid(0).has_value());
}

TEST(Datum, FindDatumByItsSpellings) {
  struct Row {
    const char* name;
    int code;  // 0: none
  } rows[] = {
      {"WGS84", 6326},  {"wgs-84", 6326}, {"WGS 84", 6326}, {"NAD83", 6326},
      {"nad-83", 6326}, {"NAD 83", 6326}, {"WGS72", 6322},  {"Wgs-72", 6322},
      {"WGS 72", 6322}, {"NAD27", 6267},  {"nad-27", 6267}, {"NAD 27", 6267},
      {"NAD 1927", 0},  {"", 0},          {"WGS  84", 0},   {"ED50", 0},
  };
  for (const Row& r : rows) {
    const std::optional<CDatum> d = FindDatum(r.name);
    EXPECT_EQ(d.has_value(), r.code != 0) << r.name;
    if (d) {
      EXPECT_EQ(d->EpsgCode(), r.code) << r.name;
    }
  }
}

// Reference shifts from PROJ 9.1.1 (three-parameter Helmert through
// geocentric coordinates):
//   cs2cs +proj=longlat +ellps=clrk66 +towgs84=-8,160,176 +to +proj=longlat +datum=WGS84
// Molodensky agrees with it to well under a metre (1e-5 degrees).
TEST(Datum, ShiftToWgs84MatchesProj) {
  struct Row {
    const CDatum& from;
    LatLon in, out;
  } rows[] = {
      {Nad27Datum(), {47.6083, -122.335}, {47.608105199, -122.336228092}},
      {Nad27Datum(), {0, 0}, {0.001591675, 0.001437291}},
      {Nad27Datum(), {30, -90}, {30.000241123, -90.000082914}},
      {Nad27Datum(), {-10, 20}, {-9.997625536, 20.001396250}},
      {Wgs72Datum(), {47.6083, -122.335}, {47.608332163, -122.335}},
      {Wgs72Datum(), {0, 0}, {0.000045218, 0}},
      {Wgs84Datum(), {12.5, 34.5}, {12.5, 34.5}},
  };
  for (const Row& r : rows) {
    const LatLon p = Wgs84Datum().ToDatum(r.from, r.in);
    EXPECT_NEAR(p.lat, r.out.lat, 1e-5) << r.from.Name() << " " << r.in.lat << "," << r.in.lon;
    EXPECT_NEAR(p.lon, r.out.lon, 1e-5) << r.from.Name() << " " << r.in.lat << "," << r.in.lon;
  }
}

TEST(Datum, ShiftThereAndBackReturnsNearTheStart) {
  const LatLon start{40.0, -75.0};
  const LatLon wgs = Wgs84Datum().ToDatum(Nad27Datum(), start);
  const LatLon back = Nad27Datum().ToDatum(Wgs84Datum(), wgs);
  EXPECT_NEAR(back.lat, start.lat, 1e-7);
  EXPECT_NEAR(back.lon, start.lon, 1e-7);
  const LatLon pole = Wgs84Datum().ToDatum(Nad27Datum(), 90.0, 45.0);
  EXPECT_TRUE(std::isfinite(pole.lat));
  EXPECT_EQ(pole.lon, 45.0);
}

}  // namespace
}  // namespace tarnwick
