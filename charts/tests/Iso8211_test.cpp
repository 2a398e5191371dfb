// The ISO 8211 reader: the real test files read to their last record, every
// subfield format through a written file, format controls, record edits, the
// reused-leader form, and damaged files refused with the file and offset.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include "charts/iso8211/Iso8211Module.h"
#include "charts/tests/support/Iso8211Writer.h"
#include "core/tests/support/TestSupport.h"

namespace tarnwick {
namespace {

using testing::FieldDescription;
using testing::kUT;
using testing::U16;
using testing::U32;
using testing::U8;
using testing::Ut;

const std::filesystem::path kCharts = testing::TestDataFolder() / "s57";

std::unique_ptr<CIso8211Module> OpenBytes(std::string bytes, std::string* error = nullptr) {
  std::string message;
  auto module = CIso8211Module::FromBytes(std::move(bytes), "test.000", message);
  if (error) *error = message;
  return module;
}

TEST(Iso8211, RealFilesReadToTheirLastRecord) {
  struct Row {
    const char* file;
    size_t records;
  } rows[] = {
      {"noaa_US1AK90M_exchange_set/ENC_ROOT/US1AK90M/US1AK90M.000", 12154},
      {"s64_2_1_1_power_up/GB4X0000.000", 7537},
      {"inland_ienc_test_2.1/exchange_set_TEST_2_1/5I7TEST1.000", 2763},
  };
  for (const Row& row : rows) {
    std::string error;
    auto module = CIso8211Module::Open(kCharts / row.file, error);
    ASSERT_TRUE(module) << error;
    CIso8211Record record;
    size_t count = 0;
    while (module->ReadRecord(record, error)) ++count;
    EXPECT_EQ(error, "") << row.file;
    EXPECT_EQ(count, row.records) << row.file;
  }
}

TEST(Iso8211, CellHeaderAndCatalogueValues) {
  std::string error;
  auto cell = CIso8211Module::Open(
      kCharts / "noaa_US1AK90M_exchange_set/ENC_ROOT/US1AK90M/US1AK90M.000", error);
  ASSERT_TRUE(cell) << error;
  const CIso8211FieldDefn* fspt = cell->FindFieldDefn("FSPT");
  ASSERT_TRUE(fspt);
  EXPECT_TRUE(fspt->Repeating());
  EXPECT_EQ(fspt->FixedSize(), 8u);  // B(40) + 3 b11
  EXPECT_EQ(fspt->SubfieldIndex("MASK"), 3);
  CIso8211Record record;
  ASSERT_TRUE(cell->ReadRecord(record, error));
  const auto dsid = record.FindField("DSID");
  ASSERT_TRUE(dsid);
  EXPECT_EQ(dsid->Text("DSNM"), "US1AK90M.000");
  EXPECT_EQ(dsid->Int("EDTN"), 9);
  EXPECT_EQ(dsid->Int("UPDN"), 0);
  EXPECT_EQ(dsid->Int("ISDT"), 20110502);
  EXPECT_EQ(dsid->Int("AGEN"), 550);
  EXPECT_NEAR(*dsid->Real("STED"), 3.1, 1e-9);
  EXPECT_EQ(record.FindField("0001")->Int(0), 1);

  auto catalogue = CIso8211Module::Open(
      kCharts / "noaa_US1AK90M_exchange_set/ENC_ROOT/CATALOG.031", error);
  ASSERT_TRUE(catalogue) << error;
  ASSERT_TRUE(catalogue->ReadRecord(record, error));
  ASSERT_TRUE(catalogue->ReadRecord(record, error));
  const auto catd = record.FindField("CATD");
  EXPECT_EQ(catd->Text("FILE"), "US1AK90M\\US000721.TXT");  // DOS separators as issued
  EXPECT_EQ(catd->Int("RCID"), 2);                          // I(10)
  EXPECT_EQ(catd->Text("CRCS"), "9FA51F03");
}

// One file that holds every supported format.
std::string EveryFormatFile() {
  const std::string ddr = testing::WriteDdr({
      {"0001", "0500;&   ", "Record identifier", "", "(b12)"},
      {"HEAD", "1600;&   ", "Header", "CODE!NAME!WHEN!RATE!COUNT!NOTE",
       "(b11,A(3),A(8),R(4),I(5),A)"},
      {"ATTF", "2600;&   ", "Attributes", "*ATTL!ATVL", "(b12,A)"},
      {"SG2D", "2500;&   ", "Coordinates", "*YCOO!XCOO", "(2b24)"},
      {"PNTR", "2600;&   ", "Pointers", "*NAME!ORNT", "(B(40),b11)"},
      {"MIXD", "1600;&   ", "Mixed", "A!B!C!D!E", "(b21,b22,b14,b44,b48)"},
      {"NEST", "2600;&   ", "Nested", "*K!X!Y", "(A,2(b11))"},
      {"NATF", "2600;&%/@", "National", "*ATTL!ATVL", "(b12,A)"},
  });
  float f = 2.5f;
  double d = -1234.5;
  std::string mixed = U8(0xFE) + U16(0xFFFE) + U32(4000000000u);
  mixed.append(reinterpret_cast<const char*>(&f), 4).append(reinterpret_cast<const char*>(&d), 8);
  const std::string ucs2 = std::string("K\0\xE4\0", 4) + std::string("\x1F\0", 2);
  const std::string dr = testing::WriteDr({
      {"0001", U16(7)},
      {"HEAD", U8(3) + "ABC" + "20240131" + "03.1" + "00042" + Ut("free text")},
      {"ATTF", U16(75) + Ut("1,11") + U16(133) + Ut("") + U16(116) + Ut("Name")},
      {"SG2D", testing::I32(-123456789) + testing::I32(987654321) + testing::I32(1) + testing::I32(-2)},
      {"PNTR", U8(130) + U32(77) + U8(2) + U8(120) + U32(78) + U8(1)},
      {"MIXD", mixed},
      {"NEST", Ut("p") + U8(1) + U8(2) + Ut("q") + U8(3) + U8(4)},
      {"NATF", U16(301) + ucs2},
  });
  return ddr + dr;
}

TEST(Iso8211, EveryFormatReadsBack) {
  std::string error;
  auto module = OpenBytes(EveryFormatFile(), &error);
  ASSERT_TRUE(module) << error;
  CIso8211Record r;
  ASSERT_TRUE(module->ReadRecord(r, error)) << error;
  EXPECT_EQ(r.FieldCount(), 8u);

  const auto head = r.FindField("HEAD");
  EXPECT_EQ(head->Int("CODE"), 3);
  EXPECT_EQ(head->Text("NAME"), "ABC");
  EXPECT_EQ(head->Int("WHEN"), 20240131);
  EXPECT_DOUBLE_EQ(*head->Real("RATE"), 3.1);
  EXPECT_EQ(head->Int("COUNT"), 42);
  EXPECT_EQ(head->Text("NOTE"), "free text");
  EXPECT_FALSE(head->Raw("NONE"));
  EXPECT_FALSE(head->Raw(0, 1));  // not a repeating field

  const auto attf = r.FindField("ATTF");
  ASSERT_EQ(attf->RepeatCount(), 3u);
  EXPECT_EQ(attf->Int("ATTL", 2), 116);
  EXPECT_EQ(attf->Text("ATVL", 0), "1,11");
  EXPECT_EQ(attf->Text("ATVL", 1), "");
  EXPECT_FALSE(attf->Int("ATVL", 1));  // empty text is no number
  EXPECT_FALSE(attf->Raw("ATTL", 3));
  ASSERT_EQ(attf->Repetitions().size(), 3u);
  EXPECT_EQ(attf->Repetitions()[1], U16(133) + kUT);

  const auto sg2d = r.FindField("SG2D");
  ASSERT_EQ(sg2d->RepeatCount(), 2u);
  EXPECT_EQ(sg2d->Int("YCOO", 0), -123456789);
  EXPECT_EQ(sg2d->Int("XCOO", 0), 987654321);
  EXPECT_EQ(sg2d->Int("XCOO", 1), -2);

  const auto pntr = r.FindField("PNTR");
  ASSERT_EQ(pntr->RepeatCount(), 2u);
  EXPECT_EQ(*pntr->Raw("NAME", 1), U8(120) + U32(78));
  EXPECT_FALSE(pntr->Int("NAME", 1));  // a bit field is bytes, not a number

  const auto mixd = r.FindField("MIXD");
  EXPECT_EQ(mixd->Int("A"), -2);
  EXPECT_EQ(mixd->Int("B"), -2);
  EXPECT_EQ(mixd->Int("C"), 4000000000);
  EXPECT_FLOAT_EQ(*mixd->Real("D"), 2.5f);
  EXPECT_DOUBLE_EQ(*mixd->Real("E"), -1234.5);

  const auto nest = r.FindField("NEST");
  ASSERT_EQ(nest->RepeatCount(), 2u);
  EXPECT_EQ(nest->Text("K", 1), "q");
  EXPECT_EQ(nest->Int("Y", 1), 4);

  const auto natf = r.FindField("NATF");
  EXPECT_EQ(natf->Defn().CharWidth(), 2u);
  EXPECT_EQ(*natf->Raw("ATVL"), std::string("K\0\xE4\0", 4));
  EXPECT_FALSE(module->ReadRecord(r, error));
  EXPECT_EQ(error, "");
}

TEST(Iso8211, FormatControls) {
  struct Row {
    const char* controls;
    const char* expanded;  // one letter per subfield: A text, I, R, B bits, u/s/f binary
  } good[] = {
      {"(b11,b14,2b11,3A,2A(8),R(4),b11,2A,b11,b12,A)", "uuuuAAAAARuAAuuA"},
      {"(A(2),I(10),3A,A(3),4R,2A)", "AIAAAARRRRAA"},
      {"(B(40),3b11)", "Buuu"},
      {"( 2( A , b21 ) , b48 )", "AsAsf"},
      {"", ""},
  };
  for (const Row& row : good) {
    std::vector<Iso8211SubfieldDefn> out;
    std::string error;
    ASSERT_TRUE(ParseIso8211Formats(row.controls, out, error)) << row.controls << ": " << error;
    std::string letters;
    for (const auto& f : out)
      letters += "AIRBusf"[static_cast<int>(f.format)];
    EXPECT_EQ(letters, row.expanded) << row.controls;
  }
  const char* bad[] = {"b11", "(b13)", "(b35)", "(B(12))", "(A(x))", "(Q)", "((A)", "(2)",
                       "(9(9(9(9(9(A)))))))", "(A;B)"};
  for (const char* controls : bad) {
    std::vector<Iso8211SubfieldDefn> out;
    std::string error;
    EXPECT_FALSE(ParseIso8211Formats(controls, out, error)) << controls;
    EXPECT_FALSE(error.empty()) << controls;
  }
}

TEST(Iso8211, RecordEditsKeepTheOtherFields) {
  std::string error;
  auto module = OpenBytes(EveryFormatFile(), &error);
  CIso8211Record r;
  ASSERT_TRUE(module->ReadRecord(r, error));
  const int attf = r.FindFieldIndex("ATTF");
  r.SetFieldData(static_cast<size_t>(attf), U16(1) + Ut("x"));
  EXPECT_EQ(r.FindField("ATTF")->RepeatCount(), 1u);
  EXPECT_EQ(r.FindField("SG2D")->Int("XCOO", 1), -2);  // moved, intact
  r.RemoveField(0);
  EXPECT_EQ(r.FindFieldIndex("0001"), -1);
  r.AppendField(*module->FindFieldDefn("ATTF"), U16(2) + Ut("y"));
  EXPECT_EQ(r.FindField("ATTF", 1)->Text("ATVL"), "y");
  EXPECT_EQ(r.FindField("HEAD")->Text("NOTE"), "free text");
}

TEST(Iso8211, ReusedLeaderRecordsHoldOnlyTheirFieldArea) {
  const std::string ddr = testing::WriteDdr({{"VALU", "1600;&   ", "Value", "N", "(b12)"}});
  const std::string first = testing::WriteDr({{"VALU", U16(1)}}, 'R');
  const size_t base = std::stoul(first.substr(12, 5));
  std::string error;
  auto module = OpenBytes(ddr + first + U16(2) + testing::kFT + U16(3) + testing::kFT, &error);
  ASSERT_TRUE(module) << error;
  CIso8211Record r;
  std::vector<int64_t> values;
  while (module->ReadRecord(r, error)) values.push_back(*r.Field(0).Int(0));
  EXPECT_EQ(error, "");
  EXPECT_EQ(values, (std::vector<int64_t>{1, 2, 3}));
  EXPECT_EQ(first.size() - base, 3u);
}

TEST(Iso8211, DamagedFilesNameTheFileAndOffset) {
  const std::string good = EveryFormatFile();
  const size_t ddrLength = std::stoul(good.substr(0, 5));
  auto with = [&](size_t at, const std::string& bytes) {
    std::string copy = good;
    copy.replace(at, bytes.size(), bytes);
    return copy;
  };
  const std::string badFormat = testing::WriteDdr({{"HEAD", "1600;&   ", "Header", "A!B", "(b11)"}});
  struct Case {
    const char* what;
    std::string bytes;
    const char* message;
  } cases[] = {
      {"too short", good.substr(0, 10), "test.000: offset 0: too short"},
      {"record length", with(0, "01x69"), "offset 0: bad leader (record length \"01x69\")"},
      {"descriptive identifier", with(6, "D"), "offset 0: bad leader (identifier \"D\")"},
      {"base address", with(12, "99999"), "offset 0: bad leader (base address"},
      {"entry map", with(20, "0"), "bad leader (entry map"},
      {"descriptive record past the end", good.substr(0, ddrLength - 1), "runs past the end"},
      {"directory entry outside", with(24 + 4, "999"), "offset 24: bad directory entry"},
      {"directory terminator", with(24 + 11 * 9, "X"), "bad directory (not a whole number"},
      {"fewer formats than subfields", badFormat, "field HEAD: 1 formats for 2 subfields"},
      {"data record identifier", with(ddrLength + 6, "X"), "bad leader (identifier \"X\")"},
      {"data record cut", good.substr(0, good.size() - 5), "bytes runs past the end of the file"},
      {"data leader cut", good + "00123 D", "record cut short (no whole leader)"},
      {"undefined tag", with(ddrLength + 24, "XXXX"),
       "field \"XXXX\" is not defined in the data descriptive record"},
  };
  for (const Case& c : cases) {
    std::string error;
    auto module = OpenBytes(c.bytes, &error);
    if (module) {
      CIso8211Record r;
      while (module->ReadRecord(r, error)) {
      }
    }
    EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ": " << error;
    EXPECT_EQ(error.rfind("test.000: offset ", 0), 0u) << c.what << ": " << error;
  }
}

}  // namespace
}  // namespace tarnwick
