#include "charts/render/ChartTileService.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "charts/render/ChartPortrayals.h"
#include "core/Log.h"

namespace tarnwick {
namespace {

// Changes whenever the drawing itself changes, so tiles on disk from an
// older program are not served.
constexpr uint64_t kRendererVersion = 1;

void MixBytes(uint64_t& hash, const void* data, size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 0x100000001b3ull;
}

template <typename T>
void Mix(uint64_t& hash, const T& value) {
  MixBytes(hash, &value, sizeof(T));
}

void MixText(uint64_t& hash, const std::string& text) {
  MixBytes(hash, text.data(), text.size());
  Mix(hash, text.size());
}

std::string Hex(uint64_t value) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
  return text;
}

}  // namespace

TileChartSource LibraryTileSource(std::function<std::shared_ptr<CChartLibrary>()> library) {
  struct Memo {
    std::mutex mutex;
    const void* library = nullptr;
    uint64_t generation = 0;
    uint64_t fingerprint = 0;
  };
  auto memo = std::make_shared<Memo>();
  TileChartSource source;
  source.charts = [library](const MercatorBox& box, double scale) {
    const auto lib = library();
    return lib ? lib->ChartsForView(box, scale) : std::vector<ViewChart>{};
  };
  source.fingerprint = [library, memo] {
    const auto lib = library();
    if (!lib) return uint64_t{0};
    const uint64_t generation = lib->Generation();
    std::lock_guard lock(memo->mutex);
    if (memo->library == lib.get() && memo->generation == generation) return memo->fingerprint;
    uint64_t h = 0xcbf29ce484222325ull;
    for (const ChartRecord& r : lib->Charts()) {
      Mix(h, r.id);
      MixText(h, r.name);
      MixText(h, r.path.string());
      Mix(h, static_cast<int>(r.status));
      Mix(h, r.edition.value_or(0));
      Mix(h, r.update.value_or(0));
      Mix(h, r.scale);
    }
    memo->library = lib.get();
    memo->generation = generation;
    memo->fingerprint = h;
    return h;
  };
  return source;
}

CChartTileService::CChartTileService(std::shared_ptr<CChartViewRenderer> renderer, TileChartSource source,
                                     ChartTileOptions options)
    : renderer_(std::move(renderer)), source_(std::move(source)), options_(std::move(options)) {
  const unsigned count = options_.workers == 0 ? 1 : options_.workers;
  for (unsigned i = 0; i < count; ++i) workers_.emplace_back([this] { Work(); });
}

CChartTileService::~CChartTileService() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (std::thread& t : workers_) t.join();
  for (Job& job : queue_) job.promise->set_value({});
}

std::string CChartTileService::KeyPrefix(const S52MarinerSettings& s) {
  uint64_t h = PortrayalFingerprint(s);
  Mix(h, kRendererVersion);
  for (bool b : {s.antiAlias, s.declutterText, s.useScaMin, s.symbolScaling}) Mix(h, b);
  Mix(h, s.textSize);
  Mix(h, source_.fingerprint ? source_.fingerprint() : uint64_t{0});
  return Hex(h);
}

std::optional<std::string> CChartTileService::Tile(int zoom, int x, int y, S52Scheme scheme,
                                                   const S52MarinerSettings& settings, uint64_t timeoutMs) {
  if (zoom < 0 || zoom > kMaxZoom) return std::nullopt;
  const int64_t side = int64_t{1} << zoom;
  if (x < 0 || y < 0 || x >= side || y >= side) return std::nullopt;
  const std::string prefix = KeyPrefix(settings);
  const std::string key = prefix + "/" + S52SchemeName(scheme) + "/" + std::to_string(zoom) + "/" +
                          std::to_string(x) + "/" + std::to_string(y);
  if (auto png = FromMemory(key)) return png;
  std::shared_future<std::string> future;
  {
    std::lock_guard lock(mutex_);
    if (stopping_) return std::nullopt;
    if (auto it = inFlight_.find(key); it != inFlight_.end()) {
      future = it->second;
    } else {
      Job job{key, zoom, x, y, scheme, settings, prefix, std::make_shared<std::promise<std::string>>()};
      future = job.promise->get_future().share();
      inFlight_.emplace(key, future);
      queue_.push_back(std::move(job));
      // A view that moved on leaves old requests behind: drop the oldest.
      while (queue_.size() > options_.queueLimit) {
        inFlight_.erase(queue_.front().key);
        queue_.front().promise->set_value({});
        queue_.pop_front();
      }
    }
  }
  wake_.notify_one();
  if (future.wait_for(std::chrono::milliseconds(timeoutMs)) != std::future_status::ready) return std::nullopt;
  std::string png = future.get();
  if (png.empty()) return std::nullopt;
  return png;
}

