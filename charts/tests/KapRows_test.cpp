// Run-length rows of KAP files at every bit depth, and finding the rows from
// the index table or, when it is damaged, by walking them.

#include "charts/raster/KapRows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "charts/tests/KapTestFiles.h"

namespace tarnwick {
namespace {

struct RowCase {
  const char* name;
  int depth;
  std::vector<uint8_t> bytes;  // from the row number on
  size_t width;
  ScanLineResult result;
  std::vector<uint8_t> expected;  // the row after decoding over 0xEE
};

TEST(KapRows, DecodeScanLine) {
  constexpr uint8_t E = 0xEE;
  const RowCase cases[] = {
      {"depth 3: colour in bits 4-6, length in bits 0-3", 3,
       {0x01, 0x22, 0x41, 0x00}, 5, ScanLineResult::kComplete, {1, 1, 1, 3, 3}},
      {"depth 3: length bytes after bit 7", 3,
       {0x01, 0x90, 0x03, 0x00}, 4, ScanLineResult::kComplete, {0, 0, 0, 0}},
      {"depth 7: colour is b & 127, every length in the bytes after", 7,
       {0x01, 0x85, 0x81, 0x47, 0x06, 0x00}, 201, ScanLineResult::kComplete,
       [] {
         std::vector<uint8_t> v(200, 4);
         v.push_back(5);
         return v;
       }()},
      {"depth 1: colour in bit 6", 1, {0x01, 0x41, 0x00}, 2, ScanLineResult::kComplete, {0, 0}},
      {"colour 0 becomes 255", 4, {0x01, 0x01, 0x00}, 2, ScanLineResult::kComplete, {255, 255}},
      {"multi-byte row number is skipped", 3,
       {0x81, 0x48, 0x30, 0x00}, 1, ScanLineResult::kComplete, {2}},
      {"a run past the row's end is cut there", 3,
       {0x01, 0x2F, 0x77, 0x00}, 4, ScanLineResult::kComplete, {1, 1, 1, 1}},
      {"a zero byte ends the row early, the rest stays", 3,
       {0x01, 0x21, 0x00, 0x31}, 4, ScanLineResult::kComplete, {1, 1, E, E}},
      {"data ending inside a run", 3, {0x01, 0x21, 0xB0}, 4, ScanLineResult::kTruncated,
       {1, 1, E, E}},
      {"data ending inside the row number", 3, {0x81}, 2, ScanLineResult::kTruncated, {E, E}},
      {"no data at the offset", 3, {}, 2, ScanLineResult::kNoData, {E, E}},
  };
  for (const RowCase& c : cases) {
    std::vector<uint8_t> row(c.width, E);
    EXPECT_EQ(DecodeScanLine(c.bytes, 0, c.depth, row), c.result) << c.name;
    EXPECT_EQ(row, c.expected) << c.name;
  }
}

TEST(KapRows, RowIndexFromTheTableOrByWalkingTheRows) {
  const std::vector<std::vector<uint8_t>> rows = {{0x01, 0x23, 0x00}, {0x02, 0x90, 0x03, 0x00},
                                                  {0x03, 0x13, 0x00}};
  const std::string kap = testing::MakeKap("BSB/RA=4,3\r\nIFM/3\r\n", 3, rows);
  auto bytes = [](const std::string& s) {
    return std::vector<uint8_t>(s.begin(), s.end());
  };
  bool rebuilt = true;
  const auto fromTable = ReadRowIndex(bytes(kap), 3, rebuilt);
  ASSERT_TRUE(fromTable);
  EXPECT_FALSE(rebuilt);
  const uint32_t first = static_cast<uint32_t>(kap.find('\x1a') + 3);
  EXPECT_EQ(*fromTable, (std::vector<uint32_t>{first, first + 3, first + 7}));

  // The trailing offset points past the end: the rows are walked instead.
  std::string pastEnd = kap;
  pastEnd[pastEnd.size() - 4] = '\x7f';
  const auto walked = ReadRowIndex(bytes(pastEnd), 3, rebuilt);
  ASSERT_TRUE(walked);
  EXPECT_TRUE(rebuilt);
  EXPECT_EQ(*walked, *fromTable);

  // A table too short for the height, and more rows asked for than the walk finds.
  const auto tall = ReadRowIndex(bytes(kap), 5, rebuilt);
  ASSERT_TRUE(tall);
  EXPECT_TRUE(rebuilt);
  EXPECT_EQ((*tall)[2], first + 7);
  EXPECT_EQ((*tall)[4], kNoRow);

  // Table entries outside the raster data are marked missing.
  std::string badEntry = kap;
  const size_t table = kap.size() - 4 - 12;
  badEntry[table + 4] = '\x7f';
  const auto marked = ReadRowIndex(bytes(badEntry), 3, rebuilt);
  ASSERT_TRUE(marked);
  EXPECT_FALSE(rebuilt);
  EXPECT_EQ((*marked)[1], kNoRow);

  EXPECT_FALSE(ReadRowIndex(bytes("BSB/RA=4,3\nIFM/3\n"), 3, rebuilt));
  EXPECT_FALSE(ReadRowIndex(bytes(std::string("IFM/3\x1a\0\x03", 8)), 3, rebuilt));
}

}  // namespace
}  // namespace tarnwick
