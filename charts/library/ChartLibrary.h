#pragma once
// The chart library: every chart the navigator installed, in an SQLite
// catalogue ("charts.db" in the data folder) with an R*Tree index of the
// charts' extents, and the charts to draw for a view.
//
// Sources are chart folders (the setting Charts_InstallationFolder and the
// folders added from the page or the command line) and single chart files.
// A folder is searched for S-57 exchange sets and cells (".000" with their
// updates), BSB/KAP raster charts (".KAP") and GeoTIFF charts (".tif",
// ".tiff"). Vector cells are compiled into SENC files on the library's worker
// threads, never on the caller's; changes in the folders (new cells, update
// files, new editions, deleted charts) are noticed through inotify and picked
// up the same way.
//
// Contract for renderers (stable):
//   - ChartLibrary() is the process-wide library (null before the charts
//     start-up stage and after shutdown). Hold the shared_ptr for the length
//     of one use; it may be read from any thread.
//   - ChartsForView(box, scale) gives the charts to draw for a box of the
//     chart Mercator (EPSG:3395 metres) at a display scale, bottom first:
//     draw them in order, each clipped to its `visible` region, and the view
//     is quilted (larger scale on top; a chart hidden under larger scales is
//     left out; charts outside their usage band at this scale are left out).
//     Opened charts come from a bounded cache and stay valid as long as the
//     ViewChart (or a copy of its shared_ptr) lives, even after the library
//     replaced or dropped them.
//   - Generation() changes whenever what ChartsForView can answer changes (a
//     chart added, removed, rebuilt or updated); tile caches key on it.
//     Change listeners are called after each change, on the thread that made
//     it (a worker or the caller of AddSource/RemoveChart), without locks held.
//   - AddSource(path) registers a folder or one chart file; the charts appear
//     (Generation() changes) once they are built.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "charts/library/ChartCoverage.h"
#include "charts/raster/GeoRaster.h"
#include "charts/raster/RasterRender.h"
#include "charts/s57/S57Chart.h"

namespace tarnwick {

enum class ChartKind { kVector, kKap, kGeoTiff };
// "vector", "kap", "geotiff".
const char* ChartKindName(ChartKind kind);

enum class ChartStatus {
  kPending,     // found, waiting for its turn to be built or read
  kBuilding,    // its SENC is being built (or the raster read)
  kReady,       // drawn
  kFailed,      // cannot be used: message says why
  kSuperseded,  // another file of the same cell has a newer edition
};
// "pending", "building", "ready", "failed", "superseded".
const char* ChartStatusName(ChartStatus status);

// One chart of the catalogue.
struct ChartRecord {
  int64_t id = 0;                // catalogue row, stable while the chart is listed
  std::string name;              // cell name ("US5HA57M") or raster file stem ("12205_7")
  std::filesystem::path path;    // the base cell, KAP or GeoTIFF file
  std::filesystem::path source;  // the folder or file it was found through
  ChartKind kind = ChartKind::kVector;
  ChartStatus status = ChartStatus::kPending;
  std::string message;  // why it failed, or what it is waiting for
  uint32_t scale = 0;   // compilation scale denominator; 0 unknown
  // Vector: EDTN and UPDN of the SENC. KAP: CED/SE and CED/RE. None unknown.
  std::optional<uint32_t> edition;
  std::optional<uint32_t> update;
  uint32_t intendedUsage = 0;  // vector: INTU 1..9; 0 unknown
  std::string title;
  // An update file that could not be applied: its name and the text the
  // navigator was given ("Can't apply update 3 to update 1."). The chart is
  // drawn as updated so far.
  std::string failedUpdate;
  std::string updateError;
  MercatorBox extent;                             // chart Mercator metres, x may pass +-pi a
  std::shared_ptr<const ChartCoverage> coverage;  // null until read
};

// A chart to draw in a view.
struct ViewChart {
  int64_t id = 0;
  ChartKind kind = ChartKind::kVector;
  std::string name;
  double scale = 0;  // compilation scale denominator (estimated for GeoTIFF images)
  // Exactly one is set: the open SENC of a vector cell, or the raster.
  std::shared_ptr<const CS57Chart> vector;
  std::shared_ptr<const CGeoRaster> raster;
  std::shared_ptr<const ChartCoverage> coverage;  // in the chart's own x
  // Metres to add to the chart's x to place it in the view's box (a multiple
  // of the world's width, non-zero only for views across the antimeridian).
  double xOffset = 0;
  // The part of the view this chart shows, in the view's x: its coverage
  // within the view's box less the coverage of the charts above it.
  ChartRegion visible;
};

// Files found in a source and registered, or why the source was refused.
struct AddSourceResult {
  bool ok = false;
  std::string error;           // for the navigator
  std::filesystem::path path;  // as registered (absolute, normalised)
  bool folder = false;
};

struct ChartSource {
  std::filesystem::path path;
  bool folder = true;
  bool installation = false;  // the Charts_InstallationFolder setting's folder
  size_t charts = 0;          // charts found through it
};

// What the background work is doing, for the page.
struct ChartBuildProgress {
  bool busy = false;
  size_t done = 0;                   // jobs finished since the library was last idle
  size_t total = 0;                  // jobs queued since then
  std::vector<std::string> current;  // one text per busy worker ("Building SENC from US5HA57M.000")
};

struct ChartLibraryOptions {
  std::filesystem::path catalogue;   // charts.db
  std::filesystem::path sencFolder;  // where SENC files are written
  unsigned workers = 0;              // 0: one per two cores, at least one
  size_t openChartLimit = 48;        // charts kept open in the cache
  bool watch = true;                 // follow the folders with inotify
  // A chart is left out of a view whose scale denominator exceeds its own
  // scale by more than this factor (too detailed to read there).
  double zoomOutLimit = 8.0;
};

class CChartCatalogue;
struct CatalogueRow;
class CExchangeSet;
class CChartWorkers;
class COpenChartCache;
class CChartWatcher;

class CChartLibrary {
 public:
  // Opens (creating when needed) the catalogue. Null with the reason in error
  // when it cannot be opened. No work starts before Start().
  static std::shared_ptr<CChartLibrary> Open(const ChartLibraryOptions& options,
                                             std::string& error);
  ~CChartLibrary();  // stops the workers (a build in progress ends first)
  CChartLibrary(const CChartLibrary&) = delete;
  CChartLibrary& operator=(const CChartLibrary&) = delete;

