// The world coastline file: writer/reader round trip on a hand-made grid, box
// visits across cell borders, the antimeridian and the poles, the level at a
// position, and damaged files that must be refused with a reason.

#include "charts/coastline/CoastlineFile.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

#include "charts/coastline/CoastlineFormat.h"
#include "charts/coastline/CoastlineWriter.h"
#include "core/tests/support/TestSupport.h"

namespace tarnwick {
namespace {

constexpr uint16_t U = 65535;

CoastPart Square(uint8_t level, uint16_t lo, uint16_t hi) {
  return {level, {{lo, lo}, {hi, lo}, {hi, hi}, {lo, hi}}};
}

// 20-degree cells (18 x 9). Land fills the cell 0..20 E, 30..50 N (column 9,
// row 6) with a lake in its middle; an island sits in the cell at 180 W, 80 S
// (column 0, row 0) and another one in the cell at 160 E, 10 S (column 17, row 4).
CoastGrid HandMadeGrid() {
  CoastGrid grid = CoastGrid::Empty(CoastResolution::Crude, 1200);
  CoastCell& europe = grid.At(9, 6);
  europe.polygons.push_back(Square(1, 0, U));
  europe.polygons.push_back(Square(2, 20000, 40000));
  europe.lines.push_back(
      {2, {{20000, 20000}, {40000, 20000}, {40000, 40000}, {20000, 40000}, {20000, 20000}}});
  CoastCell& south = grid.At(0, 0);
  south.polygons.push_back(Square(1, 0, 100));
  south.lines.push_back({1, {{0, 0}, {100, 0}, {100, 100}}});
  CoastCell& east = grid.At(17, 4);
  east.polygons.push_back(Square(1, 60000, U));
  return grid;
}

std::unique_ptr<CCoastlineFile> Load(const std::string& bytes, bool checkCrc = true) {
  std::string error;
  auto file = CCoastlineFile::FromBytes(bytes, error, checkCrc);
  EXPECT_TRUE(file) << error;
  return file;
}

TEST(CoastlineFile, RoundTripKeepsEveryPartAndTheHeader) {
  const CoastGrid grid = HandMadeGrid();
  testing::CTempFolder folder;
  ASSERT_TRUE(WriteCoastlineFile(folder / "world_c.b.qtc", grid));
  std::string error;
  auto file = CCoastlineFile::Open(folder / "world_c.b.qtc", error);
  ASSERT_TRUE(file) << error;
  const CoastFileInfo& info = file->Info();
  EXPECT_EQ(info.resolution, CoastResolution::Crude);
  EXPECT_EQ(info.cellMinutes, 1200u);
  EXPECT_EQ(info.columns, 18u);
  EXPECT_EQ(info.rows, 9u);
  EXPECT_EQ(info.partCount, 6u);
  EXPECT_EQ(info.pointCount, 4u + 4 + 5 + 4 + 3 + 4);
  EXPECT_DOUBLE_EQ(info.bounds.west, -180);
  EXPECT_DOUBLE_EQ(info.bounds.south, -90);
  EXPECT_DOUBLE_EQ(info.bounds.east, 180);
  EXPECT_DOUBLE_EQ(info.bounds.north, 50);

  // Rebuild the grid from a whole-world visit and compare part by part.
  CoastGrid back = CoastGrid::Empty(CoastResolution::Crude, 1200);
  file->Visit({}, [&](const CoastPartView& part) {
    const auto column = static_cast<uint32_t>((part.cellWest + 180) / 20);
    const auto row = static_cast<uint32_t>((part.cellSouth + 90) / 20);
    CoastPart copy{part.level, {}};
    for (uint32_t i = 0; i < part.count; ++i) copy.points.push_back(part.Raw(i));
    auto& list = part.kind == CoastPartKind::Polygon ? back.At(column, row).polygons
                                                     : back.At(column, row).lines;
    list.push_back(copy);
  });
  EXPECT_EQ(back.cells, grid.cells);
}

TEST(CoastlineFile, PointsConvertToDegreesFromTheCellCorner) {
  auto file = Load(EncodeCoastlineFile(HandMadeGrid()));
  std::vector<LatLon> corners;
  file->Visit({0, 30, 20, 50}, [&](const CoastPartView& part) {
    if (part.kind == CoastPartKind::Polygon && part.level == 1) {
      for (uint32_t i = 0; i < part.count; ++i) corners.push_back(part.At(i));
    }
  });
  ASSERT_EQ(corners.size(), 4u);
  EXPECT_EQ(corners[0], (LatLon{30, 0}));
  EXPECT_EQ(corners[2], (LatLon{50, 20}));
}

TEST(CoastlineFile, VisitTakesTheCellsTheBoxOverlapsOrTouches) {
  auto file = Load(EncodeCoastlineFile(HandMadeGrid()));
  struct Row {
    const char* name;
    CoastBox box;
    std::set<std::pair<double, double>> cells;  // south-west corners (lon, lat) visited
  };
  const Row rows[] = {
      {"inside one cell", {5, 35, 6, 36}, {{0, 30}}},
      {"edge on a cell border takes both sides", {-5, 35, 0, 36}, {{0, 30}}},
      {"box beside the land", {-15, 35, -1, 36}, {}},
      {"west end at 180 W", {-180, -90, -170, -85}, {{-180, -90}}},
      {"east end at 180 E", {170, -5, 180, 5}, {{160, -10}}},
      {"south pole row", {-179, -90, 179, -89}, {{-180, -90}}},
      {"north pole row is empty", {-180, 89, 180, 90}, {}},
      {"whole world", {-180, -90, 180, 90}, {{0, 30}, {-180, -90}, {160, -10}}},
      {"inverted box", {10, 35, 5, 36}, {}},
  };
  for (const Row& row : rows) {
    std::set<std::pair<double, double>> seen;
    file->Visit(row.box, [&](const CoastPartView& part) {
      seen.insert({part.cellWest, part.cellSouth});
    });
    EXPECT_EQ(seen, row.cells) << row.name;
  }
}

TEST(CoastlineFile, LevelAtFindsTheHighestRegionHoldingThePoint) {
  auto file = Load(EncodeCoastlineFile(HandMadeGrid()));
  struct Row {
    LatLon at;
    int level;
  } const rows[] = {
      {{31, 1}, 1},                                                   // land, outside the lake
      {{40, 10}, 2},                                                  // the lake
      {{29, 10}, 0},                                                  // the cell below
      {{40, -1}, 0},                                                  // the cell to the west
      {{-89.99, -179.99}, 1}, {{-89.99, -179.0}, 0}, {{40, 370}, 2},  // longitude one turn on
      {{9.9, 179.9}, 1},                                              // island in the cell at 160 E
      {{9.9, -180.1}, 1},  // the same island reached from the west
  };
  for (const Row& row : rows) {
    EXPECT_EQ(file->LevelAt(row.at), row.level) << row.at.lat << " " << row.at.lon;
  }
}

TEST(CoastlineFile, EmptyGridWritesAnEmptyButValidFile) {
  auto file = Load(EncodeCoastlineFile(CoastGrid::Empty(CoastResolution::High, 120)));
  EXPECT_EQ(file->Info().columns, 180u);
  EXPECT_EQ(file->Info().rows, 90u);
  EXPECT_EQ(file->Info().partCount, 0u);
  EXPECT_EQ(file->LevelAt({0, 0}), 0);
}

TEST(CoastlineFile, WriterLeavesOutPartsItCannotStore) {
  CoastGrid grid = CoastGrid::Empty(CoastResolution::Low, 600);
  grid.At(0, 0).polygons.push_back({1, {{0, 0}, {1, 1}}});          // two points
  grid.At(0, 0).polygons.push_back({0, {{0, 0}, {1, 1}, {2, 0}}});  // level 0
  grid.At(0, 0).lines.push_back({5, {{0, 0}, {1, 1}}});             // level 5
  grid.At(0, 0).lines.push_back({1, {{0, 0}}});                     // one point
  grid.At(1, 1).lines.push_back({1, {{0, 0}, {1, 1}}});
  auto file = Load(EncodeCoastlineFile(grid));
  EXPECT_EQ(file->Info().partCount, 1u);
}

TEST(CoastlineFile, DamagedFilesAreRefusedWithAReason) {
  const std::string good = EncodeCoastlineFile(HandMadeGrid());
  const auto* raw = reinterpret_cast<const uint8_t*>(good.data());
  // The south island's cell (column 0, row 0) is the first cell of the index.
  const size_t cellOffset = coastfmt::Load32(raw + coastfmt::kHeaderSize);
  ASSERT_GT(cellOffset, 0u);

  struct Row {
    const char* name;
    std::function<void(std::string&)> damage;
    bool checkCrc;
    const char* reason;
  };
  auto put32 = [](std::string& b, size_t at, uint32_t v) {
    coastfmt::Store32(reinterpret_cast<uint8_t*>(b.data()) + at, v);
  };
  const Row rows[] = {
      {"empty", [](std::string& b) { b.clear(); }, true, "truncated"},
      {"header cut", [](std::string& b) { b.resize(40); }, true, "truncated"},
      {"index cut", [](std::string& b) { b.resize(coastfmt::kHeaderSize + 100); }, true,
       "truncated"},
      {"last byte cut", [](std::string& b) { b.pop_back(); }, true, "checksum"},
      {"last byte cut, no checksum", [](std::string& b) { b.pop_back(); }, false,
       "outside the file"},
      {"bad magic", [](std::string& b) { b[0] = 'X'; }, true, "magic"},
      {"future version", [](std::string& b) { b[8] = 2; }, true, "version"},
      {"bad resolution", [](std::string& b) { b[10] = 'x'; }, true, "resolution"},
      {"cell size not dividing 180", [&](std::string& b) { put32(b, 12, 7); }, true, "grid"},
      {"cell size zero", [&](std::string& b) { put32(b, 12, 0); }, true, "grid"},
      {"columns wrong", [](std::string& b) { b[16] = 17; }, true, "grid"},
      {"a point flipped", [](std::string& b) { b[b.size() - 3] ^= 0x40; }, true, "checksum"},
      {"cell offset into the index", [&](std::string& b) { put32(b, coastfmt::kHeaderSize, 8); },
       false, "outside the file"},
      {"cell size past the end",
       [&](std::string& b) { put32(b, coastfmt::kHeaderSize + 4, 1u << 30); }, false,
       "outside the file"},
      {"huge point count", [&](std::string& b) { put32(b, cellOffset + 8, 0x7fffffff); }, false,
       "ends inside a part"},
      {"part count too high", [&](std::string& b) { put32(b, cellOffset, 5); }, false,
       "ends inside a part"},
      {"part count too low", [&](std::string& b) { put32(b, cellOffset + 4, 0); }, false,
       "trailing bytes"},
      {"level zero", [&](std::string& b) { b[cellOffset + 12] = 0; }, false, "bad part"},
      {"level seven", [&](std::string& b) { b[cellOffset + 12] = 7; }, false, "bad part"},
      {"header part count", [&](std::string& b) { put32(b, 36, 99); }, false, "count"},
  };
  for (const Row& row : rows) {
    std::string bytes = good;
    row.damage(bytes);
    std::string error;
    auto file = CCoastlineFile::FromBytes(bytes, error, row.checkCrc);
    EXPECT_FALSE(file) << row.name;
    EXPECT_NE(error.find(row.reason), std::string::npos) << row.name << ": " << error;
  }
}

TEST(CoastlineFile, OpenReportsAMissingFileAndAFolder) {
  testing::CTempFolder folder;
  std::string error;
  EXPECT_FALSE(CCoastlineFile::Open(folder / "none.qtc", error));
  EXPECT_NE(error.find("cannot open"), std::string::npos);
  EXPECT_FALSE(CCoastlineFile::Open(folder.Path(), error));
  testing::WriteFile(folder / "zero.qtc", "");
  EXPECT_FALSE(CCoastlineFile::Open(folder / "zero.qtc", error));
  EXPECT_NE(error.find("truncated"), std::string::npos);
}

TEST(CoastlineFile, ResolutionNames) {
  EXPECT_EQ(ParseCoastResolution("c"), CoastResolution::Crude);
  EXPECT_EQ(ParseCoastResolution("intermediate"), CoastResolution::Intermediate);
  EXPECT_EQ(ParseCoastResolution("H"), std::nullopt);
  EXPECT_EQ(ParseCoastResolution(""), std::nullopt);
  EXPECT_STREQ(CoastFileName(CoastResolution::High), "world_h.b.qtc");
  EXPECT_STREQ(CoastFileName(CoastResolution::Low), "world_l.b.qtc");
}

}  // namespace
}  // namespace tarnwick
