// The GRIB1 record parser against ecCodes' reading of real files (the keys
// it printed for every message), and on records built byte by byte for the
// cases real files do not show.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "core/tests/support/TestSupport.h"
#include "environment/grib/GribFile.h"
#include "environment/grib/GribGeometry.h"
#include "environment/grib/GribParser.h"
#include "environment/grib/GribTime.h"
#include "environment/tests/GribTestRecords.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using testing::BuildRecord;
using testing::TestRecord;

fs::path GribData() {
  return testing::TestDataFolder() / "grib";
}

struct Parsed {
  std::vector<GribRecord> records;
  GribReadSummary summary;
};

Parsed ReadAll(const uint8_t* data, size_t size) {
  Parsed parsed;
  parsed.summary = ReadGribRecords(data, size, GribDecode::Values, [&](const GribRecord& r, const GribParseResult&) {
    parsed.records.push_back(r);
    return true;
  });
  return parsed;
}

Parsed ReadFile(const fs::path& path) {
  std::string error;
  const auto file = CGribFile::Open(path, error);
  EXPECT_TRUE(file) << path << ": " << error;
  return file ? ReadAll(file->Data(), file->Size()) : Parsed{};
}

Parsed ReadBytes(const std::vector<uint8_t>& bytes) {
  return ReadAll(bytes.data(), bytes.size());
}

// One line of ecCodes' keys, by key name.
using Keys = std::map<std::string, std::string>;

std::vector<Keys> OracleKeys(const fs::path& path) {
  std::ifstream in(path);
  std::string line;
  std::vector<std::string> names;
  std::vector<Keys> messages;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#' || line.find("ERROR") != std::string::npos) continue;
    std::istringstream words(line);
    std::vector<std::string> fields;
    for (std::string w; words >> w;) fields.push_back(w);
    if (names.empty()) {
      names = fields;
      continue;
    }
    Keys keys;
    for (size_t i = 0; i < names.size() && i < fields.size(); ++i) keys[names[i]] = fields[i];
    messages.push_back(keys);
  }
  return messages;
}

// Compares a number key unless ecCodes has no such key for the grid.
void ExpectNear(const Keys& keys, const std::string& name, double ours, double tolerance, const std::string& where) {
  const auto it = keys.find(name);
  if (it == keys.end() || it->second == "not_found") return;
  const double theirs = std::stod(it->second);
  EXPECT_NEAR(ours, theirs, tolerance * std::max(1.0, std::fabs(theirs))) << where << " " << name;
}

