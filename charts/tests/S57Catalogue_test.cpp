// The shipped S-57 catalogue: lookups both ways, case-sensitive Inland ENC
// acronyms, value meanings, agencies, and a folder without the files.

#include "charts/s57/S57Catalogue.h"

#include <gtest/gtest.h>

#include "core/tests/support/TestSupport.h"

namespace tarnwick {
namespace {

TEST(S57Catalogue, ClassesAndAttributesBothWays) {
  struct Row {
    uint16_t code;
    const char* acronym;
  };
  for (const Row& row : {Row{42, "DEPARE"}, Row{17011, "bridge"}, Row{11, "BRIDGE"}}) {
    EXPECT_EQ(ObjectClassAcronym(row.code), row.acronym);
    EXPECT_EQ(ObjectClassCode(row.acronym), row.code) << row.acronym;
  }
  for (const Row& row : {Row{133, "SCAMIN"}, Row{185, "VERDAT"}, Row{17005, "verdat"}}) {
    EXPECT_EQ(AttributeAcronym(row.code), row.acronym);
    EXPECT_EQ(AttributeCode(row.acronym), row.code) << row.acronym;
  }
  EXPECT_EQ(ObjectClassAcronym(9999), "");
  EXPECT_FALSE(ObjectClassCode("NOSUCH"));
  EXPECT_FALSE(AttributeCode("N/A"));
  EXPECT_EQ(S57Catalogue().ObjectClass(5)->name, "Beacon, cardinal");
}

TEST(S57Catalogue, TypesValuesAndAgencies) {
  EXPECT_EQ(AttributeType(75), S57AttributeType::List);         // COLOUR
  EXPECT_EQ(AttributeType(87), S57AttributeType::Float);        // DRVAL1
  EXPECT_EQ(AttributeType(133), S57AttributeType::Integer);     // SCAMIN
  EXPECT_EQ(AttributeType(1), S57AttributeType::Text);          // AGENCY
  EXPECT_EQ(AttributeType(116), S57AttributeType::CodedString); // OBJNAM
  EXPECT_EQ(AttributeType(185), S57AttributeType::Enumerated);  // VERDAT
  EXPECT_EQ(AttributeValueMeaning(185, 12), "Mean lower low water");
  EXPECT_EQ(AttributeValueMeaning(402, 4), "approximated");
  EXPECT_FALSE(AttributeValueMeaning(185, 999));
  EXPECT_EQ(S57Catalogue().Values(89).size(), 4u);  // DUNITS
  EXPECT_EQ(S57Catalogue().AgencyName(550), "Office of Coast Survey, USA");
  EXPECT_EQ(S57Catalogue().AgencyToken(550), "US");
  EXPECT_EQ(S57Catalogue().AgencyName(31868), "SevenCs AG & Co KG");
  EXPECT_FALSE(S57Catalogue().AgencyName(4321));
}

TEST(S57Catalogue, MissingFilesAreRefusedWithTheirName) {
  testing::CTempFolder folder;
  std::string error;
  EXPECT_FALSE(CS57Catalogue::Load(folder.Path(), error));
  EXPECT_NE(error.find("s57objectclasses.csv"), std::string::npos) << error;
}

}  // namespace
}  // namespace tarnwick
