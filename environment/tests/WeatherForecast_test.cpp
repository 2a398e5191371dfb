// Weather layers from GRIB files, values at a place and time, and their texts.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>

#include "core/tests/support/TestSupport.h"
#include "environment/grib/GribFile.h"
#include "environment/grib/GribGeometry.h"
#include "environment/grib/GribTime.h"
#include "environment/grib/WeatherFormat.h"
#include "environment/grib/WeatherLayerBuilder.h"
#include "environment/grib/WeatherLoad.h"
#include "environment/tests/GribTestRecords.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

fs::path GribData() {
  return testing::TestDataFolder() / "grib";
}

std::shared_ptr<const CWeatherForecast> Load(const std::string& name) {
  const WeatherLoadResult result = LoadWeatherFile(GribData() / name);
  EXPECT_TRUE(result.forecast) << name << ": " << result.message;
  return result.forecast;
}

int64_t At(const char* iso) {
  return *ParseUtc(iso);
}

TEST(WeatherLayers, GridsAreCutToSeventyDegreesByWholeRows) {
  // 10° rows from 90°N to 90°S; a row's value tells which it was (100000 + 100 × row from the north).
  const auto forecast = Load("fixtures/global_pressure.grb");
  const WeatherGrid& g = forecast->Grids().at(0);
  EXPECT_EQ(g.type, 3);
  EXPECT_DOUBLE_EQ(g.lat0, -70);
  EXPECT_EQ(g.nj, 15);
  EXPECT_EQ(g.ni, 36);
  EXPECT_TRUE(g.wraps);
  EXPECT_FLOAT_EQ(g.At(0, 0), 101600) << "the southern row is 70°S, row 16 from the north";
  EXPECT_FLOAT_EQ(g.At(35, 14), 100200) << "the northern row is 70°N";
}

