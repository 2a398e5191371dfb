#include "charts/raster/ScanLineCache.h"

#include <sys/sysinfo.h>

#include <algorithm>

#include "core/Log.h"

namespace tarnwick {
namespace {

// Bookkeeping per kept row beyond its bytes (list node, map node, control block).
constexpr size_t kRowOverhead = 128;
constexpr size_t kMaxBudget = 536870912;
constexpr size_t kMinBudget = 131072;

}  // namespace

CScanLineCache::CScanLineCache(size_t budgetBytes) : budget_(budgetBytes) {}

size_t CScanLineCache::BudgetFor(uint64_t totalBytes) {
  return static_cast<size_t>(std::clamp<uint64_t>(totalBytes / 4, kMinBudget, kMaxBudget));
}

CScanLineCache& CScanLineCache::Shared() {
  static CScanLineCache* cache = [] {
    struct sysinfo info {};
    const uint64_t total =
        sysinfo(&info) == 0 ? uint64_t{info.totalram} * info.mem_unit : uint64_t{kMaxBudget} * 4;
    auto* made = new CScanLineCache(BudgetFor(total));
    Log("Created scan line heap; %d bytes\n", static_cast<int>(made->Budget()));
    return made;
  }();
  return *cache;
}

uint64_t CScanLineCache::NewOwner() {
  static std::atomic<uint64_t> next{1};
  return next++;
}

CScanLineCache::Row CScanLineCache::Find(uint64_t owner, uint32_t row) {
  std::lock_guard lock(mutex_);
  const auto it = index_.find(Key(owner, row));
  if (it == index_.end()) {
    ++misses_;
    return nullptr;
  }
  ++hits_;
  lru_.splice(lru_.begin(), lru_, it->second);
  return it->second->data;
}

void CScanLineCache::Insert(uint64_t owner, uint32_t row, Row data) {
  if (!data) return;
  const size_t bytes = data->size() + kRowOverhead;
  if (bytes > budget_) return;
  const uint64_t key = Key(owner, row);
  std::lock_guard lock(mutex_);
  const auto it = index_.find(key);
  if (it != index_.end()) {
    used_ -= it->second->bytes;
    lru_.erase(it->second);
    index_.erase(it);
  }
  lru_.push_front({key, std::move(data), bytes});
  index_.emplace(key, lru_.begin());
  used_ += bytes;
  EvictLocked();
}

void CScanLineCache::EvictLocked() {
  while (used_ > budget_ && !lru_.empty()) {
    used_ -= lru_.back().bytes;
    index_.erase(lru_.back().key);
    lru_.pop_back();
  }
}

void CScanLineCache::Forget(uint64_t owner) {
  std::lock_guard lock(mutex_);
  for (auto it = lru_.begin(); it != lru_.end();) {
    if ((it->key >> 32) == owner) {
      used_ -= it->bytes;
      index_.erase(it->key);
      it = lru_.erase(it);
    } else {
      ++it;
    }
  }
}

void CScanLineCache::Clear() {
  std::lock_guard lock(mutex_);
  lru_.clear();
  index_.clear();
  used_ = 0;
}

size_t CScanLineCache::BytesUsed() const {
  std::lock_guard lock(mutex_);
  return used_;
}

size_t CScanLineCache::RowsKept() const {
  std::lock_guard lock(mutex_);
  return lru_.size();
}

}  // namespace tarnwick
