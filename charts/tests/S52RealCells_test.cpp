// Every feature of the real test cells through the whole portrayal: each
// class of the catalogue finds its own look-up entry (none falls to the
// question mark), and every feature gets drawing commands unless the library
// draws it by text alone or not at all. With spot checks of what the
// navigator must see: the safety contour, isolated dangers, light sectors,
// inland tables for inland cells.

#include <gtest/gtest.h>

#include <filesystem>

#include "charts/s52/S52ChartSource.h"
#include "charts/s52/S52Portrayal.h"
#include "charts/s57/S57Catalogue.h"
#include "charts/s57/S57ChartReader.h"
#include "charts/s57/SencWriter.h"
#include "core/tests/support/TestSupport.h"

namespace tarnwick {
namespace {

struct CellSummary {
  size_t features = 0;
  size_t portrayed = 0;
  size_t safetyContour = 0;
  size_t isolatedDangers = 0;
  size_t sectors = 0;
  size_t inlandTables = 0;
};

// Whether an instruction draws nothing but texts (or nothing at all).
bool TextOnly(const S52Program& program) {
  for (const auto& step : program.steps)
    if (step.step != S52Step::Text && step.step != S52Step::FormattedText) return false;
  return true;
}

class S52RealCells : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    library_ = new CS52Library;
    std::string error;
    ASSERT_TRUE(library_->LoadArchive(TW_S52_ARCHIVE, error)) << error;
  }
  static void TearDownTestSuite() { delete library_; }

  CellSummary Portray(const std::filesystem::path& cellPath) {
    CellSummary summary;
    std::string error;
    CS57ChartReader reader(folder_.Path());
    const auto cell = reader.Compile(cellPath, true, error);
    EXPECT_TRUE(cell) << cellPath << ": " << error;
    if (!cell) return summary;
    const auto chart =
        CS57Chart::FromBytes(SerializeSenc(SencHeaderOf(cell->header), cell->features, cell->tree), "cell", error);
    EXPECT_TRUE(chart) << error;
    if (!chart) return summary;
    const CS52ChartSource source(*chart, S52IsInlandCell(*chart));
    S52MarinerSettings settings;
    settings.showOtherText = settings.showLightDescriptions = true;
    const CS52Portrayal portrayal(*library_);
    for (const S57Feature& f : cell->features) {
      ++summary.features;
      const IS52Feature* feature = source.Feature(f.index);
      if (!feature) continue;  // no geometry: nothing to draw
      ++summary.portrayed;
      const S52PortrayedFeature p = portrayal.PortrayWith(*feature, source, settings, 20240715);
      const std::string where = cellPath.filename().string() + " " + std::string(feature->Acronym()) +
                                " fidn " + std::to_string(f.fidn);
      if (!feature->Acronym().empty()) {
        EXPECT_FALSE(p.unknownObject) << where;
        EXPECT_TRUE(p.entry && p.entry->className == feature->Acronym()) << where;
      }
      if (p.commands.empty()) {
        EXPECT_TRUE(p.entry && TextOnly(p.entry->program)) << where;
      }
      if (p.table.rfind("IENC_", 0) == 0) ++summary.inlandTables;
      for (const auto& c : p.commands) {
        if (c.name == "DEPSC") ++summary.safetyContour;
        if (c.name == "ISODGR01") ++summary.isolatedDangers;
        if (c.op == S52Op::Arc) ++summary.sectors;
      }
    }
    return summary;
  }

  static CS52Library* library_;
  testing::CTempFolder folder_;
};
CS52Library* S52RealCells::library_ = nullptr;

TEST_F(S52RealCells, EveryFeatureOfEveryCell) {
  size_t cells = 0;
  const auto root = testing::TestDataFolder() / "s57";
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    if (entry.path().extension() != ".000") continue;
    ++cells;
    const CellSummary summary = Portray(entry.path());
    EXPECT_GT(summary.portrayed, 0u) << entry.path();
    const bool inland = entry.path().filename().string()[1] == 'I';
    EXPECT_EQ(summary.inlandTables > 0, inland) << entry.path();
  }
  EXPECT_EQ(cells, 19u);
}

TEST_F(S52RealCells, WhatTheNavigatorMustSee) {
  const auto root = testing::TestDataFolder() / "s57";
  // Kaneohe Bay: contours at 1.8, 3.6, 5.4, 9.1 and 18.2 m; with the safety
  // contour at 10 m the three 18.2 m contours and the deep area's edges mark it.
  const CellSummary kaneohe = Portray(root / "noaa_US5HA57M_exchange_set/US5HA57M/US5HA57M.000");
  EXPECT_EQ(kaneohe.safetyContour, 4u);
  EXPECT_GT(kaneohe.sectors, 0u);
  // The S-64 test cell holds isolated dangers in safe water and sector lights.
  const CellSummary s64 = Portray(root / "s64_2_1_1_power_up/GB4X0000.000");
  EXPECT_GT(s64.isolatedDangers, 0u);
  EXPECT_GT(s64.safetyContour, 0u);
  EXPECT_GT(s64.sectors, 0u);
}

}  // namespace
}  // namespace tarnwick
