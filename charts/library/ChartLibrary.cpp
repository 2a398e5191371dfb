#include "charts/library/ChartLibrary.h"

#include <algorithm>
#include <cmath>
#include <thread>

#include "charts/library/ChartCatalogue.h"
#include "charts/library/ChartQuilt.h"
#include "charts/library/ChartScanner.h"
#include "charts/library/ChartWatcher.h"
#include "charts/library/ChartWorkers.h"
#include "charts/library/OpenChartCache.h"
#include "charts/s57/SencFolder.h"
#include "core/Log.h"
#include "core/Paths.h"

namespace tarnwick {
namespace {

constexpr double kPi = 3.14159265358979323846;
// The standard display pixel, metres.
constexpr double kScreenPixelMetres = 0.00028;

std::mutex g_libraryMutex;
std::shared_ptr<CChartLibrary> g_library;

unsigned DefaultWorkers() {
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  return std::max(1u, cores / 2);
}

}  // namespace

const char* ChartKindName(ChartKind kind) {
  switch (kind) {
    case ChartKind::kVector:
      return "vector";
    case ChartKind::kKap:
      return "kap";
    case ChartKind::kGeoTiff:
      return "geotiff";
  }
  return "vector";
}

const char* ChartStatusName(ChartStatus status) {
  switch (status) {
    case ChartStatus::kPending:
      return "pending";
    case ChartStatus::kBuilding:
      return "building";
    case ChartStatus::kReady:
      return "ready";
    case ChartStatus::kFailed:
      return "failed";
    case ChartStatus::kSuperseded:
      return "superseded";
  }
  return "pending";
}

double DisplayScaleDenominator(double mercatorMetresPerPixel, double latDeg) {
  // Mercator stretches distances by 1 / cos(latitude).
  return mercatorMetresPerPixel * std::cos(latDeg * kPi / 180.0) / kScreenPixelMetres;
}

double TileScaleDenominator(int zoom, int y) {
  const double tiles = std::ldexp(1.0, zoom);
  const double metresPerPixel = kMercatorWorldWidth / (tiles * 256.0);
  const double yMid = kMercatorWorldWidth * (0.5 - (y + 0.5) / tiles);
  const auto position = MercatorInverse(0.0, yMid);
  return DisplayScaleDenominator(metresPerPixel, position ? position->lat : 0.0);
}

std::filesystem::path DefaultChartCatalogue() {
  return DataFolder() / "charts.db";
}

ChartLibraryOptions DefaultChartLibraryOptions() {
  ChartLibraryOptions options;
  options.catalogue = DefaultChartCatalogue();
  options.sencFolder = DefaultSencFolder();
  return options;
}

std::shared_ptr<CChartLibrary> ChartLibrary() {
  std::lock_guard lock(g_libraryMutex);
  return g_library;
}

void InstallChartLibrary(std::shared_ptr<CChartLibrary> library) {
  std::lock_guard lock(g_libraryMutex);
  g_library = std::move(library);
}

CChartLibrary::CChartLibrary(const ChartLibraryOptions& options) : options_(options) {}

std::shared_ptr<CChartLibrary> CChartLibrary::Open(const ChartLibraryOptions& options,
                                                   std::string& error) {
  auto catalogue = CChartCatalogue::Open(options.catalogue, error);
  if (!catalogue) return nullptr;
  std::shared_ptr<CChartLibrary> library(new CChartLibrary(options));
  library->catalogue_ = std::move(catalogue);
  library->cache_ = std::make_unique<COpenChartCache>(options.openChartLimit);
  library->workers_ =
      std::make_unique<CChartWorkers>(options.workers ? options.workers : DefaultWorkers());
  if (options.watch) {
    CChartLibrary* self = library.get();
    library->watcher_ = std::make_unique<CChartWatcher>(
        [self](const std::filesystem::path& source) { self->QueueScan(source); });
  }
  return library;
}

CChartLibrary::~CChartLibrary() {
  Stop();
}

void CChartLibrary::Start() {
  if (started_.exchange(true)) return;
  EnsureFolder(options_.sencFolder);
  CleanUpSencFolder(options_.sencFolder);
  workers_->Start();
  if (watcher_) watcher_->Start();
  for (const ChartSource& source : catalogue_->Sources()) QueueScan(source.path);
}

void CChartLibrary::Stop() {
  if (watcher_) watcher_->Stop();
  if (workers_) workers_->Stop();
}

bool CChartLibrary::WaitIdle(uint64_t timeoutMs) const {
  return workers_->WaitIdle(timeoutMs);
}

void CChartLibrary::Changed() {
  const uint64_t generation = ++generation_;
  std::vector<std::function<void(uint64_t)>> listeners;
  {
    std::lock_guard lock(listenersMutex_);
    for (const auto& [handle, listener] : listeners_) listeners.push_back(listener);
  }
  for (const auto& listener : listeners) listener(generation);
}

uint64_t CChartLibrary::AddChangeListener(std::function<void(uint64_t)> listener) {
  std::lock_guard lock(listenersMutex_);
  listeners_.emplace_back(nextListener_, std::move(listener));
  return nextListener_++;
}

void CChartLibrary::RemoveChangeListener(uint64_t handle) {
  std::lock_guard lock(listenersMutex_);
  std::erase_if(listeners_, [handle](const auto& entry) { return entry.first == handle; });
}

void CChartLibrary::QueueScan(const std::filesystem::path& source) {
  if (!started_) return;
  workers_->Post("scan:" + source.string(), "Looking for charts in " + source.string(),
                 [this, source](const auto&) { ScanSource(source); });
}

void CChartLibrary::QueueBuild(int64_t id, const std::string& name) {
  if (!started_) return;
  workers_->Post("build:" + std::to_string(id), "Reading " + name,
                 [this, id](const auto& say) { BuildChart(id, say); });
}

AddSourceResult CChartLibrary::AddSource(const std::filesystem::path& path) {
  AddSourceResult result;
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ec).lexically_normal();
  if (ec || path.empty()) {
    result.error = "\"" + path.string() + "\" is not a usable path";
    return result;
  }
  result.path = absolute;
  const auto status = std::filesystem::status(absolute, ec);
  if (ec || !std::filesystem::exists(status)) {
    result.error = absolute.string() + " does not exist";
    return result;
  }
  // Never the whole file system or its kernel views: searched to any depth,
  // they would never end.
  const std::filesystem::path real = std::filesystem::weakly_canonical(absolute, ec);
  for (const char* refused : {"/", "/proc", "/sys", "/dev"}) {
    const std::filesystem::path top(refused);
    if (real == top || (top != "/" && real.string().rfind(top.string() + "/", 0) == 0)) {
      result.error = absolute.string() + " is not a chart folder";
      return result;
    }
  }
  result.folder = std::filesystem::is_directory(status);
  if (!result.folder && (!std::filesystem::is_regular_file(status) || !ChartKindOfFile(absolute))) {
    result.error =
        absolute.string() + " is neither a folder nor a chart file (.000, .KAP, .tif, .tiff)";
    return result;
  }
  catalogue_->Include(absolute);
  bool installation = false;
  for (const ChartSource& source : catalogue_->Sources())
    if (source.path == absolute) installation = source.installation;
  if (!catalogue_->PutSource({absolute, result.folder, installation, 0})) {
    result.error = "cannot write the chart catalogue";
    return result;
  }
  Log("Chart library: %s %s\n", result.folder ? "folder" : "chart", absolute.c_str());
  QueueScan(absolute);
  result.ok = true;
  return result;
}