  // Starts the workers and the folder watch, and looks at every source for
  // new, changed and deleted charts.
  void Start();
  // Stops taking new work and waits for the workers (shutdown).
  void Stop();
  // Waits until no work is queued or running (the command line, tests); false
  // when timeoutMs passed first.
  bool WaitIdle(uint64_t timeoutMs) const;

  // --- sources ---------------------------------------------------------------
  // Registers a folder or a chart file (".000", ".KAP", ".tif"/".tiff") and
  // looks at it on a worker. The path must exist; relative paths are taken
  // from the current folder. A file that a removal excluded is included again.
  AddSourceResult AddSource(const std::filesystem::path& path);
  // Forgets a registered source and the charts found only through it; false
  // when it is not registered.
  bool RemoveSource(const std::filesystem::path& path);
  // The installation folder (the Charts_InstallationFolder setting): replaces
  // the previous one; empty: none.
  void SetInstallationFolder(const std::filesystem::path& folder);
  std::vector<ChartSource> Sources() const;
  // Takes charts out of the library by name (or by path): a chart found in a
  // folder is excluded from later searches of that folder. The names removed.
  std::vector<std::string> RemoveChart(const std::string& nameOrPath);
  // Looks at every source again (what inotify would have told).
  void Rescan();

  // --- charts ----------------------------------------------------------------
  std::vector<ChartRecord> Charts() const;
  std::optional<ChartRecord> Chart(int64_t id) const;
  // The first chart of this name (a ready one first).
  std::optional<ChartRecord> ChartNamed(const std::string& name) const;
  ChartBuildProgress Progress() const;
  uint64_t Generation() const { return generation_.load(); }
  uint64_t AddChangeListener(std::function<void(uint64_t generation)> listener);
  void RemoveChangeListener(uint64_t handle);

  // The charts to draw for box at display scale 1:scaleDenominator, bottom
  // first (see the contract above). Charts that cannot be opened are left
  // out. Any thread.
  std::vector<ViewChart> ChartsForView(const MercatorBox& box, double scaleDenominator) const;
  // The topmost chart drawn at p at this display scale.
  std::optional<ViewChart> ChartAt(MercatorPoint p, double scaleDenominator) const;
  // One chart opened (through the cache); null when it is not ready or
  // cannot be opened.
  std::shared_ptr<const CS57Chart> OpenVector(int64_t id) const;
  std::shared_ptr<const CGeoRaster> OpenRaster(int64_t id) const;

 private:
  explicit CChartLibrary(const ChartLibraryOptions& options);
  void Changed();
  void QueueScan(const std::filesystem::path& source);
  void QueueBuild(int64_t id, const std::string& name);
  // Worker jobs (ChartLibraryJobs.cpp).
  void ScanSource(const std::filesystem::path& source);
  void BuildChart(int64_t id, const std::function<void(const std::string&)>& say);
  // Of the vector rows sharing a cell name, the newest edition is used and
  // the others are superseded; a winner that was superseded is built.
  void ResolveSupersession();
  std::shared_ptr<const CExchangeSet> SetOfCell(const std::filesystem::path& cell) const;
  std::shared_ptr<const CS57Chart> OpenVectorRow(const CatalogueRow& row) const;
  std::shared_ptr<const CGeoRaster> OpenRasterRow(const CatalogueRow& row) const;

  ChartLibraryOptions options_;
  std::unique_ptr<CChartCatalogue> catalogue_;
  std::unique_ptr<COpenChartCache> cache_;
  std::unique_ptr<CChartWorkers> workers_;
  std::unique_ptr<CChartWatcher> watcher_;
  std::atomic<uint64_t> generation_{1};
  std::atomic<bool> started_{false};
  mutable std::mutex listenersMutex_;
  std::vector<std::pair<uint64_t, std::function<void(uint64_t)>>> listeners_;
  uint64_t nextListener_ = 1;
  mutable std::mutex setsMutex_;
  std::map<std::filesystem::path, std::shared_ptr<const CExchangeSet>> cellSets_;
  std::set<std::string> buildingNames_;  // cell names whose SENC is being built
  std::condition_variable buildingDone_;
};

// The process-wide library; null when none is installed.
std::shared_ptr<CChartLibrary> ChartLibrary();
// Installs (or, with null, removes) the process-wide library.
void InstallChartLibrary(std::shared_ptr<CChartLibrary> library);

// The display scale denominator of a view that shows mercatorMetresPerPixel
// metres of the chart Mercator per screen pixel at latitude latDeg, on a
// screen of 0.28 mm pixels (the standard display pixel).
double DisplayScaleDenominator(double mercatorMetresPerPixel, double latDeg);
// The same for XYZ tile (zoom, y) of 256 pixels a side, at the tile's middle.
double TileScaleDenominator(int zoom, int y);

// The library's catalogue in the data folder, and its options for the program.
std::filesystem::path DefaultChartCatalogue();
ChartLibraryOptions DefaultChartLibraryOptions();

}  // namespace tarnwick
