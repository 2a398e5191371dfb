// The SENC life cycle of a cell: built once, reused while the cell's files
// stay as they are, rebuilt for a new update (beside the cell or in the
// exchange-set layout), a re-issue or a new edition, rebuilt when damaged,
// and not rebuilt again for an update that failed until that file changes.

#include <gtest/gtest.h>

#include <utime.h>

#include "charts/s57/S57ChartReader.h"
#include "charts/s57/SencFolder.h"
#include "charts/tests/support/S57Writer.h"
#include "core/Log.h"

namespace tarnwick {
namespace {

using testing::S57Writer;

S57Writer Cell(uint32_t edition, uint32_t update, int features = 1) {
  S57Writer w;
  w.Dsid(edition, update).Dspm(10000000, 10);
  for (int i = 0; i < features; ++i) {
    w.Node(110, 100 + i, 0.1 * i, 0.2);
    w.Feature(1 + i, 1, 17, {}, {{110, static_cast<uint32_t>(100 + i)}});
  }
  return w;
}

S57Writer Update(uint32_t edition, uint32_t update) {
  S57Writer w;
  w.Dsid(edition, update);
  return w;
}

class S57ChartReaderTest : public ::testing::Test {
 protected:
  std::filesystem::path CellPath() const { return folder_ / "cells" / "TEST0001.000"; }
  std::filesystem::path Senc() const { return reader_.SencPath(CellPath()); }

