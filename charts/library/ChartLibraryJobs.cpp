// The chart library's work on its worker threads: searching a source for
// charts and bringing the catalogue up to date, and reading (building) one
// chart.

#include <map>
#include <set>

#include "charts/library/ChartCatalogue.h"
#include "charts/library/ChartLibrary.h"
#include "charts/library/ChartReading.h"
#include "charts/library/ChartScanner.h"
#include "charts/library/ChartWatcher.h"
#include "charts/library/OpenChartCache.h"
#include "charts/s57/S57Cell.h"
#include "charts/s57/SencFolder.h"
#include "core/Log.h"

namespace tarnwick {

std::shared_ptr<const CExchangeSet> CChartLibrary::SetOfCell(
    const std::filesystem::path& cell) const {
  std::lock_guard lock(setsMutex_);
  const auto it = cellSets_.find(cell);
  return it == cellSets_.end() ? nullptr : it->second;
}

void CChartLibrary::ScanSource(const std::filesystem::path& source) {
  bool folder = true;
  bool registered = false;
  for (const ChartSource& s : catalogue_->Sources()) {
    if (s.path != source) continue;
    folder = s.folder;
    registered = true;
  }
  if (!registered) return;
  std::error_code ec;
  // A folder on a medium that is not mounted now: its charts stay listed
  // (and drawn while their SENC files last) until it comes back. A chart
  // file deleted from its folder is gone.
  const std::filesystem::path folderNeeded = folder ? source : source.parent_path();
  if (!std::filesystem::is_directory(folderNeeded, ec)) {
    Log("Chart library: %s is not there\n", folderNeeded.c_str());
    return;
  }
  FoundCharts found = FindCharts(source, folder);
  for (const std::string& problem : found.problems) Log("Chart library: %s\n", problem.c_str());
  if (watcher_) {
    if (!folder) found.folders = {source.parent_path()};
    watcher_->Watch(source, found.folders);
  }

  bool changed = false;
  std::set<std::filesystem::path> seen;
  std::vector<int64_t> toBuild;
  for (const FoundChart& chart : found.charts) {
    if (catalogue_->Excluded(chart.path)) continue;
    seen.insert(chart.path);
    if (chart.set) {
      std::lock_guard lock(setsMutex_);
      cellSets_[chart.path] = chart.set;
    }
    const auto row = catalogue_->RowForPath(chart.path);
    if (!row) {
      CatalogueRow fresh;
      fresh.record.name = chart.name;
      fresh.record.path = chart.path;
      fresh.record.source = source;
      fresh.record.kind = chart.kind;
      fresh.record.status = ChartStatus::kPending;
      if (const int64_t id = catalogue_->Put(std::move(fresh))) toBuild.push_back(id);
      continue;
    }
    // A chart found through two sources (a folder inside another) belongs to
    // the one that found it first.
    if (row->record.source != source) continue;
    const ChartRecord& r = row->record;
    const bool moved = r.status == ChartStatus::kPending || r.status == ChartStatus::kBuilding ||
                       row->signature != ChartSignature(chart.path, chart.kind);
    const bool sencGone = r.kind == ChartKind::kVector && r.status == ChartStatus::kReady &&
                          !std::filesystem::exists(SencPathFor(options_.sencFolder, r.path), ec);
    if ((moved && r.status != ChartStatus::kSuperseded) || sencGone) {
      catalogue_->SetStatus(r.id, ChartStatus::kPending, "");
      toBuild.push_back(r.id);
    }
  }
  // Charts whose files are gone leave the library.
  for (const CatalogueRow& row : catalogue_->Rows()) {
    if (row.record.source != source || seen.count(row.record.path)) continue;
    catalogue_->Remove(row.record.id);
    cache_->Forget(row.record.id);
    Log("Chart library: %s is gone (%s)\n", row.record.name.c_str(), row.record.path.c_str());
    changed = true;
  }
  // Builds are queued once it is known which file of a cell is used.
  ResolveSupersession();
  for (int64_t id : toBuild) {
    const auto row = catalogue_->Row(id);
    if (row && row->record.status == ChartStatus::kPending) QueueBuild(id, row->record.name);
  }
  if (changed) Changed();
}

void CChartLibrary::BuildChart(int64_t id, const std::function<void(const std::string&)>& say) {
  const auto row = catalogue_->Row(id);
  if (!row || row->record.status == ChartStatus::kSuperseded) return;
  const ChartRecord& r = row->record;
  // Files of one cell name share a SENC: they are never built at once.
  std::unique_lock names(setsMutex_);
  buildingDone_.wait(names, [&] { return !buildingNames_.count(r.name); });
  buildingNames_.insert(r.name);
  names.unlock();
  struct NameRelease {
    CChartLibrary* self;
    const std::string& name;
    ~NameRelease() {
      {
        std::lock_guard lock(self->setsMutex_);
        self->buildingNames_.erase(name);
      }
      self->buildingDone_.notify_all();
    }
  } release{this, r.name};
  if (const auto again = catalogue_->Row(id);
      !again || again->record.status == ChartStatus::kSuperseded)
    return;
  catalogue_->SetStatus(id, ChartStatus::kBuilding, "");
  // The signature is taken first, so that a file changed during the build
  // makes the next search build again.
  const std::string signature = ChartSignature(r.path, r.kind);
  ChartReadOutcome outcome;
  if (r.kind == ChartKind::kVector) {
    say("Reading " + r.path.filename().string());
    const auto set = SetOfCell(r.path);
    outcome = ReadVectorChart(r.path, options_.sencFolder, set.get(), r, say);
  } else {
    say("Reading " + r.path.filename().string());
    outcome = ReadRasterChart(r.path, r.kind);
  }
  CatalogueRow updated;
  updated.signature = signature;
  updated.record = outcome.record;
  updated.record.id = r.id;
  updated.record.name = r.name;
  updated.record.path = r.path;
  updated.record.source = r.source;
  updated.record.kind = r.kind;
  if (outcome.ok) {
    updated.record.status = ChartStatus::kReady;
  } else {
    updated.record.status = ChartStatus::kFailed;
    updated.record.message = outcome.error;
    // What was known of the chart stays listed.
    updated.record.extent = r.extent;
    Log("Chart library: %s cannot be used: %s\n", r.path.c_str(), outcome.error.c_str());
  }
  // The row may have been removed, or found superseded, while it was read.
  const auto now = catalogue_->Row(id);
  if (!now || now->record.status == ChartStatus::kSuperseded) return;
  catalogue_->Put(std::move(updated));
  cache_->Forget(id);
  Changed();
}

void CChartLibrary::ResolveSupersession() {
  std::map<std::string, std::vector<CatalogueRow>> byName;
  for (CatalogueRow& row : catalogue_->Rows())
    if (row.record.kind == ChartKind::kVector && row.record.status != ChartStatus::kFailed)
      byName[row.record.name].push_back(std::move(row));
  bool changed = false;
  for (auto& [name, rows] : byName) {
    const bool wasShared = rows.size() > 1;
    if (!wasShared && rows.front().record.status != ChartStatus::kSuperseded) continue;
    // The newest base file wins; at equal editions the first registered.
    size_t winner = 0;
    std::pair<uint32_t, uint32_t> best{0, 0};
    for (size_t i = 0; i < rows.size(); ++i) {
      const auto edition =
          ReadCellEdition(rows[i].record.path).value_or(std::pair<uint32_t, uint32_t>{0, 0});
      if (i == 0 || edition > best) {
        best = edition;
        winner = i;
      }
    }
    for (size_t i = 0; i < rows.size(); ++i) {
      const ChartRecord& r = rows[i].record;
      if (i == winner) {
        if (r.status == ChartStatus::kSuperseded) {
          catalogue_->SetStatus(r.id, ChartStatus::kPending, "");
          QueueBuild(r.id, r.name);
        }
      } else if (r.status != ChartStatus::kSuperseded) {
        catalogue_->SetStatus(r.id, ChartStatus::kSuperseded,
                              "superseded by " + rows[winner].record.path.string());
        cache_->Forget(r.id);
        changed = true;
      }
    }
  }
  if (changed) Changed();
}

}  // namespace tarnwick