TEST(WeatherLayers, TheProducersMissingValueIsMissingAndLoadingReportsProgress) {
  testing::CTempFolder temp;
  auto bytes = testing::BuildRecord({.parameter = 11, .bits = 0, .reference = 9.999e20});
  const auto second = testing::BuildRecord({.parameter = 11, .p1 = 6, .packed = {1, 2, 3, 4, 5, 6}});
  bytes.insert(bytes.end(), second.begin(), second.end());
  std::ofstream(temp / "two.grb", std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  std::vector<int> progress;
  const WeatherLoadResult result = LoadWeatherFile(temp / "two.grb", [&](int percent) { progress.push_back(percent); });
  ASSERT_TRUE(result.forecast);
  EXPECT_EQ(result.forecast->Grids().at(0).values, std::vector<float>(6, kGribMissing));
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
  ASSERT_GE(progress.size(), 2u);
  EXPECT_LT(progress.front(), 100);
  EXPECT_EQ(progress.back(), 100);
}

TEST(WeatherLayers, EditionTwoAloneGivesNoWeatherTypes) {
  testing::CTempFolder temp;
  const auto bytes = testing::Edition2Message(64);
  std::ofstream(temp / "two.grb", std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  const WeatherLoadResult result = LoadWeatherFile(temp / "two.grb");
  EXPECT_FALSE(result.forecast);
  EXPECT_EQ(result.message, kNoWeatherTypesMessage);
  EXPECT_EQ(result.otherEditions, 1u);
}

TEST(WeatherLayers, ACorruptRecordKeepsTheLayersBeforeIt) {
  testing::CTempFolder temp;
  auto bytes = testing::BuildRecord({.parameter = 11, .packed = {1, 2, 3, 4, 5, 6}});
  bytes.insert(bytes.end(), {'G', 'R', 'I', 'B', 0, 0, 40, 1, 0, 0});
  std::ofstream(temp / "cut.grb", std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  const WeatherLoadResult result = LoadWeatherFile(temp / "cut.grb");
  ASSERT_TRUE(result.forecast);
  EXPECT_TRUE(result.truncated);
  EXPECT_EQ(result.forecast->Types(), std::vector<int>{2});
}

TEST(WeatherLayers, ValuesBetweenPointsAcrossTheSeamAndBetweenTimes) {
  // 20° wind grid, columns 0..340 going round the Earth.
  const auto wind = Load("wind_20x20.grib");
  const WeatherGrid& u = *wind->Find(29, At("2024-05-14T12:00:00Z"));
  const int equator = static_cast<int>(std::lround(-u.lat0 / u.dlat));
  const double east = u.At(17, equator), west = u.At(0, equator);  // 340° and 0°
  const auto seam = wind->Value(29, 0, 350, At("2024-05-14T12:00:00Z"));
  ASSERT_TRUE(seam);
  EXPECT_NEAR(*seam, (east + west) / 2, 1e-5);
  EXPECT_NEAR(*wind->Value(29, 0, -10, At("2024-05-14T12:00:00Z")), *seam, 1e-9);
  EXPECT_FALSE(wind->Value(29, 0, 350, At("2024-05-14T13:00:00Z"))) << "after the last forecast time";

  // Currents: u = 1, v = -1 at step 0 and u = 0, v = 2 at step 6; halfway
  // the components are 0.5 and 0.5: towards the north-east.
  const auto currents = Load("fixtures/currents_uv.grb");
  const auto r = currents->Reading(35, 48, -7.5, At("2024-06-01T03:00:00Z"));
  ASSERT_TRUE(r);
  EXPECT_NEAR(r->value, std::sqrt(0.5), 1e-6);
  EXPECT_NEAR(*r->companion, 45, 1e-6);
  EXPECT_FALSE(currents->Reading(35, 52, -7.5, At("2024-06-01T03:00:00Z"))) << "north of the grid";
  EXPECT_FALSE(currents->Reading(36, 48, -7.5, At("2024-06-01T03:00:00Z"))) << "a v component alone";

  // Speed and direction pairs: direction 90 + 10 × row from the north, on the circle.
  const auto sd = Load("fixtures/currents_sd.grb");
  const auto c = sd->Reading(34, 47.25, -9.0, At("2024-06-01T00:00:00Z"));
  ASSERT_TRUE(c);
  EXPECT_NEAR(c->value, 0.5 + 0.1 * 2, 1e-4);
  EXPECT_NEAR(*c->companion, 90 + 10 * 5.5, 1e-3);
}

TEST(WeatherLayers, DirectionsTurnTheShortWayRound) {
  WeatherGrid a{.type = 16, .validTime = 0, .lat0 = 0, .lon0 = 0, .dlat = 1, .dlon = 1, .ni = 2, .nj = 1, .values = {350, 350}};
  WeatherGrid b = a;
  b.validTime = 3600;
  b.values = {30, 30};
  CWeatherForecast forecast({a, b});
  EXPECT_NEAR(*forecast.Value(16, 0, 0.5, 1800), 10, 1e-9);
  WeatherGrid across{.type = 16, .validTime = 0, .lat0 = 0, .lon0 = 0, .dlat = 1, .dlon = 1, .ni = 2, .nj = 1, .values = {340, 20}};
  EXPECT_NEAR(*CWeatherForecast({across}).Value(16, 0, 0.5, 0), 0, 1e-9);
}

TEST(WeatherLayers, MissingPointsGiveNoValueNearThem) {
  WeatherGrid g{.type = 7, .validTime = 0, .lat0 = 0, .lon0 = 0, .dlat = 1, .dlon = 1, .ni = 2, .nj = 2, .values = {1, 3, 2, kGribMissing}};
  EXPECT_FALSE(g.ValueAt(0.9, 0.9)) << "nearest to the missing point";
  EXPECT_NEAR(*g.ValueAt(0.2, 0.4), (0.8 * 0.6 * 1 + 0.8 * 0.4 * 3 + 0.2 * 0.6 * 2) / (1 - 0.2 * 0.4), 1e-6);
  EXPECT_FALSE(g.ValueAt(1.5, 0.5)) << "outside";
}

TEST(WeatherLayers, OneRecordPerTypeAndTimeNearestTheSurface) {
  const auto forecast = Load("uv_on_different_levels.grib");
  for (const WeatherGrid& g : forecast->Grids()) EXPECT_EQ(g.level, 1000) << g.type;
  EXPECT_EQ(LevelRank(29, 105, 10), 10);
  EXPECT_LT(LevelRank(29, 105, 10), LevelRank(29, 100, 1000));
  EXPECT_LT(LevelRank(32, 100, 500), LevelRank(32, 100, 1000));
}

TEST(WeatherLayers, ProjectedGridsAreResampledWhereTheirPointsLie) {
  // Every point of the rotated and the polar stereographic grid: its
  // position locates back to its own indices, and the layer reads its value
  // within the field's own roughness there (two bilinear steps).
  for (const char* name : {"rotated_ll.grib1", "CMC_reg_WIND_ISBL_300_ps60km_2010052400_P012.grib"}) {
    std::string error;
    const auto file = CGribFile::Open(GribData() / name, error);
    ASSERT_TRUE(file) << error;
    GribRecord record;
    ASSERT_EQ(ParseGribRecord(file->Data(), file->Size(), 0, record).status, GribParseStatus::Decoded);
    const auto geometry = CGribGeometry::Make(record.grid, error);
    ASSERT_TRUE(geometry) << error;
    const auto forecast = Load(name);
    const WeatherGrid& g = forecast->Grids().at(0);
    size_t close = 0, compared = 0;
    for (size_t k = 0; k < geometry->Count(); k += 97) {
      double lat = 0, lon = 0;
      geometry->Point(k, lat, lon);
      int i = 0, j = 0;
      geometry->IndexOf(k, i, j);
      const auto at = geometry->Locate(lat, lon);
      ASSERT_TRUE(at) << name << " " << k;
      EXPECT_NEAR(at->i, i, 1e-6) << name;
      EXPECT_NEAR(at->j, j, 1e-6) << name;
      const auto v = g.ValueAt(lat, lon);
      if (!v || i == 0 || j == 0 || i + 1 >= record.grid.ni || j + 1 >= record.grid.nj) continue;
      double rough = 0;
      for (int dj = -1; dj <= 1; ++dj)
        for (int di = -1; di <= 1; ++di)
          rough = std::max<double>(rough, std::fabs(record.values[geometry->PointNumber(i + di, j + dj)] - record.values[k]));
      EXPECT_LE(std::fabs(*v - record.values[k]), rough + 1e-3) << name << " point " << k;
      close += std::fabs(*v - record.values[k]) <= rough / 2 + 1e-3;
      ++compared;
    }
    EXPECT_GT(close, compared * 9 / 10) << name;
  }
}

TEST(WeatherLayers, GridRelativeWindsAreTurnedToTrueNorth) {
  // On a north polar stereographic grid the y axis at longitude LoV + a bears a.
  GribGrid ps{.representation = kGridPolarStereographic, .ni = 10, .nj = 10, .la1 = 40, .lo1 = -120,
              .resolutionFlags = kResolutionGridRelativeVectors, .scanMode = kScanJPositive,
              .orientation = -100, .dxMetres = 100000, .dyMetres = 100000};
  std::string why;
  const auto polar = CGribGeometry::Make(ps, why);
  ASSERT_TRUE(polar) << why;
  for (size_t k : {0, 9, 55, 99}) {
    double lat = 0, lon = 0;
    polar->Point(k, lat, lon);
    EXPECT_NEAR(std::remainder(polar->AxisBearing(lat, lon) - (lon - ps.orientation), 360), 0, 0.01) << k;
  }

  // A 10 m/s westerly everywhere, given along the axes of a rotated grid
  // whose y axis points at the rotated pole (40°N 170°W): turned back, it
  // reads 10 m/s from the west.
  testing::TestRecord layout{.table = 2, .parameter = 33, .representation = kGridRotatedLatLon, .ni = 21, .nj = 21,
                           .resolutionFlags = 0x88, .la1 = -10000, .lo1 = -10000, .la2 = 10000, .lo2 = 10000,
                           .southPoleLat = -40000, .southPoleLon = 10000};
  layout.scan = kScanJPositive;
  GribGrid grid{.representation = kGridRotatedLatLon, .ni = 21, .nj = 21, .la1 = -10, .lo1 = -10, .scanMode = kScanJPositive,
                .la2 = 10, .lo2 = 10, .di = 1, .dj = 1, .southPoleLat = -40, .southPoleLon = 10};
  const auto rotated = CGribGeometry::Make(grid, why);
  ASSERT_TRUE(rotated) << why;
  std::vector<double> u, v;
  constexpr double kDeg = 3.14159265358979323846 / 180;
  for (size_t k = 0; k < rotated->Count(); ++k) {
    double lat = 0, lon = 0;
    rotated->Point(k, lat, lon);
    // Initial great-circle bearing towards the rotated north pole.
    const double p = 40 * kDeg, dl = (-170 - lon) * kDeg, f = lat * kDeg;
    const double a = std::atan2(std::sin(dl) * std::cos(p), std::cos(f) * std::sin(p) - std::sin(f) * std::cos(p) * std::cos(dl));
    u.push_back(10 * std::cos(a));
    v.push_back(10 * std::sin(a));
  }
  CWeatherLayerBuilder builder;
  for (int component = 0; component < 2; ++component) {
    layout.parameter = 33 + component;
    testing::PackValues(component == 0 ? u : v, layout, &IbmFloat);
    const auto bytes = testing::BuildRecord(layout);
    GribRecord record;
    ASSERT_EQ(ParseGribRecord(bytes.data(), bytes.size(), 0, record).status, GribParseStatus::Decoded);
    ASSERT_TRUE(builder.Add(record, why)) << why;
  }
  const CWeatherForecast forecast = builder.Finish();
  ASSERT_EQ(forecast.Types(), (std::vector<int>{29, 30}));
  for (size_t k : {88, 110, 220, 300, 352}) {
    double lat = 0, lon = 0;
    rotated->Point(k, lat, lon);
    const auto r = forecast.Reading(29, lat, lon, *ParseUtc("2024-06-01"));
    ASSERT_TRUE(r) << k;
    EXPECT_NEAR(r->value, 10, 0.05) << k;
    EXPECT_NEAR(*r->companion, 270, 0.5) << k;
  }
}

TEST(WeatherLayers, CompressedFilesLoadAsTheirPlainTwins) {
  const auto plain = Load("fixtures/waves.grb");
  const auto expanded = Load("fixtures/waves.grb.bzz");
  ASSERT_EQ(plain->Grids().size(), expanded->Grids().size());
  EXPECT_EQ(plain->Types(), (std::vector<int>{7, 15, 13, 14, 10, 8, 9, 16, 17, 20, 19}));
  EXPECT_EQ(plain->ListedTypes(), (std::vector<int>{7, 15, 13, 10, 8, 16, 20}));
  EXPECT_EQ(plain->Times().size(), 2u);
}

TEST(WeatherFormat, TextsFollowTheUnitSettings) {
  const WeatherUnits metric{.speed = 1, .windSpeed = 0, .temperature = 0, .pressure = 0, .height = 0};
  const WeatherUnits english{};
  struct Row {
    WeatherReading reading;
    const char* metricText;
    const char* englishText;
  } rows[] = {
      {{3, 101325}, "1013 mb", "29.92 in"},
      {{2, 288.15}, "15.0 C", "59.0 F"},
      {{29, 10, 30, 225.0}, "10.0 m/s SW", "19.4 kn SW"},
      {{25, 5}, "5 m/s", "10 kn"},
      {{35, 1, 36, 10.0}, "3.6 km/h N", "1.9 kn N"},
      {{7, 2.5, 16, 300.0}, "2.5 m WNW", "8.2 ft WNW"},
      {{13, 1.6}, "2 m", "5 ft"},
      {{32, 5640}, "5640 m", "5640 m"},
      {{14, 7.4}, "7 sec", "7 sec"},
      {{31, 83.4}, "83 %", "83 %"},
      {{4, 12.7}, "12.7 mm", "0.50 in"},
      {{16, 271, 17, 9.0}, "271 \xC2\xB0T, 9 sec", "271 \xC2\xB0T, 9 sec"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(FormatWeatherReading(row.reading, metric), row.metricText) << row.reading.type;
    EXPECT_EQ(FormatWeatherReading(row.reading, english), row.englishText) << row.reading.type;
  }
  EXPECT_STREQ(CompassPoint(359), "N");
  EXPECT_STREQ(CompassPoint(-90), "W");
  EXPECT_STREQ(CompassPoint(191.25), "SSW");
}

}  // namespace
}  // namespace tarnwick
