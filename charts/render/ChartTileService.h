#pragma once
// The chart view's tiles: 256-pixel PNG tiles of the XYZ grid over the chart
// Mercator, drawn on the service's own worker threads (never the caller's),
// kept in memory (least recently used out first, within a byte budget) and on
// disk under the cache folder. A tile's key names everything it depends on:
// the tile, the colour scheme, the display settings that change the drawing,
// and the charts installed (their fingerprint); when settings or charts
// change, the key changes, so stale tiles are never served, and the disk
// folders of older keys are deleted.
//
// Thread safety: any thread. The newest request is drawn first (a panning
// view wants what it asked for last); requests for a tile being drawn wait
// for the same drawing.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <future>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "charts/library/ChartLibrary.h"
#include "charts/render/ChartViewRenderer.h"

namespace tarnwick {

// The charts for a box at a display scale (the library's ChartsForView), and
// a fingerprint of what that can answer (changes when charts change).
struct TileChartSource {
  std::function<std::vector<ViewChart>(const MercatorBox& box, double scale)> charts;
  std::function<uint64_t()> fingerprint;
};

// A source over the process-wide chart library (none: no charts, the base
// map only). The fingerprint hashes every chart's identity, edition, update
// and status, so it stays the same across runs over the same charts.
TileChartSource LibraryTileSource(std::function<std::shared_ptr<CChartLibrary>()> library);

struct ChartTileOptions {
  std::filesystem::path diskFolder;       // "" keeps tiles in memory only
  size_t memoryBytes = 64u << 20;         // memory cache budget
  unsigned workers = 2;                   // drawing threads
  size_t queueLimit = 256;                // older requests beyond this are dropped
};

struct ChartTileStats {
  uint64_t memoryHits = 0;
  uint64_t diskHits = 0;
  uint64_t drawn = 0;
  size_t memoryTiles = 0;
  size_t memoryBytes = 0;
};

class CChartTileService {
 public:
  static constexpr int kMaxZoom = 24;

  CChartTileService(std::shared_ptr<CChartViewRenderer> renderer, TileChartSource source,
                    ChartTileOptions options);
  ~CChartTileService();  // stops the workers
  CChartTileService(const CChartTileService&) = delete;
  CChartTileService& operator=(const CChartTileService&) = delete;

  // The PNG of tile (zoom 0..kMaxZoom, x and y 0..2^zoom-1) in scheme under
  // settings, waiting up to timeoutMs for it to be drawn; none when it was
  // not ready in time (it is still drawn and cached) or the indices are out
  // of range.
  std::optional<std::string> Tile(int zoom, int x, int y, S52Scheme scheme, const S52MarinerSettings& settings,
                                  uint64_t timeoutMs);
  // Drops every tile (memory and disk).
  void Invalidate();
  ChartTileStats Stats() const;

  // The key text of the settings and charts a tile depends on (16 hex digits).
  std::string KeyPrefix(const S52MarinerSettings& settings);

 private:
  struct Job {
    std::string key;
    int zoom, x, y;
    S52Scheme scheme;
    S52MarinerSettings settings;
    std::string prefix;
    std::shared_ptr<std::promise<std::string>> promise;
  };
  void Work();
  void Draw(const Job& job);
  void Remember(const std::string& key, const std::string& png);
  std::optional<std::string> FromMemory(const std::string& key);
  std::filesystem::path DiskPath(const std::string& prefix, S52Scheme scheme, int zoom, int x, int y) const;
  void DropOtherDiskKeys(const std::string& prefix);

  std::shared_ptr<CChartViewRenderer> renderer_;
  TileChartSource source_;
  ChartTileOptions options_;

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::deque<Job> queue_;
  std::unordered_map<std::string, std::shared_future<std::string>> inFlight_;
  std::list<std::string> uses_;  // memory cache keys, most recent first
  struct Entry {
    std::string png;
    std::list<std::string>::iterator use;
  };
  std::unordered_map<std::string, Entry> memory_;
  size_t memoryBytes_ = 0;
  std::string diskPrefix_;  // the key prefix whose folder is current on disk
  ChartTileStats stats_;
  std::vector<std::thread> workers_;
};

}  // namespace tarnwick
