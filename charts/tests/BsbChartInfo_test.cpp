// BSB chart sets: the NOAA set with most of its panels missing, file names
// that must stay beside the set, names that differ in case, and edition
// mismatches between the set and a panel.

#include "charts/raster/BsbChartInfo.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/Log.h"
#include "core/tests/support/TestSupport.h"

namespace tarnwick {
namespace {

std::filesystem::path Bsb(const char* name) { return testing::TestDataFolder() / "bsb" / name; }

TEST(BsbChartInfo, NoaaSetOpensThePanelsThatAreThere) {
  CLogCapture log;
  BsbOpenError error;
  auto set = LoadBsbFile(Bsb("12205.BSB"), error);
  ASSERT_TRUE(set) << error.detail;
  const auto& p = set->Properties();
  EXPECT_EQ(p.at("Name"), "CAPE HENRY-PAMLICO SND INCL ALBEMARLE SND VA-NC");
  EXPECT_EQ(p.at("Number"), "12205");
  EXPECT_EQ(p.at("Type"), "SMALL CRAFT FOLIO");
  EXPECT_EQ(p.at("Base Chart Version"), "34");
  EXPECT_EQ(p.at("NTM Date"), "10/25/2014");
  EXPECT_EQ(p.at("Agency"), "USA-NOAA/NOS");
  EXPECT_EQ(p.at("Region"), "6");
  ASSERT_EQ(set->Panels().size(), 11u);
  int opened = 0;
  for (const BsbPanel& panel : set->Panels()) opened += panel.chart != nullptr;
  EXPECT_EQ(opened, 3);
  const BsbPanel& k02 = set->Panels()[1];  // its FN is on a continuation line
  EXPECT_EQ(k02.fileName, "12205_6.KAP");
  EXPECT_EQ(k02.error.userMessage, "Cannot open this file.");
  EXPECT_EQ(set->Panels()[4].type, "EXTENSION");
  EXPECT_TRUE(set->Panels()[4].chart);
  EXPECT_TRUE(set->Warnings().empty());
  int failedLines = 0;
  for (const auto& line : log.Lines()) failedLines += line.find("):ReadKapFile(\"") != std::string::npos;
  EXPECT_EQ(failedLines, 8);
}

TEST(BsbChartInfo, SetsThatAreRefusedOrWarnedAbout) {
  testing::CTempFolder folder;
  std::filesystem::copy_file(Bsb("12205_12.KAP"), folder / "PANEL.KAP");
  struct Row {
    const char* text;
    const char* user;        // "" when the set loads
    const char* logOrWarning;
  };
  const Row rows[] = {
      {"CHT/NA=X\nK01/NA=A,FN=../PANEL.KAP\n", "This is not a valid BSB file", "Error in BSB "},
      {"CHT/NA=X\nK01/NA=A,NU=1\n", "This is not a valid BSB file", "Error in BSB "},
      {"CHT/NA=X\nCED/SE=34\n", "This is not a valid BSB file", "no chart references found!"},
      {"K01/NA=A,FN=NONE.KAP\n", "This is not a valid BSB file", "ReadKapFile(\""},
      {"CED/SE=34,ED=04/01/2014\nK01/NA=A,FN=panel.kap\n", "", ""},
      {"CED/SE=35,ED=04/01/2014\nK01/NA=A,FN=PANEL.KAP\n", "",
       "Edition information differs for Chart BSB & KAP files."},
  };
  for (const Row& row : rows) {
    testing::WriteFile(folder / "SET.BSB", row.text);
    CLogCapture log;
    BsbOpenError error;
    auto set = LoadBsbFile(folder / "SET.BSB", error);
    EXPECT_EQ(error.userMessage, row.user) << row.text;
    if (set) {
      EXPECT_TRUE(set->Panels().at(0).chart) << row.text;
      EXPECT_EQ(set->Warnings().empty() ? "" : set->Warnings()[0], std::string(row.logOrWarning));
    } else {
      bool logged = false;
      for (const auto& line : log.Lines()) logged |= line.find(row.logOrWarning) != std::string::npos;
      EXPECT_TRUE(logged) << row.text;
    }
  }
  BsbOpenError error;
  EXPECT_FALSE(LoadBsbFile(folder / "NONE.BSB", error));
  EXPECT_EQ(error.userMessage, "Cannot open this file (error code 2)");
}

}  // namespace
}  // namespace tarnwick
