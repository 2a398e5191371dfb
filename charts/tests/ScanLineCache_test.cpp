// The shared cache of decoded rows: its byte budget, least-recently-used
// eviction, owners that leave, and rows kept alive by their holders while
// threads decode, find and evict at once.

#include "charts/raster/ScanLineCache.h"

#include <gtest/gtest.h>

#include <thread>

namespace tarnwick {
namespace {

CScanLineCache::Row MakeRow(size_t bytes, uint8_t value) {
  return std::make_shared<const std::vector<uint8_t>>(bytes, value);
}

TEST(ScanLineCache, KeepsTheMostRecentlyUsedRowsWithinItsBudget) {
  // Room for three rows of 1000 bytes with their bookkeeping.
  CScanLineCache cache(3 * (1000 + 128));
  const CScanLineCache::Row held = MakeRow(1000, 1);
  cache.Insert(1, 0, MakeRow(1000, 0));
  cache.Insert(1, 1, held);
  cache.Insert(1, 2, MakeRow(1000, 2));
  ASSERT_TRUE(cache.Find(1, 0));  // row 0 is now the most recent
  cache.Insert(2, 0, MakeRow(1000, 9));  // evicts row 1, the least recent
  EXPECT_FALSE(cache.Find(1, 1));
  EXPECT_TRUE(cache.Find(1, 0));
  EXPECT_EQ(held->at(0), 1);  // still valid for its holder
  EXPECT_EQ(cache.RowsKept(), 3u);
  EXPECT_LE(cache.BytesUsed(), cache.Budget());

  cache.Insert(3, 0, MakeRow(cache.Budget(), 0));  // larger than the whole budget: not kept
  EXPECT_FALSE(cache.Find(3, 0));
  cache.Forget(1);
  EXPECT_EQ(cache.RowsKept(), 1u);
  EXPECT_TRUE(cache.Find(2, 0));

  EXPECT_EQ(CScanLineCache::BudgetFor(uint64_t{8} << 30), 536870912u);
  EXPECT_EQ(CScanLineCache::BudgetFor(uint64_t{1} << 30), 268435456u);
  EXPECT_EQ(CScanLineCache::BudgetFor(1000), 131072u);
}

TEST(ScanLineCache, ThreadsShareRowsWhileTheyAreEvicted) {
  CScanLineCache cache(40 * (256 + 128));  // far fewer rows than the threads ask for
  std::vector<std::thread> threads;
  std::atomic<int> wrong{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 4000; ++i) {
        const uint32_t row = static_cast<uint32_t>((i * 7 + t) % 100);
        auto got = cache.FindOrDecode(1 + (i % 2), row, [&] { return MakeRow(256, static_cast<uint8_t>(row)); });
        if (!got || got->at(255) != row) ++wrong;
        if (i % 500 == 0) cache.Forget(2);
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(wrong, 0);
  EXPECT_LE(cache.BytesUsed(), cache.Budget());
  EXPECT_GT(cache.Hits() + cache.Misses(), 0u);
}

}  // namespace
}  // namespace tarnwick
