// KAP header text: logical lines, the keyword values kept, the polynomial
// rules and the lines that reject a chart, with the log lines they leave.

#include "charts/raster/KapHeader.h"

#include <gtest/gtest.h>

#include <string>

#include "charts/raster/BsbText.h"
#include "core/Log.h"

namespace tarnwick {
namespace {

constexpr const char* kMinimal = "BSB/NA=TEST,NU=1,RA=10,4\r\nIFM/3\r\n";

bool Decode(const std::string& text, KapHeader& header, std::vector<std::string>* log = nullptr) {
  CLogCapture capture;
  std::string error;
  const bool ok = DecodeKapHeader(text, "test.kap", header, error);
  if (log) *log = capture.Lines();
  return ok;
}

bool Logged(const std::vector<std::string>& log, const std::string& text) {
  for (const auto& line : log) {
    if (line.find(text) != std::string::npos) return true;
  }
  return false;
}

TEST(BsbText, LogicalLinesJoinContinuationsAndCutLongLines) {
  const std::string text =
      "VER/3.0\r\n\r\n"
      "KNP/SC=80000,GD=NAD83,PR=MERCATOR,PP=36.1,SK=343.47\n"
      "    TA=433.47,UN=FEET\r"
      "CRR/This chart was produced\n"
      "\tby NOAA\n"
      "! a comment\n" +
      std::string("NTL/") + std::string(2000, 'x') + "\n \n";
  const auto lines = SplitBsbLines(text);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], "VER/3.0");
  EXPECT_EQ(lines[1], "KNP/SC=80000,GD=NAD83,PR=MERCATOR,PP=36.1,SK=343.47,TA=433.47,UN=FEET");
  EXPECT_EQ(lines[2], "CRR/This chart was produced by NOAA");
  EXPECT_EQ(lines[3], "! a comment");
  EXPECT_EQ(lines[4].size(), kBsbLineMax);
  EXPECT_EQ(BsbHeaderText(std::string_view("AB\x1a\0CD", 6)), "AB");
  EXPECT_EQ(BsbHeaderText(std::string_view("AB\0CD", 5)), "AB");
}

TEST(BsbText, FieldsKeepCommasOfValuesWithoutKeys) {
  const auto f = SplitBsbFields("NA=LITTLE RIVER , NU=536,RA=2296,1230,sp=Unknown,0,NU=9");
  EXPECT_EQ(f.at("NA"), "LITTLE RIVER");
  EXPECT_EQ(f.at("NU"), "536");  // the first of a repeated key
  EXPECT_EQ(f.at("RA"), "2296,1230");
  EXPECT_EQ(f.at("SP"), "Unknown,0");
  EXPECT_FALSE(ParseBsbNumbers("1,2,x"));
  EXPECT_FALSE(ParseBsbNumbers("1,,2"));
  EXPECT_EQ(ParseBsbNumbers(" 1.5e+006, -.25,")->size(), 2u);
}

TEST(KapHeader, KeepsTheValuesOfEachKeyword) {
  KapHeader h;
  ASSERT_TRUE(Decode(
      "VER/3.0\n"
      "BSB/NA=LITTLE RIVER EXTENSION,NU=536,RA=2296,1230,DU=400\n"
      "KNP/SC=80000,GD=NAD83,PR=MERCATOR,PP=36.100\n    SK=343.47,UN=FEET\n"
      "CED/SE=34,RE=01,ED=04/01/2014\nNTM/NE=34.18,ND=10/25/2014\n"
      "OST/1\nIFM/4\nRGB/1,0,0,0\nRGB/2,255,255,255\nNGT/7,0,0,38\n"
      "REF/1,1319,922,36.1666666667,-76.2633055556\nFEF/2,10,20,36.5,-76.0\n"
      "PLY/1,36.22,-76.31\nPLY/2,36.21,-76.27\n"
      "RPR/CD,WEB\nDTM/2.5,-1.8\nCPH/180\n"
      "WPX/1,1.5216805560e+006,1.6987183929e+004,-6.2174092487e+003\n"
      "PWY/2,1,2,3,4,5,6\n"
      "ERR/1,0.2,0.03,0.000004,0.00001\nADN0001/USCG;5;;;10/21/2014;4214\n",
      h));
  EXPECT_EQ(h.version, "3.0");
  EXPECT_EQ(h.chart.at("NA"), "LITTLE RIVER EXTENSION");
  EXPECT_EQ(h.width, 2296);
  EXPECT_EQ(h.height, 1230);
  EXPECT_EQ(h.Knp("SK"), "343.47");
  EXPECT_EQ(h.Knp("UN"), "FEET");
  EXPECT_EQ(h.ced.at("ED"), "04/01/2014");
  EXPECT_EQ(h.ntm.at("NE"), "34.18");
  EXPECT_EQ(h.bitsPerPixel, 4);
  ASSERT_NE(h.Palette(KapPaletteKind::RGB), nullptr);
  EXPECT_EQ(h.Palette(KapPaletteKind::RGB)->Count(), 2);
  EXPECT_EQ(h.Palette(KapPaletteKind::NGT)->colours[7], (KapColour{0, 0, 38}));
  EXPECT_EQ(h.Palette(KapPaletteKind::DAY), nullptr);
  ASSERT_EQ(h.references.size(), 2u);
  EXPECT_DOUBLE_EQ(h.references[0].x, 1319);
  EXPECT_DOUBLE_EQ(h.references[0].lon, -76.2633055556);
  ASSERT_EQ(h.border.size(), 2u);
  EXPECT_DOUBLE_EQ(h.border[1].lat, 36.21);
  EXPECT_EQ(h.distribution, unsigned{kKapCd | kKapWeb});
  EXPECT_DOUBLE_EQ(h.datumShiftLat, 2.5 / 3600);
  EXPECT_DOUBLE_EQ(h.datumShiftLon, -1.8 / 3600);
  EXPECT_DOUBLE_EQ(h.phaseShift, 180);
  EXPECT_EQ(h.wpx.order, 1);
  EXPECT_NEAR(h.wpx.Evaluate(-76.2633055556, 36.1666666667), 1318.79, 0.01);
  EXPECT_EQ(h.pwy.order, 2);
  EXPECT_DOUBLE_EQ(h.pwy.Evaluate(2, 3), 1 + 2 * 2 + 3 * 3 + 4 * 4 + 5 * 6 + 6 * 9);
  EXPECT_FALSE(h.invalidPolynomial);
}

