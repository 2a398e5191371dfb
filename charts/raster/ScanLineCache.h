#pragma once
// The cache of decoded raster rows shared by every open raster chart: rows are
// decoded on demand and kept, least recently used first out, within a byte
// budget. Safe to use from several threads at once; a row handed out stays
// valid while its holder keeps it, even after it leaves the cache.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace tarnwick {

class CScanLineCache {
 public:
  using Row = std::shared_ptr<const std::vector<uint8_t>>;

  // budgetBytes: most bytes of row data (plus a fixed overhead per row) kept.
  explicit CScanLineCache(size_t budgetBytes);
  CScanLineCache(const CScanLineCache&) = delete;
  CScanLineCache& operator=(const CScanLineCache&) = delete;

  // The process-wide cache, created on first use with a quarter of the
  // machine's memory, at most 512 MB (536870912 bytes); logs "Created scan
  // line heap; %d bytes\n".
  static CScanLineCache& Shared();
  // The budget Shared() uses on a machine with totalBytes of memory
  // (131072 bytes at least).
  static size_t BudgetFor(uint64_t totalBytes);
  // A number no other owner of rows has.
  static uint64_t NewOwner();

  // The row of owner, or null (and counts a miss) when it is not kept.
  Row Find(uint64_t owner, uint32_t row);
  // Keeps data as owner's row, evicting the least recently used rows beyond
  // the budget. A row larger than the whole budget is not kept.
  void Insert(uint64_t owner, uint32_t row, Row data);
  // The row from the cache, or decode() kept and returned. decode runs
  // outside the cache's lock and returns null on failure (nothing is kept).
  template <typename Decode>
  Row FindOrDecode(uint64_t owner, uint32_t row, Decode&& decode) {
    if (Row found = Find(owner, row)) return found;
    Row made = decode();
    if (made) Insert(owner, row, made);
    return made;
  }
  // Drops every row of owner (a chart that closes).
  void Forget(uint64_t owner);
  void Clear();

  size_t Budget() const { return budget_; }
  size_t BytesUsed() const;
  size_t RowsKept() const;
  uint64_t Hits() const { return hits_; }
  uint64_t Misses() const { return misses_; }

 private:
  struct Entry {
    uint64_t key;
    Row data;
    size_t bytes;
  };
  static uint64_t Key(uint64_t owner, uint32_t row) { return (owner << 32) | row; }
  void EvictLocked();

  const size_t budget_;
  mutable std::mutex mutex_;
  std::list<Entry> lru_;  // most recently used first
  std::unordered_map<uint64_t, std::list<Entry>::iterator> index_;
  size_t used_ = 0;
  std::atomic<uint64_t> hits_{0};
  std::atomic<uint64_t> misses_{0};
};

}  // namespace tarnwick
