#pragma once
// S-57 exchange sets: a folder holding a catalogue CATALOG.031 (itself or in
// its ENC_ROOT folder; file names with DOS "\" separators, as issued) or
// plain cells with their updates. The scan finds every base cell, keeps the
// newest edition (then re-issue) of each cell name, and checks files against
// the catalogue's CRC-32 values. Cells are compiled into SENC files on
// several threads at once.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "charts/s57/S57Cell.h"

namespace tarnwick {

struct ExchangeSetCell {
  std::filesystem::path base;  // the base file (".000")
  uint32_t edition = 0;        // of the base file
  uint32_t update = 0;         // 0, or the update a re-issue includes
};

class CExchangeSet {
 public:
  // Scans folder (never reading outside it). Problems (catalogue entries
  // without their file, names that would leave the folder, unreadable or
  // superseded base files) are listed, not fatal.
  static CExchangeSet Scan(const std::filesystem::path& folder);

  const std::filesystem::path& Folder() const { return folder_; }
  // The catalogue read, empty when the folder has none.
  const std::filesystem::path& Catalogue() const { return catalogue_; }
  const std::vector<ExchangeSetCell>& Cells() const { return cells_; }
  const std::vector<std::string>& Problems() const { return problems_; }
  // Why file must not be used (its CRC-32 differs from the catalogue's);
  // none when it matches or the catalogue does not list it.
  std::optional<std::string> CheckFile(const std::filesystem::path& file) const;

 private:
  void ReadCatalogue(const std::filesystem::path& catalogue);
  void ScanFolder();
  void AddBase(const std::filesystem::path& base);

  std::filesystem::path folder_;
  std::filesystem::path catalogue_;
  std::vector<ExchangeSetCell> cells_;
  std::vector<std::string> problems_;
  std::map<std::filesystem::path, uint32_t> crcs_;  // by resolved path
};

// The catalogue's FILE text ("US1AK90M\US1AK90M.000") as a path below root:
// "\" and "/" both separate, "." parts are dropped, and names are matched
// without regard to case when the exact name is not there. None when the
// name is empty, absolute or climbs out of root ("..").
std::optional<std::filesystem::path> ResolveCatalogueName(const std::filesystem::path& root,
                                                          std::string_view name);

// What became of one cell in a SENC build.
struct SencBuildOutcome {
  enum class Status { Built, UpToDate, Failed };
  std::filesystem::path cell;
  std::filesystem::path senc;
  Status status = Status::Failed;
  std::string error;
  uint32_t edition = 0, update = 0;  // of the SENC
  size_t features = 0;
  std::vector<std::filesystem::path> updatesApplied;
  std::optional<std::filesystem::path> failedUpdate;
  std::string failedUpdateError;
};

// One cell to build, with the exchange set it belongs to (null for a cell
// given on its own).
struct SencBuildJob {
  std::filesystem::path cell;
  const CExchangeSet* set = nullptr;
};

// Builds the SENC of every job into sencFolder on jobs threads (0: one per
// core), each only when it needs a rebuild unless force is set. done is
// called once per cell as it finishes, one call at a time, with the count
// finished so far. Outcomes are in job order.
std::vector<SencBuildOutcome> BuildSencFiles(
    const std::vector<SencBuildJob>& jobs, const std::filesystem::path& sencFolder, unsigned threads,
    bool force, const std::function<void(const SencBuildOutcome&, size_t done, size_t total)>& done);

}  // namespace tarnwick