bool CChartLibrary::RemoveSource(const std::filesystem::path& path) {
  const std::filesystem::path absolute = std::filesystem::absolute(path).lexically_normal();
  if (!catalogue_->RemoveSource(absolute)) return false;
  if (watcher_) watcher_->Forget(absolute);
  bool removed = false;
  for (const CatalogueRow& row : catalogue_->Rows()) {
    if (row.record.source != absolute) continue;
    catalogue_->Remove(row.record.id);
    cache_->Forget(row.record.id);
    removed = true;
  }
  // Charts also reachable through another source come back through it.
  for (const ChartSource& source : catalogue_->Sources()) QueueScan(source.path);
  if (removed) Changed();
  return true;
}

void CChartLibrary::SetInstallationFolder(const std::filesystem::path& folder) {
  std::filesystem::path wanted;
  if (!folder.empty()) wanted = std::filesystem::absolute(folder).lexically_normal();
  for (const ChartSource& source : catalogue_->Sources())
    if (source.installation && source.path != wanted) RemoveSource(source.path);
  if (wanted.empty()) return;
  std::error_code ec;
  if (!std::filesystem::is_directory(wanted, ec)) {
    Log("Chart library: the installation folder %s is not a folder\n", wanted.c_str());
    return;
  }
  catalogue_->PutSource({wanted, true, true, 0});
  QueueScan(wanted);
}

std::vector<ChartSource> CChartLibrary::Sources() const {
  return catalogue_->Sources();
}

std::vector<std::string> CChartLibrary::RemoveChart(const std::string& nameOrPath) {
  std::vector<std::string> removed;
  std::filesystem::path asPath;
  if (!nameOrPath.empty() && nameOrPath.find('/') != std::string::npos)
    asPath = std::filesystem::absolute(nameOrPath).lexically_normal();
  for (const CatalogueRow& row : catalogue_->Rows()) {
    const ChartRecord& r = row.record;
    if (r.name != nameOrPath && (asPath.empty() || r.path != asPath)) continue;
    if (r.source == r.path) {
      catalogue_->RemoveSource(r.path);
      if (watcher_) watcher_->Forget(r.path);
    } else {
      catalogue_->Exclude(r.path);
    }
    catalogue_->Remove(r.id);
    cache_->Forget(r.id);
    removed.push_back(r.name);
    Log("Chart library: removed %s (%s)\n", r.name.c_str(), r.path.c_str());
  }
  if (!removed.empty()) {
    ResolveSupersession();
    Changed();
  }
  return removed;
}