void CChartTileService::Work() {
  for (;;) {
    Job job;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      if (stopping_) return;
      job = std::move(queue_.back());
      queue_.pop_back();
    }
    Draw(job);
  }
}

std::filesystem::path CChartTileService::DiskPath(const std::string& prefix, S52Scheme scheme, int zoom, int x,
                                                  int y) const {
  return options_.diskFolder / prefix / S52SchemeName(scheme) / std::to_string(zoom) / std::to_string(x) /
         (std::to_string(y) + ".png");
}

void CChartTileService::DropOtherDiskKeys(const std::string& prefix) {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(options_.diskFolder, ec)) {
    if (entry.path().filename() == prefix) continue;
    std::filesystem::remove_all(entry.path(), ec);
  }
}

void CChartTileService::Draw(const Job& job) {
  std::string png;
  std::filesystem::path path;
  bool fromDisk = false;
  if (!options_.diskFolder.empty()) {
    path = DiskPath(job.prefix, job.scheme, job.zoom, job.x, job.y);
    std::ifstream in(path, std::ios::binary);
    if (in) {
      std::ostringstream bytes;
      bytes << in.rdbuf();
      png = bytes.str();
      fromDisk = !png.empty();
    }
  }
  if (!fromDisk) {
    const RenderView view = TileView(job.zoom, job.x, job.y, job.scheme, job.settings);
    const auto charts = source_.charts ? source_.charts(view.box, view.DisplayScale()) : std::vector<ViewChart>{};
    png = renderer_->RenderPng(view, charts);
    if (!png.empty() && !path.empty()) {
      bool dropOld = false;
      {
        std::lock_guard lock(mutex_);
        if (diskPrefix_ != job.prefix) {
          diskPrefix_ = job.prefix;
          dropOld = true;
        }
      }
      // Settings or charts changed: the tiles of the older keys are stale.
      if (dropOld) DropOtherDiskKeys(job.prefix);
      std::error_code ec;
      std::filesystem::create_directories(path.parent_path(), ec);
      const std::filesystem::path temp = path.string() + ".part";
      {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(png.data(), static_cast<std::streamsize>(png.size()));
        if (!out) ec = std::make_error_code(std::errc::io_error);
      }
      if (!ec) std::filesystem::rename(temp, path, ec);
      if (ec) {
        std::filesystem::remove(temp, ec);
        Log("Chart tiles: cannot write %s\n", path.c_str());
      }
    }
  }
  if (!png.empty()) Remember(job.key, png);
  {
    std::lock_guard lock(mutex_);
    if (fromDisk) ++stats_.diskHits;
    else ++stats_.drawn;
    inFlight_.erase(job.key);
  }
  job.promise->set_value(std::move(png));
}

std::optional<std::string> CChartTileService::FromMemory(const std::string& key) {
  std::lock_guard lock(mutex_);
  auto it = memory_.find(key);
  if (it == memory_.end()) return std::nullopt;
  uses_.splice(uses_.begin(), uses_, it->second.use);
  ++stats_.memoryHits;
  return it->second.png;
}

void CChartTileService::Remember(const std::string& key, const std::string& png) {
  std::lock_guard lock(mutex_);
  if (memory_.count(key) != 0) return;
  uses_.push_front(key);
  memory_.emplace(key, Entry{png, uses_.begin()});
  memoryBytes_ += png.size();
  while (memoryBytes_ > options_.memoryBytes && uses_.size() > 1) {
    auto last = memory_.find(uses_.back());
    memoryBytes_ -= last->second.png.size();
    memory_.erase(last);
    uses_.pop_back();
  }
}

void CChartTileService::Invalidate() {
  {
    std::lock_guard lock(mutex_);
    memory_.clear();
    uses_.clear();
    memoryBytes_ = 0;
    diskPrefix_.clear();
  }
  if (!options_.diskFolder.empty()) DropOtherDiskKeys("");
}

ChartTileStats CChartTileService::Stats() const {
  std::lock_guard lock(mutex_);
  ChartTileStats stats = stats_;
  stats.memoryTiles = memory_.size();
  stats.memoryBytes = memoryBytes_;
  return stats;
}

}  // namespace tarnwick
