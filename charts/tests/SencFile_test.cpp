// The SENC file: written features read back through the mapped view (header,
// properties, attributes, parts with depths), tree queries against a brute
// force search, version 3 headers, damaged files refused, and the file
// replacement on disk.

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "charts/s57/S57Chart.h"
#include "charts/s57/SencWriter.h"
#include "core/tests/support/TestSupport.h"

namespace tarnwick {
namespace {

S57Feature MakeFeature(uint16_t objl, uint8_t prim,
                       std::vector<std::pair<uint16_t, std::string>> attributes,
                       std::vector<S57GeometryPart> parts) {
  S57Feature f;
  f.objl = objl;
  f.classCode = CompactClassCode(objl);
  f.prim = prim;
  for (auto& [code, value] : attributes) {
    f.attributes.push_back({code, static_cast<uint16_t>(f.attributeText.size())});
    f.attributeText += value;
    f.attributeText += '\0';
  }
  f.parts = std::move(parts);
  for (const auto& part : f.parts)
    for (size_t i = 0; i < part.Count(); ++i) f.box.Add(part.xy[2 * i], part.xy[2 * i + 1]);
  return f;
}

S57GeometryPart Part(std::vector<double> xy, uint8_t quapos = 0, bool interior = false,
                     std::vector<double> depths = {}) {
  S57GeometryPart part;
  part.xy = std::move(xy);
  part.quapos = quapos;
  part.interior = interior;
  part.hasDepths = !depths.empty();
  part.depths = std::move(depths);
  return part;
}

SencHeader Header() {
  SencHeader h;
  h.cscl = 52000;
  h.intu = 5;
  h.edtn = 9;
  h.updn = 8;
  h.uadt = 20120918;
  h.isdt = 20120907;
  h.sted = 3.1f;
  h.prsp = 1;
  h.pred = 2.0f;
  h.agen = 550;
  h.hdat = 2;
  h.vdat = 12;
  h.sdat = 12;
  h.title = "Test cell";
  return h;
}

std::vector<S57Feature> Features() {
  std::vector<S57Feature> f;
  f.push_back(MakeFeature(17, kPrimPoint, {{75, "3,4"}, {133, "22000"}},
                          {Part({1000.5, 2000.25}, 4)}));
  f.push_back(MakeFeature(129, kPrimPoint, {}, {Part({10, 20, 30, 40}, 0, false, {5.5, -1.2})}));
  f.push_back(MakeFeature(42, kPrimArea, {{87, "5.5"}, {88, ""}},
                          {Part({0, 0, 100, 0, 100, 100, 0, 0}, 2),
                           Part({10, 10, 20, 10, 20, 20, 10, 10}, 0, true)}));
  f.push_back(MakeFeature(400, 0, {{116, "no geometry"}}, {}));
  f.push_back(MakeFeature(17011, kPrimLine, {}, {Part({-50, -60, -40, -45})}));
  for (uint32_t i = 0; i < f.size(); ++i) f[i].index = i;
  return f;
}

std::string Serialize(const SencHeader& header, const std::vector<S57Feature>& features) {
  std::vector<ProjectedBox> boxes;
  for (const auto& f : features) boxes.push_back(f.box);
  return SerializeSenc(header, features, BuildSencQuadtree(boxes));
}

std::unique_ptr<CS57Chart> Load(std::string bytes, std::string* error = nullptr) {
  std::string message;
  auto chart = CS57Chart::FromBytes(std::move(bytes), "US1AK90M.tksenc", message);
  if (error) *error = message;
  return chart;
}

TEST(SencFile, FeaturesReadBackAsWritten) {
  const auto features = Features();
  auto chart = Load(Serialize(Header(), features));
  ASSERT_TRUE(chart);
  EXPECT_EQ(chart->Header().version, 4u);
  EXPECT_EQ(chart->Header().featureCount, 5u);
  EXPECT_EQ(chart->Header().title, "Test cell");
  EXPECT_FLOAT_EQ(chart->Header().sted, 3.1f);
  EXPECT_EQ(chart->Extent(), (ProjectedBox{2000.25, -50, -60, 1000.5}));

  for (const S57Feature& f : features) {
    SCOPED_TRACE(f.index);
    const auto view = chart->Feature(f.index);
    if (f.parts.empty()) {
      EXPECT_FALSE(view);  // not in the tree, not in the file
      continue;
    }
    ASSERT_TRUE(view);
    EXPECT_EQ(view->Index(), f.index);
    EXPECT_EQ(view->Objl(), f.objl);
    EXPECT_EQ(view->Prim(), f.prim);
    EXPECT_EQ(view->Box(), f.box);
    ASSERT_EQ(view->AttributeCount(), f.attributes.size());
    for (uint32_t i = 0; i < view->AttributeCount(); ++i) {
      EXPECT_EQ(view->AttributeCode(i), f.attributes[i].first);
      EXPECT_EQ(view->AttributeValue(i), f.AttributeValue(i));
    }
    ASSERT_EQ(view->PartCount(), f.parts.size());
    size_t p = 0;
    for (const S57PartView part : view->Parts()) {
      const S57GeometryPart& want = f.parts[p++];
      EXPECT_EQ(part.Quapos(), want.quapos);
      EXPECT_EQ(part.Interior(), want.interior);
      EXPECT_EQ(part.HasDepths(), want.hasDepths);
      ASSERT_EQ(part.Count(), want.Count());
      for (uint32_t i = 0; i < part.Count(); ++i) {
        EXPECT_EQ(part.Point(i).x, want.xy[2 * i]);
        EXPECT_EQ(part.Point(i).y, want.xy[2 * i + 1]);
        if (want.hasDepths) {
          EXPECT_EQ(part.Depth(i), want.depths[i]);
        }
      }
    }
  }
  const auto buoy = chart->Feature(0);
  EXPECT_EQ(buoy->Scamin(), 22000);
  EXPECT_EQ(buoy->Attribute(75), "3,4");
  EXPECT_FALSE(buoy->Attribute(116));
  EXPECT_EQ(chart->Feature(4)->ClassCode(), 523);  // Inland 17011 compacted
  EXPECT_FALSE(chart->Feature(5));
}

TEST(SencFile, PropertiesAndInfoTexts) {
  auto chart = Load(Serialize(Header(), Features()));
  ASSERT_TRUE(chart);
  const std::vector<std::pair<std::string, std::string>> properties = {
      {"Name", "US1AK90M.000"},
      {"Source", "Office of Coast Survey, USA"},
      {"Edition", "9"},
      {"Update", "8"},
      {"SoundingDatum", "Mean lower low water"},
      {"IntendedUsage", "Harbor"},
      {"UpdateApplicationDate", "9/18/2012"},
      {"Updated", "9/7/2012"},
      {"IssueDate", "9/7/2012"}};
  EXPECT_EQ(chart->Properties(), properties);
  const std::vector<std::pair<std::string, std::string>> info = {
      {"Scale", "Vector Chart (1:52,000)"}, {"Projection", "Mercator"},
      {"Datum", "WGS 84"},                  {"VerticalDatum", "Mean lower low water"},
      {"SoundingDatum", "Mean lower low water"}, {"Depth Units", "meters"}};
  EXPECT_EQ(chart->InfoProperties(), info);
  EXPECT_EQ(IntendedUsageText(0), "Overlay");
  EXPECT_EQ(IntendedUsageText(9), "River Berthing");
}

TEST(SencFile, TreeQueryFindsWhatABruteForceSearchFinds) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> coord(-1e6, 1e6);
  std::uniform_real_distribution<double> size(0, 2e4);
  std::vector<S57Feature> features;
  for (uint32_t i = 0; i < 2000; ++i) {
    const double x = coord(random), y = coord(random);
    // Points, small boxes and a few boxes across the middle of the chart.
    const double w = i % 3 == 0 ? 0 : size(random) * (i % 97 == 0 ? 50 : 1);
    features.push_back(MakeFeature(42, kPrimArea, {}, {Part({x, y, x + w, y + w / 2})}));
    features.back().index = i;
  }
  auto chart = Load(Serialize(Header(), features));
  ASSERT_TRUE(chart);
  for (int q = 0; q < 50; ++q) {
    const double x = coord(random), y = coord(random), w = size(random) * 10;
    const ProjectedBox view{y + w, x, y, x + w};
    std::set<uint32_t> found, expected;
    chart->Query(view, [&](const S57FeatureView& f) { EXPECT_TRUE(found.insert(f.Index()).second); });
    for (const auto& f : features)
      if (f.box.Meets(view)) expected.insert(f.index);
    EXPECT_EQ(found, expected) << "view " << q;
  }
}

TEST(SencFile, Version3HeadersOpenWithTheirDefaults) {
  for (uint32_t agen : {550u, 16206u}) {
    SencHeader header = Header();
    header.agen = agen;
    std::vector<S57Feature> one{MakeFeature(42, kPrimArea, {{87, "1"}}, {Part({0, 0, 5, 5})})};
    const std::string v4 = Serialize(header, one);
    // The same file with the 312-byte header: every offset moves 16 bytes down.
    std::string v3(senc::kHeaderSize3, '\0');
    const uint32_t fields[] = {3, header.cscl, header.intu, header.edtn, header.updn,
                               header.uadt, header.isdt, header.agen, header.hdat, header.vdat,
                               header.sdat};
    std::memcpy(v3.data(), fields, sizeof fields);
    std::memcpy(&v3[senc::kV3OffTitle], "Old title", 9);
    const uint32_t count = 1, offset = senc::Load32(reinterpret_cast<const uint8_t*>(v4.data()) + 328) - 16;
    std::memcpy(&v3[senc::kV3OffFeatureCount], &count, 4);
    v3.append(reinterpret_cast<const char*>(&offset), 4);
    v3 += v4.substr(senc::kHeaderSize4 + 4);
    auto chart = Load(v3);
    ASSERT_TRUE(chart) << agen;
    EXPECT_EQ(chart->Header().version, 3u);
    EXPECT_EQ(chart->Header().edtn, 9u);
    EXPECT_EQ(chart->Header().updn, 8u);
    EXPECT_EQ(chart->Header().title, "Old title");
    EXPECT_FLOAT_EQ(chart->Header().sted, 3.1f);
    EXPECT_EQ(chart->Header().prsp, agen == 16206 ? 10u : 1u);
    EXPECT_FLOAT_EQ(chart->Header().pred, agen == 16206 ? 2.1f : 2.0f);
    ASSERT_TRUE(chart->Feature(0));
    EXPECT_EQ(chart->Feature(0)->Attribute(87), "1");
  }
}

TEST(SencFile, DamagedFilesAreRefused) {
  const std::string good = Serialize(Header(), Features());
  const size_t table = senc::kHeaderSize4;
  const size_t root = table + 5 * 4;
  auto put32 = [](std::string bytes, size_t at, uint32_t value) {
    std::memcpy(&bytes[at], &value, 4);
    return bytes;
  };
  const uint32_t firstFeature = senc::Load32(reinterpret_cast<const uint8_t*>(good.data()) + table);
  struct Case {
    const char* what;
    std::string bytes;
    const char* message;
  } cases[] = {
      {"empty", "", "(too short)"},
      {"unknown version", put32(good, 0, 7), "Invalid SENC version: 7 in US1AK90M"},
      {"header size word", put32(good, 4, 312), "(too short)"},
      {"cut in the header", good.substr(0, 200), "(too short)"},
      {"feature count beyond the file", put32(good, senc::kOffFeatureCount, 1u << 30), "(too short)"},
      {"child before its parent", put32(good, root + 32, static_cast<uint32_t>(table)), "damaged tree"},
      {"child outside the file", put32(good, root + 32, static_cast<uint32_t>(good.size())), "damaged tree"},
      {"node index past the table", put32(good, root + 52, 99), "damaged tree at 348"},
      {"record offset outside", put32(good, table, static_cast<uint32_t>(good.size() - 8)), "misplaced"},
      {"record of another feature", put32(good, table, senc::Load32(reinterpret_cast<const uint8_t*>(good.data()) + table + 4)), "misplaced"},
      {"attribute offset past the text", put32(good, firstFeature + 46, 0x7FFF), "damaged attributes"},
      {"point count past the end", put32(good, firstFeature + 44 + 8 + 12, 0xFFFFFFE0u), "damaged geometry"},
      {"cut in the records", good.substr(0, good.size() - 4), "damaged geometry"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(Load(c.bytes, &error)) << c.what;
    EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ": " << error;
  }
}

TEST(SencFile, WritingReplacesTheOldFileWholly) {
  testing::CTempFolder folder;
  const auto path = folder / "CELL.tksenc";
  testing::WriteFile(path, "old contents");
  const std::string bytes = Serialize(Header(), Features());
  ASSERT_TRUE(WriteSencFile(path, bytes));
  EXPECT_EQ(testing::ReadFile(path), bytes);
  EXPECT_FALSE(std::filesystem::exists(folder / "CELL.tksenc.new"));
  std::string error;
  auto chart = CS57Chart::Open(path, error);
  ASSERT_TRUE(chart) << error;
  EXPECT_EQ(chart->CellName(), "CELL");
  EXPECT_FALSE(WriteSencFile(folder / "missing" / "CELL.tksenc", bytes));
}

}  // namespace
}  // namespace tarnwick
