#pragma once
// The charts the library keeps open: a bounded cache (least recently used
// out first) of mapped SENC files and raster charts by catalogue id. A chart
// handed out stays valid while its holder keeps the shared_ptr, whether or
// not the cache still holds it. Any thread.

#include <cstdint>
#include <filesystem>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "charts/library/ChartLibrary.h"

namespace tarnwick {

class COpenChartCache {
 public:
  explicit COpenChartCache(size_t limit) : limit_(limit == 0 ? 1 : limit) {}

  // The chart of id opened from file (a SENC, KAP or GeoTIFF), from the cache
  // when it holds the same version (the catalogue row's signature). Null,
  // logged, when it cannot be opened.
  std::shared_ptr<const CS57Chart> Vector(int64_t id, const std::filesystem::path& senc,
                                          const std::string& version);
  std::shared_ptr<const CGeoRaster> Raster(int64_t id, ChartKind kind,
                                           const std::filesystem::path& file,
                                           const std::string& version);
  void Forget(int64_t id);
  size_t Size() const;

 private:
  struct Entry {
    std::string version;
    std::shared_ptr<const CS57Chart> vector;
    std::shared_ptr<const CGeoRaster> raster;
    std::list<int64_t>::iterator use;
  };
  // The entry of id at version, marked as used; null when absent.
  const Entry* FindLocked(int64_t id, const std::string& version);
  void InsertLocked(int64_t id, Entry entry);

  const size_t limit_;
  mutable std::mutex mutex_;
  std::unordered_map<int64_t, Entry> entries_;
  std::list<int64_t> uses_;  // most recent first
};

}  // namespace tarnwick
