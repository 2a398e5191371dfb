// Exchange sets: the real NOAA and S-64 sets found through their catalogues,
// catalogue names that must stay inside the set, damaged files caught by
// their CRC-32, the newest edition of a cell kept, and a parallel build that
// writes the same SENC files as a build on one thread.

#include "charts/s57/ExchangeSet.h"

#include <gtest/gtest.h>

#include "charts/s57/S57ChartReader.h"
#include "charts/tests/support/S57Writer.h"

namespace tarnwick {
namespace {

const std::filesystem::path kData = testing::TestDataFolder() / "s57";

TEST(ExchangeSet, RealSetsThroughTheirCatalogues) {
  const CExchangeSet noaa = CExchangeSet::Scan(kData / "noaa_US1AK90M_exchange_set");
  EXPECT_EQ(noaa.Catalogue().filename(), "CATALOG.031");
  ASSERT_EQ(noaa.Cells().size(), 1u);
  EXPECT_EQ(noaa.Cells()[0].base, kData / "noaa_US1AK90M_exchange_set/ENC_ROOT/US1AK90M/US1AK90M.000");
  EXPECT_EQ(noaa.Cells()[0].edition, 9u);
  EXPECT_TRUE(noaa.Problems().empty());
  EXPECT_FALSE(noaa.CheckFile(kData / "noaa_US1AK90M_exchange_set/ENC_ROOT/US1AK90M/US1AK90M.003"));

  const CExchangeSet s64 = CExchangeSet::Scan(kData / "s64_2_1_1_power_up");
  EXPECT_EQ(s64.Cells().size(), 6u);
  EXPECT_EQ(s64.Problems().size(), 6u);  // listed files that are not in this copy
  EXPECT_NE(s64.Problems()[0].find("lists GBCHAINS.TXT, which is not there"), std::string::npos);

  const CExchangeSet plain = CExchangeSet::Scan(kData / "inland_ienc_test_2.1");
  EXPECT_TRUE(plain.Catalogue().empty());
  EXPECT_EQ(plain.Cells().size(), 10u);  // the folder and its exchange_set_TEST_2_1
}

TEST(ExchangeSet, CatalogueNamesStayInsideTheSet) {
  testing::CTempFolder folder;
  testing::WriteFile(folder / "US5AK1XM" / "US5AK1XM.000", "");
  struct Row {
    const char* name;
    std::optional<std::filesystem::path> expected;
  } rows[] = {
      {"US5AK1XM\\US5AK1XM.000", folder / "US5AK1XM" / "US5AK1XM.000"},
      {"us5ak1xm\\us5ak1xm.000", folder / "US5AK1XM" / "US5AK1XM.000"},
      {".\\US5AK1XM/US5AK1XM.000", folder / "US5AK1XM" / "US5AK1XM.000"},
      {"NEW\\CELL.000", folder / "NEW" / "CELL.000"},
      {"..\\..\\etc\\passwd", std::nullopt},
      {"US5AK1XM\\..\\..\\x", std::nullopt},
      {"\\etc\\passwd", std::nullopt},
      {"/etc/passwd", std::nullopt},
      {"C:\\CELL.000", std::nullopt},
      {"", std::nullopt},
  };
  for (const Row& row : rows) EXPECT_EQ(ResolveCatalogueName(folder.Path(), row.name), row.expected) << row.name;
}

TEST(ExchangeSet, ADamagedUpdateEndsTheUpdatesAtTheOneBefore) {
  testing::CTempFolder folder;
  std::filesystem::copy(kData / "noaa_US1AK90M_exchange_set", folder / "set",
                        std::filesystem::copy_options::recursive);
  const auto update = folder / "set/ENC_ROOT/US1AK90M/US1AK90M.003";
  std::string bytes = testing::ReadFile(update);
  bytes[bytes.size() / 2] ^= 0x20;
  testing::WriteFile(update, bytes);
  const CExchangeSet set = CExchangeSet::Scan(folder / "set");
  const auto outcomes = BuildSencFiles({{set.Cells()[0].base, &set}}, folder / "senc", 1, false, {});
  ASSERT_EQ(outcomes.size(), 1u);
  EXPECT_EQ(outcomes[0].status, SencBuildOutcome::Status::Built);
  EXPECT_EQ(outcomes[0].update, 2u);
  EXPECT_EQ(outcomes[0].updatesApplied.size(), 2u);
  EXPECT_EQ(outcomes[0].failedUpdate, update);
  EXPECT_NE(outcomes[0].failedUpdateError.find("is damaged: its CRC-32"), std::string::npos);
}

TEST(ExchangeSet, TheNewestEditionOfACellIsKept) {
  testing::CTempFolder folder;
  auto cell = [](uint32_t edition, uint32_t update) {
    testing::S57Writer w;
    w.Dsid(edition, update).Dspm(10000000, 10).Node(110, 1, 0, 0).Feature(1, 1, 17, {}, {{110, 1}});
    return w;
  };
  cell(1, 0).Write(folder / "TEST0001" / "1" / "0" / "TEST0001.000");
  cell(2, 0).Write(folder / "TEST0001" / "2" / "0" / "TEST0001.000");
  cell(1, 4).Write(folder / "old" / "TEST0001.000");
  const CExchangeSet set = CExchangeSet::Scan(folder.Path());
  ASSERT_EQ(set.Cells().size(), 1u);
  EXPECT_EQ(set.Cells()[0].edition, 2u);
  EXPECT_EQ(set.Problems().size(), 2u);
  const auto outcomes = BuildSencFiles({{folder / "old" / "TEST0001.000", nullptr},
                                        {set.Cells()[0].base, &set}},
                                       folder / "senc", 2, false, {});
  EXPECT_EQ(outcomes[0].status, SencBuildOutcome::Status::Failed);
  EXPECT_NE(outcomes[0].error.find("superseded by"), std::string::npos);
  EXPECT_EQ(outcomes[1].edition, 2u);
}

TEST(ExchangeSet, ParallelBuildWritesWhatOneThreadWrites) {
  std::vector<SencBuildJob> jobs;
  const CExchangeSet s64 = CExchangeSet::Scan(kData / "s64_2_1_1_power_up");
  const CExchangeSet inland = CExchangeSet::Scan(kData / "inland_ienc_test_2.1");
  for (const CExchangeSet* set : {&s64, &inland})
    for (const auto& cell : set->Cells()) jobs.push_back({cell.base, set});
  testing::CTempFolder one, many;
  size_t calls = 0, lastDone = 0;
  const auto serial = BuildSencFiles(jobs, one.Path(), 1, false, {});
  const auto parallel = BuildSencFiles(jobs, many.Path(), 4, false,
                                       [&](const SencBuildOutcome&, size_t done, size_t total) {
                                         ++calls;
                                         EXPECT_EQ(done, lastDone + 1);
                                         EXPECT_EQ(total, jobs.size());
                                         lastDone = done;
                                       });
  EXPECT_EQ(calls, jobs.size());
  ASSERT_EQ(parallel.size(), serial.size());
  for (size_t i = 0; i < jobs.size(); ++i) {
    EXPECT_EQ(parallel[i].status, SencBuildOutcome::Status::Built) << parallel[i].error;
    EXPECT_EQ(testing::ReadFile(parallel[i].senc), testing::ReadFile(serial[i].senc)) << jobs[i].cell;
  }
  // A second run finds every SENC up to date.
  for (const auto& outcome : BuildSencFiles(jobs, many.Path(), 2, false, {}))
    EXPECT_EQ(outcome.status, SencBuildOutcome::Status::UpToDate);
}

}  // namespace
}  // namespace tarnwick