  ::tarnwick::testing::CTempFolder folder_;
  CS57ChartReader reader_{folder_ / "SENC Files"};
};

TEST_F(S57ChartReaderTest, BuiltOnceThenReusedUntilTheFilesChange) {
  Cell(1, 0).Write(CellPath());
  EXPECT_TRUE(reader_.NeedsRebuild(CellPath()));  // no SENC yet
  std::string error;
  auto chart = reader_.ReadFile(CellPath(), false, error);
  ASSERT_TRUE(chart) << error;
  EXPECT_EQ(Senc().filename(), "TEST0001.tksenc");
  EXPECT_EQ(chart->Header().updn, 0u);
  EXPECT_FALSE(reader_.NeedsRebuild(CellPath()));
  EXPECT_EQ(ReadSencEdition(Senc()), std::make_pair(1u, 0u));

  // The SENC is used without touching the cell.
  std::filesystem::rename(CellPath(), folder_ / "away.000");
  EXPECT_TRUE(reader_.ReadFile(CellPath(), false, error)) << error;
  EXPECT_FALSE(reader_.ReadFile(CellPath(), true, error));  // forced: the cell is needed
  std::filesystem::rename(folder_ / "away.000", CellPath());

  // A new update beside the cell: rebuilt by OnFilesUpdated, mapped in place.
  Update(1, 1).Write(folder_ / "cells" / "TEST0001.001");
  EXPECT_TRUE(reader_.NeedsRebuild(CellPath()));
  ASSERT_TRUE(chart->OnFilesUpdated(reader_, CellPath()));
  EXPECT_EQ(chart->Header().updn, 1u);
  EXPECT_FALSE(reader_.NeedsRebuild(CellPath()));
  EXPECT_TRUE(chart->OnFilesUpdated(reader_, CellPath()));  // nothing to do
}

TEST_F(S57ChartReaderTest, NewEditionsAndReissuesReplaceTheSenc) {
  Cell(1, 0).Write(CellPath());
  std::string error;
  ASSERT_TRUE(reader_.BuildSencFile(CellPath(), error)) << error;
  Cell(1, 3).Write(CellPath());  // a re-issue including updates 1 to 3
  EXPECT_TRUE(reader_.NeedsRebuild(CellPath()));
  ASSERT_TRUE(reader_.BuildSencFile(CellPath(), error)) << error;
  EXPECT_EQ(ReadSencEdition(Senc()), std::make_pair(1u, 3u));
  Update(1, 2).Write(folder_ / "cells" / "TEST0001.002");  // below the re-issue: skipped
  EXPECT_FALSE(reader_.NeedsRebuild(CellPath()));
  Cell(2, 0, 2).Write(CellPath());  // a new edition
  EXPECT_TRUE(reader_.NeedsRebuild(CellPath()));
  auto chart = reader_.ReadFile(CellPath(), true, error);
  ASSERT_TRUE(chart) << error;
  EXPECT_EQ(chart->Header().edtn, 2u);
  EXPECT_EQ(chart->FeatureCount(), 2u);
}

TEST_F(S57ChartReaderTest, UpdatesInTheExchangeSetLayout) {
  // CELL/EDITION/UPDATE/CELL.nnn, as exchange sets lay out editions.
  const auto base = folder_ / "ENC_ROOT" / "TEST0001" / "1" / "0" / "TEST0001.000";
  Cell(1, 0).Write(base);
  Update(1, 1).Write(folder_ / "ENC_ROOT" / "TEST0001" / "1" / "1" / "TEST0001.001");
  Update(1, 2).Write(folder_ / "ENC_ROOT" / "TEST0001" / "1" / "2" / "TEST0001.002");
  EXPECT_EQ(FindUpdateFile(base, 2), folder_ / "ENC_ROOT" / "TEST0001" / "1" / "2" / "TEST0001.002");
  EXPECT_FALSE(FindUpdateFile(base, 3));
  std::string error;
  S57CompiledCell cell;
  ASSERT_TRUE(reader_.BuildSencFile(base, error, &cell)) << error;
  EXPECT_EQ(cell.header.updn, 2u);
  Update(1, 3).Write(folder_ / "ENC_ROOT" / "TEST0001" / "1" / "3" / "TEST0001.003");
  EXPECT_TRUE(reader_.NeedsRebuild(base));
}

TEST_F(S57ChartReaderTest, AFailedUpdateIsNotRetriedUntilItsFileChanges) {
  Cell(1, 0).Write(CellPath());
  Update(1, 1).Write(folder_ / "cells" / "TEST0001.001");
  const auto bad = folder_ / "cells" / "TEST0001.002";
  Update(1, 5).Write(bad);  // claims to be update 5
  std::string error;
  S57CompiledCell cell;
  ASSERT_TRUE(reader_.BuildSencFile(CellPath(), error, &cell)) << error;
  EXPECT_EQ(cell.failedUpdateError, "Can't apply update 5 to update 1.");
  EXPECT_EQ(ReadSencEdition(Senc()), std::make_pair(1u, 1u));  // the last good update
  EXPECT_FALSE(reader_.NeedsRebuild(CellPath()));
  // The producer sends a corrected file: tried again.
  Update(1, 2).Write(bad);
  const struct utimbuf later {2000000000, 2000000000};
  utime(bad.c_str(), &later);
  EXPECT_TRUE(reader_.NeedsRebuild(CellPath()));
  ASSERT_TRUE(reader_.BuildSencFile(CellPath(), error, &cell)) << error;
  EXPECT_FALSE(cell.failedUpdate);
  EXPECT_FALSE(ReadFailedUpdate(Senc()));
}

TEST_F(S57ChartReaderTest, ADamagedSencIsRebuiltAndABadCellGivesNoChart) {
  Cell(1, 0).Write(CellPath());
  std::string error;
  ASSERT_TRUE(reader_.ReadFile(CellPath(), false, error)) << error;
  std::string bytes = ::tarnwick::testing::ReadFile(Senc());
  bytes.resize(bytes.size() - 8);
  ::tarnwick::testing::WriteFile(Senc(), bytes);
  CLogCapture log;
  auto chart = reader_.ReadFile(CellPath(), false, error);
  ASSERT_TRUE(chart) << error;
  EXPECT_EQ(::tarnwick::testing::ReadFile(Senc()).size(), bytes.size() + 8);
  EXPECT_NE(std::find(log.Lines().begin(), log.Lines().end(),
                      "Building SENC from: \"" + CellPath().string() + "\""),
            log.Lines().end());

  ::tarnwick::testing::WriteFile(CellPath(), "this is not an ISO 8211 file at all");
  EXPECT_FALSE(reader_.ReadFile(CellPath(), true, error));
  EXPECT_NE(error.find("TEST0001.000: offset 0: bad leader"), std::string::npos) << error;
  S57Writer empty;
  ::tarnwick::testing::WriteFile(CellPath(), empty.Bytes());
  EXPECT_FALSE(reader_.ReadFile(CellPath(), true, error));
  EXPECT_NE(error.find("holds no records"), std::string::npos) << error;
}

TEST(SencFolder, DefaultPathAndCleanUp) {
  ::tarnwick::testing::CTempFolder folder;
  ::tarnwick::testing::CScopedEnv cache("XDG_CACHE_HOME", folder.Path().string());
  EXPECT_EQ(DefaultSencFolder(), folder / "tarnwick-ecs" / "SENC Files");
  ::tarnwick::testing::WriteFile(folder / "A.tksenc.deleted", "x");
  ::tarnwick::testing::WriteFile(folder / "B.tksenc", "x");
  EXPECT_EQ(CleanUpSencFolder(folder.Path()), 1u);
  EXPECT_TRUE(std::filesystem::exists(folder / "B.tksenc"));
}

}  // namespace
}  // namespace tarnwick
