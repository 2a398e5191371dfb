#include "charts/library/OpenChartCache.h"

#include "charts/geotiff/GeoTiffChart.h"
#include "charts/raster/RasterChart.h"
#include "core/Log.h"

namespace tarnwick {

const COpenChartCache::Entry* COpenChartCache::FindLocked(int64_t id, const std::string& version) {
  const auto it = entries_.find(id);
  if (it == entries_.end()) return nullptr;
  if (it->second.version != version) {
    uses_.erase(it->second.use);
    entries_.erase(it);
    return nullptr;
  }
  uses_.splice(uses_.begin(), uses_, it->second.use);
  return &it->second;
}

void COpenChartCache::InsertLocked(int64_t id, Entry entry) {
  if (const auto it = entries_.find(id); it != entries_.end()) {
    uses_.erase(it->second.use);
    entries_.erase(it);
  }
  uses_.push_front(id);
  entry.use = uses_.begin();
  entries_.emplace(id, std::move(entry));
  while (entries_.size() > limit_) {
    entries_.erase(uses_.back());
    uses_.pop_back();
  }
}

std::shared_ptr<const CS57Chart> COpenChartCache::Vector(int64_t id,
                                                         const std::filesystem::path& senc,
                                                         const std::string& version) {
  {
    std::lock_guard lock(mutex_);
    if (const Entry* entry = FindLocked(id, version); entry && entry->vector) return entry->vector;
  }
  // Opened outside the lock: mapping and checking a SENC takes a while, and
  // other charts must not wait for it. Two threads may open the same chart
  // at once; the later one's copy is kept.
  std::string error;
  std::shared_ptr<const CS57Chart> chart = CS57Chart::Open(senc, error);
  if (!chart) {
    Log("COpenChartCache: cannot open %s: %s\n", senc.c_str(), error.c_str());
    return nullptr;
  }
  std::lock_guard lock(mutex_);
  InsertLocked(id, Entry{version, chart, nullptr, {}});
  return chart;
}

std::shared_ptr<const CGeoRaster> COpenChartCache::Raster(int64_t id, ChartKind kind,
                                                          const std::filesystem::path& file,
                                                          const std::string& version) {
  {
    std::lock_guard lock(mutex_);
    if (const Entry* entry = FindLocked(id, version); entry && entry->raster) return entry->raster;
  }
  std::shared_ptr<const CGeoRaster> raster;
  std::string error;
  if (kind == ChartKind::kKap) {
    KapOpenError kapError;
    raster = CRasterChart::ReadKapFile(file, kapError);
    error = kapError.error + " " + kapError.detail;
  } else {
    raster = CGeoTiffChart::Open(file, error);
  }
  if (!raster) {
    Log("COpenChartCache: cannot open %s: %s\n", file.c_str(), error.c_str());
    return nullptr;
  }
  std::lock_guard lock(mutex_);
  InsertLocked(id, Entry{version, nullptr, raster, {}});
  return raster;
}

void COpenChartCache::Forget(int64_t id) {
  std::lock_guard lock(mutex_);
  const auto it = entries_.find(id);
  if (it == entries_.end()) return;
  uses_.erase(it->second.use);
  entries_.erase(it);
}

size_t COpenChartCache::Size() const {
  std::lock_guard lock(mutex_);
  return entries_.size();
}

}  // namespace tarnwick