TEST(GribParser, AgreesWithEcCodesOnEveryRealFile) {
  size_t files = 0;
  for (const auto& entry : fs::directory_iterator(GribData() / "oracle")) {
    const std::string name = entry.path().filename().string();
    const std::string data = name.substr(name.find('_') + 1, name.size() - name.find('_') - 1 - std::string(".keys.txt").size());
    const Parsed parsed = ReadFile(GribData() / data);
    std::vector<Keys> oracle;
    for (const Keys& k : OracleKeys(entry.path()))
      if (k.at("edition") == "1") oracle.push_back(k);
    ++files;
    if (data == "era5-levels-corrupted.grib") {
      // The first record's length does not reach its end marker: reading ends there.
      EXPECT_TRUE(parsed.summary.corrupt);
      EXPECT_TRUE(parsed.records.empty());
      continue;
    }
    ASSERT_EQ(parsed.records.size(), oracle.size()) << data;
    for (size_t m = 0; m < oracle.size(); ++m) {
      const GribRecord& r = parsed.records[m];
      const Keys& k = oracle[m];
      const std::string where = data + " #" + std::to_string(m + 1);
      EXPECT_EQ(std::to_string(r.table), k.at("table2Version")) << where;
      EXPECT_EQ(std::to_string(r.parameter), k.at("indicatorOfParameter")) << where;
      EXPECT_EQ(std::to_string(r.level), k.at("level")) << where;
      if (r.referenceTime) {
        EXPECT_EQ(r.year * 10000 + r.month * 100 + r.day, std::stoi(k.at("dataDate"))) << where;
        EXPECT_EQ(r.hour * 100 + r.minute, std::stoi(k.at("dataTime"))) << where;
        const std::string step = k.at("stepRange");
        const double end = std::stod(step.substr(step.find('-') == std::string::npos ? 0 : step.find('-') + 1));
        EXPECT_DOUBLE_EQ(*r.offsetHours, end) << where;
      } else {
        EXPECT_EQ(data, "t_year_missing.grib") << "only the missing year has no date";
      }
      if (k.at("Ni") == "not_found" || !r.grid.Placeable()) continue;
      ExpectNear(k, "Ni", r.grid.ni, 0, where);
      ExpectNear(k, "Nj", r.grid.nj, 0, where);
      ExpectNear(k, "latitudeOfFirstGridPointInDegrees", r.grid.la1, 1e-9, where);
      ExpectNear(k, "longitudeOfFirstGridPointInDegrees", r.grid.lo1, 1e-9, where);
      ExpectNear(k, "latitudeOfLastGridPointInDegrees", r.grid.la2, 1e-9, where);
      ExpectNear(k, "longitudeOfLastGridPointInDegrees", r.grid.lo2, 1e-9, where);
      ExpectNear(k, "iDirectionIncrementInDegrees", r.grid.di, 1e-9, where);
      ExpectNear(k, "jScansPositively", (r.grid.scanMode & kScanJPositive) ? 1 : 0, 0, where);
      ExpectNear(k, "bitmapPresent", r.hasBitmap, 0, where);
      ExpectNear(k, "numberOfMissing", static_cast<double>(r.missingCount), 0, where);
      ExpectNear(k, "numberOfValues", static_cast<double>(r.pointCount - r.missingCount), 0, where);
      ExpectNear(k, "bitsPerValue", r.bitsPerValue, 0, where);
      ExpectNear(k, "referenceValue", r.referenceValue, 1e-9, where);
      double min = 1e300, max = -1e300, sum = 0;
      size_t present = 0;
      for (float v : r.values) {
        if (v == kGribMissing) continue;
        min = std::min<double>(min, v), max = std::max<double>(max, v), sum += v, ++present;
      }
      if (present == 0) continue;
      ExpectNear(k, "min", min, 1e-6, where);
      ExpectNear(k, "max", max, 1e-6, where);
      ExpectNear(k, "average", sum / static_cast<double>(present), 1e-6, where);
    }
  }
  EXPECT_GE(files, 30u);
}

TEST(GribParser, StepsOverOtherEditionsAndReadsZeroPaddedBlocks) {
  // An edition 2 message between two records, and records padded to 120-byte blocks.
  std::vector<uint8_t> file = BuildRecord({});
  const auto second = testing::Edition2Message(40);
  file.insert(file.end(), second.begin(), second.end());
  const auto third = BuildRecord({.parameter = 11, .packed = {1, 2, 3, 4, 5, 6}});
  file.insert(file.end(), third.begin(), third.end());
  file.resize(file.size() + 150, 0);
  file.insert(file.end(), third.begin(), third.end());
  const Parsed parsed = ReadBytes(file);
  EXPECT_EQ(parsed.summary.otherEditions, 1u);
  ASSERT_EQ(parsed.records.size(), 3u);
  EXPECT_EQ(parsed.records[2].parameter, 11);
  EXPECT_FALSE(parsed.summary.corrupt);

  // More than 100 bytes of something else ends the records.
  std::vector<uint8_t> noisy = BuildRecord({});
  noisy.resize(noisy.size() + 120, 'x');
  noisy.insert(noisy.end(), third.begin(), third.end());
  EXPECT_EQ(ReadBytes(noisy).records.size(), 1u);
}

TEST(GribParser, ACorruptRecordEndsReadingAndKeepsWhatWasRead) {
  const auto good = BuildRecord({.packed = {1, 2, 3, 4, 5, 6}});
  struct Row {
    const char* what;
    std::vector<uint8_t> bad;
  };
  std::vector<Row> rows;
  rows.push_back({"cut short", std::vector<uint8_t>(good.begin(), good.end() - 10)});
  auto noEnd = good;
  noEnd[noEnd.size() - 1] = 'x';
  rows.push_back({"no end marker", noEnd});
  auto longPds = good;
  longPds[10] = 0x7f;  // the product definition section claims more than the record
  rows.push_back({"section past the record", longPds});
  rows.push_back({"unknown edition", [&] { auto b = good; b[7] = 3; return b; }()});
  for (const Row& row : rows) {
    std::vector<uint8_t> file = good;
    file.insert(file.end(), row.bad.begin(), row.bad.end());
    file.insert(file.end(), good.begin(), good.end());
    const Parsed parsed = ReadBytes(file);
    EXPECT_TRUE(parsed.summary.corrupt) << row.what;
    EXPECT_EQ(parsed.summary.corruptOffset, good.size()) << row.what;
    EXPECT_EQ(parsed.records.size(), 1u) << row.what;
  }
}

