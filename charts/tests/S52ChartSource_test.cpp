// Compiled features written into a SENC and portrayed through the chart
// source: class and attribute acronyms through the catalogue, parts with
// quality of position and depths, and the neighbour queries through the
// chart's tree (an obstruction in safe water, a safety contour edge).

#include <gtest/gtest.h>

#include <thread>

#include "charts/s52/S52ChartSource.h"
#include "charts/s52/S52Portrayal.h"
#include "charts/s57/S57Catalogue.h"
#include "charts/s57/SencWriter.h"

namespace tarnwick {
namespace {

S57Feature MakeFeature(const char* acronym, uint8_t prim, std::vector<std::pair<const char*, const char*>> attributes,
                       std::vector<std::vector<double>> parts, uint8_t quapos = 0) {
  S57Feature feature;
  feature.objl = *ObjectClassCode(acronym);
  feature.classCode = CompactClassCode(feature.objl);
  feature.prim = prim;
  for (const auto& [name, value] : attributes) {
    feature.attributes.emplace_back(*AttributeCode(name), static_cast<uint16_t>(feature.attributeText.size()));
    feature.attributeText += value;
    feature.attributeText += '\0';
  }
  for (auto& xy : parts) {
    S57GeometryPart part;
    part.quapos = quapos;
    part.xy = std::move(xy);
    for (size_t i = 0; i + 1 < part.xy.size(); i += 2) feature.box.Add(part.xy[i], part.xy[i + 1]);
    feature.parts.push_back(std::move(part));
  }
  return feature;
}

std::unique_ptr<CS57Chart> WriteChart(std::vector<S57Feature> features, uint32_t intu) {
  std::vector<ProjectedBox> boxes;
  for (size_t i = 0; i < features.size(); ++i) {
    features[i].index = static_cast<uint32_t>(i);
    boxes.push_back(features[i].box);
  }
  SencHeader header;
  header.intu = intu;
  std::string error;
  auto chart = CS57Chart::FromBytes(SerializeSenc(header, features, BuildSencQuadtree(boxes)), "TEST0001", error);
  EXPECT_TRUE(chart) << error;
  return chart;
}

TEST(S52ChartSource, PortraysSencFeatures) {
  std::vector<S57Feature> features;
  features.push_back(MakeFeature("DEPARE", kPrimArea, {{"DRVAL1", "20"}, {"DRVAL2", "30"}},
                                 {{0, 0, 100, 0, 100, 100, 0, 100, 0, 0}}));
  features.push_back(MakeFeature("DEPARE", kPrimArea, {{"DRVAL1", "2"}, {"DRVAL2", "20"}},
                                 {{100, 0, 200, 0, 200, 100, 100, 100, 100, 0}}));
  features.push_back(MakeFeature("OBSTRN", kPrimPoint, {{"VALSOU", "4.5"}}, {{50, 50}}, 4));
  S57Feature sounding = MakeFeature("SOUNDG", kPrimPoint, {}, {{150, 50, 160, 60}});
  sounding.parts[0].hasDepths = true;
  sounding.parts[0].depths = {3.2, 25};
  features.push_back(std::move(sounding));
  features.push_back(MakeFeature("M_NPUB", kPrimArea, {}, {}));  // no geometry: not in the SENC
  const auto chart = WriteChart(std::move(features), 5);
  ASSERT_TRUE(chart);
  const CS52ChartSource source(*chart, S52IsInlandCell(*chart));
  EXPECT_FALSE(source.Inland());
  EXPECT_FALSE(source.Feature(4));
  EXPECT_FALSE(source.Feature(99));

  CS52Library library;
  std::string error;
  ASSERT_TRUE(library.LoadArchive(TW_S52_ARCHIVE, error)) << error;
  CS52Portrayal portrayal(library);
  const S52MarinerSettings settings;

  const IS52Feature* danger = source.Feature(2);
  ASSERT_TRUE(danger);
  EXPECT_EQ(danger->Acronym(), "OBSTRN");
  EXPECT_EQ(danger->Attribute("VALSOU"), "4.5");
  EXPECT_FALSE(danger->Attribute("WATLEV"));
  EXPECT_FALSE(danger->Attribute("NOSUCH"));
  const S52PortrayedFeature obstruction = portrayal.PortrayWith(*danger, source, settings, 20240101);
  ASSERT_EQ(obstruction.commands.size(), 2u);
  EXPECT_EQ(obstruction.commands[0].name, "ISODGR01") << "a danger of 4.5 m in 20 m water";
  EXPECT_EQ(obstruction.commands[1].name, "LOWACC01") << "its point's QUAPOS 4";

  const S52PortrayedFeature safe = portrayal.PortrayWith(*source.Feature(0), source, settings, 20240101);
  ASSERT_EQ(safe.commands.size(), 2u);
  EXPECT_EQ(safe.commands[0].name, "DEPMD");
  EXPECT_EQ(safe.commands[1].runs, (std::vector<S52VertexRun>{{0, 1, 2}})) << "the edge shared with 2..20 m";

  const S52PortrayedFeature soundings = portrayal.PortrayWith(*source.Feature(3), source, settings, 20240101);
  ASSERT_EQ(soundings.commands.size(), 4u);
  EXPECT_EQ(soundings.commands[0].name, "SOUNDS13");
  EXPECT_EQ(soundings.commands[3].name, "SOUNDG05");
  EXPECT_EQ(soundings.commands[3].vertex, 1);
  // The cached path gives the same and keys by feature.
  EXPECT_EQ(portrayal.Portray(*source.Feature(3), source)->commands.size(), 4u);
  EXPECT_EQ(portrayal.CachedCount(), 1u);
  portrayal.Forget(source);
  EXPECT_EQ(portrayal.CachedCount(), 0u);
}

TEST(S52ChartSource, PortrayedFromSeveralThreadsAtOnce) {
  std::vector<S57Feature> features;
  for (int i = 0; i < 40; ++i) {
    const double x = 100.0 * i;
    features.push_back(MakeFeature("DEPARE", kPrimArea, {{"DRVAL1", i % 2 ? "20" : "5"}, {"DRVAL2", "30"}},
                                   {{x, 0, x + 100, 0, x + 100, 100, x, 100, x, 0}}));
    features.push_back(MakeFeature("OBSTRN", kPrimPoint, {{"VALSOU", "3"}}, {{x + 50, 50}}));
  }
  const auto chart = WriteChart(std::move(features), 5);
  ASSERT_TRUE(chart);
  const CS52ChartSource source(*chart, false);
  CS52Library library;
  std::string error;
  ASSERT_TRUE(library.LoadArchive(TW_S52_ARCHIVE, error)) << error;
  CS52Portrayal portrayal(library);
  std::vector<size_t> counts(4);
  std::vector<std::thread> threads;
  for (size_t t = 0; t < counts.size(); ++t)
    threads.emplace_back([&, t] {
      for (uint32_t i = 0; i < chart->FeatureCount(); ++i) counts[t] += portrayal.Portray(*source.Feature(i), source)->commands.size();
    });
  for (auto& thread : threads) thread.join();
  for (size_t count : counts) EXPECT_EQ(count, counts[0]);
  EXPECT_EQ(portrayal.CachedCount(), 80u);
}

TEST(S52ChartSource, InlandCellsUseTheInlandTables) {
  std::vector<S57Feature> features;
  features.push_back(MakeFeature("LNDARE", kPrimArea, {}, {{0, 0, 1, 0, 1, 1, 0, 0}}));
  const auto river = WriteChart(features, 7);
  const auto harbour = WriteChart(features, 5);
  ASSERT_TRUE(river && harbour);
  EXPECT_TRUE(S52IsInlandCell(*river));
  EXPECT_FALSE(S52IsInlandCell(*harbour));
}

}  // namespace
}  // namespace tarnwick