void CChartLibrary::Rescan() {
  for (const ChartSource& source : catalogue_->Sources()) QueueScan(source.path);
}

std::vector<ChartRecord> CChartLibrary::Charts() const {
  std::vector<ChartRecord> out;
  for (CatalogueRow& row : catalogue_->Rows()) out.push_back(std::move(row.record));
  std::sort(out.begin(), out.end(), [](const ChartRecord& a, const ChartRecord& b) {
    return a.name != b.name ? a.name < b.name : a.id < b.id;
  });
  return out;
}

std::optional<ChartRecord> CChartLibrary::Chart(int64_t id) const {
  auto row = catalogue_->Row(id);
  if (!row) return std::nullopt;
  return std::move(row->record);
}

std::optional<ChartRecord> CChartLibrary::ChartNamed(const std::string& name) const {
  std::optional<ChartRecord> found;
  for (CatalogueRow& row : catalogue_->Rows()) {
    if (row.record.name != name) continue;
    if (!found ||
        (row.record.status == ChartStatus::kReady && found->status != ChartStatus::kReady))
      found = std::move(row.record);
  }
  return found;
}

ChartBuildProgress CChartLibrary::Progress() const {
  return workers_->Progress();
}

std::shared_ptr<const CS57Chart> CChartLibrary::OpenVectorRow(const CatalogueRow& row) const {
  auto chart = cache_->Vector(row.record.id, SencPathFor(options_.sencFolder, row.record.path),
                              row.signature);
  // A SENC that went missing (the cache folder emptied) is built again.
  if (!chart) const_cast<CChartLibrary*>(this)->QueueBuild(row.record.id, row.record.name);
  return chart;
}

std::shared_ptr<const CGeoRaster> CChartLibrary::OpenRasterRow(const CatalogueRow& row) const {
  return cache_->Raster(row.record.id, row.record.kind, row.record.path, row.signature);
}

std::shared_ptr<const CS57Chart> CChartLibrary::OpenVector(int64_t id) const {
  const auto row = catalogue_->Row(id);
  if (!row || row->record.kind != ChartKind::kVector || row->record.status != ChartStatus::kReady)
    return nullptr;
  return OpenVectorRow(*row);
}

std::shared_ptr<const CGeoRaster> CChartLibrary::OpenRaster(int64_t id) const {
  const auto row = catalogue_->Row(id);
  if (!row || row->record.kind == ChartKind::kVector || row->record.status != ChartStatus::kReady)
    return nullptr;
  return OpenRasterRow(*row);
}

std::vector<ViewChart> CChartLibrary::ChartsForView(const MercatorBox& box,
                                                    double scaleDenominator) const {
  std::vector<ViewChart> out;
  if (!(box.west < box.east) || !(box.south < box.north)) return out;
  // A chart is found in the view's own frame, or one world-width east or
  // west of it (views and charts across the antimeridian).
  std::vector<QuiltCandidate> candidates;
  std::vector<CatalogueRow> rows;
  for (const double shift : {0.0, kMercatorWorldWidth, -kMercatorWorldWidth}) {
    for (int64_t id : catalogue_->Query(ShiftBox(box, shift))) {
      auto row = catalogue_->Row(id);
      if (!row || row->record.status != ChartStatus::kReady || !row->record.coverage) continue;
      candidates.push_back({id, row->record.kind, static_cast<double>(row->record.scale),
                            row->record.coverage, -shift});
      rows.push_back(std::move(*row));
    }
  }
  for (QuiltLayer& layer : QuiltView(candidates, box, scaleDenominator, options_.zoomOutLimit)) {
    const CatalogueRow& row = rows[layer.candidate];
    ViewChart chart;
    chart.id = row.record.id;
    chart.kind = row.record.kind;
    chart.name = row.record.name;
    chart.scale = row.record.scale;
    chart.coverage = row.record.coverage;
    chart.xOffset = candidates[layer.candidate].xOffset;
    chart.visible = std::move(layer.visible);
    if (chart.kind == ChartKind::kVector) {
      chart.vector = OpenVectorRow(row);
      if (!chart.vector) continue;
    } else {
      chart.raster = OpenRasterRow(row);
      if (!chart.raster) continue;
    }
    out.push_back(std::move(chart));
  }
  return out;
}

std::optional<ViewChart> CChartLibrary::ChartAt(MercatorPoint p, double scaleDenominator) const {
  const MercatorBox box{p.x - 0.5, p.y - 0.5, p.x + 0.5, p.y + 0.5};
  auto charts = ChartsForView(box, scaleDenominator);
  for (auto it = charts.rbegin(); it != charts.rend(); ++it)
    if (RegionContains(it->visible, p)) return std::move(*it);
  return std::nullopt;
}

}  // namespace tarnwick