TEST(GribParser, UnpacksEveryWidthAndTheScales) {
  for (int bits : {1, 3, 7, 8, 12, 16, 17, 24, 25, 26, 31, 32, 33, 47, 60}) {
    TestRecord layout{.ni = 7, .nj = 3, .bits = bits, .binaryScale = -1, .reference = -12.5};
    layout.decimalScale = 1;
    for (uint64_t k = 0; k < 21; ++k) layout.packed.push_back((k * 0x9E3779B97F4A7C15ull) >> (64 - bits));
    const Parsed parsed = ReadBytes(BuildRecord(layout));
    ASSERT_EQ(parsed.records.size(), 1u) << bits;
    const GribRecord& r = parsed.records[0];
    ASSERT_EQ(r.values.size(), 21u) << bits;
    for (size_t k = 0; k < 21; ++k) {
      const double expected = (static_cast<double>(layout.packed[k]) * 0.5 - 12.5) / 10;
      EXPECT_FLOAT_EQ(r.values[k], static_cast<float>(expected)) << bits << " bits, point " << k;
    }
  }
}

TEST(GribParser, BitMapsPlaceValuesAndMarkMissingPoints) {
  TestRecord layout{.bitmap = std::vector<bool>{true, false, true, false, false, true}, .bits = 8, .packed = {10, 20, 30}};
  const GribRecord r = ReadBytes(BuildRecord(layout)).records.at(0);
  EXPECT_EQ(r.missingCount, 3u);
  EXPECT_EQ(r.values, (std::vector<float>{10, kGribMissing, 20, kGribMissing, kGribMissing, 30}));

  // All bits 0: every point missing, and no packed data to read at all.
  TestRecord none{.bitmap = std::vector<bool>(6, false), .bits = 12};
  const GribRecord empty = ReadBytes(BuildRecord(none)).records.at(0);
  EXPECT_EQ(empty.values, std::vector<float>(6, kGribMissing));
  EXPECT_EQ(empty.missingCount, 6u);

  // Fewer packed values than the grid needs: the record is not read, the next one is.
  auto file = BuildRecord({.bits = 8, .packed = {1, 2, 3}});
  const auto next = BuildRecord({.packed = {1, 2, 3, 4, 5, 6}});
  file.insert(file.end(), next.begin(), next.end());
  const Parsed parsed = ReadBytes(file);
  ASSERT_EQ(parsed.records.size(), 2u);
  EXPECT_FALSE(parsed.records[0].decoded);
  EXPECT_TRUE(parsed.records[1].decoded);
}

TEST(GribParser, WithoutAGridDescriptionTheBitMapOrTheDataCount) {
  const GribRecord mapped = ReadBytes(BuildRecord({.gds = false, .bitmap = std::vector<bool>{true, false, true, true, false},
                                                   .bits = 8, .packed = {1, 2, 3}})).records.at(0);
  EXPECT_EQ(mapped.pointCount, 5u);
  EXPECT_EQ(mapped.missingCount, 2u);
  const GribRecord plain = ReadBytes(BuildRecord({.gds = false, .bits = 12, .packed = {7, 8, 9, 10}})).records.at(0);
  EXPECT_EQ(plain.values, (std::vector<float>{7, 8, 9, 10}));
  std::string why;
  EXPECT_FALSE(CGribGeometry::Make(plain.grid, why)) << "values without places";
}

