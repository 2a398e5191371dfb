#pragma once
// The renderer's portrayals: one feature source per open vector chart (kept
// while the chart is in use, the most recently used kept longest) and the
// portrayal of each feature under one set of display settings, made on first
// use and kept until the settings change. Unlike CS52Portrayal's own cache,
// the settings are given by the caller, so a tile is drawn with exactly the
// settings its cache key names.
//
// Thread safety: any thread; portrayals run outside the lock.

#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "charts/s52/S52ChartSource.h"
#include "charts/s52/S52Portrayal.h"

namespace tarnwick {

// A hash of every setting that changes what a portrayal gives (all of them
// but the colour scheme, which only the colours depend on).
uint64_t PortrayalFingerprint(const S52MarinerSettings& settings);

class CChartPortrayals {
 public:
  // sourceLimit: feature sources kept for charts no longer drawn.
  explicit CChartPortrayals(const CS52Library& library, size_t sourceLimit = 64)
      : portrayal_(library), sourceLimit_(sourceLimit == 0 ? 1 : sourceLimit) {}

  // The feature source of chart (made on first use; holds the chart).
  std::shared_ptr<const CS52ChartSource> Source(const std::shared_ptr<const CS57Chart>& chart);

  // The portrayal of feature of source under settings.
  std::shared_ptr<const S52PortrayedFeature> Portray(const IS52Feature& feature, const CS52ChartSource& source,
                                                     const S52MarinerSettings& settings);

  size_t CachedCount();

 private:
  struct Key {
    const void* source;
    uint64_t feature;
    bool operator==(const Key&) const = default;
  };
  struct KeyHash {
    size_t operator()(const Key& k) const {
      return std::hash<const void*>{}(k.source) ^ (std::hash<uint64_t>{}(k.feature) * 0x9e3779b97f4a7c15ull);
    }
  };
  struct SourceEntry {
    std::shared_ptr<const CS57Chart> chart;
    std::shared_ptr<const CS52ChartSource> source;
    std::list<const CS57Chart*>::iterator use;
  };

  CS52Portrayal portrayal_;
  const size_t sourceLimit_;
  std::mutex mutex_;
  uint64_t fingerprint_ = 0;
  std::unordered_map<Key, std::shared_ptr<const S52PortrayedFeature>, KeyHash> cache_;
  std::unordered_map<const CS57Chart*, SourceEntry> sources_;
  std::list<const CS57Chart*> uses_;  // most recent first
};

}  // namespace tarnwick