TEST(KapHeader, PolynomialsOfTheWrongShapeAreClearedAndFlagged) {
  struct Row {
    const char* line;
    const char* logged;
  };
  const Row rows[] = {
      {"WPX/2,1,2,3,4,5", "CRasterChart::DecodePolynomial: Wrong number of terms!"},
      {"PWX/1,1,2,3,4", "CRasterChart::DecodePolynomial: Wrong number of terms!"},
      {"WPY/6,1,2,3,4,5,6,7,8,9,10,11,12,13", "CRasterChart::DecodePolynomial: invalid order: 6"},
      {"PWY/0,1,2,3", "CRasterChart::DecodePolynomial: invalid order: 0"},
  };
  for (const Row& row : rows) {
    KapHeader h;
    std::vector<std::string> log;
    ASSERT_TRUE(Decode(std::string(kMinimal) + row.line + "\n", h, &log)) << row.line;
    EXPECT_TRUE(h.invalidPolynomial) << row.line;
    EXPECT_FALSE(h.wpx.Valid() || h.wpy.Valid() || h.pwx.Valid() || h.pwy.Valid()) << row.line;
    EXPECT_TRUE(Logged(log, row.logged)) << row.line;
  }
  for (int order = 1; order <= 5; ++order) {
    std::string line = "WPX/" + std::to_string(order);
    for (int i = 0; i < KapPolynomialTermCount(order); ++i) line += ",1";
    KapHeader h;
    ASSERT_TRUE(Decode(std::string(kMinimal) + line + "\n", h)) << line;
    EXPECT_EQ(h.wpx.order, order);
    EXPECT_DOUBLE_EQ(h.wpx.Evaluate(1, 1), KapPolynomialTermCount(order));
  }
}

TEST(KapHeader, LinesThatRejectTheChart) {
  struct Row {
    std::string text;
    const char* logged;
  };
  const Row rows[] = {
      {"BSB/RA=10,4\nIFM/8\n", "Unknown NOS compression type 8"},
      {"BSB/RA=10,4\nIFM/0\n", "Unknown NOS compression type 0"},
      {"BSB/RA=10,4\nIFM/3\nDTM/2.5\n", "Invalid parameters for DTM: 2.5"},
      {"BSB/RA=10,4\nIFM/3\nDTM/2.5,x\n", "DecodeValueLine failed; \"DTM/2.5,x\""},
      {"BSB/RA=10,4\nIFM/3\nREF/1,2,3,91,0\n", "DecodeValueLine failed; \"REF/1,2,3,91,0\""},
      {"BSB/RA=10,4\nIFM/3\nPLY/1,45\n", "DecodeValueLine failed"},
      {"BSB/RA=10,4\nIFM/3\nRGB/1,256,0,0\n", "DecodeValueLine failed"},
      {"BSB/RA=10,4\nIFM/3\nCPH/half\n", "DecodeValueLine failed"},
      {"BSB/RA=10,-4\nIFM/3\n", "DecodeValueLine failed"},
      {"BSB/NA=X,RA=10,4\n", "m_nCompType == 0: test.kap"},
      {"BSB/NA=X\nIFM/3\n", "no raster size"},
  };
  for (const Row& row : rows) {
    KapHeader h;
    std::vector<std::string> log;
    EXPECT_FALSE(Decode(row.text, h, &log)) << row.text;
    EXPECT_TRUE(Logged(log, row.logged)) << row.text << " did not log " << row.logged;
  }
}

}  // namespace
}  // namespace tarnwick