TEST(GribParser, ForecastOffsetsByTimeUnit) {
  struct Row {
    int unit, p1, p2, range;
    double hours;
  } rows[] = {
      {254, 28, 32, 10, 2},   // seconds, P1 × 256 + P2 = 7200
      {0, 90, 0, 0, 1.5},     // minutes
      {1, 6, 0, 0, 6},        // hours
      {2, 2, 0, 0, 48},       // days
      {10, 3, 0, 0, 9},       // 3-hour steps
      {11, 2, 0, 0, 12},      // 6-hour steps
      {12, 1, 0, 0, 12},      // 12-hour steps
      {1, 0, 6, 4, 6},        // an accumulation is complete at its end
      {1, 10, 152, 10, 2712}, // a long step in two octets
      {3, 1, 0, 0, 30 * 24},  // a month from June 1st
      {99, 5, 0, 0, 5},       // unknown units are hours
  };
  for (const Row& row : rows) {
    const GribRecord r = ReadBytes(BuildRecord({.timeUnit = row.unit, .p1 = row.p1, .p2 = row.p2, .timeRange = row.range, .packed = {1, 2, 3, 4, 5, 6}})).records.at(0);
    ASSERT_TRUE(r.offsetHours) << row.unit;
    EXPECT_DOUBLE_EQ(*r.offsetHours, row.hours) << "unit " << row.unit << " P1 " << row.p1;
    EXPECT_EQ(*r.validTime - *r.referenceTime, static_cast<int64_t>(row.hours * 3600));
  }
  // Not a date: no times at all.
  const GribRecord bad = ReadBytes(BuildRecord({.month = 13, .packed = {1, 2, 3, 4, 5, 6}})).records.at(0);
  EXPECT_FALSE(bad.referenceTime);
  EXPECT_FALSE(bad.validTime);
}

TEST(GribParser, IbmFloats) {
  struct Row {
    uint32_t bits;
    double value;
  } rows[] = {{0x00000000, 0}, {0x41100000, 1}, {0x40800000, 0.5}, {0x42640000, 100},
              {0xC276A000, -118.625}, {0x3F100000, 1.0 / 256}, {0x80000000, 0}};
  for (const Row& row : rows) EXPECT_DOUBLE_EQ(IbmFloat(row.bits), row.value) << std::hex << row.bits;
}

TEST(GribTime, CalendarAndTexts) {
  const int64_t jan31 = *UtcSeconds(2024, 1, 31, 6, 0);
  EXPECT_EQ(FormatUtc(AddForecastTime(jan31, 3, 1)), "2024-02-29T06:00:00Z") << "the month's last day";
  EXPECT_EQ(FormatUtc(AddForecastTime(jan31, 4, 1)), "2025-01-31T06:00:00Z");
  EXPECT_EQ(FormatUtc(AddForecastTime(jan31, 3, -2)), "2023-11-30T06:00:00Z");
  EXPECT_FALSE(UtcSeconds(2023, 2, 29, 0, 0));
  struct Row {
    const char* text;
    std::optional<int64_t> seconds;
  } rows[] = {{"2011-10-08T06:00:00Z", 1318053600}, {"2011-10-08T06:00Z", 1318053600},
              {"2011-10-08 06:00:00", 1318053600},  {"2011-10-08", 1318032000},
              {"2011-10-08T06", std::nullopt},      {"2011-10-08T06:00:00+02", std::nullopt},
              {"2011-13-08", std::nullopt},         {"yesterday", std::nullopt}};
  for (const Row& row : rows) EXPECT_EQ(ParseUtc(row.text), row.seconds) << row.text;
}

TEST(GribFile, ExpandsBzip2AndRefusesDamagedOnes) {
  const fs::path fixtures = GribData() / "fixtures";
  const Parsed plain = ReadFile(fixtures / "waves.grb");
  const Parsed expanded = ReadFile(fixtures / "waves.grb.bzz");
  ASSERT_EQ(plain.records.size(), 22u);
  ASSERT_EQ(expanded.records.size(), plain.records.size());
  for (size_t i = 0; i < plain.records.size(); ++i) EXPECT_EQ(expanded.records[i].values, plain.records[i].values);

  testing::CTempFolder temp;
  std::ifstream in(fixtures / "waves.grb.bzz", std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), {});
  std::ofstream(temp / "cut.grb.bzz", std::ios::binary) << bytes.substr(0, bytes.size() / 2);
  std::string error;
  EXPECT_FALSE(CGribFile::Open(temp / "cut.grb.bzz", error));
  EXPECT_NE(error.find("expand"), std::string::npos) << error;
  EXPECT_FALSE(CGribFile::Open(temp / "none.grb", error));
}

}  // namespace
}  // namespace tarnwick
